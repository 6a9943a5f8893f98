// CMainFrame: the main window with menu, toolbar and path box, status bar, and the
// splitter holding the library tree and the details pane.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QStyle>
#include <map>
#include <memory>
#include <string>

#include "text/gstring.h"
#include "catalogue/settings.h"
#include "tree/context_menu.h"
#include "tree/library_marks.h"
#include "tree/stree_view.h"

class CTabForm;
class QTimer;
namespace tree {
class BackgroundCheck;
class BackgroundScan;
class LibraryWatch;
class PlayTimeReader;
class HeaderReader;
}
class LibraryView;
class QAction;
class QSocketNotifier;
class QSplitter;

// The path box: an editable list of the scan paths used, most recent first.
class CPathCombo : public QComboBox, public catalogue::PathHistoryList {
  Q_OBJECT

 public:
  explicit CPathCombo(QWidget* parent = nullptr);
  std::string Text() const override;
  void Clear() override;
  int Count() const override;
  std::string Item(int index) const override;
  void Append(const std::string& text) override;
  void Insert(int index, const std::string& text) override;
  void Remove(int index) override;
  void Select(int index) override;
};

class CMainFrame : public QMainWindow,
                   public tree::ViewEvents,
                   public tree::PopupDelegate {
  Q_OBJECT

 public:
  // Settings from the file given, or from where they are found when none is given.
  explicit CMainFrame(const std::string& settingsFile = {});
  ~CMainFrame() override;

  void OnCommand(unsigned id);
  void OnPlayOrderEnabled(bool enabled) override;
  // The context menu's add album, delete and rename.
  bool Available(unsigned command) const override;
  void AddAlbum(const TreeItem& node) override;
  void DeleteNode(const TreeItem& node) override;
  void RenameNode(const TreeItem& node) override;

  // Posts the first scan; call once shown.
  void StartFirstScan();
  // The Refresh command (F5): the tree on show, or else the one saved for the path
  // box's folders, checked against the disk on a thread of its own while the window
  // keeps answering; changed folders are read again, or the folders scanned when that
  // is not enough or no tree was saved. While a check or scan runs, it stops it instead.
  void OnRefresh();
  // Rescan everything (Shift+F5): the path box's folders scanned anew.
  void OnRescanAll();
  bool Scanning() const { return m_pScan != nullptr || m_pCheck != nullptr; }
  // The watch of a tree just put in place is being started behind the window; the
  // tree's commands are on meanwhile.
  bool WatchStarting() const { return m_pWatchStart != nullptr; }
  // Changes other programs made are gathered, or wait for an edit or a dialog to end.
  bool ChangesWaiting() const;
  // The scan in progress; null when none runs.
  const tree::BackgroundScan* RunningScan() const { return m_pScan.get(); }
  // Applies the filter box's text to the tree now (typing applies it once it pauses)
  // and says in the status bar what it found.
  void ApplyFilter();

  STreeView& Tree() { return m_treeView; }
  LibraryView* View() const { return m_pLibraryView; }
  CTabForm* Details() const { return m_pTabForm; }
  QAction* Action(unsigned id) const { return m_actions.at(id); }

  GString m_strIniFile;
  GString m_strScanPath;
  CPathCombo* m_wndPathCombo;
  QLineEdit* m_wndFilterBox;
  QSplitter* m_wndSplitter;
  STreeView* m_pTreeView;

 signals:
  void refreshed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* AddCommand(QMenu* menu, unsigned id, const QString& text, const QKeySequence& shortcut = {});
  void CreateMenus();
  void CreateToolBar();
  QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) const;
  void SyncDisplayModeChecks();
  void UpdateMinimumSize();
  void MoveFocus(int step);
  void ShowAbout();
  void OnNewAlbum();
  void OnPlayOrder();
  void OnSettings();
  // Appends a folder the user chooses to the path list and scans it.
  void OnAddFolder();
  void StartScan();
  void StopScan();
  // Checks the stamps the watch cannot vouch for behind the window, the tree's folders
  // watched first.
  void StartCheck();
  // Checks the stamps given behind the window: some of the tree on show, its folders
  // watched first, or those of a tree about to be shown, watched once it is.
  void StartCheck(std::vector<tree::FolderStamp> stamps, bool followFirst = true);
  // Once the check has ended: nothing to do, changed folders read again, or a scan.
  void PollCheck();
  // The tree on show saved for the next start.
  void SaveShownTree();
  // The tree's folders watched from now on, the watches added behind the window.
  void StartWatching();
  // Once they are: folders that changed before their watch began are read again; says
  // once when some cannot be watched.
  void PollWatchStart();
  // A watch start still running is stopped; the folders it had yet to compare stay
  // unsure, for the next check.
  void EndWatchStart();
  // A batch of changes other programs made, once gathered: the tree follows them, unless
  // the user is editing, a dialog is open or a scan runs; then the batch waits.
  void ApplyWatchedChanges();
  // Shows the running scan's progress; once it has ended, puts its tree in place (or,
  // when stopped, keeps the old one).
  void PollScan();
  // Commands that change the tree are off while a scan runs; Refresh becomes Stop.
  void SetScanning(bool scanning);

  STreeView m_treeView;
  LibraryView* m_pLibraryView;
  CTabForm* m_pTabForm;
  std::map<unsigned, QAction*> m_actions;
  bool m_bSplitting = false;  // the keyboard moves the splitter bar
  std::unique_ptr<tree::BackgroundScan> m_pScan;
  std::unique_ptr<tree::BackgroundCheck> m_pCheck;
  std::unique_ptr<tree::BackgroundCheck> m_pWatchStart;
  std::unique_ptr<tree::LibraryWatch> m_pWatch;
  QSocketNotifier* m_pWatchNotifier;
  QTimer* m_pWatchTimer;  // gathers a batch of changes
  bool m_bToldNotWatched = false;
  std::unique_ptr<tree::PlayTimeReader> m_pPlayTimes;  // ends before the tree view it feeds
  std::unique_ptr<tree::HeaderReader> m_pHeaders;      // likewise
  QTimer* m_pScanTimer;
  QAction* m_pStopAction;  // Esc while a scan runs
  QTimer* m_pFilterTimer;   // typing applies the filter once it pauses
};
