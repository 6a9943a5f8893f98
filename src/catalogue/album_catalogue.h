// The album.ini catalogue: one section "[Album:name]" per album with "Artist",
// "Category", "Year" and the song entries "T1", "T2", ... ("file.mp3, title,
// category, year, artist"). Every reader and writer goes to the file itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"
#include "platform/profile_document.h"

namespace catalogue {

inline constexpr const char* kCatalogueName = "album.ini";

// The catalogue among a folder's entries: the first file named album.ini in any letter
// case, in listing order; null when there is none. Scan, details and writes all use it.
const platform::DirEntry* CatalogueEntry(const std::vector<platform::DirEntry>& entries);
// The catalogue of a folder (ending in "/"): the file CatalogueEntry picks, or
// folder + "album.ini" when there is none.
std::string CatalogueFile(const std::string& folder);

// Whether the catalogue file may be written: it is there, is no folder and has a write
// permission bit. Every edit, the rename guard and the details pane ask this.
bool CatalogueWritable(const std::string& file);
// Whether the text can name an album in a section header "[Album:NAME]": it holds no
// "[", "]", ":", line break or NUL. Add album and rename ask this.
bool AlbumNameCharactersAllowed(std::string_view name);

// The album name of a section name: after the first ":" up to the next ":" or the end.
std::string AlbumNameOfSection(std::string_view section);
std::string SectionOfAlbum(std::string_view albumName);

// The file title a catalogue's file field names: without folder (either separator)
// and without extension. The song's file is that title followed by ".mp3".
std::string_view FileTitleView(std::string_view field);

// One song entry of a section as it stands in the document, without copies.
struct SongEntryView {
  std::string_view key;        // as the file spells it, "T7"
  size_t line = 0;             // index of its line in the document
  std::string_view value;      // the value as read
  std::string_view fileTitle;  // of field 1
  std::string_view title;      // field 2, trimmed
};
// Calls visit for the song entries of the first section of that name: T1 upwards to
// the first key that is missing or empty, read in one pass over the section.
void ForEachSongEntry(const platform::ProfileDocument& doc, std::string_view section,
                      const std::function<void(const SongEntryView&)>& visit);

// One song entry of a section, as every reader of the catalogue sees it.
struct SongEntryLine {
  std::string key;        // as the file spells it, "T7"
  size_t line = 0;        // index of its line in the document
  std::string value;      // the value as read
  std::string fileTitle;  // of field 1
  std::string title;      // field 2, trimmed
};
// The song entries ForEachSongEntry visits, as copies.
std::vector<SongEntryLine> ReadSongEntries(const platform::ProfileDocument& doc, std::string_view section);
inline constexpr size_t kAnyPosition = static_cast<size_t>(-1);
// The entry whose file is fileName (with or without extension), without regard to
// case; null when there is none. A section may list one file twice: position, the
// song's place in its album as the tree shows it, picks the entry that is that song.
const SongEntryLine* FindSongEntry(const std::vector<SongEntryLine>& entries, std::string_view fileName,
                                   size_t position = kAnyPosition);
// Upper-cased file titles of every song any album of the catalogue lists.
std::vector<std::string> ListedFileTitles(const platform::ProfileDocument& doc);

// A song's own category, year and artist: fields 3 to 5 of its entry, trimmed; the
// year as atoi reads it.
struct SongFields {
  std::string category;
  int year = 0;
  std::string artist;
};
SongFields ParseSongFields(const std::string& value);
// The leading decimal number of a text, as atoi reads it; 0 when there is none.
int LeadingNumber(const std::string& text);

// The key ("T7") of the song entry of fileName; "" when there is none.
std::string FindSongKey(const std::string& section, const std::string& fileName, const std::string& catalogue);

// "file.mp3, title, category, year, artist" without trailing commas and blanks; a
// year of 0 is left out. Fields after the fifth (extraFields, from the delimiter
// before the sixth field on) are kept as they stand.
std::string ComposeSongEntry(const std::string& fileName, const std::string& title, const std::string& category,
                             int year, const std::string& artist, std::string_view extraFields = {});
// The part of an entry after its fifth field, from the delimiter on; "" when it has
// five fields or fewer.
std::string ExtraFields(const std::string& value);

// Writes "Category" (trimmed) and "Year" of the album's section. False when a write failed.
bool WriteAlbumInfo(const std::string& folder, const std::string& albumName, const std::string& category, int year);

struct SongEntry {
  std::string oldFileName;  // with extension, as the song is known now
  std::string newFileName;  // with extension
  std::string title;
  std::string category;
  int year = 0;
  std::string artist;
  size_t position = kAnyPosition;  // the song's place in its album
};
enum class SongEntryResult { Written, NoEntry, RenameFailed, WriteFailed };
// Finds the song's entry and checks that it can be written before anything changes;
// then renames the song file when its name changes other than in letter case, and
// rewrites the entry. When the entry cannot be written the file is moved back.
SongEntryResult WriteSongEntry(const std::string& folder, const std::string& albumName, const SongEntry& entry);

}  // namespace catalogue
