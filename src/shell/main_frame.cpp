#include "main_frame.h"

#include <QActionGroup>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QSocketNotifier>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>
#include <unordered_set>

#include "about_dialog.h"
#include "utility/utility.h"
#include "details_pane.h"
#include "library_model.h"
#include "library_view.h"
#include "res/resource_ids.h"
#include "res/strings.h"
#include "res/texts.h"
#include "dialogs/dialog_widgets.h"
#include "tree/background_check.h"
#include "tree/background_scan.h"
#include "tree/header_reader.h"
#include "tree/context_menu.h"
#include "tree/details_presenter.h"
#include "tree/library_editor.h"
#include "tree/library_marks.h"
#include "tree/play_time_reader.h"
#include "tree/library_watch.h"
#include "tree/saved_tree.h"
#include "user_help.h"
#include "window_state.h"
#include "platform/ui_hooks.h"
#include "platform/path_list.h"
#include "platform/xdg.h"

// ---- CPathCombo ----

CPathCombo::CPathCombo(QWidget* parent) : QComboBox(parent) {
  setObjectName(QString::number(res::ID_PATH_BOX));
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setFixedWidth(250);
  // Completion offers the history in a list; it never changes the text the user typed,
  // which is exactly what a Refresh scans.
  if (completer()) completer()->setCompletionMode(QCompleter::PopupCompletion);
  setToolTip(QString::fromStdString(res::ToolTipText(res::ID_PATH_BOX)));
  setStatusTip(QString::fromStdString(res::StatusText(res::ID_PATH_BOX)));
  setWhatsThis(QString::fromStdString(res::WhatsThisText(res::ID_PATH_BOX)));
}

std::string CPathCombo::Text() const { return currentText().toStdString(); }
void CPathCombo::Clear() {
  const QString edit = currentText();
  clear();
  setEditText(edit);
}
int CPathCombo::Count() const { return count(); }
std::string CPathCombo::Item(int index) const { return itemText(index).toStdString(); }
void CPathCombo::Append(const std::string& text) { addItem(QString::fromStdString(text)); }
void CPathCombo::Insert(int index, const std::string& text) { insertItem(index, QString::fromStdString(text)); }
void CPathCombo::Remove(int index) { removeItem(index); }
void CPathCombo::Select(int index) { setCurrentIndex(index); }

// ---- CMainFrame ----

CMainFrame::CMainFrame(const std::string& settingsFile) : m_pTreeView(&m_treeView) {
  setWindowTitle(res::caption::kProgram);
  setObjectName(QString::number(res::IDR_MAINFRAME));
  // fetchString and the programs that load into Melodeck read the string table.
  static const GResourceModule kStrings{res::StringTable()};
  SetApplicationResources(&kStrings);
  const catalogue::SettingsLocation settings = catalogue::FindSettings(settingsFile, catalogue::StartupDirectory());
  catalogue::MakeSettingsFolders(settings);
  m_strIniFile = settings.file;
  m_treeView.SetSettingsPaths({settings.playlistFolder, m_strIniFile});
  m_treeView.Marks().SetViewEvents(this);
  m_treeView.Menu().SetPopupDelegate(this);

  m_wndSplitter = new QSplitter(Qt::Horizontal, this);
  m_wndSplitter->setObjectName("splitter");
  m_wndSplitter->setChildrenCollapsible(false);
  m_pLibraryView = new LibraryView(m_treeView, m_wndSplitter);
  m_pTabForm = new CTabForm(m_wndSplitter);
  m_wndSplitter->addWidget(m_pLibraryView);
  m_wndSplitter->addWidget(m_pTabForm);
  m_wndSplitter->setStretchFactor(1, 1);
  m_wndSplitter->installEventFilter(this);
  setCentralWidget(m_wndSplitter);
  m_treeView.Details().SetDataPage(&m_pTabForm->m_pSheet->m_pageData);
  // Play times are read behind the window; what comes in shows at once.
  m_pPlayTimes = std::make_unique<tree::PlayTimeReader>(catalogue::PlayTimeCache::DefaultFile(), [this] {
    QMetaObject::invokeMethod(this, [this] { m_treeView.Details().ShowPlayTime(); }, Qt::QueuedConnection);
  });
  m_treeView.Details().SetPlayTimeReader(m_pPlayTimes.get());
  m_pHeaders = std::make_unique<tree::HeaderReader>([this] {
    QMetaObject::invokeMethod(this, [this] { m_treeView.Details().ShowHeader(); }, Qt::QueuedConnection);
  });
  m_treeView.Details().SetHeaderReader(m_pHeaders.get());
  m_treeView.Details().SetCoverShower(
      [cover = &m_pTabForm->m_pSheet->m_cover](const tree::CoverSource& source) { cover->Show(source); });
  connect(m_wndSplitter, &QSplitter::splitterMoved, this, [this] { UpdateMinimumSize(); });
  connect(m_pTabForm, &CTabForm::resized, this, [this] { UpdateMinimumSize(); });

  m_wndPathCombo = new CPathCombo(this);
  // Enter refreshes, as F5 does. A key sent to the line edit meets its filter, which
  // takes it; one typed on the desktop reaches the line edit past its filters and
  // ends in returnPressed. Either way it refreshes once.
  m_wndPathCombo->lineEdit()->installEventFilter(this);
  connect(m_wndPathCombo->lineEdit(), &QLineEdit::returnPressed, this, [this] { OnCommand(res::ID_REFRESH); });
  m_wndFilterBox = new QLineEdit(this);
  m_wndFilterBox->setObjectName(QString::number(res::IDC_FILTER_BOX));
  m_wndFilterBox->setPlaceholderText(res::label::kFilterPlaceholder);
  m_wndFilterBox->setClearButtonEnabled(true);
  m_wndFilterBox->setFixedWidth(180);
  m_wndFilterBox->setWhatsThis(QString::fromStdString(res::WhatsThisText(res::ID_FIND)));
  m_wndFilterBox->installEventFilter(this);  // Esc clears it
  m_pLibraryView->installEventFilter(this);  // Esc clears the filter there too; Delete deletes
  // The filter follows each keystroke once the keys already waiting are in: fast
  // typing is filtered once, a single key at once.
  m_pFilterTimer = new QTimer(this);
  m_pFilterTimer->setSingleShot(true);
  m_pFilterTimer->setInterval(0);
  connect(m_pFilterTimer, &QTimer::timeout, this, &CMainFrame::ApplyFilter);
  connect(m_wndFilterBox, &QLineEdit::textChanged, m_pFilterTimer, qOverload<>(&QTimer::start));
  CreateMenus();
  CreateToolBar();
  m_strScanPath = catalogue::ReadInitialScanPath(m_strIniFile);
  // With no path stored yet, the first start shows the user's music folder.
  if (m_strScanPath.empty()) m_strScanPath = platform::MusicFolder().value_or("");
  if (!m_strScanPath.empty()) m_wndPathCombo->setEditText(QString::fromStdString(m_strScanPath));
  statusBar()->showMessage(res::label::kReady);
  // The timer shows progress; the scan's end wakes the window at once.
  m_pScanTimer = new QTimer(this);
  m_pScanTimer->setInterval(200);
  connect(m_pScanTimer, &QTimer::timeout, this, &CMainFrame::PollScan);
  m_pStopAction = new QAction(this);
  m_pStopAction->setShortcut(QKeySequence(Qt::Key_Escape));
  m_pStopAction->setEnabled(false);
  connect(m_pStopAction, &QAction::triggered, this, &CMainFrame::StopScan);
  addAction(m_pStopAction);
  m_pWatch = std::make_unique<tree::LibraryWatch>(m_treeView);
  m_pWatchTimer = new QTimer(this);
  m_pWatchTimer->setSingleShot(true);
  m_pWatchTimer->setInterval(300);
  connect(m_pWatchTimer, &QTimer::timeout, this, &CMainFrame::ApplyWatchedChanges);
  m_pWatchNotifier = new QSocketNotifier(m_pWatch->Descriptor(), QSocketNotifier::Read, this);
  connect(m_pWatchNotifier, &QSocketNotifier::activated, this, [this] {
    if (m_pWatch->Gather() && !m_pWatchTimer->isActive()) m_pWatchTimer->start();
  });
  if (!RestoreWindowState(*this, *m_wndSplitter)) {
    // Room for the details page and, below it, the selection's cover.
    resize(860, 640);
    m_wndSplitter->setSizes({480, 380});
  }
}

// A scan still running is stopped and waited for.
CMainFrame::~CMainFrame() {
  if (m_pCheck) m_pCheck->Stop();
  m_pCheck.reset();  // its thread works with the watch
  EndWatchStart();   // likewise
  delete m_pWatchNotifier;  // before the descriptor it waits on closes
}

QAction* CMainFrame::AddCommand(QMenu* menu, unsigned id, const QString& text, const QKeySequence& shortcut) {
  auto* action = new QAction(text, this);
  action->setObjectName(QString::number(id));
  action->setShortcut(shortcut);
  action->setStatusTip(QString::fromStdString(res::StatusText(id)));
  action->setWhatsThis(QString::fromStdString(res::WhatsThisText(id)));
  const std::string tip = res::ToolTipText(id);
  if (!tip.empty()) action->setToolTip(QString::fromStdString(tip));
  connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  if (menu) menu->addAction(action);
  m_actions[id] = action;
  return action;
}

void CMainFrame::CreateMenus() {
  QMenu* file = menuBar()->addMenu(res::menu::kFile);
  AddCommand(file, res::ID_FILE_NEW, res::menu::kNewAlbum, QKeySequence("Ctrl+N"));
  AddCommand(file, res::ID_PLAY_ORDER, res::menu::kPlayOrder);
  AddCommand(file, res::ID_ADD_FOLDER, res::menu::kAddFolder);
  file->addSeparator();
  AddCommand(file, res::ID_SETTINGS, res::menu::kSettings);
  file->addSeparator();
  AddCommand(file, res::ID_APP_EXIT, res::menu::kExit, QKeySequence("Alt+F4"));
  m_actions[res::ID_PLAY_ORDER]->setEnabled(false);  // until something is marked

  QMenu* view = menuBar()->addMenu(res::menu::kView);
  QAction* toolbar = AddCommand(view, res::ID_VIEW_TOOLBAR, res::menu::kToolbar);
  toolbar->setCheckable(true);
  toolbar->setChecked(true);
  QAction* status = AddCommand(view, res::ID_VIEW_STATUS_BAR, res::menu::kStatusBar);
  status->setCheckable(true);
  status->setChecked(true);
  AddCommand(view, res::ID_WINDOW_SPLIT, res::menu::kSplit);
  view->addSeparator();
  auto* modes = new QActionGroup(this);
  modes->setExclusive(true);
  for (const auto& [id, text] : {std::pair{res::ID_SHOW_SONGNAMES, res::menu::kShowSongnames}, {res::ID_SHOW_FILENAMES, res::menu::kShowFilenames}}) {
    QAction* action = AddCommand(view, id, text);
    action->setCheckable(true);
    modes->addAction(action);
  }
  view->addSeparator();
  AddCommand(view, res::ID_REFRESH, res::menu::kRefresh, QKeySequence(Qt::Key_F5));
  AddCommand(view, res::ID_RESCAN_ALL, res::menu::kRescanAll, QKeySequence("Shift+F5"));
  AddCommand(view, res::ID_FIND, res::menu::kFind, QKeySequence::Find);
  connect(view, &QMenu::aboutToShow, this, &CMainFrame::SyncDisplayModeChecks);
  SyncDisplayModeChecks();

  QMenu* help = menuBar()->addMenu(res::menu::kHelp);
  AddCommand(help, res::ID_HELP_INDEX, res::menu::kHelpTopics, QKeySequence::HelpContents);
  help->addSeparator();
  AddCommand(help, res::ID_APP_ABOUT, res::menu::kAbout);

  // Keys without a menu item.
  AddCommand(nullptr, res::ID_CONTEXT_HELP, res::menu::kWhatsThis, QKeySequence("Shift+F1"));
  AddCommand(nullptr, res::ID_NEXT_PANE, res::menu::kNextPane, QKeySequence(Qt::Key_F6));
  AddCommand(nullptr, res::ID_PREV_PANE, res::menu::kPreviousPane, QKeySequence("Shift+F6"));
  for (const unsigned id : {res::ID_CONTEXT_HELP, res::ID_NEXT_PANE, res::ID_PREV_PANE}) addAction(m_actions[id]);
}

QIcon CMainFrame::ThemeIcon(const char* name, QStyle::StandardPixmap fallback) const {
  // The desktop's icon theme where it has the icon, so the toolbar looks native.
  return QIcon::fromTheme(name, style()->standardIcon(fallback));
}

void CMainFrame::CreateToolBar() {
  QToolBar* bar = addToolBar(res::caption::kToolbar);
  bar->setObjectName("toolbar");
  bar->setMovable(true);
  bar->setAllowedAreas(Qt::AllToolBarAreas);
  bar->addAction(m_actions[res::ID_FILE_NEW]);
  bar->addAction(m_actions[res::ID_PLAY_ORDER]);
  bar->addSeparator();
  bar->addWidget(m_wndPathCombo);
  bar->addAction(m_actions[res::ID_ADD_FOLDER]);
  bar->addSeparator();
  bar->addAction(m_actions[res::ID_REFRESH]);
  bar->addSeparator();
  bar->addWidget(m_wndFilterBox);
  bar->addSeparator();
  m_actions[res::ID_CONTEXT_HELP]->setIcon(ThemeIcon("help-contextual", QStyle::SP_TitleBarContextHelpButton));
  bar->addAction(m_actions[res::ID_CONTEXT_HELP]);
  m_actions[res::ID_FILE_NEW]->setIcon(ThemeIcon("list-add", QStyle::SP_FileDialogNewFolder));
  m_actions[res::ID_PLAY_ORDER]->setIcon(ThemeIcon("media-playback-start", QStyle::SP_MediaPlay));
  m_actions[res::ID_REFRESH]->setIcon(ThemeIcon("view-refresh", QStyle::SP_BrowserReload));
  m_actions[res::ID_ADD_FOLDER]->setIcon(ThemeIcon("folder-open", QStyle::SP_DirOpenIcon));
  connect(m_actions[res::ID_VIEW_TOOLBAR], &QAction::toggled, bar, &QToolBar::setVisible);
  connect(bar, &QToolBar::visibilityChanged, m_actions[res::ID_VIEW_TOOLBAR], &QAction::setChecked);
  connect(m_actions[res::ID_VIEW_STATUS_BAR], &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

void CMainFrame::StartFirstScan() {
  // The posted first Refresh always scans; until it ends the tree is not yet known to be empty.
  m_pLibraryView->SetEditable(false);
  QMetaObject::invokeMethod(this, [this] { OnCommand(res::ID_REFRESH); }, Qt::QueuedConnection);
}

void CMainFrame::OnCommand(unsigned id) {
  switch (id) {
    case res::ID_REFRESH: OnRefresh(); break;
    case res::ID_RESCAN_ALL: OnRescanAll(); break;
    case res::ID_SHOW_SONGNAMES: m_treeView.ShowSongTitles(); SyncDisplayModeChecks(); break;
    case res::ID_SHOW_FILENAMES: m_treeView.ShowFileNames(); SyncDisplayModeChecks(); break;
    case res::ID_APP_EXIT: close(); break;
    case res::ID_APP_ABOUT: ShowAbout(); break;
    case res::ID_HELP_INDEX: ShowUserHelp(this); break;
    case res::ID_FILE_NEW: OnNewAlbum(); break;
    case res::ID_PLAY_ORDER: OnPlayOrder(); break;
    case res::ID_SETTINGS: OnSettings(); break;
    case res::ID_ADD_FOLDER: OnAddFolder(); break;
    case res::ID_FIND:
      m_wndFilterBox->setFocus(Qt::ShortcutFocusReason);
      m_wndFilterBox->selectAll();
      break;
    case res::ID_CONTEXT_HELP: QWhatsThis::enterWhatsThisMode(); break;
    case res::ID_NEXT_PANE: MoveFocus(1); break;
    case res::ID_PREV_PANE: MoveFocus(-1); break;
    case res::ID_WINDOW_SPLIT:
      m_bSplitting = true;
      m_wndSplitter->setFocus();
      statusBar()->showMessage(res::label::kSplitterKeys);
      break;
    default: break;
  }
}

void CMainFrame::OnRefresh() {
  if (Scanning()) {
    StopScan();
    return;
  }
  m_strScanPath = catalogue::UpdatePathHistory(*m_wndPathCombo, m_strIniFile);
  if (m_strScanPath != m_treeView.PathList() || m_treeView.FolderStamps().empty()) {
    const tree::SavedTreeKey key = tree::KeyOf(m_treeView, m_strScanPath);
    const std::unique_ptr<tree::SavedTree> saved = tree::LoadTree(tree::SavedTreeFile(key), key);
    if (!saved) {
      StartScan();
      return;
    }
    // Checked on a thread of its own while the tree is put on show, and watched after.
    StartCheck(saved->folders, false);
    m_treeView.AdoptSavedTree(*saved, m_strScanPath);
    SyncDisplayModeChecks();
    return;
  }
  StartCheck();
}

void CMainFrame::OnRescanAll() {
  if (Scanning()) {
    StopScan();
  } else {
    StartScan();
  }
}

void CMainFrame::StartCheck() { StartCheck(m_pWatch->Unsure()); }

void CMainFrame::StartCheck(std::vector<tree::FolderStamp> stamps, bool followFirst) {
  EndWatchStart();
  // The tree's folders are watched from before they are checked, on the check's thread:
  // adding a few watches takes a moment. Until the check ends the tree stays as it is,
  // and the watch's news wait.
  m_pWatchNotifier->setEnabled(false);
  tree::BackgroundCheck::First follow;
  if (followFirst) follow = [watch = m_pWatch.get()](const auto&) { watch->Follow(); };
  m_pCheck = std::make_unique<tree::BackgroundCheck>(std::move(stamps), std::move(follow));
  m_pCheck->Start([this] { QMetaObject::invokeMethod(this, &CMainFrame::PollCheck, Qt::QueuedConnection); });
  SetScanning(true);
  statusBar()->showMessage(res::label::kChecking);
}

void CMainFrame::PollCheck() {
  if (!m_pCheck || !m_pCheck->Finished()) return;
  const std::unique_ptr<tree::BackgroundCheck> check = std::move(m_pCheck);
  m_pWatchNotifier->setEnabled(true);
  SetScanning(false);
  if (check->Stopped()) {
    statusBar()->showMessage(res::label::kScanStopped);
    return;
  }
  m_pWatch->Checked(check->Stamps(), check->Changed(), check->StartedNs());
  if (m_pWatch->Pending()) m_pWatchTimer->start();  // gathered for the check: applied soon, if still needed
  // Folders read again are saved with the tree as the window closes: a start after a
  // crash finds the older stamps and reads those folders again.
  if (!check->Changed().empty() && !m_treeView.ReadFoldersAgain(check->Changed())) {
    StartScan();
    return;
  }
  statusBar()->showMessage(res::label::kReady);
  StartWatching();
  emit refreshed();
}

void CMainFrame::StartWatching() {
  EndWatchStart();
  m_pWatchNotifier->setEnabled(false);
  // Thousands of watches take a while to add: on a thread, with the folders read before
  // their watch began compared after it, so a change in between is seen too.
  tree::BackgroundCheck::First follow = [watch = m_pWatch.get(), pathList = m_treeView.PathList()](
                                            std::vector<tree::FolderStamp>& stamps) {
    watch->Follow(stamps, pathList);
    stamps = watch->Unsure(stamps);
  };
  m_pWatchStart = std::make_unique<tree::BackgroundCheck>(m_treeView.FolderStamps(), std::move(follow));
  m_pWatchStart->Start([this] { QMetaObject::invokeMethod(this, &CMainFrame::PollWatchStart, Qt::QueuedConnection); });
}

void CMainFrame::PollWatchStart() {
  if (!m_pWatchStart || !m_pWatchStart->Finished()) return;
  const std::unique_ptr<tree::BackgroundCheck> start = std::move(m_pWatchStart);
  m_pWatchNotifier->setEnabled(true);
  m_pWatch->Checked(start->Stamps(), start->Changed(), start->StartedNs());
  // Changed after they were read and before they were watched: the tree follows them as
  // it follows the watch's news.
  m_pWatch->Suspect(start->Changed());
  if (m_pWatch->Pending() && !m_pWatchTimer->isActive()) m_pWatchTimer->start();
  const size_t unwatched = m_pWatch->Unwatched().size();
  if (unwatched == 0 || m_bToldNotWatched) return;
  m_bToldNotWatched = true;
  statusBar()->showMessage(QString::fromStdString(res::Fill(res::label::kNotWatched, {std::to_string(unwatched)})));
}

void CMainFrame::EndWatchStart() {
  if (!m_pWatchStart) return;
  m_pWatchStart->Stop();
  m_pWatchStart.reset();
  m_pWatchNotifier->setEnabled(true);
}

bool CMainFrame::ChangesWaiting() const { return m_pWatchTimer->isActive(); }

void CMainFrame::ApplyWatchedChanges() {
  // The watch is the thread's while it starts: its batch is looked at afterwards.
  if (!WatchStarting() && !m_pWatch->Pending()) return;
  const bool busy = Scanning() || WatchStarting() || m_pLibraryView->Editing() ||
                    QApplication::activeModalWidget() != nullptr;
  if (busy) {
    m_pWatchTimer->start();  // the change waits
    return;
  }
  if (!m_pWatch->Apply()) StartScan();
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Folders no watch reports on are checked when the user comes back to the window.
  // A watch still starting compares those folders itself.
  if (event->type() != QEvent::ActivationChange || !isActiveWindow() || Scanning() || WatchStarting()) return;
  std::vector<tree::FolderStamp> unwatched;
  const std::vector<std::string>& folders = m_pWatch->Unwatched();
  if (folders.empty()) return;
  const std::unordered_set<std::string> wanted(folders.begin(), folders.end());
  for (const tree::FolderStamp& stamp : m_treeView.FolderStamps()) {
    if (wanted.contains(stamp.folder)) unwatched.push_back(stamp);
  }
  StartCheck(std::move(unwatched));
}

void CMainFrame::SaveShownTree() {
  if (m_treeView.FolderStamps().empty()) return;  // nothing read yet
  const tree::SavedTreeKey key = tree::KeyOf(m_treeView, m_treeView.PathList());
  tree::SaveTree(tree::SavedTreeFile(key), key, m_treeView.Top(), m_treeView.DisplayMode(), m_treeView.FolderStamps());
}

void CMainFrame::StartScan() {
  m_strScanPath = catalogue::UpdatePathHistory(*m_wndPathCombo, m_strIniFile);
  m_pScan = m_treeView.StartScan(m_strScanPath, [this] {
    QMetaObject::invokeMethod(this, &CMainFrame::PollScan, Qt::QueuedConnection);
  });
  SetScanning(true);
  // The new tree comes from the event loop, never from within this command.
  statusBar()->showMessage(QString::fromStdString(res::Fill(res::label::kScanning, {"0", "0"})));
  m_pScanTimer->start();
}

void CMainFrame::StopScan() {
  if (m_pScan) m_pScan->Stop();
  if (m_pCheck) m_pCheck->Stop();
}

void CMainFrame::PollScan() {
  if (!m_pScan) return;
  if (!m_pScan->Finished()) {
    if (!m_pScan->Stopped()) {
      statusBar()->showMessage(QString::fromStdString(
          res::Fill(res::label::kScanning, {std::to_string(m_pScan->Folders()), std::to_string(m_pScan->Songs())})));
    }
    return;
  }
  m_pScanTimer->stop();
  const std::unique_ptr<tree::BackgroundScan> scan = std::move(m_pScan);
  SetScanning(false);
  if (scan->Stopped()) {
    statusBar()->showMessage(res::label::kScanStopped);
    return;
  }
  m_treeView.AdoptScan(*scan);
  SaveShownTree();
  statusBar()->showMessage(res::label::kReady);
  StartWatching();
  m_pLibraryView->setFocus();
  SyncDisplayModeChecks();
  emit refreshed();
}

void CMainFrame::SetScanning(bool scanning) {
  QAction* refresh = m_actions[res::ID_REFRESH];
  refresh->setText(scanning ? res::menu::kStop : res::menu::kRefresh);
  refresh->setToolTip(QString::fromStdString(scanning ? res::label::kStopTip : res::ToolTipText(res::ID_REFRESH)));
  refresh->setStatusTip(QString::fromStdString(scanning ? res::label::kStopTip : res::StatusText(res::ID_REFRESH)));
  refresh->setIcon(scanning ? ThemeIcon("process-stop", QStyle::SP_BrowserStop)
                            : ThemeIcon("view-refresh", QStyle::SP_BrowserReload));
  m_pStopAction->setEnabled(scanning);
  for (const unsigned id : {res::ID_FILE_NEW, res::ID_ADD_FOLDER, res::ID_SHOW_SONGNAMES, res::ID_SHOW_FILENAMES}) {
    m_actions[id]->setEnabled(!scanning);
  }
  m_pLibraryView->SetEditable(!scanning);
}

void CMainFrame::OnPlayOrderEnabled(bool enabled) { m_actions[res::ID_PLAY_ORDER]->setEnabled(enabled); }

void CMainFrame::OnNewAlbum() {
  // Add an album at the tree's selection, as the context menu's "&Add album" does.
  m_treeView.Menu().Carry(res::ID_ADD_ALBUM, m_treeView.Item(m_treeView.Tree()->State().GetSelection()));
}

void CMainFrame::OnPlayOrder() {
  CPlayOrderDlg dialog(m_treeView.Top(), &m_treeView);
  PlayOrderWidget widget(dialog, this);
  widget.exec();
}

void CMainFrame::OnAddFolder() {
  platform::FileDialogRequest request;
  request.folder = true;
  request.title = res::label::kAddFolderTitle;
  request.initialPath = platform::MusicFolder().value_or(QDir::homePath().toStdString());
  const std::optional<std::string> folder = platform::Ui().FileDialog(request);
  if (!folder) return;
  m_wndPathCombo->setEditText(
      QString::fromStdString(platform::WithFolder(m_wndPathCombo->currentText().toStdString(), *folder)));
  StartScan();
}

void CMainFrame::OnSettings() {
  CSettingsDlg dialog;
  ::OnSettings(m_strIniFile, dialog, [&] {
    SettingsWidget widget(dialog, this);
    return widget.exec() == QDialog::Accepted;
  });
}

bool CMainFrame::Available(unsigned) const { return !Scanning(); }

void CMainFrame::AddAlbum(const TreeItem& node) {
  CAddAlbumDlg dialog(&m_treeView, m_pTabForm->m_pSheet->m_pageData.Categories().Entries(), node);
  AddAlbumWidget widget(dialog, this);
  if (widget.exec() != QDialog::Accepted || dialog.m_itemAlbum.IsNull()) return;
  m_treeView.Tree()->State().SelectItem(dialog.m_itemAlbum.m_hItem);
  tree::ExpandItem(dialog.m_itemAlbum, true);
}

void CMainFrame::DeleteNode(const TreeItem& node) { m_treeView.Editor().Delete(node); }

void CMainFrame::RenameNode(const TreeItem&) { m_pLibraryView->RenameSelected(); }

void CMainFrame::SyncDisplayModeChecks() {
  m_actions[res::ID_SHOW_SONGNAMES]->setChecked(m_treeView.DisplayMode() == tree::DisplayMode::SongTitles);
  m_actions[res::ID_SHOW_FILENAMES]->setChecked(m_treeView.DisplayMode() == tree::DisplayMode::FileNames);
}

void CMainFrame::MoveFocus(int) {
  // Two panes: the next and the previous pane are the same, the other one.
  if (m_pLibraryView->hasFocus()) {
    m_pTabForm->m_pSheet->m_pageData.FocusFirstField();
  } else {
    m_pLibraryView->setFocus();
  }
}

void CMainFrame::ShowAbout() {
  CAboutDlg about(QString::fromStdString(m_strIniFile), this);
  about.exec();
}

void CMainFrame::UpdateMinimumSize() {
  // The window may shrink until the details pane reaches 6 pixels beyond the page's
  // right and bottom edges; moving the splitter bar moves that limit.
  const QWidget* page = &m_pTabForm->m_pSheet->m_pageData;
  if (!isVisible() || !page->isVisible()) return;  // not laid out yet
  const QRect pane(m_pTabForm->mapToGlobal(QPoint(0, 0)), m_pTabForm->size());
  const QRect pageRect(page->mapToGlobal(QPoint(0, 0)), page->size());
  const int width = this->width() - (pane.right() - pageRect.right()) + 6;
  const int height = this->height() - (pane.bottom() - pageRect.bottom()) + 6;
  setMinimumSize(std::max(width, 0), std::max(height, 0));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  m_treeView.Details().SaveSelectionDetails();  // edits on the details page are not lost on exit
  if (!Scanning()) SaveShownTree();
  SaveWindowState(*this, *m_wndSplitter);
  QMainWindow::closeEvent(event);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  UpdateMinimumSize();
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  UpdateMinimumSize();
}

void CMainFrame::ApplyFilter() {
  m_pFilterTimer->stop();
  m_pLibraryView->Model()->SetFilter(m_wndFilterBox->text().toStdString());
  const tree::TreeFilter& filter = m_pLibraryView->Model()->Filter();
  statusBar()->showMessage(filter.Active() ? QString::fromStdString(res::Fill(res::label::kFilterStatus,
                                                                              {std::to_string(filter.MatchingSongs())}))
                                           : QString(res::label::kReady));
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_wndFilterBox) {
    // Esc belongs to the box (not to stopping a scan): it clears the filter and goes
    // back to the tree.
    const bool escape = (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (escape && event->type() == QEvent::ShortcutOverride) {
      event->accept();
      return true;
    }
    if (escape) {
      m_wndFilterBox->clear();
      ApplyFilter();
      m_pLibraryView->setFocus();
      return true;
    }
  }
  if (watched == m_pLibraryView && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape && !m_wndFilterBox->text().isEmpty()) {  // as the status bar promises
      m_wndFilterBox->clear();
      ApplyFilter();
      return true;
    }
    if (key == Qt::Key_Delete) {  // the menu's Delete, when the menu offers it
      const TreeItem node = m_treeView.Item(m_treeView.Tree()->State().GetSelection());
      if (m_treeView.Editor().CanDelete(node) && Available(res::ID_DELETE_NODE)) DeleteNode(node);
      return true;
    }
  }
  if (watched == m_wndPathCombo->lineEdit() && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OnCommand(res::ID_REFRESH);
      return true;
    }
  }
  if (watched == m_wndSplitter && m_bSplitting && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    QList<int> sizes = m_wndSplitter->sizes();
    const int step = key->modifiers() & Qt::ControlModifier ? 1 : 8;
    if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
      const int delta = key->key() == Qt::Key_Left ? -step : step;
      sizes[0] += delta;
      sizes[1] -= delta;
      m_wndSplitter->setSizes(sizes);
      UpdateMinimumSize();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
      m_bSplitting = false;
      statusBar()->clearMessage();
      m_pLibraryView->setFocus();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
