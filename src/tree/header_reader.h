// HeaderReader: reads the MPEG header and the tags of the song whose details are shown
// on a thread of its own, so selecting a song never waits for its file (a hostile one
// may make the search read 64 MB, a network mount may be slow). Only the latest
// request counts.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "tree/tree_item.h"

namespace tree {

// The details pane's texts of a song file: its header, "128 kbit/s, Stereo, 44.1 kHz",
// and its tags, "Artist: …", "Title: …", "Album: …" and "Track: …" on lines of their
// own for those it has; "" when it has none.
struct SongFileTexts {
  std::string header;
  std::string tags;
};
SongFileTexts ReadSongFileTexts(const std::string& path);

class HeaderReader {
 public:
  // woken, when given, is called on the reader's thread when a result is ready.
  explicit HeaderReader(std::function<void()> woken = {});
  ~HeaderReader();
  HeaderReader(const HeaderReader&) = delete;
  HeaderReader& operator=(const HeaderReader&) = delete;

  // Reads the song's file; replaces a request not yet read.
  void Request(Handle song, std::string path);
  // The latest result, once.
  std::optional<std::pair<Handle, SongFileTexts>> TakeResult();

 private:
  void Run();

  std::function<void()> m_woken;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::optional<std::pair<Handle, std::string>> m_request;
  std::optional<std::pair<Handle, SongFileTexts>> m_result;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace tree
