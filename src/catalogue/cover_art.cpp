#include "catalogue/cover_art.h"

#include <array>

#include "catalogue/song_tags.h"
#include "platform/filesystem.h"
#include "platform/text.h"
#include "text/gstring.h"

namespace catalogue {

std::string CoverFile(const std::string& folder) {
  static constexpr std::array<const char*, 4> kNames = {"COVER", "FOLDER", "FRONT", "ALBUM"};
  const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
  if (!entries) return {};
  std::size_t best = kNames.size();
  std::string chosen;
  for (const platform::DirEntry& entry : *entries) {
    if (entry.directory) continue;
    const GString name(entry.name);
    const std::string extension = platform::UpperUtf8(name.ExtensionPart(false));
    if (extension != "JPG" && extension != "JPEG" && extension != "PNG") continue;
    const std::string stem = platform::UpperUtf8(name.FileNamePart(false));
    for (std::size_t i = 0; i < best; ++i) {
      // Of two spellings of one name the first in the listing's order wins.
      if (stem == kNames[i]) {
        best = i;
        chosen = entry.name;
      }
    }
  }
  return chosen.empty() ? std::string() : folder + chosen;
}

std::string CoverBytes(const std::string& folder, const std::string& firstSong, std::uint64_t maxBytes) {
  if (const std::string file = CoverFile(folder); !file.empty()) {
    std::string bytes;
    if (platform::ReadRegularFile(file, bytes, maxBytes) == platform::ReadResult::Done) return bytes;
    return {};
  }
  return firstSong.empty() ? std::string() : EmbeddedCover(firstSong, maxBytes);
}

}  // namespace catalogue
