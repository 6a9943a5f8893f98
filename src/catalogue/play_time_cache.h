// PlayTimeCache: the play times of song files already read, kept between runs in one
// file and keyed by path, size and modification time, so a changed file is read anew.
// A damaged or foreign cache file counts as empty and is written anew.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace catalogue {

// A play time as read: milliseconds, or nothing when the file's play time cannot be known.
using PlayTime = std::optional<std::uint64_t>;

class PlayTimeCache {
 public:
  // Loads the cache file (it need not exist).
  explicit PlayTimeCache(std::string file);

  // The play time stored for the file as it is now; nothing when none is stored.
  std::optional<PlayTime> Find(const std::string& path, std::uint64_t size, std::int64_t modifiedNs) const;
  void Store(const std::string& path, std::uint64_t size, std::int64_t modifiedNs, PlayTime playTime);
  // Writes the cache file in one step when anything changed, making its folder when
  // needed; false when the write failed.
  bool Save();

  // "playtimes" in the cache folder: $XDG_CACHE_HOME/melodeck/ or ~/.cache/melodeck/.
  static std::string DefaultFile();

 private:
  struct Entry {
    std::uint64_t size;
    std::int64_t modifiedNs;
    PlayTime playTime;
  };
  std::string m_file;
  std::unordered_map<std::string, Entry> m_entries;
  bool m_changed = false;
};

// What the cache knows a song file by; nothing when the file is missing or not a
// regular file.
struct SongFileStamp {
  std::uint64_t size;
  std::int64_t modifiedNs;
};
std::optional<SongFileStamp> SongFileStampOf(const std::string& path);

// The file's play time: from the cache while the file is unchanged, otherwise read
// from its frames and stored. Nothing when the file is missing or its play time
// cannot be known.
PlayTime ReadPlayTime(PlayTimeCache& cache, const std::string& path);
// The same for a file whose stamp was just taken (for many files at once, say).
PlayTime ReadPlayTime(PlayTimeCache& cache, const std::string& path, const std::optional<SongFileStamp>& stamp);

}  // namespace catalogue
