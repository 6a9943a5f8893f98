#include "catalogue/catalogue_rewrite.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "catalogue/album_catalogue.h"
#include "catalogue/edit_journal.h"
#include "text/gstring.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace catalogue {
namespace {

using Document = platform::ProfileDocument;

// The file's current content, unless it is read-only, missing or unreadable.
std::shared_ptr<const Document> OpenWritable(const std::string& file, RewriteResult& refusal) {
  std::string raw;
  if (!CatalogueWritable(file) || platform::ReadRegularFile(file, raw, platform::kMaxProfileSize) != platform::ReadResult::Done) {
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

// The file's new bytes with the edits made; nothing when they cannot be stored in its encoding.
std::optional<std::string> Compose(const Document& doc, const std::vector<Edit>& edits) {
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
  return doc.FileBytes(out);
}

RewriteResult Apply(const std::string& file, const Document& doc, const std::vector<Edit>& edits) {
  if (edits.empty()) return RewriteResult::NotFound;
  const auto bytes = Compose(doc, edits);
  if (!bytes) return RewriteResult::Unwritable;
  return platform::ReplaceFileAtomically(file, *bytes) ? RewriteResult::Done : RewriteResult::Unwritable;
}

// Rewrites several catalogues as one change: every file is read and checked, and its
// edits composed, before the first one changes; the change is noted in a journal, so
// that a kill half way is finished by the next scan; when a write fails, the files
// already written are put back. edits gives each document's edits.
RewriteResult RewriteAll(const std::vector<std::string>& files,
                         const std::function<std::optional<std::vector<Edit>>(const Document&)>& edits) {
  std::vector<JournalStep> steps;
  for (const std::string& file : files) {
    RewriteResult refusal{};
    const auto doc = OpenWritable(file, refusal);
    if (!doc) return refusal;
    const auto fileEdits = edits(*doc);
    if (!fileEdits) return RewriteResult::Unwritable;
    if (fileEdits->empty()) continue;
    const auto bytes = Compose(*doc, *fileEdits);
    if (!bytes) return RewriteResult::Unwritable;
    steps.push_back(JournalStep::Replace(file, *doc->FileBytes(doc->Raw()), *bytes));
  }
  if (steps.empty()) return RewriteResult::NotFound;
  const EditJournal journal(steps);
  if (!journal.Started()) return RewriteResult::Unwritable;
  for (size_t i = 0; i < steps.size(); ++i) {
    EditJournal::BeforeStep();
    const bool blank = IsBlankCatalogue(steps[i].newBytes);
    if (blank ? platform::DeleteFile(steps[i].file) : platform::ReplaceFileAtomically(steps[i].file, steps[i].newBytes)) {
      continue;
    }
    for (size_t done = 0; done < i; ++done) platform::ReplaceFileAtomically(steps[done].file, steps[done].oldBytes);
    return RewriteResult::Unwritable;
  }
  EditJournal::BeforeStep();
  return RewriteResult::Done;
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

RewriteResult RemoveArtistSections(const std::string& file, const std::string& artist) { return RemoveArtist({file}, artist); }

RewriteResult RemoveArtist(const std::vector<std::string>& files, const std::string& artist) {
  return RewriteAll(files, [&](const Document& doc) {
    std::vector<Edit> edits;
    for (const auto& section : doc.Sections()) {
      // The artist a scan shows the section under: the first section of its name decides.
      const std::string value = doc.Value(doc.Lines()[section.header].name, "Artist").value_or("");
      if (value.empty() || !platform::EqualsNoCase(value, artist)) continue;
      for (size_t i = section.header; i < section.end; ++i) edits.push_back({i, true, {}});
    }
    return std::optional(edits);
  });
}

RewriteResult RenameArtist(const std::vector<std::string>& files, const std::string& oldName,
                           const std::string& newName) {
  const std::string oldTrimmed(platform::TrimBlanks(oldName));
  return RewriteAll(files, [&](const Document& doc) -> std::optional<std::vector<Edit>> {
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
      if (!encoded) return std::nullopt;
      edits.push_back({index, false, doc.Raw().substr(line.nameBegin, line.nameEnd - line.nameBegin) + "=" + *encoded});
    }
    return edits;
  });
}

bool IsBlankCatalogue(std::string bytes) {
  const auto doc = Document::Parse(std::move(bytes));
  return std::all_of(doc->Lines().begin(), doc->Lines().end(),
                     [](const Document::Line& line) { return line.kind == Document::LineKind::Blank; });
}

bool HoldsOnlyBlankLines(const std::string& file) {
  std::string raw;
  if (!platform::ReadWholeFile(file, raw)) return false;  // the caller would delete it
  return IsBlankCatalogue(std::move(raw));
}

}  // namespace catalogue
