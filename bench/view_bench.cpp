// The window on a large library, offscreen: Ctrl+click on the top node until the
// marks show, opening Play order with everything marked, its Mix views and Play from
// each of its views, Play of every marked song,
// the longest the window goes without answering its timer during a Refresh, and the
// play time of the whole library read from the files and again, after a Refresh, from
// the play-time cache, and the filter box applied as a user types.
// Usage: view_bench [LIBRARY]   (without one, the default library is generated first)
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <cstdio>
#include <iostream>

#include "bench_timing.h"
#include "catalogue/settings.h"
#include "dialogs/dialog_widgets.h"
#include "dialogs/play_order_dialog.h"
#include "library_generator.h"
#include "library_model.h"
#include "library_view.h"
#include "main_frame.h"
#include "qt_ui_hooks.h"
#include "res/command_line.h"
#include "res/resource_ids.h"
#include "temp_dir.h"
#include "run_program.h"
#include "platform/filesystem.h"
#include "tree/player.h"
#include "tree/scan_context.h"

namespace {

void Settle() { QApplication::processEvents(); }

// Runs the window's event loop until done, asleep between events as a real window is
// (the overload of processEvents with a time limit never blocks: a loop of it would
// take a core from the threads behind the window). A 5 ms timer wakes it to look.
void RunUntil(const std::function<bool()>& done) {
  QTimer look;
  look.start(5);
  while (!done()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The longest gap between ticks of a 10 ms timer while the work runs and for a while
// after, in ms.
double LongestStall(const std::function<void()>& start, const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  qint64 longest = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  ticker.start(10);
  start();
  RunUntil(done);
  // What the new tree posts (the library's size) runs on the window's thread too.
  const qint64 end = clock.elapsed() + 1500;
  RunUntil([&] { return clock.elapsed() >= end; });
  longest = std::max(longest, clock.elapsed() - last);
  return static_cast<double>(longest);
}

// The slowest keystroke, in ms, of typing words into the filter box, each key then
// Backspace until it is empty: from the key until the tree shows what the box holds.
double SlowestFilterKeystrokeMs(CMainFrame& frame) {
  double slowest = 0;
  QLineEdit* box = frame.m_wndFilterBox;
  box->setFocus();
  const auto keystroke = [&](const std::function<void()>& key) {
    const auto start = std::chrono::steady_clock::now();
    key();
    RunUntil([&] { return frame.View()->Model()->Filter().Text() == box->text().toStdString(); });
    frame.View()->viewport()->repaint();
    slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  };
  for (const QString& typed : {QString("title 1"), QString("track"), QString("zzz")}) {
    for (const QChar c : typed) keystroke([&] { QTest::keyClick(box, c.toLatin1()); });
    while (!box->text().isEmpty()) keystroke([&] { QTest::keyClick(box, Qt::Key_Backspace); });
  }
  return slowest;
}

// Whether the details pane still waits for play times ("…").
bool PlayTimesComing(CMainFrame& frame) {
  const QString text = frame.findChild<QLabel*>(QString::number(res::IDC_PLAYTIME))->text();
  return text.isEmpty() || text.endsWith(QString::fromUtf8("\u2026"));
}

// Seconds from selecting the top node until its play time is complete.
double WholePlayTimeSeconds(CMainFrame& frame) {
  const QModelIndex top = frame.View()->model()->index(0, 0);
  frame.View()->setCurrentIndex(top.model()->index(0, 0, top));  // away from the top first
  Settle();
  const auto start = std::chrono::steady_clock::now();
  frame.View()->setCurrentIndex(top);
  Settle();
  RunUntil([&] { return !PlayTimesComing(frame); });
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds for the Play order dialog's answers with everything marked: each Mix view
// filled and shown, and Play from each of its three views.
struct PlayOrderTimes {
  double mixAlbumsOpen = 0, mixSongsOpen = 0, playColumns = 0, playMixed = 0;
};

PlayOrderTimes TimePlayOrderViews(STreeView& tree, QWidget& frame) {
  CPlayOrderDlg dialog(tree.Top(), &tree);
  PlayOrderWidget widget(dialog, &frame);
  widget.show();
  Settle();
  auto* mixAlbums = widget.findChild<QCheckBox*>(QString::number(res::IDC_MIX_ALBUMS));
  auto* mixSongs = widget.findChild<QCheckBox*>(QString::number(res::IDC_MIX_SONGS));
  auto* play = widget.findChild<QPushButton*>(QString::number(res::ID_PLAY_NOW));
  const auto shown = [&](QCheckBox* box) {
    box->click();
    Settle();
    widget.repaint();
  };
  // The best of three switches into a view; the switch back is not timed.
  const auto openSeconds = [&](QCheckBox* box) {
    double best = 1e100;
    for (int i = 0; i < 3; ++i) {
      if (box->isChecked()) shown(box);
      best = std::min(best, BestSeconds(1, [&] { shown(box); }));
    }
    return best;
  };
  PlayOrderTimes times;
  times.playColumns = BestSeconds(3, [&] { play->click(); });
  times.mixAlbumsOpen = openSeconds(mixAlbums);
  const double playAlbums = BestSeconds(3, [&] { play->click(); });
  times.mixSongsOpen = openSeconds(mixSongs);
  times.playMixed = std::max(playAlbums, BestSeconds(3, [&] { play->click(); }));
  widget.close();
  return times;
}

void WaitWhileBusy(CMainFrame& frame) {
  Settle();
  RunUntil([&] { return !frame.Scanning() && !frame.WatchStarting(); });
  Settle();
}

// The CPU time of the whole program (all its threads) the work takes, in seconds.
double CpuSeconds(const std::function<void()>& work) {
  const auto now = [] {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
  };
  const double start = now();
  work();
  return now() - start;
}

// Whether an album of the folder shows in the tree.
bool ShowsFolder(STreeView& tree, const std::string& folder) {
  for (TreeItem artist = tree.Top().FirstChild(); !artist.IsNull(); artist = artist.NextSibling()) {
    for (TreeItem album = artist.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
      if (album.Data().value_or("") == folder) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: view_bench [LIBRARY]\n"
      "Times marking, Play order, Play and the window's longest stall during a Refresh, offscreen.\n";
  if (const auto status = res::HandleCommonOptions(argc, argv, "view_bench", kUsage, {}, 1)) return *status;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QtUiHooks hooks;
  testing_support::TempDir scratch;
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(scratch / "cache"));  // a cold play-time cache
  std::string library = argc > 1 ? std::string(argv[1]) : scratch / "library/";
  if (library.back() != '/') library += '/';
  if (argc <= 1) {
    std::cout << "generating the library..." << std::endl;
    GenerateLibrary(library, LibraryShape{});
  }
  // The player is a program that exits at once; the playlist goes to the scratch folder.
  const std::string settingsFile = scratch / "Melodeck.ini";
  catalogue::SettingsValues settings;
  settings.decoder = "/bin/true";
  settings.playlistFile = scratch / "bench.m3u";
  catalogue::WriteSettings(settingsFile, settings);

  CMainFrame frame(settingsFile);
  frame.Tree().SetSettingsPaths({scratch.path(), settingsFile});
  frame.show();
  frame.m_wndPathCombo->setEditText(QString::fromStdString(library));
  frame.StartFirstScan();  // posts the first Refresh
  Settle();
  RunUntil([&] { return !frame.Scanning(); });
  for (int i = 0; i < 5; ++i) Settle();
  STreeView& tree = frame.Tree();
  const double playTimeCold = WholePlayTimeSeconds(frame);

  // Marking everything and unmarking it again; the marks show once painted.
  double markTop = 1e100;
  for (int i = 0; i < 3; ++i) {
    for (const bool mark : {true, false}) {
      const auto start = std::chrono::steady_clock::now();
      tree.Marks().ToggleMark(tree.Top());
      Settle();
      frame.View()->viewport()->repaint();
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (mark) markTop = std::min(markTop, seconds);
    }
  }
  tree.Marks().ToggleMark(tree.Top());
  Settle();

  const double playOrderOpen = BestSeconds(3, [&] {
    CPlayOrderDlg dialog(tree.Top(), &tree);
    PlayOrderWidget widget(dialog, &frame);
    widget.show();
    Settle();
    widget.close();
  });
  const double play = BestSeconds(3, [&] { tree.Play().PlayMarked(); });
  const PlayOrderTimes playOrder = TimePlayOrderViews(tree, frame);

  // A scan of everything through the window's command, as the user starts it.
  double stall = 1e100;
  for (int i = 0; i < 3; ++i) {
    stall = std::min(stall, LongestStall([&] { frame.OnRescanAll(); }, [&] { return !frame.Scanning(); }));
  }
  frame.OnRescanAll();  // a new tree knows no play times; the cache does
  WaitWhileBusy(frame);
  const double playTimeWarm = WholePlayTimeSeconds(frame);
  const double filterKeystroke = SlowestFilterKeystrokeMs(frame);

  // F5 after one album folder changed, against a scan of everything: the CPU time of
  // the whole program, the threads behind the window included.
  std::string albumFolder;
  for (TreeItem artist = tree.Top().FirstChild(); albumFolder.empty() && !artist.IsNull(); artist = artist.NextSibling()) {
    if (tree::KindOf(artist) == tree::NodeKind::Artist) albumFolder = artist.FirstChild().Data().value_or("");
  }
  if (albumFolder.empty()) {
    std::cerr << "view_bench: the library has no album\n";
    return 1;
  }
  double rescanOne = 1e100, rescanAll = 1e100;
  // Each starts once the play times the one before asked for are in: a new tree reads
  // them all again from the cache, behind the window.
  const auto quiet = [&] {
    RunUntil([&] { return !frame.Scanning() && !PlayTimesComing(frame); });
  };
  for (int i = 0; i < 3; ++i) {
    quiet();
    testing_support::WriteFile(albumFolder + "bench-added-" + std::to_string(i) + ".mp3", "x");
    rescanOne = std::min(rescanOne, CpuSeconds([&] {
                           frame.OnRefresh();
                           WaitWhileBusy(frame);
                         }));
    quiet();
    rescanAll = std::min(rescanAll, CpuSeconds([&] {
                           frame.OnRescanAll();
                           WaitWhileBusy(frame);
                         }));
  }
  // An album folder another program copies in, until the tree shows it by itself.
  const std::string copied = library + "bench-copied-album/";
  const auto copyStarted = std::chrono::steady_clock::now();
  RunProgram({"/bin/cp", "-r", albumFolder, copied});
  RunUntil([&] { return ShowsFolder(tree, copied); });
  const double watchLatency =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - copyStarted).count();

  // The next start, from the tree this window saves as it closes.
  frame.close();
  const auto created = std::chrono::steady_clock::now();
  CMainFrame next(settingsFile);
  next.Tree().SetSettingsPaths({scratch.path(), settingsFile});
  next.show();
  next.m_wndPathCombo->setEditText(QString::fromStdString(library));
  next.StartFirstScan();
  RunUntil([&] { return next.Tree().Top().HasChildren(); });
  next.View()->viewport()->repaint();
  const double startToTree = std::chrono::duration<double>(std::chrono::steady_clock::now() - created).count();
  Settle();
  RunUntil([&] { return !next.Scanning(); });
  const double startChecked = std::chrono::duration<double>(std::chrono::steady_clock::now() - created).count();
  // The watch starts once the tree is checked; the floor is measured after.
  WaitWhileBusy(next);
  const double startWatched = std::chrono::duration<double>(std::chrono::steady_clock::now() - created).count();
  // The least a check can do: the attributes of every folder the tree was read from.
  const double attributesFloor = BestSeconds(3, [&] {
    for (const tree::FolderStamp& stamp : next.Tree().FolderStamps()) platform::StampOf(stamp.folder);
  });
  std::printf("nodes %zu\n", tree.Tree()->Count());
  std::printf("mark_top_s=%.3f play_order_open_s=%.3f play_s=%.3f longest_stall_ms=%.0f\n", markTop, playOrderOpen,
              play, stall);
  std::printf("mix_albums_open_s=%.3f mix_songs_open_s=%.3f play_columns_s=%.3f play_mixed_s=%.3f\n",
              playOrder.mixAlbumsOpen, playOrder.mixSongsOpen, playOrder.playColumns, playOrder.playMixed);
  std::printf("playtime_library_cold_s=%.2f playtime_library_cached_s=%.2f\n", playTimeCold, playTimeWarm);
  std::printf("filter_keystroke_ms=%.0f\n", filterKeystroke);
  // What the benchmark added to the library goes again.
  std::filesystem::remove_all(copied);
  for (int i = 0; i < 3; ++i) std::filesystem::remove(albumFolder + "bench-added-" + std::to_string(i) + ".mp3");
  // The check's own share: how long after the saved tree showed the true one did.
  std::printf("start_to_tree_s=%.2f start_checked_s=%.2f checked_after_tree_s=%.3f attributes_floor_s=%.3f\n",
              startToTree, startChecked, startChecked - startToTree, attributesFloor);
  std::printf("start_watched_s=%.2f\n", startWatched);
  std::printf("rescan_one_folder_cpu_ratio=%.3f watch_latency_ms=%.0f\n", rescanOne / rescanAll, watchLatency);
  return 0;
}
