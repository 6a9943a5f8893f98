// BackgroundScan: a Refresh's scan on a thread of its own, into a tree of its own,
// while the window keeps showing the old tree and answering. It also lists the sizes
// of the songs, which the window would otherwise sum on its own thread. The view adopts the new
// tree once the scan has finished (STreeView::AdoptScan).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tree/scan_context.h"
#include "tree/tree_item.h"
#include "tree/tree_model.h"

namespace tree {

class BackgroundScan {
 public:
  // A scan of the ";"-separated path list; the context carries the settings it scans with.
  BackgroundScan(std::string pathList, ScanContext context);
  // Stops the scan and waits for its thread.
  ~BackgroundScan();
  BackgroundScan(const BackgroundScan&) = delete;
  BackgroundScan& operator=(const BackgroundScan&) = delete;

  // Starts the thread; finished, when given, is called on that thread once the scan
  // has finished (to wake the window's thread, which then adopts or drops the tree).
  void Start(std::function<void()> finished = {});
  // Asks the scan to stop; its tree is then never to be adopted, even when it got to
  // the end. Finished() follows soon.
  void Stop() { m_progress.stop.store(true); }
  bool Stopped() const { return m_progress.stop.load(); }
  // The thread is done with the tree: it may be read and adopted.
  bool Finished() const { return m_finished.load(std::memory_order_acquire); }
  // Folders and songs so far.
  std::size_t Folders() const { return m_progress.folders.load(std::memory_order_relaxed); }
  std::size_t Songs() const { return m_progress.songs.load(std::memory_order_relaxed); }

  // Once finished: the new tree's top node, what the scan noted, the path list, and
  // the bytes of all its songs (their sizes are kept in the song nodes).
  const TreeItem& Top() const { return m_top; }
  const ScanContext& Context() const { return m_context; }
  const std::string& PathList() const { return m_pathList; }
  std::int64_t LibrarySize() const { return m_librarySize; }
  // The folders it read, as STreeView::FolderStamps tells them.
  const std::vector<FolderStamp>& FolderStamps() const { return m_stamps; }

 private:
  void Run();

  std::string m_pathList;
  TreeModel m_model;
  TreeItem m_top;
  ScanContext m_context;
  ScanProgress m_progress;
  std::int64_t m_librarySize = 0;
  std::vector<FolderStamp> m_stamps;
  std::atomic<bool> m_finished{false};
  std::function<void()> m_onFinished;
  std::thread m_thread;
};

}  // namespace tree
