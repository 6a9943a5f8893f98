// Text folded for searching: letters in lower case and without accents, so "cafe"
// finds "Café" and "ÆON" finds "aeon". Covers Latin (with Latin-1 and Latin
// Extended-A letters taken to their base letters), Greek and Cyrillic capitals, and
// drops combining accents; other characters, and bytes that are not UTF-8, stay as
// they are.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Appends the folded text to out.
void AppendFolded(std::string_view utf8, std::string& out);
std::string Folded(std::string_view utf8);

}  // namespace text
