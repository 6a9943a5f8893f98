// The cover picture of a folder's songs: a picture file beside them ("cover.jpg",
// "Folder.PNG", ...), else the one the first song carries in its tags.
#pragma once

#include <cstdint>
#include <string>

namespace catalogue {

// The folder's picture file: named cover, folder, front or album (in that order of
// preference, any letter case) with the extension jpg, jpeg or png; "" when none.
std::string CoverFile(const std::string& folder);

// The bytes of the cover: the folder's picture file, else the picture firstSong
// carries (it may be ""); empty when there is none or it is larger than maxBytes.
std::string CoverBytes(const std::string& folder, const std::string& firstSong, std::uint64_t maxBytes);

}  // namespace catalogue
