#include "catalogue/catalogue_rewrite.h"

#include <algorithm>
#include <vector>

#include "catalogue/album_catalogue.h"
#include "text/gstring.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace catalogue {
namespace {

using Document = platform::ProfileDocument;

// The file's current content, unless it is read-only, missing or unreadable.
std::shared_ptr<const Document> OpenWritable(const std::string& file, RewriteResult& refusal) {
  const auto attributes = platform::GetFileAttributes(file);
  std::string raw;
  if (!attributes || attributes->readOnly || attributes->directory ||
      platform::ReadRegularFile(file, raw, platform::kMaxProfileSize) != platform::ReadResult::Done) {
    refusal = RewriteResult::ReadOnly;
    return nullptr;
  }
  return Document::Parse(std::move(raw));
}

// The decimal number one above the given one, however long.
std::string NextNumber(std::string digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return digits;
    }
    digits[i] = '0';
  }
  return "1" + digits;
}

// Replacements of line texts (before their line ends), or removals of whole lines.
struct Edit {
  size_t line;
  bool remove;
  std::string text;
};

RewriteResult Apply(const std::string& file, const Document& doc, const std::vector<Edit>& edits) {
  if (edits.empty()) return RewriteResult::NotFound;
  const std::string& raw = doc.Raw();
  std::string out;
  out.reserve(raw.size());
  size_t copied = 0;
  for (const Edit& edit : edits) {
    const auto& line = doc.Lines()[edit.line];
    out.append(raw, copied, line.begin - copied);
    if (!edit.remove) {
      out += edit.text;
      out.append(raw, line.end, line.next - line.end);  // the line keeps its own line end
    }
    copied = line.next;
  }
  out.append(raw, copied, std::string::npos);
  const auto bytes = doc.FileBytes(out);
  if (!bytes) return RewriteResult::Unwritable;
  return platform::ReplaceFileAtomically(file, *bytes) ? RewriteResult::Done : RewriteResult::Unwritable;
}

// Puts back the files already rewritten when a later one failed.
RewriteResult RollBack(const std::vector<std::string>& files, const std::vector<std::shared_ptr<const Document>>& docs,
                       const std::vector<size_t>& written, RewriteResult failure) {
  for (const size_t f : written) platform::ReplaceFileAtomically(files[f], *docs[f]->FileBytes(docs[f]->Raw()));
  return failure;
}

}  // namespace

RewriteResult CheckRewritable(const std::string& file) {
  RewriteResult refusal = RewriteResult::Done;
  OpenWritable(file, refusal);
  return refusal;
}

RewriteResult RenameAlbumSections(const std::string& file, const std::string& oldName, const std::string& newName) {
  RewriteResult refusal{};
  const auto doc = OpenWritable(file, refusal);
  if (!doc) return refusal;
  const auto header = doc->Encode("[Album:" + newName + "]");
  if (!header) return RewriteResult::Unwritable;
  const std::string oldSection = SectionOfAlbum(oldName);
  std::vector<Edit> edits;
  for (const auto& section : doc->Sections()) {
    const std::string_view name = doc->Lines()[section.header].name;
    if (platform::EqualsNoCase(name, oldSection)) {
      edits.push_back({section.header, false, *header});
    } else if (platform::EqualsNoCase(AlbumNameOfSection(name), newName)) {
      return RewriteResult::Collides;
    }
  }
  return Apply(file, *doc, edits);
}

RewriteResult RemoveSongEntry(const std::string& file, const std::string& sectionName, const std::string& fileName,
                              size_t position) {
  RewriteResult refusal{};
  const auto doc = OpenWritable(file, refusal);
  if (!doc) return refusal;
  const auto entries = ReadSongEntries(*doc, sectionName);
  const SongEntryLine* removed = FindSongEntry(entries, fileName, position);
  if (!removed) return RewriteResult::NotFound;
  std::vector<Edit> edits{{removed->line, true, {}}};
  // The songs after it move up by one, the first to the removed key's number. Keys
  // past a gap stay as they are: they were not read before and are not read after.
  std::string number = removed->key.substr(1);
  for (auto entry = entries.begin() + (removed - entries.data()) + 1; entry != entries.end(); ++entry) {
    const auto text = doc->Encode("T" + number + "=" + std::string(doc->Lines()[entry->line].value));
    if (!text) return RewriteResult::Unwritable;
    edits.push_back({entry->line, false, *text});
    number = NextNumber(number);
  }
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.line < b.line; });
  return Apply(file, *doc, edits);
}

RewriteResult RemoveArtistSections(const std::string& file, const std::string& artist) {
  RewriteResult refusal{};
  const auto doc = OpenWritable(file, refusal);
  if (!doc) return refusal;
  std::vector<Edit> edits;
  for (const auto& section : doc->Sections()) {
    // The artist a scan shows the section under: the first section of its name decides.
    const std::string value = doc->Value(doc->Lines()[section.header].name, "Artist").value_or("");
    if (value.empty() || !platform::EqualsNoCase(value, artist)) continue;
    for (size_t i = section.header; i < section.end; ++i) edits.push_back({i, true, {}});
  }
  const RewriteResult result = Apply(file, *doc, edits);
  if (result == RewriteResult::Done && HoldsOnlyBlankLines(file)) platform::DeleteFile(file);
  return result;
}

RewriteResult RenameArtist(const std::vector<std::string>& files, const std::string& oldName,
                           const std::string& newName) {
  const std::string oldTrimmed(platform::TrimBlanks(oldName));
  // Every file is read and checked before the first one changes.
  std::vector<std::shared_ptr<const Document>> docs;
  for (const std::string& file : files) {
    RewriteResult refusal{};
    docs.push_back(OpenWritable(file, refusal));
    if (!docs.back()) return refusal;
  }
  std::vector<size_t> written;
  for (size_t f = 0; f < files.size(); ++f) {
    const Document& doc = *docs[f];
    std::vector<Edit> edits;
    for (const auto& section : doc.Sections()) {
      // Writes reach the first section of a name only, as every reader does.
      if (doc.FindSection(doc.Lines()[section.header].name) != &section) continue;
      const size_t index = doc.FindKeyLine(section, "Artist");
      if (index == Document::kNoLine) continue;
      const std::string value(platform::TrimBlanks(*doc.ValueIn(section, "Artist")));
      if (value.empty() || !platform::EqualsNoCase(value, oldTrimmed)) continue;
      const auto& line = doc.Lines()[index];
      const auto encoded = doc.Encode(newName);
      if (!encoded) return RollBack(files, docs, written, RewriteResult::Unwritable);
      edits.push_back({index, false, doc.Raw().substr(line.nameBegin, line.nameEnd - line.nameBegin) + "=" + *encoded});
    }
    const RewriteResult result = Apply(files[f], doc, edits);
    if (result == RewriteResult::Done) written.push_back(f);
    if (result != RewriteResult::Done && result != RewriteResult::NotFound) return RollBack(files, docs, written, result);
  }
  return written.empty() ? RewriteResult::NotFound : RewriteResult::Done;
}

bool HoldsOnlyBlankLines(const std::string& file) {
  std::string raw;
  if (!platform::ReadWholeFile(file, raw)) return true;
  const auto doc = Document::Parse(std::move(raw));
  return std::all_of(doc->Lines().begin(), doc->Lines().end(),
                     [](const Document::Line& line) { return line.kind == Document::LineKind::Blank; });
}

}  // namespace catalogue
