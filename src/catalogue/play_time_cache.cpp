#include "catalogue/play_time_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "catalogue/mp3_header.h"
#include "platform/filesystem.h"
#include "platform/xdg.h"

namespace catalogue {
namespace {

// The first line of a cache file; a file without it is none of ours.
constexpr std::string_view kSignature = "melodeck play times 1";
// About a hundred bytes an entry: room for a million songs.
constexpr std::uint64_t kMaxCacheSize = 256ull << 20;

}  // namespace

PlayTimeCache::PlayTimeCache(std::string file) : m_file(std::move(file)) {
  // A cache past a sane size is none of ours: it is dropped and written anew.
  std::string contents;
  if (platform::ReadRegularFile(m_file, contents, kMaxCacheSize) != platform::ReadResult::Done) return;
  std::string_view rest = contents;
  const auto nextLine = [&](std::string_view& line) {
    if (rest.empty()) return false;
    const size_t end = std::min(rest.find('\n'), rest.size());
    line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return true;
  };
  const auto number = [](std::string_view& line, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (error != std::errc() || end == line.data() + line.size() || *end != ' ') return false;
    line.remove_prefix(static_cast<size_t>(end - line.data()) + 1);
    return true;
  };
  std::string_view line;
  if (!nextLine(line) || line != kSignature) return;
  // One entry a line: size, modification time, milliseconds or "-", then the path.
  std::unordered_map<std::string, Entry> entries;
  while (nextLine(line)) {
    Entry entry{};
    std::uint64_t modified = 0, ms = 0;
    if (!number(line, entry.size)) return;  // damaged
    const bool negative = line.starts_with('-');
    if (negative) line.remove_prefix(1);
    if (!number(line, modified)) return;
    entry.modifiedNs = negative ? -static_cast<std::int64_t>(modified) : static_cast<std::int64_t>(modified);
    if (line.starts_with("- ")) {
      line.remove_prefix(2);
    } else if (number(line, ms)) {
      entry.playTime = ms;
    } else {
      return;
    }
    if (line.empty()) return;
    entries[std::string(line)] = entry;
  }
  m_entries = std::move(entries);
}

std::optional<PlayTime> PlayTimeCache::Find(const std::string& path, std::uint64_t size, std::int64_t modifiedNs) const {
  const auto found = m_entries.find(path);
  if (found == m_entries.end() || found->second.size != size || found->second.modifiedNs != modifiedNs) {
    return std::nullopt;
  }
  return found->second.playTime;
}

void PlayTimeCache::Store(const std::string& path, std::uint64_t size, std::int64_t modifiedNs, PlayTime playTime) {
  // A line break in the path would break the file's lines: such a file is read each time.
  if (path.find_first_of("\r\n") != std::string::npos) return;
  m_entries[path] = Entry{size, modifiedNs, playTime};
  m_changed = true;
}

bool PlayTimeCache::Save() {
  if (!m_changed) return true;
  std::string contents(kSignature);
  contents += '\n';
  for (const auto& [path, entry] : m_entries) {
    contents += std::to_string(entry.size) + ' ' + std::to_string(entry.modifiedNs) + ' ' +
                (entry.playTime ? std::to_string(*entry.playTime) : std::string("-")) + ' ' + path + '\n';
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(m_file).parent_path(), error);
  if (!platform::ReplaceFileAtomically(m_file, contents, platform::AtLink::ReplaceLink)) return false;
  m_changed = false;
  return true;
}

std::string PlayTimeCache::DefaultFile() { return platform::CacheFolder() + "playtimes"; }

std::optional<SongFileStamp> SongFileStampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return SongFileStamp{static_cast<std::uint64_t>(st.st_size),
                       std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

PlayTime ReadPlayTime(PlayTimeCache& cache, const std::string& path) {
  return ReadPlayTime(cache, path, SongFileStampOf(path));
}

PlayTime ReadPlayTime(PlayTimeCache& cache, const std::string& path, const std::optional<SongFileStamp>& stamp) {
  if (!stamp) return std::nullopt;
  if (const auto known = cache.Find(path, stamp->size, stamp->modifiedNs)) return *known;
  GMp3Header header(path.c_str());
  const PlayTime playTime = header.PlayTimeMs();
  cache.Store(path, stamp->size, stamp->modifiedNs, playTime);
  return playTime;
}

}  // namespace catalogue
