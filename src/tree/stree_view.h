// STreeView: the library tree. It holds the whole library as nodes of its tree model
// and does everything that acts on them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "catalogue/album_catalogue.h"
#include "text/gstring.h"
#include "platform/filesystem.h"
#include "platform/profile_document.h"
#include "platform/ui_hooks.h"
#include "tree/command_result.h"
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

// What the view tells the desktop program beyond the tree itself.
class ViewEvents {
 public:
  virtual ~ViewEvents() = default;
  // "P&lay order..." is available exactly while something is marked.
  virtual void OnPlayOrderEnabled(bool enabled) = 0;
};

// The context-menu commands that other parts of the program carry out.
class PopupDelegate {
 public:
  virtual ~PopupDelegate() = default;
  // Whether the command (1045 to 1047) can be offered at all.
  virtual bool Available(unsigned command) const = 0;
  virtual void AddAlbum(const TreeItem& node) = 0;   // 1045; null for the top node
  virtual void DeleteNode(const TreeItem& node) = 0; // 1046
  virtual void RenameNode(const TreeItem& node) = 0; // 1047
};

struct ScanContext;
class BackgroundScan;
class PlayTimeReader;
class HeaderReader;
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

  tree::NodeKind GetNodeKind(const TreeItem& item) const;
  // An album song's title (asFileName 0) or file name with ".mp3" (1), by display
  // mode; any other node's label, with ".mp3" when asked.
  GString GetNodeName(const TreeItem& item, bool asFileName) const;
  // Cut to 30 characters and "..." when longer than 33, quoted, "&" doubled.
  static void MakeMenuLabel(GString& text);
  // Removes the node's descendants, and the node itself unless keepItem is set; their
  // data texts go with them.
  void DeleteBranch(const TreeItem& item, bool keepItem);
  // Expands (1) or collapses (0) the node; its image switches exactly once.
  void ExpandNode(const TreeItem& item, bool expand);
  bool HasArtists() const;
  // After a display mode change: labels and data texts of every album song beneath the
  // node as a scan in the new mode gives them.
  void RelabelSongs(const TreeItem& item);
  // After the tree changed: file names while it has no artists, else the chosen mode,
  // the songs relabelled if they were shown otherwise.
  void FollowChosenDisplayMode();

  // Catalogue writes for album and song nodes. The album node's data text is its
  // folder and its label the album name.
  bool WriteAlbumInfo(const TreeItem& album, const GString& category, int year);
  catalogue::SongEntryResult WriteSongEntry(const TreeItem& album, const TreeItem& song, const GString& oldName,
                                            const GString& category, int year, const GString& artist);

  // Scanning.
  // Rebuilds the tree below the top node from the folders of the ";"-separated list.
  void Refresh(const GString& pathList);
  // The same in two steps, for a window that keeps answering meanwhile. StartScan
  // starts a scan of the list with this view's settings on a thread of its own; the
  // tree stays as it is. AdoptScan, once that scan has finished, puts its tree in place
  // of the old one in one step, keeping the selection and the expanded nodes that are
  // still there.
  std::unique_ptr<tree::BackgroundScan> StartScan(const GString& pathList, std::function<void()> finished = {}) const;
  void AdoptScan(const tree::BackgroundScan& scan);
  // After an edit, the tree follows the disk. SyncFolder: the folder's unlisted files
  // and the missing-file marks of its albums' songs as a scan shows them now.
  // ReloadCatalogues: the albums of these folders' catalogues read anew (artists made
  // or emptied on the way), then each folder synced; what was open or marked stays so,
  // below an artist renamed from one label to another too.
  void SyncFolders(const std::vector<std::string>& folders);
  void SyncFolder(const std::string& folder) { SyncFolders({folder}); }
  void ReloadCatalogues(const std::set<std::string>& folders, std::string_view renamedFrom = {},
                        std::string_view renamedTo = {});
  // Whether the catalogue on disk still holds what the tree shows of the album (its
  // section with that artist) and, when given, of the song (its entry with that title),
  // or, for an artist node, exactly the albums shown of that artist in each of its
  // catalogues. When not, the albums of the folders concerned are read anew and the
  // result says so; the nodes passed in may then be gone.
  tree::CommandResult CheckShown(const TreeItem& node, const TreeItem& song = {});
  // The same check without reading anything anew (while the selection changes).
  bool CatalogueShows(const TreeItem& album, const TreeItem& song = {}) const;
  // The volume or folder node under which the folder's unlisted files hang; null
  // when there is none.
  TreeItem FindLooseFolderNode(const std::string& folder) const;
  // Removes the node, then every ancestor left without children; never the top node.
  void RemoveWithEmptyAncestors(TreeItem node);
  // The artist node of that name (without regard to case); null when there is none.
  // A volume or folder may carry the same label.
  TreeItem FindArtistNode(std::string_view name) const;
  // The ";"-separated path list of the last Refresh.
  const std::string& PathList() const { return m_strPathList; }
  // The first child (or, recursively, descendant) matching by label (without regard to
  // case), by data text (exact), or by both when dataText is given.
  TreeItem FindChildNode(const TreeItem& parent, const std::string& label, bool recursive, bool byData,
                         const std::string& dataText = "") const;

  // Marks.
  tree::Mark GetMark(const TreeItem& item) const;
  bool AnyMarked(const TreeItem& item, bool recursive) const;
  tree::Mark UpdateMarkFromChildren(const TreeItem& item);
  tree::Mark SetMark(const TreeItem& item, bool marked);
  // Marks or unmarks everything beneath the node and sets the node's own mark from
  // its children; the ancestors are left to the caller.
  void MarkSubtree(const TreeItem& item, bool marked);
  // A left-button press on hit (null: on no node). Returns true when the control's
  // default processing should handle it (no Ctrl key).
  bool OnLButtonDown(bool ctrl, const TreeItem& hit);

  // Selection and details.
  // Writes what the user changed on the details page of the selected node (the window
  // is closing, or the selection is about to go).
  void SaveSelectionDetails();
  // Selects the node and shows its details, even when it was selected already (an edit
  // may have changed what they are).
  void SelectAndShow(const TreeItem& node);
  std::int64_t GetNodeSize(const TreeItem& item) const;
  // The size of a song's file: listed once with its folder's other songs, then kept
  // in the node until the next scan.
  std::int64_t SongSize(const TreeItem& song) const;
  static std::int64_t GetFileSize(const std::string& path);
  // Where play times come from (none: the field stays empty).
  void SetPlayTimeReader(tree::PlayTimeReader* reader) { m_pPlayTimes = reader; }
  // Where a selected song's header is read (none: at once, on this thread), and the
  // text of the one read when the reader woke the window.
  void SetHeaderReader(tree::HeaderReader* reader) { m_pHeaders = reader; }
  void ShowHeader();
  // The selected node's play time, and that of its marked songs, into the page: what
  // is known now, "…" while more is being read (the reader is asked for it).
  void ShowPlayTime();
  // WM_MARKCHANGED: flag 1 marked, 0 unmarked; item null with flag 0: marks settled.
  int OnMarkChanged(bool marked, const TreeItem* item);
  bool PlayOrderEnabled() const { return m_bPlayOrderEnabled; }

  // Playing.
  // The on-disk path of every song beneath node (all, or only marked ones), missing
  // files left out, in tree order.
  void CollectSongPaths(const TreeItem& node, bool all, std::vector<std::string>& paths);
  // Context-menu commands 1043 to 1047 on the node the menu was opened for (null:
  // empty space, the whole library).
  void OnPopupCommand(unsigned id, const TreeItem& node);
  // Context menu: a right-button press on hit (null: on no node) picks the node the
  // menu acts on and selects it; the release shows the menu built for it.
  void OnRButtonDown(const TreeItem& hit);
  void OnRButtonUp();
  // The "Tree Popup" menu fitted to the node (null: empty space).
  std::vector<platform::MenuItem> BuildContextMenu(const TreeItem& node) const;

  // Renaming by label editing. Begin: whether the node may be renamed (a refusal is
  // reported) and the text the edit box starts with. End: carries the typed text to
  // disk and catalogue and sets the edited node's final label itself; false rejects
  // it (the label stays). After either answer the control sets no label of its own:
  // the node may even be gone, merged into another.
  bool OnBeginLabelEdit(const TreeItem& item, std::string& editText);
  bool OnEndLabelEdit(const TreeItem& item, const char* text);
  // Rename and Delete as the user asks for them, whatever asked (a key, the menu, a
  // script): the node is selected, then renamed to the text as a label edit would;
  // whether the node is one that can be deleted at all (the top node, volumes and
  // duplicate album names are not).
  bool Rename(const TreeItem& item, const std::string& text);
  bool CanDelete(const TreeItem& node) const;

  // The on-disk path of a song node.
  std::string SongPath(const TreeItem& song) const;
  // The paths of many song nodes in their order, each folder listed once.
  std::vector<std::string> SongPaths(const std::vector<TreeItem>& songs) const;
  // The song files a node stands for (itself, or every song beneath it), missing ones
  // left out: what a drag or a copy hands to other programs.
  std::vector<std::string> SongFiles(const TreeItem& node);

  // The folder a playlist named without a folder goes to, and the settings file.
  void SetSettingsPaths(const std::string& playlistFolder, const std::string& settingsFile) {
    m_strPlaylistFolder = playlistFolder;
    m_strIniFile = settingsFile;
  }
  const std::string& PlaylistFolder() const { return m_strPlaylistFolder; }
  const std::string& SettingsFile() const { return m_strIniFile; }
  void SetViewEvents(tree::ViewEvents* events) { m_pEvents = events; }
  void SetPopupDelegate(tree::PopupDelegate* delegate) { m_pPopup = delegate; }

  void OnShowSongnames();  // command 1049
  void OnShowFilenames();  // command 1050

  // Notifications of the tree control.
  bool OnSelChanging(tree::Handle oldItem, tree::Handle newItem) override;
  void OnSelChanged(tree::Handle oldItem, tree::Handle newItem) override;

  TreeItem Item(tree::Handle handle) const { return {handle, m_pTree}; }
  // The tree model the view fills; observers and the window read it, the view writes it.
  tree::TreeModel* Tree() const { return m_pTree; }
  // The top node "Artists".
  const TreeItem& Top() const { return m_itemTop; }
  // How album songs are labelled now: the chosen mode, or file names while the tree
  // has no artists. Set before a Refresh to scan in that mode; afterwards the View
  // commands switch it.
  tree::DisplayMode DisplayMode() const { return m_displayMode; }
  void SetDisplayMode(tree::DisplayMode mode) { m_displayMode = m_chosenMode = mode; }
  // The details page the view fills (none: no details are shown or saved).
  void SetDataPage(GPropData* page) { m_pDataPage = page; }
  // Bytes of the selection, of all marked songs, and of the whole library (-1 until
  // it has been summed after a scan).
  std::int64_t SelectionSize() const { return m_nSize; }
  std::int64_t MarkedSize() const { return m_nMarkedSize; }
  std::int64_t LibrarySize() const { return m_nLibrarySize; }

 private:
  tree::DisplayMode m_displayMode = tree::DisplayMode::SongTitles;
  tree::DisplayMode m_chosenMode = tree::DisplayMode::SongTitles;  // the user's last choice
  tree::TreeModel* m_pTree;
  GPropData* m_pDataPage = nullptr;
  TreeItem m_itemContext;  // the node of the right click in progress
  TreeItem m_itemTop;
  std::int64_t m_nSize = 0;
  std::int64_t m_nMarkedSize = 0;
  std::int64_t m_nLibrarySize = -1;

  void SaveDetails(const TreeItem& item);
  void ShowDetails(const TreeItem& item);
  void FillSongDetails(const TreeItem& song);
  void PostLibrarySize();
  void ShowSizeText();
  // Whether the catalogue file cannot be written ("" for an album without one).
  static bool CatalogueReadOnly(const std::string& file);
  // The album's songs labelled for the display mode now set.
  void RelabelAlbumSongs(const TreeItem& album);
  // One folder of SyncFolders, with its album nodes and the library folders of the path list.
  void SyncFolder(const std::string& folder, const std::vector<TreeItem>& albums, bool readCatalogues,
                  const std::vector<std::string>& libraryFolders, std::vector<tree::Handle>& made);
  // Loose nodes a sync made or a rename relabelled, each put where a scan shows it
  // among its siblings.
  void PlaceInScanOrder(const std::vector<tree::Handle>& made, const std::vector<std::string>& libraryFolders);
  void ReportUnreadCatalogues(const tree::ScanContext& context);
  // A node's kind and label and those of its ancestors below the top node, top down:
  // how the node is found again in a new tree.
  using NodePath = std::vector<std::pair<tree::NodeKind, std::string>>;
  NodePath PathOf(const TreeItem& node) const;
  TreeItem FindPath(const NodePath& path) const;
  // The marks of inner nodes and the marked songs' bytes worked out anew from the
  // marked songs, after nodes came and went.
  void RecountMarks();
  tree::CommandResult RenameVolume(const TreeItem& item, const std::string& text);
  tree::CommandResult RenameFolder(const TreeItem& item, const std::string& text);
  tree::CommandResult RenameArtist(const TreeItem& item, const std::string& oldLabel, const std::string& text);
  tree::CommandResult RenameAlbum(const TreeItem& item, const std::string& oldLabel, const std::string& text);
  tree::CommandResult RenameSongFile(const TreeItem& item, const std::string& text);
  tree::CommandResult RenameAlbumSong(const TreeItem& item, const std::string& text);

  tree::TreeModel m_tree;
  tree::CommandTarget* m_pFrame = nullptr;
  tree::ViewEvents* m_pEvents = nullptr;
  tree::PopupDelegate* m_pPopup = nullptr;
  tree::PlayTimeReader* m_pPlayTimes = nullptr;
  tree::HeaderReader* m_pHeaders = nullptr;
  std::string m_strPlaylistFolder;
  std::string m_strIniFile = "Melodeck.ini";
  std::string m_strPathList;
  bool m_bPlayOrderEnabled = false;
  bool m_bLibrarySizePosted = false;
  // Messages the view posts hold a weak reference: they do nothing once it is gone.
  std::shared_ptr<void> m_pAlive = std::make_shared<int>(0);
  // What the page showed for the selected album or song, to write back only edits.
  struct ShownDetails {
    std::string category;
    int year = 0;
    std::string artist;
  };
  std::optional<ShownDetails> m_shown;
};
