// The album.ini catalogue: one section "[Album:name]" per album with "Artist",
// "Category", "Year" and the song entries "T1", "T2", ... ("file.mp3, title,
// category, year, artist"). Every reader and writer goes to the file itself.
#pragma once

#include <string>
#include <string_view>

namespace catalogue {

inline constexpr const char* kCatalogueName = "album.ini";
inline constexpr int kMaxSongKeys = 999;

// The catalogue of a folder (ending in "/"): the existing file named album.ini in any
// letter case, or folder + "album.ini" when there is none.
std::string CatalogueFile(const std::string& folder);

// The album name of a section name: after the first ":" up to the next ":" or the end.
std::string AlbumNameOfSection(std::string_view section);
std::string SectionOfAlbum(std::string_view albumName);

// The key ("T7") of the song entry whose file field equals fileName without regard to
// case, looking from T1 up to the first missing or empty key; "" when there is none.
std::string FindSongKey(const std::string& section, const std::string& fileName, const std::string& catalogue);

// "file.mp3, title, category, year, artist" without trailing commas and blanks; a
// year of 0 is left out.
std::string ComposeSongEntry(const std::string& fileName, const std::string& title, const std::string& category,
                             int year, const std::string& artist);

// Writes "Category" (trimmed) and "Year" of the album's section. False when a write failed.
bool WriteAlbumInfo(const std::string& folder, const std::string& albumName, const std::string& category, int year);

struct SongEntry {
  std::string oldFileName;  // with extension, as the catalogue names it now
  std::string newFileName;  // with extension
  std::string title;
  std::string category;
  int year = 0;
  std::string artist;
};
enum class SongEntryResult { Written, NoEntry, RenameFailed, WriteFailed };
// Renames the song file first when its name changes other than in letter case; only
// when that worked (or was not needed) is the entry rewritten.
SongEntryResult WriteSongEntry(const std::string& folder, const std::string& albumName, const SongEntry& entry);

}  // namespace catalogue
