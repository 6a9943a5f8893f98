// What the core asks of the user interface: message boxes, the wait cursor, pop-up
// menus, file dialogs, posted messages and the clock. The desktop program installs
// its Qt implementation; tests install a recorder. Without either, nothing blocks:
// message boxes answer their default button and are written to stderr.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Message box types and results, with the values of the Windows constants.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_TYPEMASK = 0xF,
  MB_ICONMASK = 0xF0,
  MB_DEFMASK = 0xF00,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The button a box of this type answers when nobody is asked.
int DefaultMessageBoxAnswer(unsigned type);

struct MenuItem {
  unsigned command = 0;  // 0 for a separator
  std::string text;
  bool enabled = true;
  std::string prompt;  // the status-bar prompt, when the item has one of its own
};

struct FileDialogRequest {
  bool save = false;
  bool folder = false;  // choose an existing folder rather than a file
  std::string title;
  std::string initialPath;
  // Pairs of a description and patterns separated by ";", such as {"Catalogues", "*.ini"}.
  std::vector<std::pair<std::string, std::string>> filters;
  // The first filter shows only executable files.
  bool executablesFirst = false;
};

class UiHooks {
 public:
  virtual ~UiHooks() = default;

  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned type);
  virtual void BeginWaitCursor() {}
  virtual void EndWaitCursor() {}
  // The command chosen, or 0 when the menu was dismissed.
  virtual unsigned PopupMenu(const std::vector<MenuItem>& items);
  // The chosen path, or nothing when the dialog was cancelled.
  virtual std::optional<std::string> FileDialog(const FileDialogRequest& request);

  // Runs the message after the current event has been handled.
  virtual void Post(std::function<void()> message);
  // Handles at most one pending message; false when none was pending.
  virtual bool PumpOne();

  // Milliseconds since some fixed moment.
  virtual std::uint64_t TickCount();

  // Opaque icons for small helpers that swap the icon of a static control.
  virtual void* LoadIcon(const std::string& name);
  virtual void DestroyIcon(void* icon);

 private:
  std::deque<std::function<void()>> m_posted;
};

// The hooks in use: the installed ones, or the defaults described above.
UiHooks& Ui();
// Installs hooks (null restores the defaults); the caller keeps ownership.
void SetUiHooks(UiHooks* hooks);

// An error message: caption "Error", OK button, exclamation icon.
void ShowError(const std::string& text);

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
 public:
  WaitCursor() { Ui().BeginWaitCursor(); }
  ~WaitCursor() { Ui().EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace platform
