// After an edit the tree follows the disk: a folder's unlisted files and the
// missing-file marks of its albums' songs, and the albums of changed catalogues, come
// out as a fresh scan would show them.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/album_catalogue.h"
#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "tree/kept_marks.h"
#include "tree/library_scanner.h"
#include "platform/path_list.h"
#include "tree/folder_index.h"
#include "tree/library_marks.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

// Upper-cased file titles the catalogue among the entries lists, as the scan reads it:
// the entries of the sections that are albums of this folder in the tree (a section
// whose album its artist has already lists nothing).
std::unordered_set<std::string> ListedTitles(const std::string& folder, const std::vector<platform::DirEntry>& entries,
                                             const std::vector<TreeItem>& albums) {
  std::unordered_set<std::string> listed;
  const platform::DirEntry* entry = catalogue::CatalogueEntry(entries);
  if (!entry) return listed;
  std::string raw;
  if (platform::ReadRegularFile(folder + entry->name, raw, platform::kMaxProfileSize) != platform::ReadResult::Done) {
    return listed;
  }
  const auto doc = platform::ProfileDocument::Parse(std::move(raw));
  std::unordered_set<std::string> read;  // a section name repeated reads as its first section
  for (const std::string& section : doc->SectionNames()) {
    const std::string album = GString(section).Field(2, ":");  // as the scan names it
    const std::string artist = doc->Value(section, "Artist").value_or("");
    const bool shown = std::any_of(albums.begin(), albums.end(), [&](const TreeItem& node) {
      return KindOf(node) == NodeKind::Album && platform::EqualsNoCase(node.Label(), album) &&
             platform::EqualsNoCase(node.Parent().Label(), artist);
    });
    if (!shown || !read.insert(platform::UpperUtf8(section)).second) continue;
    catalogue::ForEachSongEntry(*doc, section, [&](const catalogue::SongEntryView& song) {
      listed.insert(platform::UpperUtf8(song.fileTitle));
    });
  }
  return listed;
}

}  // namespace

TreeItem STreeView::FindLooseFolderNode(const std::string& folder) const {
  TreeItem node;
  for (TreeItem child = m_itemTop.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const std::string_view data = child.Data().value_or("");
    if (KindOf(child) == NodeKind::Volume && !data.empty() && folder.starts_with(data)) node = child;
  }
  while (!node.IsNull() && node.Data().value_or("") != folder) {
    TreeItem next;
    for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
      const std::string_view data = child.Data().value_or("");
      if (KindOf(child) == NodeKind::Folder && data.size() > node.Data()->size() && folder.starts_with(data)) {
        next = child;
        break;
      }
    }
    node = next;
  }
  return node;
}

void STreeView::RemoveWithEmptyAncestors(TreeItem node) {
  while (!node.IsNull() && !(node == m_itemTop)) {
    const TreeItem parent = node.Parent();
    m_pTree->DeleteItem(node.m_hItem);
    if (parent.HasChildren()) break;
    node = parent;
  }
}

void STreeView::SyncFolders(const std::vector<std::string>& folders) {
  // The album nodes of these folders, before the first sync changes the tree.
  std::unordered_map<std::string, std::vector<TreeItem>> albums;
  for (const std::string& folder : folders) {
    std::vector<TreeItem>& nodes = albums[folder];
    for (const Handle album : m_folders->AlbumsOf(*m_pTree, folder)) nodes.push_back(Item(album));
  }
  const bool readCatalogues = catalogue::ReadScanAlbumIni(m_settings.file);
  const std::vector<std::string> libraryFolders = platform::LibraryFolders(m_strPathList);
  std::vector<Handle> made;
  for (const std::string& folder : folders) SyncFolder(folder, albums[folder], readCatalogues, libraryFolders, made);
  PlaceInScanOrder(made, libraryFolders);
  PlaceTopInScanOrder();
  FollowChosenDisplayMode();
  m_marks->RecountMarks();
  m_marks->MarksSettled();
}

void STreeView::PlaceInScanOrder(const std::vector<Handle>& made, const std::vector<std::string>& libraryFolders) {
  // Each child with where a scan meets it: its folder, or a song's file.
  using Keyed = std::pair<std::string, Handle>;
  const auto keyed = [this](const TreeItem& node) {
    std::string path(node.Data().value_or(""));
    if (KindOf(node) == NodeKind::LooseSong) path.append(node.Label()).append(".mp3");
    return Keyed{std::move(path), node.m_hItem};
  };
  const auto less = [&](const Keyed& a, const Keyed& b) {
    return platform::LibraryScanOrderLess(libraryFolders, a.first, b.first);
  };
  const std::unordered_set<Handle> isMade(made.begin(), made.end());
  std::unordered_set<Handle> parents;
  for (const Handle node : made) {
    if (!m_pTree->IsValid(node)) continue;  // gone again with its emptied folder
    const TreeItem parent = Item(node).Parent();
    if (!(parent == m_itemTop)) parents.insert(parent.m_hItem);
  }
  // The nodes already there keep their order; each new one goes before the first of
  // them a scan meets later.
  for (const Handle parent : parents) {
    std::vector<Keyed> old, added;
    for (TreeItem child = Item(parent).FirstChild(); !child.IsNull(); child = child.NextSibling()) {
      (isMade.contains(child.m_hItem) ? added : old).push_back(keyed(child));
    }
    std::stable_sort(added.begin(), added.end(), less);
    std::vector<Handle> order;
    auto next = added.begin();
    for (const Keyed& child : old) {
      for (; next != added.end() && less(*next, child); ++next) order.push_back(next->second);
      order.push_back(child.second);
    }
    for (; next != added.end(); ++next) order.push_back(next->second);
    m_pTree->ReorderChildren(parent, order);
  }
}

void STreeView::PlaceTopInScanOrder() {
  // Where a scan makes each child of the top node: an artist at the first catalogue
  // naming it, a volume at its first unlisted file.
  const std::vector<std::string> libraryFolders = platform::LibraryFolders(m_strPathList);
  std::vector<std::pair<std::string, Handle>> made;
  for (TreeItem child = m_itemTop.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    std::string first;
    const auto earlier = [&](const std::string& path) {
      if (first.empty() || platform::LibraryScanOrderLess(libraryFolders, path, first)) first = path;
    };
    if (KindOf(child) == NodeKind::Artist) {
      for (TreeItem album = child.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
        earlier(std::string(album.Data().value_or("")));
      }
    } else {
      // Volume and folder nodes keep their children in scan order: the first song found
      // going down first children is the first one met.
      std::vector<TreeItem> pending{child};
      while (!pending.empty() && first.empty()) {
        const TreeItem node = pending.back();
        pending.pop_back();
        if (KindOf(node) == NodeKind::LooseSong) {
          earlier(std::string(node.Data().value_or("")) + std::string(node.Label()) + ".mp3");
          continue;
        }
        std::vector<TreeItem> children;
        for (TreeItem below = node.FirstChild(); !below.IsNull(); below = below.NextSibling()) children.push_back(below);
        pending.insert(pending.end(), children.rbegin(), children.rend());
      }
    }
    made.emplace_back(std::move(first), child.m_hItem);
  }
  std::stable_sort(made.begin(), made.end(), [&](const auto& a, const auto& b) {
    return platform::LibraryScanOrderLess(libraryFolders, a.first, b.first);
  });
  // ...then, as at the end of a scan, sorted by name as far as the last artist.
  std::vector<Handle> order;
  std::size_t sorted = 0;
  for (const auto& [where, node] : made) {
    order.push_back(node);
    if (KindOf(Item(node)) == NodeKind::Artist) sorted = order.size();
  }
  m_pTree->ReorderChildren(m_itemTop.m_hItem, order);
  m_pTree->SortChildren(m_itemTop.m_hItem, sorted);
}

void STreeView::SyncFolder(const std::string& folder, const std::vector<TreeItem>& albums, bool readCatalogues,
                           const std::vector<std::string>& libraryFolders, std::vector<Handle>& made) {
  const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
  const std::unordered_set<std::string> listed =
      entries && readCatalogues ? ListedTitles(folder, *entries, albums) : std::unordered_set<std::string>{};

  // Songs of this folder's albums: marked missing exactly when their file is.
  for (const TreeItem& album : albums) {
    for (TreeItem song = album.FirstChild(); !song.IsNull(); song = song.NextSibling()) {
      const bool missing = !entries || !platform::FindEntryNoCase(*entries, GetNodeName(song, true));
      const bool shownMissing = m_pTree->GetMark(song.m_hItem) == Mark::Missing;
      if (missing && !shownMissing) {
        m_pTree->SetMark(song.m_hItem, Mark::Missing);
        ExpandItem(album, true);
        ExpandItem(album.Parent(), true);
      } else if (!missing && shownMissing) {
        m_pTree->SetMark(song.m_hItem, Mark::None);
      }
    }
  }

  // Unlisted files: the scan's rule, entry by entry; a folder above the library's
  // folders shows none of its own.
  std::vector<std::string> wanted;
  const bool inLibrary = platform::InLibrary(libraryFolders, folder);
  for (const auto& entry : inLibrary ? entries.value_or(std::vector<platform::DirEntry>{}) : std::vector<platform::DirEntry>{}) {
    if (entry.directory || !IsSongFileName(entry.name)) continue;
    std::string title = GString(entry.name).FileNamePart(false);
    if (!listed.contains(platform::UpperUtf8(title))) wanted.push_back(std::move(title));
  }
  // Files whose names differ only in letter case ("01.mp3", "01.MP3") are one node each.
  std::unordered_map<std::string, int> missing;
  for (const std::string& title : wanted) ++missing[title];
  const TreeItem folderNode = FindLooseFolderNode(folder);
  for (TreeItem child = folderNode.FirstChild(); !child.IsNull();) {
    const TreeItem next = child.NextSibling();
    if (KindOf(child) == NodeKind::LooseSong) {
      const auto found = missing.find(std::string(child.Label()));
      if (found == missing.end() || found->second == 0) {
        m_pTree->DeleteItem(child.m_hItem);
      } else {
        --found->second;
      }
    }
    child = next;
  }
  ScanContext context;
  context.madeLooseNodes = &made;
  LibraryScanner scanner(m_itemTop, context);
  for (const std::string& title : wanted) {
    if (int& count = missing[title]; count > 0) {
      --count;
      scanner.AddLooseFile(folder, title);
    }
  }
  if (!folderNode.IsNull() && !folderNode.HasChildren()) RemoveWithEmptyAncestors(folderNode);
}

void STreeView::ReloadCatalogues(const std::set<std::string>& changed, std::string_view renamedFrom,
                                 std::string_view renamedTo) {
  // Which of an artist's sections of one album name is the album and which repeat it
  // depends on the order a scan reads them: every folder of an artist whose albums are
  // read again is read again too, in the order of a scan.
  std::set<std::string> folders = changed;
  std::unordered_set<Handle> affectedArtists;
  for (bool grown = true; grown;) {
    grown = false;
    for (TreeItem artist = m_itemTop.FirstChild(); !artist.IsNull(); artist = artist.NextSibling()) {
      if (KindOf(artist) != NodeKind::Artist) continue;
      bool affected = false;
      for (TreeItem album = artist.FirstChild(); !album.IsNull() && !affected; album = album.NextSibling()) {
        affected = folders.contains(std::string(album.Data().value_or("")));
      }
      if (affected) affectedArtists.insert(artist.m_hItem);
      for (TreeItem album = artist.FirstChild(); !album.IsNull() && affected; album = album.NextSibling()) {
        grown |= folders.insert(std::string(album.Data().value_or(""))).second;
      }
    }
  }
  // The albums of these catalogues go, with the artists they leave empty; which of
  // them were open and which songs marked is kept for the nodes that come back.
  KeptMarks marked(*m_pTree, m_itemTop.m_hItem, &affectedArtists);
  std::vector<NodePath> expanded;
  for (TreeItem artist = m_itemTop.FirstChild(); !artist.IsNull();) {
    const TreeItem nextArtist = artist.NextSibling();
    if (KindOf(artist) == NodeKind::Artist && artist.HasChildren()) {
      if (m_pTree->State().IsExpanded(artist.m_hItem)) expanded.push_back(PathOf(artist));
      for (TreeItem album = artist.FirstChild(); !album.IsNull();) {
        const TreeItem next = album.NextSibling();
        if (folders.contains(std::string(album.Data().value_or("")))) {
          if (m_pTree->State().IsExpanded(album.m_hItem)) expanded.push_back(PathOf(album));
          m_pTree->DeleteItem(album.m_hItem);
        }
        album = next;
      }
      if (!artist.HasChildren()) m_pTree->DeleteItem(artist.m_hItem);
    }
    artist = nextArtist;
  }
  // ...and come back as the catalogues now read.
  ScanContext context;
  context.displayMode = m_displayMode;
  context.readCatalogues = catalogue::ReadScanAlbumIni(m_settings.file);
  std::vector<std::string> inScanOrder(folders.begin(), folders.end());
  std::sort(inScanOrder.begin(), inScanOrder.end(), [](const std::string& a, const std::string& b) { return platform::ScanOrderLess(a, b); });
  for (const std::string& folder : inScanOrder) {
    const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
    if (!entries || !context.readCatalogues) continue;
    if (const platform::DirEntry* file = catalogue::CatalogueEntry(*entries)) {
      std::vector<bool> listed(entries->size(), false);
      LibraryScanner(m_itemTop, context).ReadCatalogue(folder, *file, *entries, listed);
    }
  }
  const TreeItem renamed = renamedFrom.empty() ? TreeItem() : FindArtistNode(renamedTo);
  if (!renamed.IsNull()) {
    for (NodePath& path : expanded) {
      if (path.front() == std::pair{NodeKind::Artist, std::string(renamedFrom)}) path.front().second = renamed.Label();
    }
    marked.RenameArtist(renamedFrom, renamed.Label());
  }
  for (const NodePath& path : expanded) ExpandItem(FindPath(path), true);
  marked.ApplyTo(*m_pTree, m_itemTop.m_hItem);  // SyncFolders then recounts the marks above
  SyncFolders(std::vector<std::string>(folders.begin(), folders.end()));
  ReportUnreadCatalogues(context);
}
