#include "qt_ui_hooks.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

QWidget* DialogParent() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->inherits("QMainWindow")) return widget;
  }
  return nullptr;
}

QtUiHooks::QtUiHooks() {
  m_clock.start();
  platform::SetUiHooks(this);
}

QtUiHooks::~QtUiHooks() { platform::SetUiHooks(nullptr); }

int QtUiHooks::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  QMessageBox box(DialogParent());
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (type & platform::MB_ICONMASK) {
    case platform::MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case platform::MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case platform::MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case platform::MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  const bool second = (type & platform::MB_DEFMASK) == platform::MB_DEFBUTTON2;
  QList<std::pair<QMessageBox::StandardButton, int>> buttons;
  switch (type & platform::MB_TYPEMASK) {
    case platform::MB_OKCANCEL: buttons = {{QMessageBox::Ok, platform::IDOK}, {QMessageBox::Cancel, platform::IDCANCEL}}; break;
    case platform::MB_YESNO: buttons = {{QMessageBox::Yes, platform::IDYES}, {QMessageBox::No, platform::IDNO}}; break;
    case platform::MB_YESNOCANCEL:
      buttons = {{QMessageBox::Yes, platform::IDYES}, {QMessageBox::No, platform::IDNO}, {QMessageBox::Cancel, platform::IDCANCEL}};
      break;
    default: buttons = {{QMessageBox::Ok, platform::IDOK}}; break;
  }
  for (const auto& [button, id] : buttons) box.addButton(button);
  box.setDefaultButton(buttons[second && buttons.size() > 1 ? 1 : 0].first);
  const int chosen = box.exec();
  for (const auto& [button, id] : buttons) {
    if (chosen == button) return id;
  }
  return (type & platform::MB_TYPEMASK) == platform::MB_YESNO ? platform::IDNO : platform::IDCANCEL;
}

void QtUiHooks::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtUiHooks::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

unsigned QtUiHooks::PopupMenu(const std::vector<platform::MenuItem>& items) {
  QMenu menu(DialogParent());
  for (const auto& item : items) {
    if (item.command == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(QString::fromStdString(item.text));
    action->setData(item.command);
    action->setEnabled(item.enabled);
    action->setObjectName(QString::number(item.command));
  }
  const QAction* chosen = menu.exec(QCursor::pos());
  return chosen ? chosen->data().toUInt() : 0;
}

std::optional<std::string> QtUiHooks::FileDialog(const platform::FileDialogRequest& request) {
  QStringList filters;
  for (const auto& [description, patterns] : request.filters) {
    filters << QString::fromStdString(description + " (" + patterns + ")").replace(';', ' ');
  }
  const QString title = QString::fromStdString(request.title);
  const QString start = QString::fromStdString(request.initialPath);
  const QString path = request.save ? QFileDialog::getSaveFileName(DialogParent(), title, start, filters.join(";;"))
                                    : QFileDialog::getOpenFileName(DialogParent(), title, start, filters.join(";;"));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

void QtUiHooks::Post(std::function<void()> message) { QTimer::singleShot(0, qApp, std::move(message)); }

bool QtUiHooks::PumpOne() {
  QApplication::processEvents();
  return false;
}

std::uint64_t QtUiHooks::TickCount() { return static_cast<std::uint64_t>(m_clock.elapsed()); }
