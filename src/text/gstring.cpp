#include "text/gstring.h"

#include <string_view>

#include "platform/profile.h"

int GString::FormatList(const char* format, std::span<const text::FormatArg> args) {
  std::string_view given = format ? format : "";
  std::string effective(given);
  for (size_t i = 0; i + 1 < given.size(); ++i) {
    if (given[i] != '%') continue;
    if (given[i + 1] == 't') {
      effective = std::string(given.substr(0, i)) + *this + std::string(given.substr(i + 2));
      break;
    }
    if (given[i + 1] == 'q') {
      effective = *this;
      break;
    }
  }
  assign(text::FormatText(effective, args));
  return static_cast<int>(size());
}

namespace {

// Where field index (from 1) of the text begins: field 1 at 0, then the first
// non-delimiter after each run of delimiters. With index 0, counts the fields into
// *count instead. npos when there is no such field.
// Whether c is one of the delimiters; most callers give one.
bool IsDelimiter(std::string_view delimiters, char c) {
  return delimiters.size() == 1 ? c == delimiters[0] : delimiters.find(c) != std::string_view::npos;
}

size_t FieldStart(std::string_view text, std::string_view delimiters, size_t index, size_t* count = nullptr) {
  size_t field = 1;
  if (index == 1) return 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsDelimiter(delimiters, text[i])) continue;
    size_t j = i;
    while (j < text.size() && IsDelimiter(delimiters, text[j])) ++j;
    if (j < text.size() && ++field == index) return j;
    i = j;
  }
  if (count) *count = field;
  return std::string_view::npos;
}

}  // namespace

namespace text {

std::string_view FieldOf(std::string_view text, size_t index, std::string_view delimiters) {
  if (index == 0) return {};
  const size_t begin = FieldStart(text, delimiters, index);
  if (begin == std::string_view::npos) return {};
  size_t end = begin;
  while (end < text.size() && !IsDelimiter(delimiters, text[end])) ++end;
  return text.substr(begin, end - begin);
}

}  // namespace text

GString GString::Field(int index, const char* delimiters) const {
  const std::string_view set = delimiters ? delimiters : "";
  if (index == -1) {
    size_t count = 0;
    FieldStart(*this, set, 0, &count);
    return GString(std::to_string(count));
  }
  if (index <= 0) return {};
  return GString(std::string(text::FieldOf(*this, static_cast<size_t>(index), set)));
}

size_t GString::FieldOffset(int index, const char* delimiters) const {
  if (index <= 0) return npos;
  return FieldStart(*this, delimiters ? delimiters : "", static_cast<size_t>(index));
}

unsigned short GString::FieldCount(const char* delimiters) const {
  GString trimmed(*this);
  trimmed.Trim(delimiters);
  if (trimmed.empty()) return 0;
  return static_cast<unsigned short>(std::stoul(Field(-1, delimiters)));
}

void GString::TrimLeft(const char* set) {
  const size_t first = find_first_not_of(set ? set : "");
  erase(0, first == npos ? size() : first);
}

void GString::TrimRight(const char* set) {
  const size_t last = find_last_not_of(set ? set : "");
  erase(last == npos ? 0 : last + 1);
}

void GString::Trim(const char* set) {
  TrimLeft(set);
  TrimRight(set);
}

void GString::AddBackslash() {
  if (!empty() && back() != '/') push_back('/');
}

GString GString::FolderPart(bool withSlash) const {
  const size_t slash = rfind('/');
  if (slash == npos) return find('.') == npos ? *this : GString();
  return GString(substr(0, withSlash ? slash + 1 : slash));
}

GString GString::FileNamePart(bool withExtension) const {
  const size_t slash = rfind('/');
  GString name(slash == npos ? static_cast<const std::string&>(*this) : substr(slash + 1));
  if (!withExtension) {
    const size_t dot = name.rfind('.');
    if (dot != npos) name.erase(dot);
  }
  return name;
}

GString GString::ExtensionPart(bool withDot) const {
  const size_t dot = rfind('.');
  if (dot == npos) return {};
  return GString(substr(withDot ? dot : dot + 1));
}

int GString::ReadProfileString(const char* section, const char* key, const char* defaultValue,
                               const char* file, int /*capacity*/) {
  assign(platform::ProfileRead(file ? file : "", section, key, defaultValue).text);
  return static_cast<int>(size());
}
