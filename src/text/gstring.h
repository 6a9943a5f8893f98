// GString: the program's text type. A std::string with the operations every part of
// the program uses on file names, paths, catalogue values and message texts.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "text/format_text.h"

class GString : public std::string {
 public:
  using std::string::string;
  GString() = default;
  GString(const std::string& text) : std::string(text) {}       // NOLINT: interchangeable on purpose
  GString(std::string&& text) : std::string(std::move(text)) {}  // NOLINT
  GString& operator=(const char* text) { assign(text ? text : ""); return *this; }
  GString& operator=(const std::string& text) { assign(text); return *this; }

  // printf formatting with two placeholders of our own. "%t" (its first occurrence)
  // splices the current text into the format, where its conversions take arguments
  // like the format's own; "%q" makes the current text the whole format. Returns the
  // length of the new text. A conversion without an argument is written out as is.
  template <typename... Args>
  int Format(const char* format, const Args&... args) {
    const text::FormatArg list[] = {text::FormatArg(args)..., text::FormatArg(0)};
    return FormatList(format, std::span<const text::FormatArg>(list, sizeof...(Args)));
  }
  int FormatList(const char* format, std::span<const text::FormatArg> args);

  // Fields separated by runs of delimiter characters, counted from 1; index -1 gives
  // the number of fields as decimal text; index 0 or past the end gives "".
  GString Field(int index, const char* delimiters) const;
  // Where field index begins in the text; npos when there is no such field.
  size_t FieldOffset(int index, const char* delimiters) const;
  // 0 when the text holds nothing but delimiters, otherwise the number of fields.
  unsigned short FieldCount(const char* delimiters) const;

  void TrimLeft(const char* set);
  void TrimRight(const char* set);
  void Trim(const char* set);

  // Appends "/" unless the text is empty or already ends in "/".
  void AddBackslash();
  // The folder of a path: before the last "/" (with it when withSlash). Without a "/":
  // "" for a name with a ".", otherwise the whole text.
  GString FolderPart(bool withSlash) const;
  // After the last "/"; without the extension from the last "." unless withExtension.
  GString FileNamePart(bool withExtension) const;
  // After the last "." (with the dot when withDot); "" without a ".".
  GString ExtensionPart(bool withDot) const;

  // Reads a profile value into the text, whole: capacity is accepted for the callers'
  // sake but never cuts a value. Returns the length read.
  int ReadProfileString(const char* section, const char* key, const char* defaultValue,
                        const char* file, int capacity);
};

namespace text {

// Field index (from 1) of the text, as GString::Field reads it, without a copy.
std::string_view FieldOf(std::string_view text, size_t index, std::string_view delimiters);

}  // namespace text
