// Cutting UTF-8 text for display without ending inside a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// The byte offset where character n (counted from 0) starts; the text's size when it
// has no character n.
std::size_t CharacterStart(std::string_view utf8, std::size_t n);

// The text, or its first maxCharacters characters and "…" when it is longer: a label
// of megabytes would take the window seconds to paint.
std::string CutForDisplay(std::string_view utf8, std::size_t maxCharacters);

}  // namespace text
