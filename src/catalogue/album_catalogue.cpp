#include "catalogue/album_catalogue.h"

#include "catalogue/gstring.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace catalogue {

std::string CatalogueFile(const std::string& folder) {
  return platform::ResolveCase(folder + kCatalogueName);
}

std::string AlbumNameOfSection(std::string_view section) {
  const size_t colon = section.find(':');
  if (colon == std::string_view::npos) return {};
  const std::string_view rest = section.substr(colon + 1);
  return std::string(rest.substr(0, rest.find(':')));
}

std::string SectionOfAlbum(std::string_view albumName) { return "Album:" + std::string(albumName); }

std::string FindSongKey(const std::string& section, const std::string& fileName, const std::string& catalogue) {
  const auto doc = platform::ProfileOpen(catalogue);
  for (int n = 1; n <= kMaxSongKeys; ++n) {
    const std::string key = "T" + std::to_string(n);
    const auto value = doc->Value(section, key);
    if (!value || value->empty()) break;
    GString file = GString(*value).Field(1, ",");
    file.Trim(" ");
    if (platform::EqualsNoCase(file, fileName)) return key;
  }
  return {};
}

std::string ComposeSongEntry(const std::string& fileName, const std::string& title, const std::string& category,
                             int year, const std::string& artist) {
  GString value = fileName + ", " + title + ", " + category + ", " + (year ? std::to_string(year) : "") + ", " + artist;
  value.TrimRight(", ");
  return value;
}

bool WriteAlbumInfo(const std::string& folder, const std::string& albumName, const std::string& category, int year) {
  const std::string file = CatalogueFile(folder);
  const std::string section = SectionOfAlbum(albumName);
  GString trimmed = category;
  trimmed.Trim(" ");
  const bool categoryWritten = platform::ProfileWrite(file, section.c_str(), "Category", trimmed.c_str()) == 1;
  const bool yearWritten = platform::ProfileWrite(file, section.c_str(), "Year", std::to_string(year).c_str()) == 1;
  return categoryWritten && yearWritten;
}

SongEntryResult WriteSongEntry(const std::string& folder, const std::string& albumName, const SongEntry& entry) {
  if (folder.empty() || albumName.empty()) return SongEntryResult::NoEntry;
  const bool renames = !platform::EqualsNoCase(entry.newFileName, entry.oldFileName);
  const std::string from = platform::ResolveCase(folder + entry.oldFileName);
  const std::string to = folder + entry.newFileName;
  if (renames && !platform::MoveFile(from, to)) return SongEntryResult::RenameFailed;
  const std::string file = CatalogueFile(folder);
  const std::string section = SectionOfAlbum(albumName);
  const std::string key = FindSongKey(section, entry.oldFileName, file);
  if (key.empty()) return SongEntryResult::NoEntry;
  const std::string value = ComposeSongEntry(entry.newFileName, entry.title, entry.category, entry.year, entry.artist);
  if (platform::ProfileWrite(file, section.c_str(), key.c_str(), value.c_str()) != 1) {
    if (renames) platform::MoveFile(to, from);  // keep file and entry in step
    return SongEntryResult::WriteFailed;
  }
  return SongEntryResult::Written;
}

}  // namespace catalogue
