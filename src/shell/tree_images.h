// The tree's image strip, drawn by us: a top node, four kinds of volume, folder,
// artist, album and song, each closed and open, and the overlays for partly marked,
// marked and missing file. Drawn at the screen's scale so they stay crisp.
#pragma once

#include <QIcon>

#include "platform/volumes.h"
#include "tree/node_kinds.h"

// Indexes into the image strip. Node images come in pairs: the closed one, and the
// open one (plus one) shown while the node is expanded.
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

// The image a node of the kind shows, closed or open; drive tells volumes apart.
int NodeImage(tree::NodeKind kind, platform::DriveType drive, bool open);

// The icon of a node with the image index (0 to 23), with its mark drawn over it.
QIcon NodeIcon(int image, tree::Mark mark);
