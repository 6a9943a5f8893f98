// UI hooks for tests: message boxes answered from a script and recorded, menus and
// file dialogs answered from a script, wait cursor calls counted, and a clock that
// tests can move.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_hooks.h"

namespace testing_support {

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned type = 0;
};

class RecordingUiHooks : public platform::UiHooks {
 public:
  // Installs itself for its lifetime. Posted messages, pumping and the clock go to
  // eventLoop when one is given (the desktop program's), else to the defaults.
  explicit RecordingUiHooks(platform::UiHooks* eventLoop = nullptr);
  ~RecordingUiHooks() override;

  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
  void BeginWaitCursor() override { ++waitCursorBegins; ++waitCursorDepth; }
  void EndWaitCursor() override { --waitCursorDepth; }
  unsigned PopupMenu(const std::vector<platform::MenuItem>& items) override;
  std::optional<std::string> FileDialog(const platform::FileDialogRequest& request) override;
  void Post(std::function<void()> message) override;
  bool PumpOne() override;
  std::uint64_t TickCount() override;

  // Scripted answers, used in order; without one, the box's default button.
  std::deque<int> messageAnswers;
  std::deque<unsigned> menuAnswers;
  std::deque<std::optional<std::string>> fileDialogAnswers;

  std::vector<ShownMessage> messages;
  // The message shown at that place, or the last one; "<no message>" when there is
  // none, so a check fails cleanly instead of reading past the end.
  ShownMessage Message(size_t index) const;
  ShownMessage Last() const { return messages.empty() ? Message(0) : messages.back(); }
  std::vector<std::vector<platform::MenuItem>> menus;
  std::vector<platform::FileDialogRequest> fileDialogs;
  int waitCursorBegins = 0;
  int waitCursorDepth = 0;

 private:
  platform::UiHooks* m_pEventLoop;
};

}  // namespace testing_support
