// STreeView: the library tree. It holds the whole library as nodes of its tree model
// and does everything that acts on them.
#pragma once

#include <cstdint>

#include "catalogue/album_catalogue.h"
#include "catalogue/gstring.h"
#include "tree/node_kinds.h"
#include "tree/tree_item.h"
#include "tree/tree_model.h"

class GPropData;

namespace tree {
// Where the view sends commands meant for the main frame.
class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  virtual void OnCommand(unsigned id) = 0;
};
}  // namespace tree

class STreeView : public tree::TreeNotifications {
 public:
  STreeView();
  ~STreeView() override;
  STreeView(const STreeView&) = delete;
  STreeView& operator=(const STreeView&) = delete;

  // The main frame, which receives the posted Refresh of the initial update.
  void SetFrame(tree::CommandTarget* frame) { m_pFrame = frame; }

  // Creates the top node "Artists", starts in display mode 0 and posts Refresh.
  void OnInitialUpdate();

  int GetNodeKind(const TreeItem& item) const;
  // An album song's title (asFileName 0) or file name with ".mp3" (1), by display
  // mode; any other node's label, with ".mp3" when asked.
  GString GetNodeName(const TreeItem& item, int asFileName);
  // Cut to 30 characters and "..." when longer than 33, quoted, "&" doubled.
  static void MakeMenuLabel(GString& text);
  // Removes the node's descendants, and the node itself unless keepItem is set;
  // freeData drops the node data texts on the way.
  void DeleteBranch(const TreeItem& item, int keepItem, int freeData);
  // Expands (1) or collapses (0) the node; its image switches exactly once.
  void ExpandNode(const TreeItem& item, int expand);
  int HasArtists() const;
  // Swaps label and data text of every album song beneath the node after a display
  // mode change.
  void RelabelSongs(const TreeItem& item);

  // Catalogue writes for album and song nodes. The album node's data text is its
  // folder and its label the album name.
  bool WriteAlbumInfo(const TreeItem& album, const GString& category, int year);
  catalogue::SongEntryResult WriteSongEntry(const TreeItem& album, const TreeItem& song, const GString& oldName,
                                            const GString& category, int year, const GString& artist);

  void OnShowSongnames();  // command 1049
  void OnShowFilenames();  // command 1050

  // Notifications of the tree control.
  void OnItemExpanding(tree::Handle item, tree::ExpandAction action) override;
  bool OnSelChanging(tree::Handle oldItem, tree::Handle newItem) override;
  void OnSelChanged(tree::Handle oldItem, tree::Handle newItem) override;

  TreeItem Item(tree::Handle handle) { return {handle, m_pTree}; }

  int m_nDisplayMode = 0;
  tree::TreeModel* m_pTree;
  GPropData* m_pDataPage = nullptr;
  TreeItem m_itemContext;
  TreeItem m_itemTop;
  GString m_strScratch;
  std::int64_t m_nSize = 0;
  std::int64_t m_nMarkedSize = 0;
  std::int64_t m_nLibrarySize = -1;

 private:
  tree::TreeModel m_tree;
  tree::CommandTarget* m_pFrame = nullptr;
};
