// What a node stands for, as its image index tells it.
#pragma once

#include <cstdint>
#include <string_view>

namespace tree {

// What a node stands for; the node's image shows it.
enum class NodeKind : std::uint8_t { Top, Volume, Folder, Artist, Album, Song, Other };

// Indexes into the image strip. Node images come in pairs: a node holds the even one;
// the window shows the odd one (even plus one) while the node is expanded.
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

constexpr NodeKind KindOfImage(int image) {
  if (image == 4 || image == 5) return NodeKind::Top;
  if (image >= 6 && image <= 13) return NodeKind::Volume;
  if (image == 14 || image == 15) return NodeKind::Folder;
  if (image == 16 || image == 17) return NodeKind::Artist;
  if (image == 18 || image == 19) return NodeKind::Album;
  if (image == 20 || image == 21) return NodeKind::Song;
  return NodeKind::Other;
}

}  // namespace tree
