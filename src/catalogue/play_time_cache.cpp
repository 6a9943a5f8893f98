#include "catalogue/play_time_cache.h"

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "catalogue/mp3_header.h"
#include "platform/filesystem.h"
#include "platform/xdg.h"

namespace catalogue {
namespace {

// The first line of a cache file; a file without it is none of ours.
constexpr std::string_view kSignature = "melodeck play times 1";

}  // namespace

PlayTimeCache::PlayTimeCache(std::string file) : m_file(std::move(file)) {
  std::string contents;
  if (!platform::ReadWholeFile(m_file, contents)) return;
  std::istringstream lines(contents);
  std::string line;
  if (!std::getline(lines, line) || line != kSignature) return;
  // One entry a line: size, modification time, milliseconds or "-", then the path.
  std::unordered_map<std::string, Entry> entries;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    Entry entry{};
    std::string playTime;
    if (!(fields >> entry.size >> entry.modifiedNs >> playTime) || fields.get() != ' ') return;  // damaged
    std::string path;
    std::getline(fields, path);
    if (path.empty()) return;
    if (playTime != "-") {
      char* end = nullptr;
      const unsigned long long ms = std::strtoull(playTime.c_str(), &end, 10);
      if (*end != '\0' || playTime.front() == '-') return;
      entry.playTime = ms;
    }
    entries[path] = entry;
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
  if (!platform::ReplaceFileAtomically(m_file, contents)) return false;
  m_changed = false;
  return true;
}

std::string PlayTimeCache::DefaultFile() { return platform::CacheFolder() + "playtimes"; }

PlayTime ReadPlayTime(PlayTimeCache& cache, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const auto size = static_cast<std::uint64_t>(st.st_size);
  const std::int64_t modified = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  if (const auto known = cache.Find(path, size, modified)) return *known;
  GMp3Header header(path.c_str());
  const PlayTime playTime = header.PlayTimeMs();
  cache.Store(path, size, modified, playTime);
  return playTime;
}

}  // namespace catalogue
