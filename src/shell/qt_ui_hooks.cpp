#include "qt_ui_hooks.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace {

std::optional<QPoint> g_nextMenuPlace;

}  // namespace

void QtUiHooks::PlaceNextMenu(const QPoint& global) { g_nextMenuPlace = global; }

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
    if (!item.prompt.empty()) action->setStatusTip(QString::fromStdString(item.prompt));
    action->setObjectName(QString::number(item.command));
  }
  const QPoint at = g_nextMenuPlace.value_or(QCursor::pos());
  g_nextMenuPlace.reset();
  const QAction* chosen = menu.exec(at);
  return chosen ? chosen->data().toUInt() : 0;
}

namespace {

// Shows folders and executable files only, while the first filter is chosen.
class ExecutablesFilter : public QSortFilterProxyModel {
 public:
  explicit ExecutablesFilter(QFileDialog* dialog) : QSortFilterProxyModel(dialog), m_pDialog(dialog) {}

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!files || m_pDialog->selectedNameFilter() != m_pDialog->nameFilters().value(0)) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || info.isExecutable();
  }

 private:
  QFileDialog* m_pDialog;
};

}  // namespace

std::optional<std::string> QtUiHooks::FileDialog(const platform::FileDialogRequest& request) {
  QStringList filters;
  for (const auto& [description, patterns] : request.filters) {
    filters << QString::fromStdString(description + " (" + patterns + ")").replace(';', ' ');
  }
  QFileDialog dialog(DialogParent(), QString::fromStdString(request.title));
  dialog.setOption(QFileDialog::DontUseNativeDialog, request.executablesFirst);
  dialog.setNameFilters(filters);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (request.folder) {
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(QString::fromStdString(request.initialPath));
  } else {
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.selectFile(QString::fromStdString(request.initialPath));
  }
  if (request.executablesFirst) {
    auto* filter = new ExecutablesFilter(&dialog);
    dialog.setProxyModel(filter);
    QObject::connect(&dialog, &QFileDialog::filterSelected, filter, &QSortFilterProxyModel::invalidate);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

void QtUiHooks::Post(std::function<void()> message) { QTimer::singleShot(0, qApp, std::move(message)); }

bool QtUiHooks::PumpOne() {
  QApplication::processEvents();
  return false;
}

std::uint64_t QtUiHooks::TickCount() { return static_cast<std::uint64_t>(m_clock.elapsed()); }
