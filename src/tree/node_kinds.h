// What a node stands for, as its image index tells it.
#pragma once

#include <cstdint>
#include <string_view>

namespace tree {

enum NodeKind : int { kTopNode = 0, kVolumeNode = 1, kFolderNode = 2, kArtistNode = 3, kAlbumNode = 4, kSongNode = 5, kOtherNode = 6 };

// Indexes into the image strip. Node images come in pairs: even while collapsed,
// odd (even plus one) while expanded.
enum Image : int {
  kImageTop = 4,  // 0 to 3: the marks, drawn over the node images
  kImageFixedDrive = 6,
  kImageCdRom = 8,
  kImageNetworkDrive = 10,
  kImageRemovable = 12,
  kImageFolder = 14,
  kImageArtist = 16,
  kImageAlbum = 18,
  kImageSong = 20,
  kImageLargeDisc = 22,
  kImageCount = 24,
};

// The label of an album node whose name its artist has already: "Duplicate album
// name: " and the name. Such a node has no songs; it cannot be renamed, deleted or
// given details on its own, but its section goes with its artist's edits.
inline constexpr std::string_view kDuplicateAlbumPrefix = "Duplicate album name: ";

// How album songs are labelled: by their titles in the catalogue or by file names.
enum class DisplayMode { SongTitles, FileNames };

// A node's mark: marked for playing, partly marked (some of the songs beneath it), or
// a song whose file is missing, which cannot be marked. The numbers are the ones the
// tree dump prints.
enum class Mark : std::uint8_t { None = 0, Marked = 1, Partly = 2, Missing = 3 };

constexpr int KindOfImage(int image) {
  if (image == 4 || image == 5) return kTopNode;
  if (image >= 6 && image <= 13) return kVolumeNode;
  if (image == 14 || image == 15) return kFolderNode;
  if (image == 16 || image == 17) return kArtistNode;
  if (image == 18 || image == 19) return kAlbumNode;
  if (image == 20 || image == 21) return kSongNode;
  return kOtherNode;
}

}  // namespace tree
