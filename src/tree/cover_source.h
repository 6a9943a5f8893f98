// Where the cover of a node comes from: the folder whose picture file stands for it,
// and the song whose own picture stands in when the folder has none.
#pragma once

#include <string>

#include "tree/tree_item.h"

class STreeView;

namespace tree {

struct CoverSource {
  std::string folder;     // "" when the node has no cover (the top node, an artist, a volume)
  std::string firstSong;  // "" when the node has no song
  bool operator==(const CoverSource&) const = default;
};

// An album: its folder and first song; a song: its own folder and itself; a folder of
// loose songs: that folder and its first song.
CoverSource CoverSourceOf(const STreeView& view, const TreeItem& node);

}  // namespace tree
