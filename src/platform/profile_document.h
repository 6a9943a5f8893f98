// One profile (INI) file parsed into lines and sections, with the rules of the Windows
// private-profile functions for reading. The raw bytes are kept so a writer can change
// one line and leave every other byte as it was.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class ProfileDocument {
 public:
  enum class LineKind { Blank, Comment, Header, Key, NoValue };

  struct Line {
    size_t begin = 0;  // first byte of the line
    size_t end = 0;    // end of its text, before the line end
    size_t next = 0;   // start of the next line (after the line end)
    LineKind kind = LineKind::Blank;
    // Views into the document's bytes, or into its decoded copies when the file is
    // not UTF-8; valid as long as the document.
    std::string_view name;   // section name or key, UTF-8, trimmed
    std::string_view value;  // stored value, UTF-8, trimmed, quotes as stored
    size_t nameBegin = 0, nameEnd = 0;  // raw bytes of the key as the file spells it
  };

  struct Section {
    size_t header = 0;  // index of the header line
    size_t end = 0;     // index one past its last line (the next header or the end)
  };

  ProfileDocument() = default;
  ProfileDocument(const ProfileDocument&) = delete;  // its lines view its own bytes
  ProfileDocument& operator=(const ProfileDocument&) = delete;

  // A file's bytes. A UTF-16 file (FF FE or FE FF first) is decoded to UTF-8 once;
  // Raw() and every offset then refer to that text.
  static std::shared_ptr<const ProfileDocument> Parse(std::string raw);
  // New text for the same file, parsed in this document's encoding.
  std::shared_ptr<const ProfileDocument> Reparse(std::string text) const;

  // The value as the reader sees it (trimmed, one pair of outer quotes removed);
  // nothing when the section or key is missing or the key has no "=".
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Every header with a non-empty name, in file order, duplicates included.
  std::vector<std::string> SectionNames() const;
  // Keys of the first section of that name; nothing when the section is missing.
  std::optional<std::vector<std::string>> KeyNames(std::string_view section) const;

  // For the writer. Raw() is the text the lines refer to: the file's bytes, or the
  // UTF-8 text of a UTF-16 file.
  const std::string& Raw() const { return m_raw; }
  bool IsUtf16() const { return m_utf16 != Utf16::None; }
  bool IsUtf8() const { return m_utf8; }
  bool HasBom() const { return m_bom; }
  const std::string& LineEnd() const { return m_lineEnd; }
  const std::vector<Line>& Lines() const { return m_lines; }
  const Section* FindSection(std::string_view name) const;
  // Every header, empty names and duplicates included, in file order.
  const std::vector<Section>& Sections() const { return m_sections; }
  // The value of a key in this very section (not the first of its name).
  std::optional<std::string> ValueIn(const Section& section, std::string_view key) const;
  // Index of the first "key=value" line of that name in the section. Lines without
  // "=" are never found, so a write of such a name adds a line that reads back.
  // kNoLine when there is none.
  static constexpr size_t kNoLine = static_cast<size_t>(-1);
  size_t FindKeyLine(const Section& section, std::string_view key) const;
  // The bytes to store for new text of this file (made from Raw()), in the file's
  // encoding with its mark; nothing when they would not read back in that encoding (a
  // Windows-1252 file whose bytes would pass for UTF-8, a UTF-16 file that did not
  // decode exactly).
  std::optional<std::string> FileBytes(std::string_view newRaw) const;
  // Text of the program (UTF-8) in the file's encoding; nothing when not representable.
  std::optional<std::string> Encode(std::string_view utf8) const;

 private:
  enum class Utf16 { None, LittleEndian, BigEndian };

  bool KeepsEncoding(std::string_view newRaw) const;
  void ParseLines(size_t pos);

  std::string m_raw;
  Utf16 m_utf16 = Utf16::None;
  bool m_exact = true;  // a UTF-16 file's bytes come back from its text
  bool m_utf8 = true;
  bool m_bom = false;
  std::string m_lineEnd = "\n";
  std::vector<Line> m_lines;
  std::vector<Section> m_sections;  // every header, empty names included
  std::deque<std::string> m_decoded;  // UTF-8 texts of a Windows-1252 file's lines
  // Upper-cased section name to the first section of that name.
  std::unordered_map<std::string, size_t> m_firstSection;
};

// Removes one pair of matching outer quotes (" or ') from a value of two or more characters.
std::string_view UnquotedProfileValue(std::string_view value);
inline std::string UnquoteProfileValue(std::string_view value) { return std::string(UnquotedProfileValue(value)); }

}  // namespace platform
