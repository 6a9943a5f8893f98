// What a song file's own tags say: ID3v2 (2.2 to 2.4), APE and ID3v1, read with TagLib
// behind this interface, and the cover picture a file may carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace catalogue {

struct SongTags {
  std::string artist, album, title, genre;  // UTF-8; empty when no tag names it
  unsigned year = 0, track = 0;             // 0 when no tag gives one
  std::uint64_t pictureBytes = 0;           // the size of the cover picture it carries, 0: none
};

// The file's tags, each field from the first tag that has it: ID3v2, then APE, then
// ID3v1. Nothing when it is not a regular file or cannot be opened. An ID3v2 tag that
// would make the reader recurse without end or unpack far more than it holds (frames
// nested deeply, compressed or encrypted frames) is passed over, as if damaged.
std::optional<SongTags> ReadSongTags(const std::string& path);

// The cover picture the file carries: its first front-cover picture, else its first
// picture; empty when it has none or it is larger than maxBytes.
std::string EmbeddedCover(const std::string& path, std::uint64_t maxBytes);

}  // namespace catalogue
