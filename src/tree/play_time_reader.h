// PlayTimeReader: reads the play times of song files on a thread of its own, through
// the play-time cache, so the window never waits for a file. The window asks for the
// song nodes it shows and takes the play times as they come in.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/play_time_cache.h"
#include "tree/tree_model.h"

namespace tree {

class PlayTimeReader {
 public:
  // cacheFile: where play times are kept between runs. woken, when given, is called on
  // the reader's thread when play times have come in (at most every 200 ms, and when
  // nothing is left to read).
  explicit PlayTimeReader(std::string cacheFile, std::function<void()> woken = {});
  // Stops reading, waits for the thread and keeps what was read in the cache file.
  ~PlayTimeReader();
  PlayTimeReader(const PlayTimeReader&) = delete;
  PlayTimeReader& operator=(const PlayTimeReader&) = delete;

  // Song nodes and their files, read before those asked for earlier.
  void Request(std::vector<std::pair<Handle, std::string>> songs);
  // Drops what is asked for and not taken yet, being read now included (the nodes are gone).
  void Forget();
  // The play times read since the last call: milliseconds or NodeFacts::kPlayTimeNone.
  std::vector<std::pair<Handle, std::int64_t>> TakeResults();
  // Whether anything asked for is still to be read or taken.
  bool Busy() const;

 private:
  void Run();

  std::string m_cacheFile;
  // Loaded on the reader's thread, which alone uses it: a large cache takes a while.
  std::optional<catalogue::PlayTimeCache> m_cache;
  std::function<void()> m_woken;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::vector<std::pair<Handle, std::string>> m_pending;  // read from the back
  std::vector<std::pair<Handle, std::int64_t>> m_results;
  bool m_reading = false;
  std::uint64_t m_forgotten = 0;  // how often Forget was called
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace tree
