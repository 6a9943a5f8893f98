// CNodeDeleter: deletes what a node stands for, after a confirmation: song files,
// folders of unlisted files, song entries, albums and artists. What may be deleted is
// decided from the disk at that moment, never from the tree, which may be stale; the
// tree then follows the disk.
#pragma once

#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "tree/command_result.h"
#include "tree/tree_item.h"

class STreeView;

class CNodeDeleter {
 public:
  CNodeDeleter(STreeView* view, const TreeItem& top) : m_pView(view), m_itemTop(top) {}

  // Asks, then deletes; a declined question is a failure without a message.
  [[nodiscard]] tree::CommandResult Delete(const TreeItem& item);
  // Deletes the node from the tree (its data text goes with it).
  void DeleteNode(const TreeItem& item);

 private:
  bool Confirm(const std::string& text) const;
  tree::CommandResult DeleteFolder(const TreeItem& item);
  // Deletes the unlisted song files shown beneath the folder node, opened as folder,
  // and the subfolders that become empty; files its folder's catalogue lists on disk
  // stay, every song file stays beside a catalogue that cannot be read, and links are
  // never gone through. True when every file meant to go went.
  bool DeleteFolderContents(const TreeItem& node, const platform::FolderHandle& folder);
  tree::CommandResult DeleteArtist(const TreeItem& item);
  tree::CommandResult DeleteAlbum(const TreeItem& item);
  tree::CommandResult DeleteAlbumSong(const TreeItem& item);
  tree::CommandResult DeleteSongFile(const TreeItem& item);

  STreeView* m_pView;
  TreeItem m_itemTop;
  // Folders a folder delete went through, deepest first.
  std::vector<std::string> m_visitedFolders;
  // Why a folder delete kept files, a line each.
  std::vector<std::string> m_kept;
};
