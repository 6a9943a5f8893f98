// melodeck-tool watch [--files] [--settings FILE] [--seconds N] PATHLIST: the tree as
// tree prints it, then, after each settled batch of changes on disk, "--" and the
// whole tree again; until N seconds have passed or SIGINT or SIGTERM comes.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <iostream>

#include "commands.h"
#include "tree/library_watch.h"
#include "tree/saved_tree.h"
#include "tree/stree_view.h"
#include "tree/tree_dump.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long the disk must stay quiet before a batch of changes is taken, and how long a
// batch waits at most (the folder above a library folder may never be quiet).
constexpr std::chrono::milliseconds kSettle(200);
constexpr std::chrono::milliseconds kLongestWait(600);

// Brings the tree up to date with the changes gathered: the touched folders read
// again, or the library scanned when that is not enough.
void FollowDisk(STreeView& view, tree::LibraryWatch& watch) {
  if (watch.Apply()) return;
  view.Refresh(view.PathList());
  watch.Follow();
}

void PrintTree(STreeView& view) {
  WriteTree(std::cout, view, view.Top());
  std::cout.flush();
}

}  // namespace

int RunWatchCommand(const std::vector<std::string>& args) {
  constexpr const char* kUsage = "usage: melodeck-tool watch [--files] [--settings FILE] [--seconds N] PATHLIST\n";
  std::vector<std::string> rest;
  std::optional<Clock::time_point> end;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--seconds" && i + 1 < args.size()) {
      double seconds = 0;
      const std::string& value = args[++i];
      const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (error != std::errc() || stop != value.data() + value.size() || seconds < 0) {
        std::cerr << kUsage;
        return 2;
      }
      end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    } else {
      rest.push_back(args[i]);
    }
  }
  const auto arguments = ParseTreeArguments(rest, kUsage);
  if (!arguments) return 2;

  // SIGINT and SIGTERM end the watch like its time running out.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  ::sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);

  STreeView view;
  RefreshAsMelodeck(view, *arguments);
  tree::LibraryWatch watch(view);
  watch.Follow();
  // What changed while the scan read it, before its folders were watched.
  if (const auto changed = tree::ChangedFolders(view.FolderStamps()); !changed.empty()) {
    if (!view.ReadFoldersAgain(changed)) view.Refresh(view.PathList());
    watch.Follow();
  }
  PrintTree(view);

  Clock::time_point batchStarted;
  for (;;) {
    int timeout = -1;
    if (watch.Pending()) {
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - batchStarted);
      timeout = static_cast<int>(std::clamp(kLongestWait - waited, std::chrono::milliseconds(0), kSettle).count());
    }
    if (end) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*end - Clock::now()).count();
      if (left <= 0) break;
      timeout = timeout < 0 ? static_cast<int>(left) : std::min(timeout, static_cast<int>(left));
    }
    pollfd waits[2] = {{watch.Descriptor(), POLLIN, 0}, {signalFd, POLLIN, 0}};
    const int ready = ::poll(waits, signalFd >= 0 ? 2 : 1, timeout);
    if (ready > 0 && (waits[1].revents & POLLIN)) break;
    if (ready > 0 && (waits[0].revents & POLLIN) && timeout != 0) {
      if (!watch.Pending()) batchStarted = Clock::now();
      watch.Gather();
      continue;  // wait until the disk is quiet
    }
    if (watch.Pending() && (ready == 0 || timeout == 0)) {
      // Changes that touched no folder of the library (the folder above it is busy
      // with other things) print nothing.
      const std::uint64_t before = view.Tree()->ContentVersion();
      FollowDisk(view, watch);
      if (view.Tree()->ContentVersion() == before) continue;
      std::cout << "--\n";
      PrintTree(view);
    }
  }
  if (signalFd >= 0) ::close(signalFd);
  return 0;
}
