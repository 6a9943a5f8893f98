// BackgroundCheck: the stamps of the tree on show checked against the disk on a thread
// of its own, a stat of every folder the tree was read from, which on a large library
// or a slow disk takes a while. The window keeps answering meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tree/scan_context.h"

namespace tree {

class BackgroundCheck {
 public:
  // first, when given, runs on the check's thread before it, with the stamps, and may
  // leave out those it need not compare: the window starts watching the folders there,
  // so a change made while they are checked is seen by one or the other.
  using First = std::function<void(std::vector<FolderStamp>&)>;
  explicit BackgroundCheck(std::vector<FolderStamp> stamps, First first = {});
  // Waits for the thread.
  ~BackgroundCheck();
  BackgroundCheck(const BackgroundCheck&) = delete;
  BackgroundCheck& operator=(const BackgroundCheck&) = delete;

  // Starts the thread; finished, when given, is called on that thread once the check
  // has ended (to wake the window's thread).
  void Start(std::function<void()> finished = {});
  bool Finished() const { return m_finished.load(std::memory_order_acquire); }
  // Asks the check to stop; its result is then never to be used. Finished() follows soon.
  void Stop() { m_stop.store(true); }
  bool Stopped() const { return m_stop.load(); }
  // Once finished: the folders the disk no longer agrees with (ChangedFolders), of the
  // stamps compared from startedNs on, after first and as first left them.
  const std::vector<std::string>& Changed() const { return m_changed; }
  const std::vector<FolderStamp>& Stamps() const { return m_stamps; }
  std::int64_t StartedNs() const { return m_startedNs; }

 private:
  std::vector<FolderStamp> m_stamps;
  First m_first;
  std::vector<std::string> m_changed;
  std::int64_t m_startedNs = 0;
  std::atomic<bool> m_finished{false};
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace tree
