#include "catalogue/album_catalogue.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "catalogue/edit_journal.h"
#include "text/gstring.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace catalogue {
namespace {

// The number of a song key ("T12" gives "12"); "" for any other key. Keys are
// matched as the profile functions match "T" + n, so "t12" counts and "T012" does not.
std::string_view SongKeyNumber(std::string_view key) {
  if (key.size() < 2 || (key[0] != 'T' && key[0] != 't') || key[1] == '0') return {};
  const std::string_view digits = key.substr(1);
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ? digits
                                                                                                  : std::string_view{};
}

std::string_view TrimmedField(std::string_view value, size_t index) {
  std::string_view field = text::FieldOf(value, index, ",");
  const size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

// The number of a song key's digits; 0 when it is larger than limit.
size_t SongNumber(std::string_view digits, size_t limit) {
  size_t n = 0;
  for (const char digit : digits) {
    n = n * 10 + static_cast<size_t>(digit - '0');
    if (n > limit) return 0;
  }
  return n;
}

}  // namespace

const platform::DirEntry* CatalogueEntry(const std::vector<platform::DirEntry>& entries) {
  // The first of the case twins that is no folder.
  for (const platform::DirEntry& entry : platform::EntriesNoCase(entries, kCatalogueName)) {
    if (!entry.directory) return &entry;
  }
  return nullptr;
}

bool CatalogueWritable(const std::string& file) {
  const auto attributes = file.empty() ? std::nullopt : platform::GetFileAttributes(file);
  return attributes && !attributes->readOnly && !attributes->directory;
}

bool AlbumNameCharactersAllowed(std::string_view name) {
  return name.find_first_of(std::string_view("[]:\r\n\0", 6)) == std::string_view::npos;
}

std::string CatalogueFile(const std::string& folder) {
  const std::string onDisk = platform::ResolveCase(folder);
  const auto entries = platform::ListDirectory(onDisk, platform::ListDetail::NamesAndKinds);
  const platform::DirEntry* entry = entries ? CatalogueEntry(*entries) : nullptr;
  return onDisk + (entry ? entry->name : std::string(kCatalogueName));
}

std::string AlbumNameOfSection(std::string_view section) {
  const size_t colon = section.find(':');
  if (colon == std::string_view::npos) return {};
  const std::string_view rest = section.substr(colon + 1);
  return std::string(rest.substr(0, rest.find(':')));
}

std::string SectionOfAlbum(std::string_view albumName) { return "Album:" + std::string(albumName); }

std::string_view FileTitleView(std::string_view field) {
  size_t start = field.size();
  while (start > 0 && field[start - 1] != '/' && field[start - 1] != '\\') --start;
  const std::string_view name = field.substr(start);
  return name.substr(0, name.rfind('.'));
}

void ForEachSongEntry(const platform::ProfileDocument& doc, std::string_view sectionName,
                      const std::function<void(const SongEntryView&)>& visit) {
  const platform::ProfileDocument::Section* section = doc.FindSection(sectionName);
  if (!section) return;
  // The first line of each song key, by its number. Numbers past the count of lines
  // cannot be reached counting up from 1.
  const auto& all = doc.Lines();
  const size_t limit = section->end - section->header;
  std::vector<size_t> lineOf(limit + 1, 0);
  for (size_t i = section->header + 1; i < section->end; ++i) {
    if (all[i].kind != platform::ProfileDocument::LineKind::Key) continue;
    const size_t number = SongNumber(SongKeyNumber(all[i].name), limit);
    if (number != 0 && lineOf[number] == 0) lineOf[number] = i;
  }
  for (size_t n = 1; n <= limit && lineOf[n] != 0; ++n) {
    const auto& line = all[lineOf[n]];
    SongEntryView entry;
    entry.value = platform::UnquotedProfileValue(line.value);
    if (entry.value.empty()) break;
    entry.key = line.name;
    entry.line = lineOf[n];
    entry.fileTitle = FileTitleView(TrimmedField(entry.value, 1));
    entry.title = TrimmedField(entry.value, 2);
    visit(entry);
  }
}

std::vector<SongEntryLine> ReadSongEntries(const platform::ProfileDocument& doc, std::string_view sectionName) {
  std::vector<SongEntryLine> entries;
  ForEachSongEntry(doc, sectionName, [&](const SongEntryView& entry) {
    entries.push_back({std::string(entry.key), entry.line, std::string(entry.value), std::string(entry.fileTitle),
                       std::string(entry.title)});
  });
  return entries;
}

const SongEntryLine* FindSongEntry(const std::vector<SongEntryLine>& entries, std::string_view fileName,
                                   size_t position) {
  const std::string_view title = FileTitleView(fileName);
  if (position < entries.size() && platform::EqualsNoCase(entries[position].fileTitle, title)) return &entries[position];
  for (const SongEntryLine& entry : entries) {
    if (platform::EqualsNoCase(entry.fileTitle, title)) return &entry;
  }
  return nullptr;
}

std::vector<std::string> ListedFileTitles(const platform::ProfileDocument& doc) {
  std::vector<std::string> titles;
  for (const std::string& section : doc.SectionNames()) {
    // The sections a scan makes albums of: with an artist and an album name (the
    // scan's reading of the name, after the first run of ":").
    if (doc.Value(section, "Artist").value_or("").empty() || GString(section).Field(2, ":").empty()) continue;
    for (const SongEntryLine& entry : ReadSongEntries(doc, section)) titles.push_back(platform::UpperUtf8(entry.fileTitle));
  }
  return titles;
}

int LeadingNumber(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

SongFields ParseSongFields(const std::string& value) {
  return {std::string(TrimmedField(value, 3)), LeadingNumber(std::string(text::FieldOf(value, 4, ","))),
          std::string(TrimmedField(value, 5))};
}

std::string FindSongKey(const std::string& section, const std::string& fileName, const std::string& catalogue) {
  const auto entries = ReadSongEntries(*platform::ProfileOpen(catalogue), section);
  const SongEntryLine* entry = FindSongEntry(entries, fileName);
  return entry ? entry->key : std::string();
}

std::string ExtraFields(const std::string& value) {
  const GString text(value);
  if (text.FieldOffset(6, ",") == std::string::npos) return {};
  const size_t fifthEnd = text.FieldOffset(5, ",") + text.Field(5, ",").size();
  return value.substr(fifthEnd);
}

std::string ComposeSongEntry(const std::string& fileName, const std::string& title, const std::string& category,
                             int year, const std::string& artist, std::string_view extraFields) {
  GString value = fileName + ", " + title + ", " + category + ", " + (year ? std::to_string(year) : "") + ", " + artist;
  if (!extraFields.empty()) return value + std::string(extraFields);
  value.TrimRight(", ");
  return value;
}

bool WriteAlbumInfo(const std::string& folder, const std::string& albumName, const std::string& category, int year) {
  const std::string file = CatalogueFile(folder);
  const std::string section = SectionOfAlbum(albumName);
  GString trimmed = category;
  trimmed.Trim(" ");
  return platform::ProfileWriteValues(file, section, {{"Category", trimmed}, {"Year", std::to_string(year)}}, false) == 1;
}

SongEntryResult WriteSongEntry(const std::string& folder, const std::string& albumName, const SongEntry& entry) {
  if (folder.empty() || albumName.empty()) return SongEntryResult::NoEntry;
  const std::string file = CatalogueFile(folder);
  const std::string section = SectionOfAlbum(albumName);
  const auto doc = platform::ProfileOpen(file);
  const auto entries = ReadSongEntries(*doc, section);
  const SongEntryLine* found = FindSongEntry(entries, entry.oldFileName, entry.position);
  if (!found) return SongEntryResult::NoEntry;
  const std::string value = ComposeSongEntry(entry.newFileName, entry.title, entry.category, entry.year, entry.artist,
                                             ExtraFields(found->value));
  if (value == found->value) return SongEntryResult::Written;
  // What would make the write fail is found before the file moves.
  if (!CatalogueWritable(file) || !doc->Encode(value) || value.find_first_of("\r\n") != std::string::npos) {
    return SongEntryResult::WriteFailed;
  }
  const bool renames = !platform::EqualsNoCase(entry.newFileName, entry.oldFileName);
  const std::string from = platform::ResolveCase(folder + entry.oldFileName);
  const std::string to = folder + entry.newFileName;
  // Two steps: a kill between them is finished by the next scan.
  std::vector<JournalStep> steps;
  if (renames) steps.push_back(JournalStep::Move(from, to));
  steps.push_back(JournalStep::Write(file, section, found->key, value));
  const EditJournal journal(steps);
  if (!journal.Started()) return SongEntryResult::WriteFailed;
  EditJournal::BeforeStep();
  if (renames && !platform::MoveFile(from, to)) return SongEntryResult::RenameFailed;
  EditJournal::BeforeStep();
  if (platform::ProfileWrite(file, section.c_str(), found->key.c_str(), value.c_str()) != 1) {
    if (renames) platform::MoveFile(to, from);  // keep file and entry in step
    return SongEntryResult::WriteFailed;
  }
  EditJournal::BeforeStep();
  return SongEntryResult::Written;
}

}  // namespace catalogue
