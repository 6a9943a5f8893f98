#include "platform/profile_document.h"

#include <algorithm>

#include "platform/text.h"

namespace platform {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Le = "\xFF\xFE";
constexpr std::string_view kUtf16Be = "\xFE\xFF";

// A NUL byte ends the name or value it appears in.
std::string_view CutAtNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::string_view UnquotedProfileValue(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::shared_ptr<const ProfileDocument> ProfileDocument::Parse(std::string raw) {
  auto doc = std::make_shared<ProfileDocument>();
  const std::string_view head = std::string_view(raw).substr(0, 2);
  if (head == kUtf16Le || head == kUtf16Be) {
    doc->m_utf16 = head == kUtf16Le ? Utf16::LittleEndian : Utf16::BigEndian;
    doc->m_raw = DecodeUtf16(std::string_view(raw).substr(2), doc->m_utf16 == Utf16::BigEndian, doc->m_exact);
    doc->ParseLines(0);
    return doc;
  }
  doc->m_raw = std::move(raw);
  const std::string_view bytes = doc->m_raw;
  size_t pos = 0;
  if (bytes.substr(0, kBom.size()) == kBom && IsValidUtf8(bytes.substr(kBom.size()))) {
    doc->m_bom = true;
    pos = kBom.size();
  } else {
    doc->m_utf8 = IsValidUtf8(bytes);
  }
  doc->ParseLines(pos);
  return doc;
}

std::shared_ptr<const ProfileDocument> ProfileDocument::Reparse(std::string text) const {
  if (!IsUtf16()) return Parse(std::move(text));
  auto doc = std::make_shared<ProfileDocument>();
  doc->m_utf16 = m_utf16;
  doc->m_exact = m_exact;
  doc->m_raw = std::move(text);
  doc->ParseLines(0);
  return doc;
}

void ProfileDocument::ParseLines(size_t pos) {
  const std::string_view bytes = m_raw;
  const auto decode = [&](std::string_view text) -> std::string_view {
    return m_utf8 ? text : std::string_view(m_decoded.emplace_back(DecodeWindows1252(text)));
  };
  m_lines.reserve(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);

  bool lineEndSeen = false;
  while (pos < bytes.size()) {
    Line line;
    line.begin = pos;
    size_t eol = pos;
    while (eol < bytes.size() && bytes[eol] != '\n' && bytes[eol] != '\r') ++eol;
    if (eol == bytes.size()) eol = std::string_view::npos;
    line.end = eol == std::string_view::npos ? bytes.size() : eol;
    line.next = line.end;
    if (eol != std::string_view::npos) {
      line.next += (bytes[eol] == '\r' && eol + 1 < bytes.size() && bytes[eol + 1] == '\n') ? 2 : 1;
      if (!lineEndSeen) {
        m_lineEnd = std::string(bytes.substr(line.end, line.next - line.end));
        lineEndSeen = true;
      }
    }
    pos = line.next;

    const std::string_view text = bytes.substr(line.begin, line.end - line.begin);
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.empty()) {
      line.kind = LineKind::Blank;
    } else if (trimmed.front() == ';') {
      line.kind = LineKind::Comment;
    } else if (trimmed.front() == '[') {
      line.kind = LineKind::Header;
      std::string_view name = trimmed.substr(1);
      name = name.substr(0, name.find(']'));
      line.name = decode(TrimBlanks(CutAtNul(name)));
      m_sections.push_back({m_lines.size(), 0});
    } else if (const size_t eq = text.find('='); eq != std::string_view::npos) {
      line.kind = LineKind::Key;
      const std::string_view rawName = TrimBlanks(CutAtNul(text.substr(0, eq)));
      line.nameBegin = rawName.empty() ? line.begin : static_cast<size_t>(rawName.data() - bytes.data());
      line.nameEnd = line.nameBegin + rawName.size();
      line.name = decode(rawName);
      line.value = decode(TrimBlanks(CutAtNul(text.substr(eq + 1))));
    } else {
      line.kind = LineKind::NoValue;
      line.name = decode(TrimBlanks(CutAtNul(trimmed)));
    }
    m_lines.push_back(std::move(line));
  }
  for (size_t i = 0; i < m_sections.size(); ++i) {
    m_sections[i].end = i + 1 < m_sections.size() ? m_sections[i + 1].header : m_lines.size();
    const std::string_view name = m_lines[m_sections[i].header].name;
    if (!name.empty()) m_firstSection.try_emplace(UpperUtf8(name), i);
  }
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) const {
  if (name.empty()) return nullptr;
  const auto found = m_firstSection.find(UpperUtf8(name));
  return found == m_firstSection.end() ? nullptr : &m_sections[found->second];
}

size_t ProfileDocument::FindKeyLine(const Section& section, std::string_view key) const {
  if (key.empty()) return kNoLine;
  for (size_t i = section.header + 1; i < section.end; ++i) {
    const Line& line = m_lines[i];
    if (line.kind == LineKind::Key && EqualsNoCase(line.name, key)) return i;
  }
  return kNoLine;
}

std::optional<std::string> ProfileDocument::Value(std::string_view section,
                                                  std::string_view key) const {
  const Section* found = FindSection(section);
  if (!found) return std::nullopt;
  return ValueIn(*found, key);
}

std::optional<std::string> ProfileDocument::ValueIn(const Section& section, std::string_view key) const {
  const size_t index = FindKeyLine(section, key);
  if (index == kNoLine) return std::nullopt;
  return UnquoteProfileValue(m_lines[index].value);
}

std::vector<std::string> ProfileDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& section : m_sections) {
    const std::string_view name = m_lines[section.header].name;
    if (!name.empty()) names.emplace_back(name);
  }
  return names;
}

std::optional<std::vector<std::string>> ProfileDocument::KeyNames(std::string_view section) const {
  const Section* found = FindSection(section);
  if (!found) return std::nullopt;
  std::vector<std::string> keys;
  for (size_t i = found->header + 1; i < found->end; ++i) {
    if (m_lines[i].kind == LineKind::Key && !m_lines[i].name.empty()) keys.emplace_back(m_lines[i].name);
  }
  return keys;
}

std::optional<std::string> ProfileDocument::FileBytes(std::string_view newRaw) const {
  if (!KeepsEncoding(newRaw)) return std::nullopt;
  if (!IsUtf16()) return std::string(newRaw);
  const bool bigEndian = m_utf16 == Utf16::BigEndian;
  return std::string(bigEndian ? kUtf16Be : kUtf16Le) + EncodeUtf16(newRaw, bigEndian);
}

bool ProfileDocument::KeepsEncoding(std::string_view newRaw) const {
  if (IsUtf16()) return m_exact && IsValidUtf8(newRaw);
  if (m_utf8) return IsValidUtf8(newRaw);
  const bool ascii = std::none_of(newRaw.begin(), newRaw.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return ascii || !IsValidUtf8(newRaw);
}

std::optional<std::string> ProfileDocument::Encode(std::string_view utf8) const {
  if (m_utf8) {
    if (!IsValidUtf8(utf8)) return std::nullopt;
    return std::string(utf8);
  }
  return EncodeWindows1252(utf8);
}

}  // namespace platform
