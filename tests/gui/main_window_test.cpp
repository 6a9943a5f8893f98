// The desktop program offscreen: main frame, details pane, the tree on screen and its
// context menu. Controls are found by their resource ids; menus and message boxes are
// answered by the recording UI hooks, so no test blocks.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QCheckBox>
#include <QClipboard>
#include <QMimeData>
#include <QUrl>
#include <QDialog>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QTextBrowser>
#include <QTimer>
#include <QWidgetAction>
#include <cstring>
#include <random>
#include <cstring>
#include <filesystem>
#include <memory>

#include "utility/utility.h"
#include "details_pane.h"
#include "library_model.h"
#include "fake_volumes.h"
#include "library_view.h"
#include "main_frame.h"
#include "mp3_frames.h"
#include "platform/profile.h"
#include "qt_ui_hooks.h"
#include "recording_player.h"
#include "recording_ui_hooks.h"
#include "dialogs/play_order_dialog.h"
#include "res/resource_ids.h"
#include "tree/background_scan.h"
#include "tree/node_kinds.h"
#include "tree/tree_dump.h"
#include "temp_dir.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> m_dir;
  std::unique_ptr<QtUiHooks> m_qt;
  std::unique_ptr<testing_support::RecordingUiHooks> m_ui;
  std::unique_ptr<CMainFrame> m_frame;
  QString m_oldDir;

  std::string Lib() const { return m_dir->path() + "lib/"; }

  // The window shown, its library model checked by Qt's model tester through
  // everything the test does (a fault fails the test where it happens).
  void NewFrame() {
    m_frame = std::make_unique<CMainFrame>();
    new QAbstractItemModelTester(View()->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 View()->Model());
    m_frame->show();
  }
  // A library, a settings file naming it, and the window started on it.
  void Start(bool withFolders = true) {
    WriteFile(Lib() + "a/album.ini",
              "[Album:One & Only]\nArtist=The Band\nCategory=Ambient\nYear=1994\nT1=1.mp3, Song One\nT2=2.mp3, Song Two\n");
    WriteFile(Lib() + "a/1.mp3", std::string(1048576, '\0'));
    WriteFile(Lib() + "a/2.mp3", std::string(1048576, '\0'));
    WriteFile(Lib() + "loose/l.mp3", testing_support::SilentMp3Frames(3));
    if (withFolders) WriteFile(m_dir->path() + "Melodeck.ini", "[Folders]\n1=" + Lib() + "\n");
    NewFrame();
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->StartFirstScan();
    QVERIFY(refreshed.wait(5000));
    QCoreApplication::processEvents();
  }
  // The path typed into the path box and scanned, as F5 does it.
  void RefreshPath(const std::string& path) {
    m_frame->m_wndPathCombo->setEditText(QString::fromStdString(path));
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->Action(res::ID_REFRESH)->trigger();
    QVERIFY(refreshed.wait(5000));
  }
  LibraryView* View() { return m_frame->View(); }
  // The marked songs' files, those Play order lists and those Play writes to the
  // playlist are the same; the size box and Play order's command count them.
  void CheckMarkedListedPlayed(const QString& report) {
    STreeView& tree = m_frame->Tree();
    QStringList marked;
    qint64 bytes = 0;
    std::vector<TreeItem> pending{tree.Top()};
    while (!pending.empty()) {
      const TreeItem node = pending.back();
      pending.pop_back();
      if (tree::IsSong(tree::KindOf(node)) && tree.Marks().GetMark(node) == tree::Mark::Marked) {
        marked << QString::fromStdString(tree.SongPath(node));
        bytes += QFileInfo(marked.back()).size();
      }
      for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child);
    }
    QStringList listed;
    CPlayOrderDlg dialog(tree.Top(), &tree);
    for (const auto& entry : dialog.m_songs) listed << QString::fromStdString(tree.SongPath(entry->item));
    const std::string playlist = m_dir->path() + "played.m3u";
    QFile::remove(QString::fromStdString(playlist));
    tree.Menu().Carry(res::ID_PLAY_SELECTED, tree.Top());
    QStringList played = QString::fromStdString(testing_support::ReadFile(playlist)).split('\n', Qt::SkipEmptyParts);
    marked.sort();
    listed.sort();
    played.sort();
    QVERIFY2(marked == listed, qPrintable(report + "\nmarked: " + marked.join(' ') + "\nlisted: " + listed.join(' ')));
    QVERIFY2(marked == played, qPrintable(report + "\nmarked: " + marked.join(' ') + "\nplayed: " + played.join(' ')));
    QVERIFY2(tree.Marks().MarkedSize() == bytes, qPrintable(report + QString("\ncounted %1 bytes, marked %2").arg(tree.Marks().MarkedSize()).arg(bytes)));
    QVERIFY2(m_frame->Action(res::ID_PLAY_ORDER)->isEnabled() == !marked.isEmpty(), qPrintable(report));
  }
  QModelIndex IndexOf(const QStringList& labels) {
    QModelIndex index = View()->Model()->index(0, 0);
    for (const QString& label : labels) {
      const auto model = View()->Model();
      QModelIndex found;
      for (int row = 0; row < model->rowCount(index); ++row) {
        if (model->index(row, 0, index).data().toString() == label) found = model->index(row, 0, index);
      }
      if (!found.isValid()) return {};
      index = found;
    }
    return index;
  }
  // The node with the label anywhere in the tree, everything expanded.
  QModelIndex FindAnywhere(const QString& label) {
    View()->expandAll();
    for (QModelIndex index = View()->Model()->index(0, 0); index.isValid(); index = View()->indexBelow(index)) {
      if (index.data().toString() == label) return index;
    }
    return {};
  }
  // F2 on the node: the label's edit box, or null when the edit was refused.
  QLineEdit* EditLabel(const QModelIndex& index) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // an editor closed before
    View()->setCurrentIndex(index);
    QTest::keyClick(View(), Qt::Key_F2);
    return View()->viewport()->findChild<QLineEdit*>();
  }
  QPoint Center(const QModelIndex& index) {
    View()->scrollTo(index);
    return View()->visualRect(index).center();
  }
  template <typename T>
  T* Control(int id) {
    return m_frame->findChild<T*>(QString::number(id));
  }

 private slots:
  void init() {
    m_dir = std::make_unique<TempDir>();
    // The user's folders are the test's own: play times, settings, the music folder.
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(m_dir->path() + "cache"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir->path() + "config"));
    qputenv("HOME", QByteArray::fromStdString(m_dir->path() + "home"));
    m_oldDir = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(m_dir->path()));
    m_qt = std::make_unique<QtUiHooks>();
    m_ui = std::make_unique<testing_support::RecordingUiHooks>(m_qt.get());
  }
  void cleanup() {
    m_frame.reset();
    m_ui.reset();
    m_qt.reset();
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
  }

  // Without settings or a music folder the empty tree says how to begin; "Add
  // folder..." appends the chosen folder to the path list and scans it.
  void firstStartWithoutSettingsShowsTheHintAndAddFolderBegins() {
    Start(false);
    QCOMPARE(m_frame->windowTitle(), QString("Melodeck"));
    QCOMPARE(m_frame->m_wndPathCombo->currentText(), QString());
    QCOMPARE(m_frame->m_wndPathCombo->count(), 0);
    QVERIFY(m_frame->m_wndSplitter->sizes().at(0) > m_frame->m_wndSplitter->sizes().at(1));  // the tree's larger share
    QCOMPARE(m_frame->m_wndPathCombo->width(), 250);
    auto* hint = View()->findChild<QLabel*>(QString::number(res::IDC_EMPTY_HINT));
    QVERIFY(hint && hint->isVisible());
    QVERIFY(hint->text().contains("Add folder..."));

    QCOMPARE(m_frame->Action(res::ID_ADD_FOLDER)->text(), QString("&Add folder..."));
    m_ui->fileDialogAnswers = {Lib() + "a"};
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->Action(res::ID_ADD_FOLDER)->trigger();
    QVERIFY(refreshed.wait(5000));
    QVERIFY(m_ui->fileDialogs.back().folder);
    QCOMPARE(m_frame->m_wndPathCombo->currentText(), QString::fromStdString(Lib() + "a"));
    QVERIFY(IndexOf({"The Band", "One & Only"}).isValid());
    QVERIFY(!hint->isVisible());
    m_ui->fileDialogAnswers = {Lib() + "loose/"};
    m_frame->Action(res::ID_ADD_FOLDER)->trigger();
    QVERIFY(refreshed.wait(5000));
    QCOMPARE(m_frame->m_wndPathCombo->currentText(), QString::fromStdString(Lib() + "a;" + Lib() + "loose/"));
    QVERIFY(FindAnywhere("l").isValid());
    // The settings went to the configuration folder, not the current one.
    QVERIFY(!QFile::exists(QString::fromStdString(m_dir->path() + "Melodeck.ini")));
    QVERIFY(QFile::exists(QString::fromStdString(m_dir->path() + "config/melodeck/Melodeck.ini")));
    WithDialog([this](QDialog* about) {
      QCOMPARE(In<QLineEdit>(about, res::IDC_SETTINGS_FILE)->text(),
               QString::fromStdString(m_dir->path() + "config/melodeck/Melodeck.ini"));
      about->accept();
    });
    m_frame->Action(res::ID_APP_ABOUT)->trigger();
  }

  // A first start with a music folder shows it at once.
  void firstStartScansTheMusicFolder() {
    WriteFile(m_dir->path() + "home/Music/Old Band/song.mp3", testing_support::SilentMp3Frames(3));
    Start(false);
    QCOMPARE(m_frame->m_wndPathCombo->currentText(), QString::fromStdString(m_dir->path() + "home/Music/"));
    QVERIFY(FindAnywhere("song").isValid());
    QVERIFY(!View()->findChild<QLabel*>(QString::number(res::IDC_EMPTY_HINT))->isVisible());
  }

  void menusCarryTheirTextsAndKeys() {
    Start();
    QStringList menus;
    for (QAction* menu : m_frame->menuBar()->actions()) menus << menu->text();
    QCOMPARE(menus, (QStringList{"&File", "&View", "&Help"}));
    const auto text = [this](unsigned id) { return m_frame->Action(id)->text(); };
    QCOMPARE(text(res::ID_FILE_NEW), QString("&New album"));
    QCOMPARE(m_frame->Action(res::ID_FILE_NEW)->shortcut(), QKeySequence("Ctrl+N"));
    QCOMPARE(text(res::ID_PLAY_ORDER), QString("P&lay order..."));
    QCOMPARE(text(res::ID_REFRESH), QString("&Refresh"));
    QCOMPARE(m_frame->Action(res::ID_REFRESH)->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(text(res::ID_SHOW_SONGNAMES), QString("Show s&ongnames"));
    QCOMPARE(text(res::ID_SHOW_FILENAMES), QString("Show &filenames"));
    QCOMPARE(text(res::ID_WINDOW_SPLIT), QString("S&plit"));
    QCOMPARE(text(res::ID_APP_ABOUT), QString("&About Melodeck..."));
    QCOMPARE(text(res::ID_SETTINGS), QString("&Settings..."));
    QCOMPARE(m_frame->Action(res::ID_REFRESH)->statusTip(), QString("Scan the path and refresh the tree"));
    QCOMPARE(m_frame->Action(res::ID_REFRESH)->toolTip(), QString("Refresh"));
    QVERIFY(m_frame->Action(res::ID_FILE_NEW)->isEnabled());
    QVERIFY(m_frame->Action(res::ID_SETTINGS)->isEnabled());
    QVERIFY(!m_frame->Action(res::ID_PLAY_ORDER)->isEnabled());  // nothing is marked
  }

  void refreshPutsThePathFirstInTheHistory() {
    WriteFile(m_dir->path() + "Melodeck.ini", "[Folders]\n1=/old/a\n2=/old/b\n");
    Start(false);
    m_frame->m_wndPathCombo->setEditText(QString::fromStdString("  " + Lib() + "  "));
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->Action(res::ID_REFRESH)->trigger();
    QVERIFY(refreshed.wait(5000));
    QCOMPARE(m_frame->m_wndPathCombo->count(), 3);
    QCOMPARE(m_frame->m_wndPathCombo->itemText(0), QString::fromStdString(Lib()));
    QCOMPARE(m_frame->m_wndPathCombo->itemText(2), QString("/old/b"));
    QCOMPARE(QString::fromStdString(platform::ProfileGetString(m_dir->path() + "Melodeck.ini", "Folders", "1")),
             QString::fromStdString(Lib()));
    // The first scan (of a missing folder) found no artist; this one does, and song
    // names show again, as the user never chose file names.
    QVERIFY(IndexOf({"The Band", "One & Only", "Song One"}).isValid());
  }

  void displayModeRadioPairFromEitherPane() {
    Start();
    QVERIFY(m_frame->Action(res::ID_SHOW_SONGNAMES)->isChecked());
    m_frame->Details()->m_pSheet->m_pageData.FocusFirstField();
    m_frame->Action(res::ID_SHOW_FILENAMES)->trigger();
    QVERIFY(m_frame->Action(res::ID_SHOW_FILENAMES)->isChecked());
    QVERIFY(!m_frame->Action(res::ID_SHOW_SONGNAMES)->isChecked());
    QVERIFY(IndexOf({"The Band", "One & Only", "1"}).isValid());
    m_frame->Action(res::ID_SHOW_SONGNAMES)->trigger();
    QVERIFY(m_frame->Action(res::ID_SHOW_SONGNAMES)->isChecked());
    QVERIFY(IndexOf({"The Band", "One & Only", "Song One"}).isValid());
  }

  // A scan without artists shows file names; a later one with artists shows song names
  // again, unless the user chose file names.
  void songNamesComeBackWithTheArtistsUnlessFileNamesWereChosen() {
    Start();
    const auto showsFileNames = [this] {
      return m_frame->Action(res::ID_SHOW_FILENAMES)->isChecked() && IndexOf({"The Band", "One & Only", "1"}).isValid();
    };
    RefreshPath(Lib() + "loose/");
    QVERIFY(m_frame->Action(res::ID_SHOW_FILENAMES)->isChecked());
    RefreshPath(Lib());
    QVERIFY(!showsFileNames());
    QVERIFY(IndexOf({"The Band", "One & Only", "Song One"}).isValid());

    m_frame->Action(res::ID_SHOW_FILENAMES)->trigger();
    RefreshPath(Lib() + "loose/");
    RefreshPath(Lib());
    QVERIFY(showsFileNames());
    // Chosen again while file names showed anyway, the choice holds too.
    m_frame->Action(res::ID_SHOW_SONGNAMES)->trigger();
    RefreshPath(Lib() + "loose/");
    m_frame->Action(res::ID_SHOW_FILENAMES)->trigger();
    RefreshPath(Lib());
    QVERIFY(showsFileNames());
  }

  void selectingAnAlbumFillsTheDetailsPane() {
    Start();
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    QCOMPARE(Control<QComboBox>(res::IDC_CATEGORY)->currentText(), QString("Ambient"));
    QCOMPARE(Control<QLineEdit>(res::IDC_YEAR)->text(), QString("1994"));
    QCOMPARE(Control<QLineEdit>(res::IDC_ARTIST)->text(), QString("The Band"));
    QVERIFY(Control<QLineEdit>(res::IDC_ARTIST)->isReadOnly());
    QCOMPARE(Control<QLabel>(res::IDC_SIZE)->text(), QString("2.00"));
    View()->setCurrentIndex(IndexOf({"The Band"}));
    QVERIFY(!Control<QComboBox>(res::IDC_CATEGORY)->isVisible());
    QVERIFY(Control<QLineEdit>(res::IDC_CATEGORY_READONLY)->isVisible());
    // A song's header is read behind the window; a song left before its header came
    // never shows another's.
    View()->setCurrentIndex(FindAnywhere("l"));
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only", "Song One"}));
    QTRY_COMPARE(Control<QLabel>(res::IDC_BITRATE)->text(), QString(""));
    View()->setCurrentIndex(FindAnywhere("l"));
    QTRY_COMPARE(Control<QLabel>(res::IDC_BITRATE)->text(), QString("128 kbit/s, Stereo, 44.1 kHz"));
  }

  void ctrlClicksMarkAndShowTheMarkedSize() {
    Start();
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    View()->expand(IndexOf({"The Band"}));
    View()->expand(IndexOf({"The Band", "One & Only"}));
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      Center(IndexOf({"The Band", "One & Only", "Song One"})));
    QCOMPARE(Control<QLabel>(res::IDC_SIZE)->text(), QString("1.00 (1.00)"));
    QVERIFY(m_frame->Tree().Marks().PlayOrderEnabled());
    // The album is partly marked now: a Ctrl+click unmarks it, the next one marks it whole.
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      Center(IndexOf({"The Band", "One & Only"})));
    QCOMPARE(Control<QLabel>(res::IDC_SIZE)->text(), QString("2.00"));
    QVERIFY(!m_frame->Tree().Marks().PlayOrderEnabled());
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      Center(IndexOf({"The Band", "One & Only"})));
    QCOMPARE(Control<QLabel>(res::IDC_SIZE)->text(), QString("2.00 (2.00)"));
    // A plain click selects and leaves the marks alone.
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, Center(IndexOf({"The Band"})));
    QCOMPARE(Control<QLabel>(res::IDC_SIZE)->text(), QString("2.00 (2.00)"));
  }

  // The window shows a node's open image while it is expanded, however it was opened.
  void anOpenNodeShowsItsOpenImage() {
    Start();
    const auto icon = [this] { return IndexOf({"The Band"}).data(Qt::DecorationRole).value<QIcon>().cacheKey(); };
    View()->collapse(IndexOf({"The Band"}));
    const qint64 closed = icon();
    View()->expand(IndexOf({"The Band"}));
    const qint64 open = icon();
    QVERIFY(open != closed);
    tree::ExpandItem(m_frame->Tree().Item(LibraryModel::HandleOf(IndexOf({"The Band"}))), false);
    QCOMPARE(icon(), closed);
    QVERIFY(!View()->isExpanded(IndexOf({"The Band"})));
  }

  void rightClickShowsTheMenuFittedToTheNode() {
    Start();
    View()->expand(IndexOf({"The Band"}));
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, Center(IndexOf({"The Band", "One & Only"})));
    QCOMPARE(m_ui->menus.size(), size_t{1});
    const auto& menu = m_ui->menus.back();
    QCOMPARE(QString::fromStdString(menu.at(0).text), QString("&Play \"One && Only\" now"));
    QCOMPARE(QString::fromStdString(menu.at(4).text), QString("&Delete album information (album.ini)"));
    QVERIFY(!menu.at(1).enabled);  // nothing marked
    QCOMPARE(View()->currentIndex(), IndexOf({"The Band", "One & Only"}));

    // Empty space: all songs, and the selection stays.
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, QPoint(5, View()->viewport()->height() - 5));
    QCOMPARE(QString::fromStdString(m_ui->menus.back().at(0).text), QString("&Play all songs now"));
    QCOMPARE(View()->currentIndex(), IndexOf({"The Band", "One & Only"}));

    // Shift+F10 opens it for the selected node.
    QTest::keyClick(View(), Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(m_ui->menus.size(), size_t{3});
    QCOMPARE(QString::fromStdString(m_ui->menus.back().at(0).text), QString("&Play \"One && Only\" now"));
  }

  void minimumSizeKeepsTheDetailsPageVisible() {
    Start();
    const auto check = [this] {
      const QWidget* pane = m_frame->Details();
      const QWidget* page = &m_frame->Details()->m_pSheet->m_pageData;
      const int paneRight = pane->mapToGlobal(QPoint(pane->width(), 0)).x();
      const int pageRight = page->mapToGlobal(QPoint(page->width(), 0)).x();
      QCOMPARE(m_frame->minimumWidth(), m_frame->width() - (paneRight - pageRight) + 6);
    };
    check();
    const int before = m_frame->minimumWidth();
    const QList<int> sizes = m_frame->m_wndSplitter->sizes();
    m_frame->m_wndSplitter->setSizes({sizes.at(0) + 100, sizes.at(1) - 100});
    emit m_frame->m_wndSplitter->splitterMoved(sizes.at(0) + 100, 1);
    check();
    QCOMPARE(m_frame->minimumWidth(), before + 100);
  }

  void categoryComboKeepsWhatWasPushed() {
    Start();
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));  // lists its category
    GPropDataPage& page = m_frame->Details()->m_pSheet->m_pageData;
    page.m_strCategory = "pop";
    page.UpdateData(false);
    page.m_strCategory = "";
    QVERIFY(page.UpdateData(true));
    QCOMPARE(QString::fromStdString(page.m_strCategory), QString("pop"));
    page.AddCategory(" ambient ");  // listed already since the album showed it
    page.AddCategory("Metal");
    QComboBox* combo = Control<QComboBox>(res::IDC_CATEGORY);
    QCOMPARE(combo->itemText(0), QString("Ambient"));
    QCOMPARE(combo->findText("Metal"), 6);
    QCOMPARE(combo->count(), 12);
    page.SetReadOnly(false, false);
    QVERIFY(Control<QLineEdit>(res::IDC_ARTIST)->isReadOnly());
    QVERIFY(!Control<QLineEdit>(res::IDC_YEAR)->isReadOnly());
  }

  void aboutBoxShowsVersionAndAddresses() {
    Start();
    QString title, web, mail, version;
    bool webReadOnly = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(box);
      title = box->windowTitle();
      web = box->findChild<QLineEdit*>("1001")->text();
      webReadOnly = box->findChild<QLineEdit*>("1001")->isReadOnly();
      mail = box->findChild<QLineEdit*>("1002")->text();
      for (auto* label : box->findChildren<QLabel*>()) {
        if (label->text().startsWith("Melodeck version")) version = label->text();
      }
      box->accept();
    });
    m_frame->Action(res::ID_APP_ABOUT)->trigger();
    QCOMPARE(title, QString("About Melodeck"));
    QCOMPARE(version, QString("Melodeck version 1.50"));
    QVERIFY(webReadOnly);
    QVERIFY(!web.isEmpty() && mail.contains('@'));
  }

  void f2RenamesALooseSongOnDisk() {
    Start();
    const QModelIndex song = FindAnywhere("l");
    QVERIFY(song.isValid());
    auto* editor = EditLabel(song);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QString("l"));
    editor->setText("Renamed");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(QFile::exists(QString::fromStdString(Lib() + "loose/Renamed.mp3")));
    QVERIFY(!QFile::exists(QString::fromStdString(Lib() + "loose/l.mp3")));
    QVERIFY(FindAnywhere("Renamed").isValid());

    // Escape cancels: nothing changes.
    View()->setCurrentIndex(FindAnywhere("Renamed"));
    QTest::keyClick(View(), Qt::Key_F2);
    editor = View()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("Other");
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(QFile::exists(QString::fromStdString(Lib() + "loose/Renamed.mp3")));
    QVERIFY(FindAnywhere("Renamed").isValid());

    // The context menu's Rename opens the same editor.
    m_ui->menuAnswers = {res::ID_RENAME_NODE};
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, Center(FindAnywhere("Renamed")));
    QVERIFY(View()->viewport()->findChild<QLineEdit*>());
  }

  void aRenameEndedByAClickElsewhereRenamesOnlyTheEditedNode() {
    WriteFile(Lib() + "loose/a.mp3", testing_support::SilentMp3Frames(1));
    WriteFile(Lib() + "loose/b.mp3", testing_support::SilentMp3Frames(1));
    Start();
    View()->setCurrentIndex(FindAnywhere("a"));
    QTest::keyClick(View(), Qt::Key_F2);
    auto* editor = View()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("renamed");
    // Clicking another node ends the edit and selects that node.
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, Center(FindAnywhere("b")));
    QCoreApplication::processEvents();
    QVERIFY(QFile::exists(QString::fromStdString(Lib() + "loose/renamed.mp3")));
    QVERIFY(QFile::exists(QString::fromStdString(Lib() + "loose/b.mp3")));
    QVERIFY(FindAnywhere("renamed").isValid());
    QVERIFY(FindAnywhere("b").isValid());
    QVERIFY(!FindAnywhere("a").isValid());
  }

  void f5AndEnterScanExactlyTheTypedPath() {
    WriteFile(m_dir->path() + "lib2/x/only.mp3", testing_support::SilentMp3Frames(1));
    WriteFile(m_dir->path() + "Melodeck.ini", "[Folders]\n1=" + m_dir->path() + "lib2\n");
    Start(false);
    QLineEdit* edit = m_frame->m_wndPathCombo->lineEdit();
    edit->clear();
    edit->setFocus();
    const QString typed = QString::fromStdString(m_dir->path() + "lib");  // a prefix of the history's lib2
    QTest::keyClicks(edit, typed);
    QCOMPARE(m_frame->m_wndPathCombo->currentText(), typed);
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    QTest::keyClick(m_frame.get(), Qt::Key_F5);
    QVERIFY(refreshed.wait(5000));
    QCOMPARE(QString::fromStdString(m_frame->m_strScanPath), typed);
    QVERIFY(IndexOf({"The Band"}).isValid());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);  // Enter in the path box refreshes too
    QVERIFY(refreshed.wait(5000));
    QCOMPARE(refreshed.count(), 2);
    QCOMPARE(QString::fromStdString(m_frame->m_strScanPath), typed);
  }

  // The path box and the rename guard read a path alike: "~/Music" typed and entered
  // guards the folder "Music" as its full path would.
  void aLibraryFolderTypedWithATildeKeepsItsName() {
    WriteFile(m_dir->path() + "home/Music/s.mp3", testing_support::SilentMp3Frames(1));
    Start();
    QLineEdit* edit = m_frame->m_wndPathCombo->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "~/Music");
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(refreshed.wait(5000));
    const QModelIndex music = FindAnywhere("Music");
    QVERIFY(music.isValid());
    auto* editor = EditLabel(music);
    QVERIFY(editor);
    editor->setText("Renamed");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(QString::fromStdString(m_ui->Last().text).contains("holds the library folder"));
    QVERIFY(QFile::exists(QString::fromStdString(m_dir->path() + "home/Music/s.mp3")));
  }

  void refreshScansBehindTheWindowAndStopKeepsTheOldTree() {
    Start();
    const std::string before = DumpTree(m_frame->Tree(), m_frame->Tree().Top());
    WriteFile(Lib() + "b/new.mp3", testing_support::SilentMp3Frames(1));  // the next scan finds it
    m_frame->Action(res::ID_REFRESH)->trigger();
    QVERIFY(m_frame->Scanning());
    QCOMPARE(m_frame->Action(res::ID_REFRESH)->text(), QString("S&top"));
    QVERIFY(!m_frame->Action(res::ID_FILE_NEW)->isEnabled());
    QVERIFY(!m_frame->Available(res::ID_DELETE_NODE));
    QTest::keyClick(m_frame.get(), Qt::Key_Escape);
    QTRY_VERIFY(!m_frame->Scanning());
    QCOMPARE(DumpTree(m_frame->Tree(), m_frame->Tree().Top()), before);
    QCOMPARE(m_frame->statusBar()->currentMessage(), QString("Refresh stopped: the tree shows the library as before"));
    QCOMPARE(m_frame->Action(res::ID_REFRESH)->text(), QString("&Refresh"));
    QVERIFY(m_frame->Action(res::ID_FILE_NEW)->isEnabled());

    // A scan to its end shows, node for node, what a Refresh at once shows; the
    // expanded album stays expanded.
    const QModelIndex album = IndexOf({"The Band", "One & Only"});
    View()->expand(album);
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->Action(res::ID_REFRESH)->trigger();
    QVERIFY(refreshed.wait(5000));
    STreeView reference;
    reference.SetSettingsPaths({m_dir->path(), m_dir->path() + "Melodeck.ini"});
    reference.Refresh(m_frame->m_strScanPath);
    QCOMPARE(DumpTree(m_frame->Tree(), m_frame->Tree().Top()), DumpTree(reference, reference.Top()));
    QVERIFY(View()->isExpanded(IndexOf({"The Band", "One & Only"})));
    QVERIFY(FindAnywhere("new").isValid());
  }

  // The next start shows the tree the last window saved at once, says it is being
  // checked, then shows what changed on disk meanwhile; Shift+F5 scans everything.
  void aNewWindowStartsFromTheSavedTree() {
    Start();
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(IndexOf({"The Band"})));
    m_frame->close();
    m_frame.reset();
    WriteFile(Lib() + "loose/later.mp3", testing_support::SilentMp3Frames(1));
    WriteFile(Lib() + "a/album.ini", "[Album:One & Only]\nArtist=The Band\nT1=1.mp3, Song One\nT2=2.mp3, Song Two\n"
                                     "T3=3.mp3, Song Three\n");
    WriteFile(Lib() + "a/3.mp3", testing_support::SilentMp3Frames(1));
    NewFrame();
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->StartFirstScan();
    QTRY_VERIFY(m_frame->Scanning());
    QVERIFY(m_frame->RunningScan() == nullptr);  // no scan: a check of the saved tree
    QVERIFY(IndexOf({"The Band", "One & Only"}).isValid());
    QCOMPARE(m_frame->statusBar()->currentMessage(), QString("Checking the tree against the disk (Esc stops)"));
    // The marks and the selection the last window left come back with the tree.
    QCOMPARE(m_frame->Tree().Marks().MarkedSize(), std::int64_t{2 * 1048576});
    QCOMPARE(View()->currentIndex(), IndexOf({"The Band"}));
    // What the user does to the old tree meanwhile stays once the true one is in.
    View()->expand(IndexOf({"The Band", "One & Only"}));
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only", "Song Two"}));
    QVERIFY(refreshed.wait(5000));
    QVERIFY(View()->isExpanded(IndexOf({"The Band", "One & Only"})));
    QCOMPARE(View()->currentIndex(), IndexOf({"The Band", "One & Only", "Song Two"}));
    QCOMPARE(m_frame->Tree().Marks().MarkedSize(), std::int64_t{2 * 1048576});
    QVERIFY(IndexOf({"The Band", "One & Only", "Song Three"}).isValid());
    QVERIFY(m_frame->Action(res::ID_PLAY_ORDER)->isEnabled());
    QVERIFY(FindAnywhere("later").isValid());
    QCOMPARE(m_frame->statusBar()->currentMessage(), QString("Ready"));
    // The saved tree's folders are watched once it is checked.
    WriteFile(Lib() + "b/watched.mp3", testing_support::SilentMp3Frames(1));
    QTRY_VERIFY_WITH_TIMEOUT(FindAnywhere("watched").isValid(), 5000);
    QVERIFY(m_frame->RunningScan() == nullptr);

    QAction* rescan = m_frame->Action(res::ID_RESCAN_ALL);
    QCOMPARE(rescan->text(), QString("Rescan everything"));
    QCOMPARE(rescan->shortcut(), QKeySequence("Shift+F5"));
    rescan->trigger();
    QVERIFY(m_frame->RunningScan() != nullptr);
    QVERIFY(refreshed.wait(5000));
    QVERIFY(FindAnywhere("later").isValid());
  }

  // What other programs change shows by itself, in place; a label being edited is
  // never disturbed: the change waits until the edit ends.
  void outsideChangesShowByThemselves() {
    Start();
    WriteFile(Lib() + "loose/later.mp3", testing_support::SilentMp3Frames(1));
    QTRY_VERIFY_WITH_TIMEOUT(FindAnywhere("later").isValid(), 5000);
    QVERIFY(m_frame->RunningScan() == nullptr);  // read again, not scanned

    auto* editor = EditLabel(IndexOf({"The Band", "One & Only"}));
    QVERIFY(editor);
    WriteFile(Lib() + "loose/during.mp3", testing_support::SilentMp3Frames(1));
    QTest::qWait(800);
    QVERIFY(!FindAnywhere("during").isValid());
    QVERIFY(editor->isVisible());
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(FindAnywhere("during").isValid(), 5000);

    // With the filter on, a new song that matches shows among the matches.
    m_frame->m_wndFilterBox->setText("lat");
    m_frame->ApplyFilter();
    QVERIFY(FindAnywhere("later").isValid());
    QVERIFY(!FindAnywhere("during").isValid());
    WriteFile(Lib() + "loose/latest.mp3", testing_support::SilentMp3Frames(1));
    QTRY_VERIFY_WITH_TIMEOUT(FindAnywhere("latest").isValid(), 5000);
    QVERIFY(!FindAnywhere("during").isValid());
  }

  // A folder on a network drive reports no changes: the status bar says so once, and
  // the folder is checked when the user comes back to the window.
  void foldersNoWatchReportsOnAreCheckedOnActivation() {
    testing_support::FakeVolumes volumes;
    volumes.Add(Lib() + "nas/", "NAS", platform::DriveType::Network);
    WriteFile(Lib() + "nas/far.mp3", testing_support::SilentMp3Frames(1));
    Start();
    const QString told = "1 folder(s) cannot be watched (too many folders, network drives or FUSE mounts): they are "
                         "checked when the window is activated and on F5";
    QTRY_COMPARE(m_frame->statusBar()->currentMessage(), told);
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    // Folders changed just before they were read are read once more, once watched.
    QTRY_VERIFY(!m_frame->WatchStarting() && !m_frame->Scanning() && !m_frame->ChangesWaiting());

    WriteFile(Lib() + "nas/farther.mp3", testing_support::SilentMp3Frames(1));
    QTest::qWait(800);
    QVERIFY(!FindAnywhere("farther").isValid());
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    QTRY_VERIFY_WITH_TIMEOUT(FindAnywhere("farther").isValid(), 5000);
    QVERIFY(m_frame->RunningScan() == nullptr);  // read again, not scanned

    RefreshPath(Lib());
    QTRY_VERIFY(!m_frame->WatchStarting());
    QCOMPARE(m_frame->statusBar()->currentMessage(), QString("Ready"));  // said once
  }

  // Stop pressed after the scan's thread has finished but before the window took its
  // tree: the tree stays as it was, as for any stopped scan.
  void stopAfterTheScansEndKeepsTheOldTree() {
    Start();
    const std::string before = DumpTree(m_frame->Tree(), m_frame->Tree().Top());
    WriteFile(Lib() + "b/new.mp3", testing_support::SilentMp3Frames(1));
    m_frame->Action(res::ID_RESCAN_ALL)->trigger();
    while (!m_frame->RunningScan()->Finished()) QThread::yieldCurrentThread();
    QTest::keyClick(m_frame.get(), Qt::Key_Escape);
    QTRY_VERIFY(!m_frame->Scanning());
    QCOMPARE(DumpTree(m_frame->Tree(), m_frame->Tree().Top()), before);
    QCOMPARE(m_frame->statusBar()->currentMessage(), QString("Refresh stopped: the tree shows the library as before"));
  }

  // Closing the window while its scan runs: the scan stops with it, and what the scan
  // posted at its end never reaches the window that is gone.
  void closingTheWindowDuringAScanLeavesNothingBehind() {
    Start();
    for (int i = 0; i < 200; ++i) WriteFile(Lib() + "many/" + std::to_string(i) + "/s.mp3", "x");
    m_frame->Action(res::ID_RESCAN_ALL)->trigger();
    QVERIFY(m_frame->Scanning());
    const size_t messages = m_ui->messages.size();
    m_frame->close();
    m_frame.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(m_ui->messages.size(), messages);
    NewFrame();  // a new window starts as usual
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->StartFirstScan();
    QVERIFY(refreshed.wait(5000));
    QVERIFY(FindAnywhere("s").isValid());
  }

  void playTimeFillsInForSongAlbumAndTop() {
    WriteFile(Lib() + "p/album.ini", "[Album:Long]\nArtist=Player\nT1=x.mp3, X\nT2=y.mp3, Y\n");
    WriteFile(Lib() + "p/x.mp3", testing_support::SilentMp3Frames(2300));  // 60.08 s
    WriteFile(Lib() + "p/y.mp3", testing_support::SilentMp3Frames(1150));  // 30.04 s
    Start();
    auto* field = m_frame->findChild<QLabel*>(QString::number(res::IDC_PLAYTIME));
    QVERIFY(field);
    View()->setCurrentIndex(IndexOf({"Player", "Long", "X"}));
    QTRY_COMPARE(field->text(), QString("1:00"));
    View()->setCurrentIndex(IndexOf({"Player", "Long"}));
    QTRY_COMPARE(field->text(), QString("1:30"));
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(IndexOf({"Player", "Long", "Y"})));
    View()->setCurrentIndex(IndexOf({}));  // the top node: the library's songs, the marked one apart
    QTRY_COMPARE(field->text(), QString("1:30 (0:30)"));
    // Elsewhere the play time's bracket is empty, the size's still counts every marked
    // song, and the labels say so.
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    QTRY_VERIFY(!field->text().isEmpty() && !field->text().contains(QString::fromUtf8("\u2026")));
    QVERIFY2(!field->text().contains('('), qPrintable(field->text()));
    QVERIFY2(Control<QLabel>(res::IDC_SIZE)->text().endsWith(")"), qPrintable(Control<QLabel>(res::IDC_SIZE)->text()));
    QStringList labels;
    for (const auto* label : m_frame->findChildren<QLabel*>()) labels << label->text();
    QVERIFY(labels.contains("Playtime (marked here):") && labels.contains("Size (all marked):"));
    QVERIFY(field->whatsThis().contains("marked songs among them"));
    QVERIFY(Control<QLabel>(res::IDC_SIZE)->whatsThis().contains("all marked songs in the library"));
  }

  // Play times read once come from the cache after a restart, as long as the file's
  // size and time are unchanged; a damaged cache is ignored and written anew.
  void playTimeCacheSurvivesRestartAndDamage() {
    const std::string song = Lib() + "p/x.mp3";
    const std::string cache = m_dir->path() + "cache/melodeck/playtimes";
    WriteFile(Lib() + "p/album.ini", "[Album:Long]\nArtist=Player\nT1=x.mp3, X\n");
    WriteFile(song, testing_support::SilentMp3Frames(2300));  // 60.08 s
    const auto ShownPlayTime = [this](const QString& expected) {
      auto* field = m_frame->findChild<QLabel*>(QString::number(res::IDC_PLAYTIME));
      View()->setCurrentIndex(IndexOf({"Player", "Long", "X"}));
      QTRY_COMPARE(field->text(), expected);
    };
    Start();
    ShownPlayTime("1:00");
    m_frame.reset();
    QVERIFY(QFile::exists(QString::fromStdString(cache)));

    // Silence of the same size and time: only the cache still knows the minute.
    const auto stamp = std::filesystem::last_write_time(song);
    WriteFile(song, std::string(std::filesystem::file_size(song), '\0'));
    std::filesystem::last_write_time(song, stamp);
    Start();
    ShownPlayTime("1:00");
    m_frame.reset();

    WriteFile(cache, "not a play-time cache\n");
    Start();
    ShownPlayTime("0:00");
    m_frame.reset();
    QFile rewritten(QString::fromStdString(cache));
    QVERIFY(rewritten.open(QIODevice::ReadOnly));
    QVERIFY(!rewritten.readAll().startsWith("not a play-time cache"));
  }

  // A node hands its song files to other programs by drag or Ctrl+C, as file URLs;
  // files missing on disk are left out.
  // A title of megabytes is shown cut, painted at once, and stays whole for an edit.
  void aHugeLabelIsShownCutAndKeptWhole() {
    const std::string title = "\xC3\xA9" + std::string(10 << 20, 't');
    WriteFile(Lib() + "h/album.ini", "[Album:Huge]\nArtist=Long\nT1=1.mp3, " + title + "\n");
    WriteFile(Lib() + "h/1.mp3", testing_support::SilentMp3Frames(3));
    Start();
    View()->expandAll();
    const QModelIndex song = View()->Model()->index(0, 0, IndexOf({"Long", "Huge"}));
    const QString shown = song.data(Qt::DisplayRole).toString();
    QCOMPARE(shown.size(), 1001);
    QVERIFY(shown.startsWith(QString::fromUtf8("\xC3\xA9tt")));
    QVERIFY(shown.endsWith(QChar(0x2026)));
    QCOMPARE(song.data(Qt::EditRole).toString().size(), static_cast<qsizetype>(title.size() - 1));
    View()->scrollTo(song);
    QVERIFY(!View()->grab().isNull());
  }

  void dragAndCopyOfferTheSongFiles() {
    WriteFile(Lib() + "m/album.ini", "[Album:Half There]\nArtist=Lost\nT1=here.mp3, Here\nT2=gone.mp3, Gone\n");
    WriteFile(Lib() + "m/here.mp3", testing_support::SilentMp3Frames(3));
    Start();
    const auto Urls = [this](const QModelIndex& index) {
      std::unique_ptr<QMimeData> data(View()->SongFilesData(index));
      return data && data->hasFormat("text/uri-list") ? data->urls() : QList<QUrl>{};
    };
    const auto File = [this](const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(Lib() + path)); };
    QCOMPARE(Urls(IndexOf({"Lost", "Half There"})), QList<QUrl>{File("m/here.mp3")});
    QCOMPARE(Urls(IndexOf({"The Band"})), (QList<QUrl>{File("a/1.mp3"), File("a/2.mp3")}));
    QCOMPARE(Urls(IndexOf({"The Band", "One & Only", "Song Two"})), QList<QUrl>{File("a/2.mp3")});
    QCOMPARE(Urls(FindAnywhere("loose")), QList<QUrl>{File("loose/l.mp3")});
    QVERIFY(!View()->SongFilesData(IndexOf({"Lost", "Half There", "Gone"})));
    QVERIFY(View()->model()->flags(IndexOf({"The Band"})) & Qt::ItemIsDragEnabled);

    View()->setCurrentIndex(IndexOf({"The Band"}));
    QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QVERIFY(copied);
    QCOMPARE(copied->urls(), (QList<QUrl>{File("a/1.mp3"), File("a/2.mp3")}));
    QCOMPARE(copied->text(), QString::fromStdString(Lib() + "a/1.mp3\n" + Lib() + "a/2.mp3"));
  }

  // The filter box shows the nodes containing the text (case and accents aside) with
  // what leads to them; a mark made while filtered takes the whole node; Esc shows
  // the whole tree again, marks included.
  void filterShowsMatchesAndMarksTakeWholeNodes() {
    WriteFile(Lib() + "c/album.ini", "[Album:Café Songs]\nArtist=Zoë\nT1=x.mp3, Crème\nT2=y.mp3, Plain\n");
    WriteFile(Lib() + "c/x.mp3", testing_support::SilentMp3Frames(3));
    WriteFile(Lib() + "c/y.mp3", testing_support::SilentMp3Frames(3));
    Start();
    auto* box = Control<QLineEdit>(res::IDC_FILTER_BOX);
    QVERIFY(box);
    QCOMPARE(m_frame->Action(res::ID_FIND)->shortcut(), QKeySequence(QKeySequence::Find));
    m_frame->Action(res::ID_FIND)->trigger();
    QTest::keyClicks(box, "CAFE");
    QTRY_VERIFY(View()->Model()->Filter().Active());
    const auto model = View()->Model();
    QCOMPARE(model->rowCount(), 1);  // the top node; the volume of loose files has no match
    QCOMPARE(model->rowCount(IndexOf({})), 1);
    const QModelIndex album = IndexOf({"Zoë", "Café Songs"});
    QVERIFY(album.isValid());
    QVERIFY(View()->isExpanded(IndexOf({"Zoë"})));
    QCOMPARE(model->rowCount(album), 0);  // its songs do not match
    QVERIFY(m_frame->statusBar()->currentMessage().startsWith("0 song(s) match the filter."));

    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(album));
    box->clear();
    QTest::keyClicks(box, "creme");
    QTRY_COMPARE(model->Filter().Text(), std::string("creme"));
    QVERIFY(IndexOf({"Zoë", "Café Songs", "Crème"}).isValid());
    QVERIFY(!IndexOf({"Zoë", "Café Songs", "Plain"}).isValid());
    QVERIFY(m_frame->statusBar()->currentMessage().startsWith("1 song(s) match the filter."));
    // Selecting a shown node fills the details pane as usual.
    View()->setCurrentIndex(IndexOf({"Zoë", "Café Songs"}));
    QCOMPARE(m_frame->findChild<QLineEdit*>(QString::number(res::IDC_ARTIST))->text(), QString("Zoë"));

    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QString());
    QVERIFY(!model->Filter().Active());
    QVERIFY(View()->hasFocus() || !m_frame->isActiveWindow());
    const auto mark = [this](const QStringList& labels) {
      return m_frame->Tree().Tree()->GetMark(LibraryModel::HandleOf(IndexOf(labels)));
    };
    QVERIFY(mark({"Zoë", "Café Songs", "Plain"}) == tree::Mark::Marked);  // hidden, marked all the same
    QVERIFY(mark({"Zoë", "Café Songs", "Crème"}) == tree::Mark::Marked);
    QVERIFY(mark({"The Band", "One & Only", "Song One"}) == tree::Mark::None);
    QVERIFY(FindAnywhere("l").isValid());
  }

  // Edits while filtered act on the real nodes, and the filter applies afterwards.
  void editsWhileFilteredActOnTheRealNodes() {
    Start();
    auto* box = Control<QLineEdit>(res::IDC_FILTER_BOX);
    QTest::keyClicks(box, "song");
    QTRY_VERIFY(View()->Model()->Filter().Active());
    QVERIFY(IndexOf({"The Band", "One & Only", "Song One"}).isValid());
    QVERIFY(!FindAnywhere("l").isValid());

    // Renamed out of the filter: the song leaves the filtered tree, the file is renamed.
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only", "Song Two"}));
    QTest::keyClick(View(), Qt::Key_F2);
    auto* editor = View()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("Tune");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(ReadFile(Lib() + "a/album.ini").find("T2=2.mp3, Tune") != std::string::npos);
    QTRY_VERIFY(!IndexOf({"The Band", "One & Only", "Tune"}).isValid());
    QVERIFY(!IndexOf({"The Band", "One & Only", "Song Two"}).isValid());
    QVERIFY(IndexOf({"The Band", "One & Only", "Song One"}).isValid());

    // Deleted while filtered: the shown song leaves its catalogue (its file stays).
    m_ui->menuAnswers = {res::ID_DELETE_NODE};
    m_ui->messageAnswers = {platform::IDYES};
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, Center(IndexOf({"The Band", "One & Only", "Song One"})));
    QVERIFY(QString::fromStdString(m_ui->Last().text).startsWith("The song \"Song One\" will be deleted from the album!"));
    QCOMPARE(ReadFile(Lib() + "a/album.ini").find("Song One"), std::string::npos);
    QCOMPARE(View()->Model()->rowCount(IndexOf({})), 0);

    // The whole tree again: the artists as a fresh scan shows them, the song's file
    // among the loose files.
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(IndexOf({"The Band", "One & Only", "Tune"}).isValid());
    STreeView reference;
    reference.SetSettingsPaths({m_dir->path(), m_dir->path() + "Melodeck.ini"});
    reference.Refresh(m_frame->m_strScanPath);
    const TreeItem artist = m_frame->Tree().Top().FirstChild();
    QCOMPARE(DumpTree(m_frame->Tree(), artist), DumpTree(reference, reference.Top().FirstChild()));
    QVERIFY(FindAnywhere("1").isValid());
  }

  // What the window promises holds: an unchanged rename changes nothing, Esc in the
  // tree shows all again, the Delete key is the menu's Delete with its question, and
  // the empty-library hint waits for a scan to find nothing.
  void keysAndRenamesKeepTheirWord() {
    Start();
    const std::string catalogue = Lib() + "a/album.ini";
    const QDateTime written = QFileInfo(QString::fromStdString(catalogue)).lastModified();
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(IndexOf({"The Band"})));
    QVERIFY(m_frame->Action(res::ID_PLAY_ORDER)->isEnabled());
    auto* editor = EditLabel(IndexOf({"The Band"}));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(QFileInfo(QString::fromStdString(catalogue)).lastModified(), written);
    QVERIFY(m_frame->Tree().Marks().GetMark(m_frame->Tree().Item(LibraryModel::HandleOf(IndexOf({"The Band"})))) == tree::Mark::Marked);
    QVERIFY(m_frame->Action(res::ID_PLAY_ORDER)->isEnabled());
    // Renamed, the artist keeps its open albums and its marks.
    View()->expand(IndexOf({"The Band"}));
    View()->expand(IndexOf({"The Band", "One & Only"}));
    editor = EditLabel(IndexOf({"The Band"}));
    editor->setText("The Group");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(View()->isExpanded(IndexOf({"The Group"})));
    QVERIFY(View()->isExpanded(IndexOf({"The Group", "One & Only"})));
    QVERIFY(m_frame->Tree().Marks().GetMark(m_frame->Tree().Item(LibraryModel::HandleOf(IndexOf({"The Group"})))) == tree::Mark::Marked);
    QCOMPARE(m_frame->Tree().Marks().MarkedSize(), std::int64_t{2 * 1048576});

    auto* box = Control<QLineEdit>(res::IDC_FILTER_BOX);
    QTest::keyClicks(box, "song one");
    QTRY_VERIFY(View()->Model()->Filter().Active());
    View()->setFocus();
    QTest::keyClick(View(), Qt::Key_Escape);
    QVERIFY(!View()->Model()->Filter().Active());
    QVERIFY(box->text().isEmpty());

    View()->setCurrentIndex(FindAnywhere("l"));
    m_ui->messageAnswers = {platform::IDNO};
    QTest::keyClick(View(), Qt::Key_Delete);
    QCOMPARE(QString::fromStdString(m_ui->Last().text), QString("The file \"l.mp3\" will be deleted!\n\nAre you sure?"));
    QVERIFY(QFile::exists(QString::fromStdString(Lib() + "loose/l.mp3")));
    m_ui->messageAnswers = {platform::IDYES};
    QTest::keyClick(View(), Qt::Key_Delete);
    QVERIFY(!QFile::exists(QString::fromStdString(Lib() + "loose/l.mp3")));

    // A scan of an empty folder: no hint while it runs, the hint once it found nothing.
    m_frame.reset();
    QDir().mkpath(QString::fromStdString(m_dir->path() + "empty"));
    WriteFile(m_dir->path() + "Melodeck.ini", "[Folders]\n1=" + m_dir->path() + "empty\n");
    NewFrame();
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    m_frame->StartFirstScan();
    auto* hint = View()->viewport()->findChild<QLabel*>(QString::number(res::IDC_EMPTY_HINT));
    QVERIFY(hint);
    QVERIFY(!hint->isVisible());
    QVERIFY(refreshed.wait(5000));
    QVERIFY(hint->isVisible());
  }

  // F5 keeps the marks of the songs still there, and what is marked is what plays.
  void refreshKeepsTheMarksOfTheSongsStillThere() {
    WriteFile(Lib() + "loose/k.mp3", testing_support::SilentMp3Frames(1));
    Start();
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(IndexOf({"The Band"})));
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(FindAnywhere("l")));
    QFile::remove(QString::fromStdString(Lib() + "loose/l.mp3"));
    QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
    QTest::keyClick(m_frame.get(), Qt::Key_F5);
    QVERIFY(refreshed.wait(5000));
    const auto mark = [this](const QModelIndex& index) {
      return static_cast<int>(m_frame->Tree().Marks().GetMark(m_frame->Tree().Item(LibraryModel::HandleOf(index))));  // as the dump numbers it
    };
    QCOMPARE(mark(IndexOf({"The Band"})), 1);
    QCOMPARE(mark(IndexOf({"The Band", "One & Only", "Song Two"})), 1);
    QCOMPARE(mark(FindAnywhere("k")), 0);
    QCOMPARE(mark(IndexOf({})), 2);  // the top node: partly, the marked loose song is gone
    QVERIFY(!FindAnywhere("l").isValid());
    QVERIFY(m_frame->Action(res::ID_PLAY_ORDER)->isEnabled());
    QCOMPARE(m_frame->Tree().Marks().MarkedSize(), std::int64_t{2 * 1048576});
  }

  // What the window counts as marked is what Play order lists and Play plays, after
  // every step of random marks, renames, deletes, filters and refreshes.
  void markedListedAndPlayedAgreeThroughRandomSteps() {
    for (const unsigned seed : {1u, 2u, 3u}) {
      cleanup();
      init();
      WriteFile(Lib() + "b/album.ini", "[Album:First]\nArtist=Other\nT1=x.mp3, X\nT2=y.mp3, Y\n"
                                       "[Album:Second]\nArtist=Other\nT1=z.mp3, Z\n");
      for (const char* file : {"b/x.mp3", "b/y.mp3", "b/z.mp3", "loose2/deep/m.mp3", "loose2/deep/n.mp3", "loose2/o.mp3"}) {
        WriteFile(Lib() + file, std::string(1000 + std::strlen(file) * 37, 'x'));
      }
      WriteFile(m_dir->path() + "Melodeck.ini", "[Settings]\nDecoder=/bin/true\nPlaylistfile=played.m3u\n[Folders]\n1=" +
                                                    Lib() + "\n");
      Start(false);
      std::mt19937 random(seed);
      const auto pick = [&random](int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); };
      QStringList steps;
      for (int step = 0; step < 30; ++step) {
        std::vector<QModelIndex> nodes;
        View()->expandAll();
        for (QModelIndex index = View()->Model()->index(0, 0); index.isValid(); index = View()->indexBelow(index)) {
          nodes.push_back(index);
        }
        const QModelIndex node = nodes[static_cast<size_t>(pick(static_cast<int>(nodes.size())))];
        const QString label = node.data().toString();
        m_ui->messageAnswers = {platform::IDYES, platform::IDYES, platform::IDYES};
        switch (pick(6)) {
          case 0:
          case 1:
            steps << "mark " + label;
            QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(node));
            break;
          case 2: {
            const QString name = pick(2) == 0 ? label : label + "x";
            steps << "rename " + label + " to " + name;
            if (auto* editor = EditLabel(node)) {
              editor->setText(name);
              QTest::keyClick(editor, Qt::Key_Return);
            }
            break;
          }
          case 3:
            steps << "delete " + label;
            View()->setCurrentIndex(node);
            QTest::keyClick(View(), Qt::Key_Delete);
            break;
          case 4: {
            const QString filter = pick(2) == 0 ? QString() : label.left(2);
            steps << "filter " + filter;
            m_frame->m_wndFilterBox->setText(filter);
            m_frame->ApplyFilter();
            break;
          }
          default: {
            steps << "refresh";
            QSignalSpy refreshed(m_frame.get(), &CMainFrame::refreshed);
            QTest::keyClick(m_frame.get(), Qt::Key_F5);
            QVERIFY(refreshed.wait(5000));
          }
        }
        QCoreApplication::processEvents();
        const QString report = QString("seed %1: %2").arg(seed).arg(steps.join(", "));
        CheckMarkedListedPlayed(report);
        if (QTest::currentTestFailed()) return;
      }
    }
  }

  void deleteAsksAndRemovesTheFile() {
    Start();
    const QModelIndex song = FindAnywhere("l");
    QVERIFY(song.isValid());
    m_ui->menuAnswers = {res::ID_DELETE_NODE};
    m_ui->messageAnswers = {platform::IDNO};
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, Center(song));
    QCOMPARE(QString::fromStdString(m_ui->Last().text), QString("The file \"l.mp3\" will be deleted!\n\nAre you sure?"));
    QVERIFY(QFile::exists(QString::fromStdString(Lib() + "loose/l.mp3")));
    m_ui->menuAnswers = {res::ID_DELETE_NODE};
    m_ui->messageAnswers = {platform::IDYES};
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, Center(song));
    QVERIFY(!QFile::exists(QString::fromStdString(Lib() + "loose/l.mp3")));
    QCOMPARE(View()->Model()->rowCount(View()->Model()->index(0, 0)), 1);  // the emptied volume went too
  }

  // Helpers, not test cases.
 private:
  // Runs work on the modal dialog once it is open.
  void WithDialog(const std::function<void(QDialog*)>& work) {
    QTimer::singleShot(0, [work] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      work(dialog);
    });
  }
  template <typename T>
  static T* In(QDialog* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
  }

 private slots:
  void settingsDialogSavesOnlyOnOk() {
    Start();
    const std::string ini = m_dir->path() + "Melodeck.ini";
    WithDialog([this](QDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Settings"));
      QCOMPARE(In<QLineEdit>(dialog, 1033)->text(), QString("Melodeck.m3u"));
      QCOMPARE(In<QLineEdit>(dialog, 1029)->maxLength(), 100);
      In<QPushButton>(dialog, 1)->click();  // an empty decoder is refused
      QCOMPARE(QString::fromStdString(m_ui->Last().text), QString("Sorry - Can't find such a program :-("));
      QVERIFY(dialog->isVisible());
      In<QLineEdit>(dialog, 1029)->setText("/bin/sh");
      In<QCheckBox>(dialog, 1030)->setChecked(false);
      In<QPushButton>(dialog, 1)->click();
    });
    m_frame->Action(res::ID_SETTINGS)->trigger();
    QCOMPARE(QString::fromStdString(platform::ProfileGetString(ini, "Settings", "Decoder")), QString("/bin/sh"));
    QCOMPARE(QString::fromStdString(platform::ProfileGetString(ini, "Settings", "LongFilenames")), QString("No"));
    QCOMPARE(QString::fromStdString(platform::ProfileGetString(ini, "Settings", "ReadAlbumIni")), QString("Yes"));
  }

  void newAlbumWritesTheCatalogueAndShowsTheAlbum() {
    WriteFile(Lib() + "a/3.mp3", testing_support::SilentMp3Frames(2));
    Start();
    View()->expand(IndexOf({"The Band"}));
    View()->expand(IndexOf({"The Band", "One & Only"}));
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      Center(IndexOf({"The Band", "One & Only", "Song One"})));
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    WithDialog([](QDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Add album"));
      QCOMPARE(In<QComboBox>(dialog, 1035)->currentText(), QString("The Band"));
      auto* songs = In<QListWidget>(dialog, 1040);
      QCOMPARE(songs->count(), 1);
      QCOMPARE(songs->item(0)->text(), QString("3.mp3"));
      QVERIFY(songs->item(0)->isSelected());
      In<QLineEdit>(dialog, 1037)->setText("Added");
      In<QLineEdit>(dialog, 1039)->setText("2024");
      In<QPushButton>(dialog, 1)->click();
    });
    QTest::keyClick(View(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(QString::fromStdString(platform::ProfileGetString(Lib() + "a/album.ini", "Album:Added", "T1")),
             QString("3.mp3, 3"));
    QCOMPARE(QString::fromStdString(platform::ProfileGetString(Lib() + "a/album.ini", "Album:Added", "Year")),
             QString("2024"));
    QCOMPARE(View()->currentIndex(), IndexOf({"The Band", "Added"}));
    QVERIFY(IndexOf({"The Band", "Added", "3"}).isValid());
    // The artist's albums were read anew: what was open stays open, what was marked marked.
    QVERIFY(View()->isExpanded(IndexOf({"The Band"})));
    QVERIFY(View()->isExpanded(IndexOf({"The Band", "One & Only"})));
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    QCOMPARE(Control<QLabel>(res::IDC_SIZE)->text(), QString("2.00 (1.00)"));
    QVERIFY(m_frame->Action(res::ID_PLAY_ORDER)->isEnabled());
  }

  void aFolderOfTaggedFilesBecomesAnAlbumWithNoTyping() {
    for (const std::string name : {"01.mp3", "02.mp3", "03.mp3"}) {
      const QString from = QString::fromStdString(std::string(MELODECK_TAG_FIXTURES) + "/album/" + name);
      QDir().mkpath(QString::fromStdString(Lib() + "rip"));
      QVERIFY(QFile::copy(from, QString::fromStdString(Lib() + "rip/" + name)));
    }
    Start();
    View()->setCurrentIndex(FindAnywhere("rip"));
    QString note;
    bool grey = false;
    WithDialog([&](QDialog* dialog) {
      QCOMPARE(In<QComboBox>(dialog, 1035)->currentText(), QString("The Rippers"));
      QCOMPARE(In<QLineEdit>(dialog, 1037)->text(), QString("First Rip"));
      QCOMPARE(In<QLineEdit>(dialog, 1039)->text(), QString("2001"));
      auto* album = In<QLineEdit>(dialog, 1037);
      grey = album->palette().color(QPalette::Text) != dialog->palette().color(QPalette::Text);
      for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->isVisible() && label->text().contains("01.mp3")) note = label->text();
      }
      In<QPushButton>(dialog, 1)->click();
    });
    QTest::keyClick(View(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(grey);  // proposals show as such
    QVERIFY(note.contains("left out"));
    QCOMPARE(QString::fromStdString(ReadFile(Lib() + "rip/album.ini")),
             QString("[Album:First Rip]\nArtist=The Rippers\nCategory=Pop\nYear=2001\n"
                     "T1=02.mp3, Opening\nT2=01.mp3, 01\nT3=03.mp3, 03\n"));
    QVERIFY(IndexOf({"The Rippers", "First Rip", "Opening"}).isValid());
  }

  void theCoverOfTheSelectionShowsBelowTheDetails() {
    Start();
    QImage picture(600, 400, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(QString::fromStdString(Lib() + "a/Cover.PNG")));
    CoverView& cover = m_frame->findChild<SPropertySheet*>()->m_cover;
    QSignalSpy shown(&cover, &CoverView::pictureShown);
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    QVERIFY(shown.wait(5000));
    QCOMPARE(cover.Picture().size(), QSize(600, 400));
    const QPixmap scaled = cover.pixmap();
    QVERIFY(!scaled.isNull());
    QVERIFY(scaled.width() <= cover.width() && scaled.height() <= cover.height());
    // A song of the album shows the album's cover; an artist none.
    View()->expand(IndexOf({"The Band", "One & Only"}));
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only", "Song One"}));
    QCOMPARE(cover.Picture().size(), QSize(600, 400));  // the same source: kept
    View()->setCurrentIndex(IndexOf({"The Band"}));
    QVERIFY(cover.Picture().isNull());
    QVERIFY(cover.pixmap().isNull());
  }

  void addAlbumKeepsTypedFieldsWhenTheCatalogueFieldIsLeft() {
    Start();
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    QString artist, album, year;
    WithDialog([&](QDialog* dialog) {
      In<QComboBox>(dialog, 1035)->setEditText("Typed Artist");
      In<QLineEdit>(dialog, 1037)->setText("Typed Album");
      In<QLineEdit>(dialog, 1039)->setText("1999");
      // Into the catalogue combo and out again by Tab, changing nothing.
      In<QComboBox>(dialog, 1036)->lineEdit()->setFocus();
      QTest::keyClick(In<QComboBox>(dialog, 1036)->lineEdit(), Qt::Key_Tab);
      emit In<QComboBox>(dialog, 1036)->lineEdit()->editingFinished();
      artist = In<QComboBox>(dialog, 1035)->currentText();
      album = In<QLineEdit>(dialog, 1037)->text();
      year = In<QLineEdit>(dialog, 1039)->text();
      In<QPushButton>(dialog, 2)->click();
    });
    QTest::keyClick(View(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(artist, QString("Typed Artist"));
    QCOMPARE(album, QString("Typed Album"));
    QCOMPARE(year, QString("1999"));
  }

  void detailsTypedBeforeExitAreSaved() {
    Start();
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    auto* category = m_frame->findChild<QComboBox*>(QString::number(res::IDC_CATEGORY));
    QVERIFY(category);
    category->setEditText("Jazz");
    m_frame->Action(res::ID_APP_EXIT)->trigger();
    QCOMPARE(QString::fromStdString(platform::ProfileGetString(Lib() + "a/album.ini", "Album:One & Only", "Category")),
             QString("Jazz"));
  }

  void everyToolbarButtonAndFieldSaysWhatItIs() {
    Start();
    QWidget* toolbar = m_frame->findChild<QWidget*>("toolbar");
    QVERIFY(toolbar);
    for (QAction* action : toolbar->actions()) {
      if (action->isSeparator() || qobject_cast<QWidgetAction*>(action)) continue;  // the path box: below
      QVERIFY2(!action->whatsThis().isEmpty(), qPrintable(action->text()));
    }
    QVERIFY(!m_frame->m_wndPathCombo->whatsThis().isEmpty());
    QVERIFY(m_frame->m_wndFilterBox->whatsThis().contains("Esc"));
    QVERIFY(!View()->whatsThis().isEmpty());
    for (const int id : {res::IDC_CATEGORY, res::IDC_YEAR, res::IDC_ARTIST, res::IDC_PLAYTIME, res::IDC_BITRATE,
                         res::IDC_SIZE}) {
      QWidget* field = m_frame->findChild<QWidget*>(QString::number(id));
      QVERIFY(field);
      QVERIFY2(!field->whatsThis().isEmpty(), qPrintable(QString::number(id)));
    }
  }

  // Help > Help Topics (F1) shows how to use Melodeck, from the README.
  void helpTopicsShowsTheUsersHelp() {
    Start();
    QVERIFY(m_frame->Action(res::ID_HELP_INDEX)->isEnabled());
    QString shown;
    WithDialog([&shown](QDialog* help) {
      shown = help->findChild<QTextBrowser*>()->toPlainText();
      help->reject();
    });
    QTest::keyClick(View(), Qt::Key_F1);
    QVERIFY2(shown.startsWith("To play:") && shown.contains("Ctrl+click") && shown.contains("filter"), qPrintable(shown));
    QVERIFY(!shown.contains("## Install"));
  }

  // The window's place and size and the splitter are kept from one run to the next.
  void windowAndSplitterAreKeptBetweenRuns() {
    Start();
    m_frame->resize(900, 600);
    m_frame->m_wndSplitter->setSizes({300, 600});
    QCoreApplication::processEvents();
    const QList<int> chosen = m_frame->m_wndSplitter->sizes();
    m_frame->close();
    m_frame.reset();
    Start();
    QCOMPARE(m_frame->size(), QSize(900, 600));
    QCOMPARE(m_frame->m_wndSplitter->sizes(), chosen);
  }

  void keyboardMenusOpenAtTheSelectedRow() {
    Start();
    const QModelIndex album = IndexOf({"The Band", "One & Only"});
    View()->setCurrentIndex(album);
    const QRect row = View()->visualRect(album);
    const QPoint place = View()->viewport()->mapFromGlobal(View()->MenuPlaceForSelection());
    QVERIFY(place.y() >= row.top() && place.y() <= row.bottom() + 1);
    QVERIFY(place.x() >= row.left() && place.x() <= row.right());
    m_ui->menuAnswers = {0};
    QTest::keyClick(View(), Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(m_ui->menus.size(), size_t(1));  // the menu of the selected album
    QCOMPARE(QString::fromStdString(m_ui->menus.back()[0].text), QString("&Play \"One && Only\" now"));
  }

  void fetchStringReadsTheApplicationsStringTable() {
    Start();
    char buffer[64];
    const int copied = fetchString(res::ID_REFRESH, buffer, sizeof buffer);
    QCOMPARE(copied, int(std::strlen(buffer)));
    QCOMPARE(QString(buffer), QString("Scan the path and refresh the tree\nRefresh"));
  }

  void anArtistRenamedOntoAnotherShowsTheMergedArtist() {
    WriteFile(Lib() + "b/album.ini", "[Album:Two]\nArtist=Other\nT1=3.mp3, Three\n");
    WriteFile(Lib() + "b/3.mp3", std::string(1048576, '\0'));
    Start();
    View()->setCurrentIndex(IndexOf({"Other"}));
    QTest::keyClick(View(), Qt::Key_F2);
    auto* editor = View()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("The Band");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(!IndexOf({"Other"}).isValid());
    QVERIFY(IndexOf({"The Band", "Two"}).isValid());
    QCOMPARE(View()->currentIndex(), IndexOf({"The Band"}));
    // The details show the merged artist: both albums' songs.
    auto* size = m_frame->findChild<QLabel*>(QString::number(res::IDC_SIZE));
    QVERIFY(size);
    QCOMPARE(size->text(), QString("3.00"));
  }

  void playOrderPlaysTheMarkedSongs() {
    TempDir playerDir;
    WriteFile(m_dir->path() + "Melodeck.ini", "[Settings]\nDecoder=" + testing_support::MakeRecordingPlayer(playerDir, "p.sh") +
                                                  "\n[Folders]\n1=" + Lib() + "\n");
    Start(false);
    View()->expand(IndexOf({"The Band"}));
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(IndexOf({"The Band", "One & Only"})));
    QVERIFY(m_frame->Action(res::ID_PLAY_ORDER)->isEnabled());
    WithDialog([](QDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Play order"));
      QCOMPARE(In<QListView>(dialog, 1017)->model()->index(0, 0).data().toString(), QString("The Band"));
      auto* songs = In<QListView>(dialog, 1019);
      QCOMPARE(songs->model()->rowCount(), 2);
      songs->setCurrentIndex(songs->model()->index(1, 0));
      In<QPushButton>(dialog, 1022)->click();  // the second song up
      In<QPushButton>(dialog, 1043)->click();  // Play: the dialog stays open
      QVERIFY(dialog->isVisible());
      In<QPushButton>(dialog, 2)->click();
    });
    m_frame->Action(res::ID_PLAY_ORDER)->trigger();
    QCOMPARE(QString::fromStdString(testing_support::WaitForPlayerArgs(playerDir)),
             QString::fromStdString(m_dir->path() + "Melodeck.m3u\n"));
    QCOMPARE(QString::fromStdString(testing_support::ReadFile(m_dir->path() + "Melodeck.m3u")),
             QString::fromStdString(Lib() + "a/2.mp3\n" + Lib() + "a/1.mp3\n"));
  }

  void playOrderMixedListsTakeTheFreedWidth() {
    Start();
    View()->expand(IndexOf({"The Band"}));
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(IndexOf({"The Band"})));
    WithDialog([](QDialog* dialog) {
      auto* albums = In<QListView>(dialog, 1018);
      auto* songs = In<QListView>(dialog, 1019);
      auto* mix = In<QLabel>(dialog, 1029);
      In<QCheckBox>(dialog, 1015)->click();  // Mix/show all albums
      QCoreApplication::processEvents();
      QVERIFY(!In<QListView>(dialog, 1017)->isVisible());
      QVERIFY(!In<QLabel>(dialog, 1027)->isVisible());  // "Albu&ms:" gives way to the count
      QVERIFY(mix->isVisible());
      QCOMPARE(mix->buddy(), albums);  // so "&" marks the mnemonic and is not shown
      QVERIFY(albums->width() + songs->width() > dialog->width() * 3 / 4);
      In<QCheckBox>(dialog, 1016)->click();  // Mix/show all songs
      QCoreApplication::processEvents();
      QVERIFY(!albums->isVisible());
      QCOMPARE(mix->buddy(), songs);
      QVERIFY(songs->width() > dialog->width() * 3 / 4);
      In<QPushButton>(dialog, 2)->click();
    });
    m_frame->Action(res::ID_PLAY_ORDER)->trigger();
  }

  void dialogsAndPaneGiveTheirTextsRoom() {
    Start();
    // Settings: a real path fits in the decoder field, "..." stays small.
    WithDialog([](QDialog* dialog) {
      auto* decoder = In<QLineEdit>(dialog, 1029);
      QVERIFY(decoder->width() >= decoder->fontMetrics().horizontalAdvance(QString(40, 'x')));
      QVERIFY(In<QPushButton>(dialog, 1031)->width() * 5 < decoder->width());
      In<QPushButton>(dialog, 2)->click();
    });
    m_frame->Action(res::ID_SETTINGS)->trigger();
    // Add album: the catalogue's whole path shows.
    View()->setCurrentIndex(IndexOf({"The Band", "One & Only"}));
    WithDialog([](QDialog* dialog) {
      auto* catalogue = In<QComboBox>(dialog, 1036);
      QVERIFY(catalogue);
      QVERIFY(catalogue->lineEdit()->width() >= catalogue->fontMetrics().horizontalAdvance(catalogue->currentText()));
      In<QPushButton>(dialog, 2)->click();
    });
    m_frame->Action(res::ID_FILE_NEW)->trigger();
    // Play order: "<Folders without album.ini>" is not cut.
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::ControlModifier, Center(FindAnywhere("l")));
    WithDialog([](QDialog* dialog) {
      auto* artists = In<QListView>(dialog, 1017);
      const int rows = artists->model()->rowCount();
      QVERIFY(rows > 0);
      const QString text = artists->model()->index(rows - 1, 0).data().toString();
      QVERIFY(text.startsWith("<"));
      QVERIFY(artists->viewport()->width() >= artists->fontMetrics().horizontalAdvance(text));
      In<QPushButton>(dialog, 2)->click();
    });
    m_frame->Action(res::ID_PLAY_ORDER)->trigger();
    // The details pane's sunken fields draw a whole frame.
    for (const int id : {res::IDC_PLAYTIME, res::IDC_BITRATE, res::IDC_SIZE}) {
      auto* field = m_frame->findChild<QLabel*>(QString::number(id));
      QVERIFY(field);
      QCOMPARE(field->frameShape(), QFrame::StyledPanel);
    }
  }

  void focusMovesBetweenThePanes() {
    Start();
    QApplication::setActiveWindow(m_frame.get());
    View()->setFocus();
    m_frame->Action(res::ID_NEXT_PANE)->trigger();
    QVERIFY(m_frame->Details()->isAncestorOf(QApplication::focusWidget()));
    m_frame->Action(res::ID_PREV_PANE)->trigger();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(View()));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
#include "tree/context_menu.h"
#include "tree/library_marks.h"
