#include "text/search_fold.h"

#include <cstdint>

namespace text {
namespace {

// Base letters of U+00C0..U+00FF and U+0100..U+017F; '*' marks the letters that fold to
// two, '\0' the characters that are no letters (× and ÷).
using namespace std::string_view_literals;
constexpr std::string_view kLatin1 =
    "aaaaaa*ceeeeiiiidnooooo\0ouuuuy**"
    "aaaaaa*ceeeeiiiidnooooo\0ouuuuy*y"sv;
constexpr std::string_view kLatinExtendedA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkkllllllllllnnnnnnnnnoooooo**rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs"sv;
static_assert(kLatin1.size() == 64 && kLatinExtendedA.size() == 128);

std::string_view TwoLetters(char32_t c) {
  switch (c) {
    case 0xC6: case 0xE6: return "ae";
    case 0xDE: case 0xFE: return "th";
    case 0xDF: return "ss";
    case 0x132: case 0x133: return "ij";
    default: return "oe";  // U+0152, U+0153
  }
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (c & 0x3F));
}

// The length of the UTF-8 sequence at s[i] and its code point; 0 when it is not one.
std::size_t Decode(std::string_view s, std::size_t i, char32_t& c) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[i + k]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || i + length > s.size()) return 0;
  c = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(k) & 0x3F);
  }
  return length;
}

}  // namespace

void AppendFolded(std::string_view utf8, std::string& out) {
  for (std::size_t i = 0; i < utf8.size();) {
    const char byte = utf8[i];
    if (static_cast<std::uint8_t>(byte) < 0x80) {
      out += byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : byte;
      ++i;
      continue;
    }
    char32_t c = 0;
    const std::size_t length = Decode(utf8, i, c);
    if (length == 0) {  // not UTF-8: the byte as it is
      out += byte;
      ++i;
      continue;
    }
    i += length;
    if (c >= 0x300 && c <= 0x36F) continue;  // a combining accent
    if (c >= 0xC0 && c <= 0x17F) {
      const char base = c < 0x100 ? kLatin1[c - 0xC0] : kLatinExtendedA[c - 0x100];
      if (base == '*') {
        out += TwoLetters(c);
        continue;
      }
      if (base != '\0') {
        out += base;
        continue;
      }
    }
    if ((c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F)) c += 0x20;  // Greek, Cyrillic capitals
    if (c >= 0x400 && c <= 0x40F) c += 0x50;
    if (c < 0x10000) {
      AppendUtf8(c, out);
    } else {
      out.append(utf8.substr(i - length, length));
    }
  }
}

std::string Folded(std::string_view utf8) {
  std::string out;
  AppendFolded(utf8, out);
  return out;
}

}  // namespace text
