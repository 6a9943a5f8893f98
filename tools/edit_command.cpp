// melodeck-tool edit [--files] [--settings FILE] PATHLIST < SCRIPT: renames, deletes, display-mode
// switches and refreshes read from standard input and carried out, one after the
// other, by the code the window uses, on one tree in this one process.
#include <iostream>
#include <sstream>

#include "commands.h"
#include "platform/ui_hooks.h"
#include "tree/library_editor.h"
#include "tree/stree_view.h"
#include "tree/tree_dump.h"

namespace {

// Message boxes are printed and answered as the script says.
class ScriptedUi : public platform::UiHooks {
 public:
  ScriptedUi() { platform::SetUiHooks(this); }
  ~ScriptedUi() override { platform::SetUiHooks(nullptr); }
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;

  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    std::string shown = text;
    for (size_t at; (at = shown.find('\n')) != std::string::npos;) shown.replace(at, 1, "\\n");
    const unsigned buttons = type & platform::MB_TYPEMASK;
    if (buttons == platform::MB_YESNO || buttons == platform::MB_YESNOCANCEL) {
      std::cout << "question: " << caption << ": " << shown << " -> " << (answerYes ? "yes" : "no") << '\n';
      if (!answerYes) refused = true;
      return answerYes ? platform::IDYES : platform::IDNO;
    }
    std::cout << "message: " << caption << ": " << shown << '\n';
    if (caption == "Error") refused = true;
    return platform::IDOK;
  }

  bool answerYes = true;
  bool refused = false;  // a question was answered no, or an error was shown
};

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream stream(line);
  for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

// The node reached by labels from a child of the top node down: at each level the
// first child with exactly that label.
TreeItem FindByLabels(const STreeView& view, std::vector<std::string>::const_iterator label,
                      std::vector<std::string>::const_iterator end) {
  TreeItem node = view.Top();
  for (; label != end && !node.IsNull(); ++label) {
    TreeItem child = node.FirstChild();
    while (!child.IsNull() && child.Label() != *label) child = child.NextSibling();
    node = child;
  }
  return node;
}

// A script's renames and deletes, asked of the library as the window asks for them.
class EditSession {
 public:
  explicit EditSession(const TreeArguments& arguments) : m_strPathList(arguments.pathList) {
    RefreshAsMelodeck(m_view, arguments);
  }

  // Carries out one script line; false when the line was not understood.
  bool Run(const std::string& line) {
    const std::vector<std::string> fields = SplitTabs(line);
    m_ui.refused = false;
    const std::optional<bool> done = Command(fields);
    while (m_ui.PumpOne()) {
    }
    if (!done) return false;
    std::cout << (*done && !m_ui.refused ? "ok" : "refused") << '\n';
    return true;
  }

 private:
  // Whether the edit was carried out; nothing (with an error line) when the line is malformed.
  std::optional<bool> Command(const std::vector<std::string>& fields) {
    const std::string& name = fields.empty() ? std::string() : fields[0];
    const size_t count = fields.size();
    if (name == "rename" && count >= 3) {
      const TreeItem node = Node(fields.begin() + 2, fields.end());
      if (node.IsNull()) return std::nullopt;
      return m_view.Editor().Rename(node, fields[1]);
    }
    if (name == "delete" && count >= 2) {
      const TreeItem node = Node(fields.begin() + 1, fields.end());
      if (node.IsNull()) return std::nullopt;
      return m_view.Editor().Delete(node);  // a failure is reported, and the script goes on
    }
    if (name == "answer" && count == 2 && (fields[1] == "yes" || fields[1] == "no")) {
      m_ui.answerYes = fields[1] == "yes";
      return true;
    }
    if (name == "mode" && count == 2 && (fields[1] == "songs" || fields[1] == "files")) {
      if (fields[1] == "songs") {
        m_view.ShowSongTitles();
      } else {
        m_view.ShowFileNames();
      }
      return true;
    }
    if (name == "refresh" && count == 1) {
      m_view.Refresh(m_strPathList);
      return true;
    }
    if (name == "tree" && count == 1) {
      WriteTree(std::cout, m_view, m_view.Top());
      return true;
    }
    std::cout << "error: not a command: " << EscapeBytes(fields.empty() ? std::string() : fields[0]) << '\n';
    return std::nullopt;
  }

  TreeItem Node(std::vector<std::string>::const_iterator begin, std::vector<std::string>::const_iterator end) {
    const TreeItem node = FindByLabels(m_view, begin, end);
    if (node.IsNull()) {
      std::string path;
      for (auto label = begin; label != end; ++label) path += (path.empty() ? "" : "|") + EscapeBytes(*label);
      std::cout << "error: no such node: " << path << '\n';
    }
    return node;
  }

  ScriptedUi m_ui;  // installed before the view exists, removed after it is gone
  STreeView m_view;
  std::string m_strPathList;
};

}  // namespace

int RunEditCommand(const std::vector<std::string>& args) {
  const auto arguments = ParseTreeArguments(args, "usage: melodeck-tool edit [--files] [--settings FILE] PATHLIST < SCRIPT\n");
  if (!arguments) return 2;
  int status = 0;
  EditSession session(*arguments);
  for (std::string line; std::getline(std::cin, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!session.Run(line)) status = 2;
  }
  return status;
}
