// PlayTimeReader: reads the play times of song files on a thread of its own, through
// the play-time cache, so the window never waits for a file. The window asks for the
// songs it shows; what is known so far is there at once, the rest follows.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "catalogue/play_time_cache.h"

namespace tree {

class PlayTimeReader {
 public:
  // cacheFile: where play times are kept between runs. woken, when given, is called on
  // the reader's thread when play times have come in (at most every 200 ms, and when
  // nothing is left to read).
  PlayTimeReader(std::string cacheFile, std::function<void()> woken = {});
  // Stops reading, waits for the thread and keeps what was read in the cache file.
  ~PlayTimeReader();
  PlayTimeReader(const PlayTimeReader&) = delete;
  PlayTimeReader& operator=(const PlayTimeReader&) = delete;

  // The songs to read next, in place of those asked for before and not read yet.
  void Request(std::vector<std::string> paths);
  // The play time read for the path; nothing while it is not read yet.
  std::optional<catalogue::PlayTime> Known(const std::string& path) const;
  // Whether anything asked for is still to be read.
  bool Busy() const;

 private:
  void Run();

  catalogue::PlayTimeCache m_cache;  // the reader's thread alone uses it
  std::function<void()> m_woken;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::vector<std::string> m_pending;  // read from the back
  bool m_reading = false;
  bool m_stop = false;
  std::unordered_map<std::string, catalogue::PlayTime> m_known;
  std::thread m_thread;
};

}  // namespace tree
