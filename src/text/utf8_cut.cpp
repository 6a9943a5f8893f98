#include "text/utf8_cut.h"

namespace text {

std::size_t CharacterStart(std::string_view utf8, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < utf8.size(); ++at) {
    if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && seen++ == n) break;
  }
  return at;
}

std::string CutForDisplay(std::string_view utf8, std::size_t maxCharacters) {
  const std::size_t end = CharacterStart(utf8, maxCharacters);
  if (end == utf8.size()) return std::string(utf8);
  return std::string(utf8.substr(0, end)) + "\xE2\x80\xA6";
}

}  // namespace text
