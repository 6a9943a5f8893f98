#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/gstring.h"
#include "tree/node_kinds.h"
#include "tree/tree_item.h"
#include "tree/tree_model.h"

namespace tree {
struct ScanContext;
class BackgroundScan;
class LibraryMarks;
class LibraryEditor;
class DetailsPresenter;
class ContextMenu;
class Player;
class FolderIndex;
struct FolderStamp;
struct SavedTree;
}  // namespace tree

// STreeView: the library. It holds every node of the library tree, made by a scan and
// kept following the disk after edits, labels album songs in the display mode chosen,
// and owns the parts that act on the nodes: marks, edits, details, menu and playing.
class STreeView {
 public:
  STreeView();
  ~STreeView();
  STreeView(const STreeView&) = delete;
  STreeView& operator=(const STreeView&) = delete;

  TreeItem Item(tree::Handle handle) const { return {handle, m_pTree}; }
  // The tree model the library fills; observers and the window read it.
  tree::TreeModel* Tree() const { return m_pTree; }
  // The top node "Artists".
  const TreeItem& Top() const { return m_itemTop; }
  // An album song's title (asFileName 0) or file name with ".mp3" (1), by display
  // mode; any other node's label, with ".mp3" when asked.
  GString GetNodeName(const TreeItem& item, bool asFileName) const;
  // The artist node of that name (without regard to case); null when there is none.
  // A volume or folder may carry the same label.
  TreeItem FindArtistNode(std::string_view name) const;
  bool HasArtists() const;
  // Removes the node's descendants, and the node itself unless keepItem is set; their
  // data texts go with them.
  void DeleteBranch(const TreeItem& item, bool keepItem);

  // Scanning.
  // Rebuilds the tree below the top node from the folders of the ";"-separated list.
  void Refresh(const GString& pathList);
  // The same in two steps, for a window that keeps answering meanwhile. StartScan
  // starts a scan of the list with this library's settings on a thread of its own; the
  // tree stays as it is. AdoptScan, once that scan has finished, puts its tree in place
  // of the old one in one step, keeping the selection, the expanded nodes and the
  // marked songs that are still there.
  std::unique_ptr<tree::BackgroundScan> StartScan(const GString& pathList, std::function<void()> finished = {}) const;
  void AdoptScan(const tree::BackgroundScan& scan);
  // Puts a saved tree in place of the tree as AdoptScan does, with its stamps.
  void AdoptSavedTree(const tree::SavedTree& saved, const std::string& pathList);
  // The ";"-separated path list of the last Refresh.
  const std::string& PathList() const { return m_strPathList; }
  // The folders the tree was read from, as its scan found them: what a saved tree
  // carries to be checked later.
  const std::vector<tree::FolderStamp>& FolderStamps() const { return m_folderStamps; }

  // After an edit, the tree follows the disk. SyncFolders: each folder's unlisted files
  // and the missing-file marks of its albums' songs as a scan shows them now.
  // ReloadCatalogues: the albums of these folders' catalogues read anew (artists made
  // or emptied on the way), then each folder synced; what was open or marked stays so,
  // below an artist renamed from one label to another too.
  void SyncFolders(const std::vector<std::string>& folders);
  void ReloadCatalogues(const std::set<std::string>& folders, std::string_view renamedFrom = {},
                        std::string_view renamedTo = {});
  // Folders another program changed (their stamps no longer hold), read again one by
  // one with their catalogues, folders made in them read whole, folders gone from them
  // dropped with all below, and the stamps taken anew. False, with nothing changed,
  // when that cannot show what a scan would: a folder of the path list gone, or links
  // to folders in the library; the library is to be scanned then.
  bool ReadFoldersAgain(const std::vector<std::string>& changed);
  // Loose nodes an edit made or relabelled, each put where a scan shows it among its
  // siblings.
  void PlaceInScanOrder(const std::vector<tree::Handle>& made, const std::vector<std::string>& libraryFolders);

  // The on-disk path of a song node.
  std::string SongPath(const TreeItem& song) const;
  // The size of a song's file: listed once with its folder's other songs, then kept
  // in the node until the next scan.
  std::int64_t SongSize(const TreeItem& song) const;

  // How album songs are labelled now: the chosen mode, or file names while the tree
  // has no artists. Set before a Refresh to scan in that mode; afterwards the View
  // commands switch it (a message says why song names cannot show without artists).
  tree::DisplayMode DisplayMode() const { return m_displayMode; }
  tree::DisplayMode ChosenDisplayMode() const { return m_chosenMode; }
  void SetDisplayMode(tree::DisplayMode mode) { m_displayMode = m_chosenMode = mode; }
  void ShowSongTitles();
  void ShowFileNames();

  // Where playlists named without a folder go, and the settings file.
  struct SettingsPaths {
    std::string playlistFolder;
    std::string file = "Melodeck.ini";
  };
  void SetSettingsPaths(SettingsPaths paths) { m_settings = std::move(paths); }
  const SettingsPaths& Settings() const { return m_settings; }

  // The parts that act on the nodes.
  tree::LibraryMarks& Marks() const { return *m_marks; }
  tree::LibraryEditor& Editor() const { return *m_editor; }
  tree::DetailsPresenter& Details() const { return *m_details; }
  tree::ContextMenu& Menu() const { return *m_menu; }
  tree::Player& Play() const { return *m_player; }

 private:
  tree::DisplayMode m_displayMode = tree::DisplayMode::SongTitles;
  tree::DisplayMode m_chosenMode = tree::DisplayMode::SongTitles;  // the user's last choice
  tree::TreeModel m_tree;
  tree::TreeModel* m_pTree = &m_tree;
  TreeItem m_itemTop;

  // After a display mode change: labels and data texts of every album song beneath the
  // node as a scan in the new mode gives them.
  void RelabelSongs(const TreeItem& item);
  void RelabelAlbumSongs(const TreeItem& album);
  // After the tree changed: file names while it has no artists, else the chosen mode,
  // the songs relabelled if they were shown otherwise.
  void FollowChosenDisplayMode();
  // The volume or folder node under which the folder's unlisted files hang; null
  // when there is none.
  TreeItem FindLooseFolderNode(const std::string& folder) const;
  // The children of the top node in the order a scan gives them: as each is first met,
  // then sorted by name as far as the last artist.
  void PlaceTopInScanOrder();
  // Removes the node, then every ancestor left without children; never the top node.
  void RemoveWithEmptyAncestors(TreeItem node);
  // One folder of SyncFolders, with its album nodes and the library folders of the path list.
  void SyncFolder(const std::string& folder, const std::vector<TreeItem>& albums, bool readCatalogues,
                  const std::vector<std::string>& libraryFolders, std::vector<tree::Handle>& made);
  void ReportUnreadCatalogues(const tree::ScanContext& context);
  // A node's kind and label and those of its ancestors below the top node, top down:
  // how the node is found again in a new tree.
  using NodePath = std::vector<std::pair<tree::NodeKind, std::string>>;
  NodePath PathOf(const TreeItem& node) const;
  // The same for a node of any tree below that tree's top.
  static NodePath PathBelow(const TreeItem& node, const TreeItem& top);
  TreeItem FindPath(const NodePath& path) const;

  // AdoptScan and AdoptSavedTree: the tree below top put in place of the old one.
  void AdoptTree(const TreeItem& top, tree::DisplayMode labelledIn, const std::string& pathList,
                 std::int64_t librarySize);

  std::string m_strPathList;
  std::vector<tree::FolderStamp> m_folderStamps;
  SettingsPaths m_settings;
  std::unique_ptr<tree::FolderIndex> m_folders;  // which nodes each folder produced
  std::unique_ptr<tree::DetailsPresenter> m_details;
  std::unique_ptr<tree::LibraryMarks> m_marks;
  std::unique_ptr<tree::LibraryEditor> m_editor;
  std::unique_ptr<tree::ContextMenu> m_menu;
  std::unique_ptr<tree::Player> m_player;
};
