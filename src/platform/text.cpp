#include "platform/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

// Code points of the Windows-1252 bytes 0x80..0x9F. The five bytes Windows leaves
// undefined map to the C1 control of the same value, so they survive a round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one code point at pos; returns nothing for an invalid sequence.
std::optional<char32_t> DecodeAt(std::string_view s, size_t& pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t length;
  char32_t c;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (pos + length > s.size()) return std::nullopt;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  pos += length;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Next unit for comparisons: a code point, or an invalid byte as a value above
// every code point so it never equals a letter.
char32_t NextUnit(std::string_view s, size_t& pos) {
  if (auto c = DecodeAt(s, pos)) return *c;
  return 0x110000 + static_cast<unsigned char>(s[pos++]);
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    std::uint64_t word;
    if (pos + 8 <= bytes.size() && (std::memcpy(&word, bytes.data() + pos, 8), (word & 0x8080808080808080u) == 0)) {
      pos += 8;  // eight ASCII bytes
    } else if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
    } else if (!DecodeAt(bytes, pos)) {
      return false;
    }
  }
  return true;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else if (b < 0xA0) {
      AppendUtf8(out, kHighControls[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

std::optional<std::string> EncodeWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const auto c = DecodeAt(utf8, pos);
    if (!c) return std::nullopt;
    if (*c < 0x80 || (*c >= 0xA0 && *c <= 0xFF)) {
      out += static_cast<char>(*c);
      continue;
    }
    bool found = false;
    for (size_t i = 0; i < kHighControls.size() && !found; ++i) {
      if (kHighControls[i] == *c) {
        out += static_cast<char>(0x80 + i);
        found = true;
      }
    }
    if (!found) return std::nullopt;
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian, bool& exact) {
  exact = bytes.size() % 2 == 0;
  const auto unit = [&](size_t i) -> char32_t {
    const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  };
  std::string out;
  out.reserve(bytes.size());
  const size_t units = bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    char32_t c = unit(2 * i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(2 * i + 2) >= 0xDC00 && unit(2 * i + 2) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(2 * i + 2) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
      exact = false;
    }
    AppendUtf8(out, c);
  }
  if (!exact && bytes.size() % 2 != 0) AppendUtf8(out, 0xFFFD);
  return out;
}

std::string EncodeUtf16(std::string_view utf8, bool bigEndian) {
  std::string out;
  out.reserve(utf8.size() * 2);
  const auto put = [&](char32_t unit) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  for (size_t pos = 0; pos < utf8.size();) {
    const auto decoded = DecodeAt(utf8, pos);
    if (!decoded) ++pos;
    const char32_t c = decoded.value_or(0xFFFD);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

char32_t UpperCodePoint(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c < 0x80) return c;
  if (c == 0xB5) return 0x39C;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A: pairs of capital (even or odd start) and small letter.
  if (c >= 0x100 && c <= 0x137 && c != 0x131) return c & ~char32_t{1};
  if (c == 0x131) return 'I';
  if (c >= 0x139 && c <= 0x148) return (c % 2 == 0) ? c - 1 : c;
  if (c >= 0x14A && c <= 0x177) return c & ~char32_t{1};
  if (c >= 0x179 && c <= 0x17E) return (c % 2 == 0) ? c - 1 : c;
  if (c == 0x17F) return 'S';
  if (c == 0x192) return 0x191;
  // Greek.
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
  // Cyrillic.
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

std::string UpperUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const auto byte = static_cast<unsigned char>(utf8[pos]);
    if (byte < 0x80) {
      out += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 0x20 : byte);
      ++pos;
      continue;
    }
    const size_t start = pos;
    if (auto c = DecodeAt(utf8, pos)) {
      AppendUtf8(out, UpperCodePoint(*c));
    } else {
      out += utf8[start];
      pos = start + 1;
    }
  }
  return out;
}

namespace {

// Upper case of each ASCII character, for the comparisons' fast path.
constexpr auto kAsciiUpper = [] {
  std::array<unsigned char, 128> table{};
  for (unsigned c = 0; c < 128; ++c) table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
  return table;
}();

// The number of leading bytes the two have in common, eight at a time.
size_t CommonPrefix(std::string_view a, std::string_view b) {
  const size_t shorter = std::min(a.size(), b.size());
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= shorter; i += 8) {
      std::uint64_t x, y;
      std::memcpy(&x, a.data() + i, 8);
      std::memcpy(&y, b.data() + i, 8);
      if (x != y) return i + static_cast<size_t>(std::countr_zero(x ^ y) / 8);
    }
  }
  while (i < shorter && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

int CompareNames(std::string_view a, std::string_view b) {
  if (const int byCase = CompareNoCase(a, b); byCase != 0) return byCase;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int CompareNoCase(std::string_view a, std::string_view b) {
  // Equal bytes are equal characters: start at the first difference, or at the start
  // of the character it falls in.
  size_t same = CommonPrefix(a, b);
  // A byte that is no continuation byte starts a character wherever decoding began.
  const auto continuation = [](std::string_view text, size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
  };
  while (same > 0 && (continuation(a, same) || continuation(b, same))) --same;
  size_t i = same, j = same;
  while (i < a.size() && j < b.size()) {
    const unsigned char ca = a[i], cb = b[j];
    if (ca < 0x80 && cb < 0x80) {  // fast path for ASCII
      const unsigned char x = kAsciiUpper[ca], y = kAsciiUpper[cb];
      if (x != y) return x < y ? -1 : 1;
      ++i, ++j;
      continue;
    }
    const char32_t x = UpperCodePoint(NextUnit(a, i));
    const char32_t y = UpperCodePoint(NextUnit(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t first = 0;
  while (first < text.size() && blank(text[first])) ++first;
  size_t end = text.size();
  while (end > first && blank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

}  // namespace platform
