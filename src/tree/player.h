// Playing from the tree: the songs beneath a node or all marked songs go to a
// playlist and the user's player; and the song files a node stands for.
#pragma once

#include <string>
#include <vector>

#include "tree/tree_item.h"

class STreeView;

namespace tree {

class Player {
 public:
  explicit Player(STreeView& library) : m_library(library) {}

  // "Play ... now": the song, or every song beneath the node (null: the whole library).
  void PlayNow(const TreeItem& node);
  // "Play marked songs".
  void PlayMarked();
  // The on-disk path of every song beneath node (all, or only marked ones), missing
  // files left out, in tree order.
  void CollectSongPaths(const TreeItem& node, bool all, std::vector<std::string>& paths) const;
  // The paths of many song nodes in their order, each folder listed once.
  std::vector<std::string> SongPaths(const std::vector<TreeItem>& songs) const;
  // The song files a node stands for (itself, or every song beneath it), missing ones
  // left out: what a drag or a copy hands to other programs.
  std::vector<std::string> SongFiles(const TreeItem& node) const;

 private:
  STreeView& m_library;
};

}  // namespace tree
