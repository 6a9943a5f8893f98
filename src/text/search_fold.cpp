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

// Every character that folds lies in U+00C0..U+042F, which UTF-8 writes in two bytes, so
// only two-byte sequences are decoded; all other bytes, of longer sequences or of text
// that is not UTF-8, are copied as they stand.
void AppendTwoBytes(char32_t c, std::string& out) {
  out += static_cast<char>(0xC0 | (c >> 6));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

// The code point of the two-byte sequence at s[i]; 0 when there is none.
char32_t DecodeTwoBytes(std::string_view s, std::size_t i) {
  const auto lead = static_cast<std::uint8_t>(s[i]);
  if (lead < 0xC2 || lead >= 0xE0 || i + 1 >= s.size()) return 0;
  const auto next = static_cast<std::uint8_t>(s[i + 1]);
  if ((next & 0xC0) != 0x80) return 0;
  return static_cast<char32_t>(((lead & 0x1F) << 6) | (next & 0x3F));
}

}  // namespace

void AppendFolded(std::string_view utf8, std::string& out) {
  for (std::size_t i = 0; i < utf8.size();) {
    const char byte = utf8[i];
    char32_t c = DecodeTwoBytes(utf8, i);
    if (c == 0) {
      out += byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : byte;
      ++i;
      continue;
    }
    i += 2;
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
    AppendTwoBytes(c, out);
  }
}

std::string Folded(std::string_view utf8) {
  std::string out;
  AppendFolded(utf8, out);
  return out;
}

}  // namespace text
