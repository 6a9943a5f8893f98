// The UI hooks of the desktop program: Qt message boxes, cursor, menus, file dialogs
// and the event loop.
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <optional>

#include "platform/ui_hooks.h"

class QWidget;

class QtUiHooks : public platform::UiHooks {
 public:
  QtUiHooks();
  ~QtUiHooks() override;

  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  unsigned PopupMenu(const std::vector<platform::MenuItem>& items) override;
  std::optional<std::string> FileDialog(const platform::FileDialogRequest& request) override;
  void Post(std::function<void()> message) override;
  bool PumpOne() override;
  std::uint64_t TickCount() override;

  // The next pop-up menu opens there (global coordinates) instead of at the mouse
  // pointer: a menu opened from the keyboard belongs to the selected row.
  static void PlaceNextMenu(const QPoint& global);

 private:
  QElapsedTimer m_clock;
};

// The window message boxes and dialogs belong to: the active one, or the main window.
QWidget* DialogParent();
