// What a command that can fail tells its caller: done, or not done and why, in the
// words the user reads. Commands decide; the one who asked reports.
#pragma once

#include <string>
#include <utility>

namespace tree {

class CommandResult {
 public:
  static CommandResult Done() { return CommandResult(true, {}); }
  // Not done; an empty message says nothing (the user cancelled or typed nothing).
  static CommandResult Failed(std::string message) { return CommandResult(false, std::move(message)); }

  bool Succeeded() const { return m_succeeded; }
  const std::string& Message() const { return m_message; }
  // Shows the message, when there is one, as an error box; returns Succeeded().
  bool Report() const;

 private:
  CommandResult(bool succeeded, std::string message) : m_succeeded(succeeded), m_message(std::move(message)) {}

  bool m_succeeded;
  std::string m_message;
};

}  // namespace tree
