#include "catalogue/catalogue_rewrite.h"

#include <cctype>
#include <vector>

#include "catalogue/gstring.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace catalogue {
namespace {

using Document = platform::ProfileDocument;

// The file's current content, unless it is read-only or missing.
std::shared_ptr<const Document> OpenWritable(const std::string& file, RewriteResult& refusal) {
  const auto attributes = platform::GetFileAttributes(file);
  if (!attributes || attributes->readOnly || attributes->directory) {
    refusal = RewriteResult::ReadOnly;
    return nullptr;
  }
  std::string raw;
  if (!platform::ReadWholeFile(file, raw)) {
    refusal = RewriteResult::ReadOnly;
    return nullptr;
  }
  return Document::Parse(std::move(raw));
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
  return platform::ReplaceFileAtomically(file, out) ? RewriteResult::Done : RewriteResult::Unwritable;
}

bool IsSongKey(std::string_view key) {
  if (key.size() < 2 || (key[0] != 'T' && key[0] != 't')) return false;
  for (size_t i = 1; i < key.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(key[i]))) return false;
  }
  return true;
}

}  // namespace

RewriteResult RenameAlbumSections(const std::string& file, const std::string& oldName, const std::string& newName) {
  RewriteResult refusal{};
  const auto doc = OpenWritable(file, refusal);
  if (!doc) return refusal;
  const auto header = doc->Encode("[Album:" + newName + "]");
  if (!header) return RewriteResult::Unwritable;
  std::vector<Edit> edits;
  for (const auto& section : doc->Sections()) {
    GString name = doc->Lines()[section.header].name;
    if (platform::EqualsNoCase(name.Field(2, ":"), oldName)) edits.push_back({section.header, false, *header});
  }
  return Apply(file, *doc, edits);
}

RewriteResult RemoveSongEntry(const std::string& file, const std::string& sectionName, const std::string& fileName) {
  RewriteResult refusal{};
  const auto doc = OpenWritable(file, refusal);
  if (!doc) return refusal;
  const Document::Section* section = doc->FindSection(sectionName);
  if (!section) return RewriteResult::NotFound;
  std::vector<Edit> edits;
  int number = 0;  // the key the next song entry takes once renumbering has started
  for (size_t i = section->header + 1; i < section->end; ++i) {
    const auto& line = doc->Lines()[i];
    if (line.kind != Document::LineKind::Key || !IsSongKey(line.name)) continue;
    if (number > 0) {
      const auto text = doc->Encode("T" + std::to_string(number++) + "=" + line.value);
      if (!text) return RewriteResult::Unwritable;
      edits.push_back({i, false, *text});
      continue;
    }
    GString field = GString(line.value).Field(1, ",");
    field.Trim(" ");
    if (platform::EqualsNoCase(field, fileName)) {
      edits.push_back({i, true, {}});
      number = std::max(1, std::atoi(line.name.c_str() + 1));
    }
  }
  return Apply(file, *doc, edits);
}

RewriteResult RemoveArtistSections(const std::string& file, const std::string& artist) {
  RewriteResult refusal{};
  const auto doc = OpenWritable(file, refusal);
  if (!doc) return refusal;
  std::vector<Edit> edits;
  for (const auto& section : doc->Sections()) {
    const std::string value(platform::TrimBlanks(doc->ValueIn(section, "Artist").value_or("")));
    if (value.empty() || !platform::EqualsNoCase(value, artist)) continue;
    for (size_t i = section.header; i < section.end; ++i) edits.push_back({i, true, {}});
  }
  const RewriteResult result = Apply(file, *doc, edits);
  if (result == RewriteResult::Done && HoldsOnlyBlankLines(file)) platform::DeleteFile(file);
  return result;
}

bool HoldsOnlyBlankLines(const std::string& file) {
  std::string raw;
  if (!platform::ReadWholeFile(file, raw)) return true;
  return raw.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace catalogue
