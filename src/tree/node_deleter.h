// CNodeDeleter: deletes what a node stands for, after a confirmation: song files,
// folders of unlisted files, song entries, albums and artists. What may be deleted is
// decided from the disk at that moment, never from the tree, which may be stale; the
// tree then follows the disk.
#pragma once

#include <string>
#include <vector>

#include "tree/tree_item.h"

class STreeView;

class CNodeDeleter {
 public:
  CNodeDeleter(STreeView* view, const TreeItem& top) : m_pView(view), m_itemTop(top) {}

  void Delete(const TreeItem& item);
  // Deletes the node from the tree (its data text goes with it).
  void DeleteNode(const TreeItem& item);
  // Deletes the unlisted song files shown beneath the folder node and the subfolders
  // that become empty; files its folder's catalogue lists on disk stay. 1 when every
  // file meant to go went.
  bool DeleteFolderContents(const TreeItem& folder);

 private:
  bool Confirm(const std::string& text) const;
  void DeleteFolder(const TreeItem& item);
  void DeleteArtist(const TreeItem& item);
  void DeleteAlbum(const TreeItem& item);
  void DeleteAlbumSong(const TreeItem& item);
  void DeleteSongFile(const TreeItem& item);

  STreeView* m_pView;
  TreeItem m_itemTop;
  // Folders a folder delete went through, deepest first.
  std::vector<std::string> m_visitedFolders;
};
