// Text helpers shared by every layer: UTF-8 and Windows-1252 conversion, letter-case
// folding that covers letters beyond ASCII, and the name order of directory listings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

bool IsValidUtf8(std::string_view bytes);

// Windows-1252 bytes to UTF-8. Every byte maps to one character, so the conversion
// can always be reversed by EncodeWindows1252.
std::string DecodeWindows1252(std::string_view bytes);
// UTF-8 to Windows-1252; nothing when a character has no Windows-1252 byte.
std::optional<std::string> EncodeWindows1252(std::string_view utf8);

// UTF-16 text (without its byte-order mark) to UTF-8. An odd last byte or a lone
// surrogate becomes U+FFFD and clears exact, so the caller knows the text would not
// come back byte for byte.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian, bool& exact);
// UTF-8 to UTF-16 without a byte-order mark; the text must be valid UTF-8.
std::string EncodeUtf16(std::string_view utf8, bool bigEndian);

// Upper case of one code point, for Latin, Greek and Cyrillic letters.
char32_t UpperCodePoint(char32_t c);
// Upper-cases UTF-8 text; invalid bytes are kept as they are.
std::string UpperUtf8(std::string_view utf8);

bool EqualsNoCase(std::string_view a, std::string_view b);
// Compares upper-cased code points only: 0 for names equal without regard to case.
int CompareNoCase(std::string_view a, std::string_view b);
// Orders names as a Windows directory listing does: both upper-cased, then compared
// code point by code point; names equal in upper case are ordered by their bytes.
int CompareNames(std::string_view a, std::string_view b);
inline bool NameLess(std::string_view a, std::string_view b) { return CompareNames(a, b) < 0; }

// Blanks and tabs at both ends removed.
std::string_view TrimBlanks(std::string_view text);

}  // namespace platform
