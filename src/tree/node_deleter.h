// CNodeDeleter: deletes what a node stands for, after a confirmation, and updates the
// tree in place: song files, folders of loose files, song entries, albums and artists.
#pragma once

#include <string>

#include "tree/tree_item.h"

class STreeView;

class CNodeDeleter {
 public:
  CNodeDeleter(STreeView* view, const TreeItem& top) : m_pView(view), m_itemTop(top) {}

  void Delete(const TreeItem& item);
  // Deletes the node from the tree (its data text goes with it).
  void DeleteNode(const TreeItem& item);
  // Takes the song off its album in the tree and puts its file back as a loose file;
  // 0 (with a message) when the album's catalogue is read-only.
  int RemoveAlbumSong(const TreeItem& song, const std::string& folder);
  // Deletes the loose files beneath the folder node and the subfolders that become
  // empty; 1 when everything went.
  int DeleteFolderContents(const TreeItem& folder);
  // Removes the song's entry from its album's section of the catalogue.
  void RemoveSongEntry(const std::string& fileName, const std::string& catalogue, const std::string& section);

  STreeView* m_pView;
  TreeItem m_itemTop;

 private:
  bool Confirm(const std::string& text) const;
  void CleanUpwards(TreeItem node);
  void DeleteFolder(const TreeItem& item);
  void DeleteArtist(const TreeItem& item);
  void DeleteAlbum(const TreeItem& item);
  void DeleteAlbumSong(const TreeItem& item);
  void DeleteSongFile(const TreeItem& item);
  bool RemoveAllSongs(const TreeItem& album);
};
