#include "tree/library_scanner.h"

#include <cstdlib>
#include <optional>
#include <unordered_map>

#include "catalogue/album_catalogue.h"
#include "catalogue/edit_journal.h"
#include "platform/profile.h"
#include "platform/profile_document.h"
#include "platform/text.h"
#include "platform/volumes.h"
#include "text/gstring.h"
#include "platform/path_list.h"

namespace tree {
namespace {

// Descriptors a scan keeps open at once; deeper folders are opened again by name when
// needed, so no nesting runs out of them.
constexpr size_t kOpenFolders = 64;

// One folder of a scan in progress.
struct Frame {
  size_t pathLength = 0;  // its path is the first pathLength bytes of the scan's path
  std::optional<platform::FolderHandle> handle;  // closed for frames far above the deepest
  std::vector<platform::DirEntry> entries;
  std::vector<bool> listed;  // the entries its catalogue lists
  size_t next = 0;           // the entry to look at next
};

// The handle of the deepest frame, opened again by name from the nearest open one
// above it when it was closed.
const platform::FolderHandle* DeepestHandle(std::vector<Frame>& frames, const std::string& path) {
  const size_t deepest = frames.size() - 1;
  size_t first = deepest;
  while (!frames[first].handle && first > 0 && !frames[first - 1].handle) --first;
  for (size_t i = first; i <= deepest && !frames[i].handle; ++i) {
    if (i == 0) {
      frames[i].handle = platform::FolderHandle::Open(path.substr(0, frames[i].pathLength));
    } else {
      const size_t from = frames[i - 1].pathLength;
      frames[i].handle = frames[i - 1].handle->OpenChild(path.substr(from, frames[i].pathLength - from - 1));
      if (i > first && i - 1 + kOpenFolders <= deepest) frames[i - 1].handle.reset();
    }
    if (!frames[i].handle) return nullptr;
  }
  return &*frames[deepest].handle;
}

}  // namespace

bool IsSongFileName(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && platform::EqualsNoCase(std::string_view(name).substr(dot + 1), "MP3");
}

namespace {

// What a node's name is made of: its label, or, for an album song whose label is the
// other one of its title and file name, its data.
std::string_view NameStem(const TreeItem& item, bool asFileName, DisplayMode mode) {
  if (item.IsNull()) return {};
  const bool useData = KindOf(item) == NodeKind::AlbumSong && asFileName == (mode == DisplayMode::SongTitles);
  return useData ? item.Data().value_or("") : item.Label();
}

constexpr std::string_view kSongExtension = ".mp3";

}  // namespace

std::string NodeName(const TreeItem& item, bool asFileName, DisplayMode mode) {
  std::string name(NameStem(item, asFileName, mode));
  if (asFileName) name += kSongExtension;
  return name;
}

std::string SongFile(const TreeItem& song, DisplayMode mode) {
  const std::string_view folder = song.Parent().Data().value_or("");
  const std::string_view stem = NameStem(song, true, mode);
  std::string path;
  path.reserve(folder.size() + stem.size() + kSongExtension.size());
  path.append(folder).append(stem).append(kSongExtension);
  return path;
}

std::int64_t ListSongSizes(const TreeItem& parent, DisplayMode mode) {
  // By the exact name, and by the upper-cased one for names spelled otherwise than on
  // disk (the first of case twins, as a path resolves).
  std::unordered_map<std::string, std::int64_t> sizes;
  const auto entries = platform::ListDirectory(std::string(parent.Data().value_or("")));
  for (const auto& entry : entries.value_or(std::vector<platform::DirEntry>{})) {
    if (entry.directory) continue;
    sizes.emplace(entry.name, static_cast<std::int64_t>(entry.size));
    sizes.emplace(platform::UpperUtf8(entry.name), static_cast<std::int64_t>(entry.size));
  }
  std::int64_t total = 0;
  for (TreeItem child = parent.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (!IsSong(KindOf(child))) continue;
    const std::string name = NodeName(child, true, mode);
    auto found = sizes.find(name);
    if (found == sizes.end()) found = sizes.find(platform::UpperUtf8(name));
    const std::int64_t size = found == sizes.end() ? 0 : found->second;
    child.m_pTree->Facts(child.m_hItem).size = size;
    total += size;
  }
  return total;
}

TreeItem FindArtist(const TreeItem& top, std::string_view name) {
  const TreeItem found(top.m_pTree->FindChildByLabel(top.m_hItem, name), top.m_pTree);
  if (found.IsNull() || KindOf(found) == NodeKind::Artist) return found;
  // The label index gave another kind of node: look among the rest.
  for (TreeItem child = top.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (KindOf(child) == NodeKind::Artist && platform::EqualsNoCase(child.Label(), name)) return child;
  }
  return {};
}

void LibraryScanner::Counted(std::atomic<std::size_t> ScanProgress::*counter) const {
  if (m_context.progress) (m_context.progress->*counter).fetch_add(1, std::memory_order_relaxed);
}

bool LibraryScanner::Stopped() const {
  return m_context.progress && m_context.progress->stop.load(std::memory_order_relaxed);
}

void LibraryScanner::ScanPaths(const std::string& pathList) {
  catalogue::EditJournal::FinishLeftEdits();  // what a killed edit left half done
  for (const std::string& folder : platform::LibraryFolders(pathList)) ScanTree(folder);
  for (size_t i = 0; i < m_links.size(); ++i) ScanTree(m_links[i], true);  // a linked folder may hold more links
  m_links.clear();
  if (m_context.topChildrenAtLastArtist > 0) m_model.SortChildren(m_top.m_hItem, m_context.topChildrenAtLastArtist);
  if (m_top.HasChildren()) ExpandItem(m_top, true);
}

void LibraryScanner::ScanTree(const std::string& root, bool throughLink) {
  std::string path = root;  // the deepest frame's folder
  std::vector<Frame> frames;
  // Reads the folder at path, opened as handle, unless it was read before.
  const auto enter = [&](std::optional<platform::FolderHandle> handle) {
    if (!handle) return false;
    const auto identity = handle->Identity();
    if (!identity || !m_context.scanned.insert(*identity).second) return false;
    FolderStamp* stamp = nullptr;
    if (m_context.stamps) {
      stamp = &m_context.stamps->emplace_back(FolderStamp{path, platform::WallClockNs(), {}, {}, {}, throughLink});
      stamp->stamp = handle->Stamp();
    }
    auto entries = handle->List(platform::ListDetail::NamesAndKinds);
    if (!entries) return false;
    Counted(&ScanProgress::folders);
    std::vector<bool> listed(entries->size(), false);
    if (m_context.readCatalogues) {
      if (const platform::DirEntry* catalogueEntry = catalogue::CatalogueEntry(*entries)) {
        if (stamp) {
          stamp->catalogue = catalogueEntry->name;
          stamp->catalogueStamp = handle->StampOf(catalogueEntry->name);
        }
        ReadCatalogue(path, *catalogueEntry, *entries, listed, &*handle);
      }
    }
    frames.push_back({path.size(), std::move(handle), std::move(*entries), std::move(listed)});
    if (frames.size() > kOpenFolders) frames[frames.size() - 1 - kOpenFolders].handle.reset();
    return true;
  };
  // A folder not read (missing, unreadable, or read already by another name) is stamped
  // all the same: it may turn up, open or point elsewhere later.
  const auto enterOrStamp = [&](std::optional<platform::FolderHandle> handle) {
    const size_t stamped = m_context.stamps ? m_context.stamps->size() : 0;
    if (enter(std::move(handle))) return true;
    if (m_context.stamps && m_context.stamps->size() == stamped) {
      const std::int64_t readAt = platform::WallClockNs();
      m_context.stamps->push_back({path, readAt, platform::StampOf(path), {}, {}, throughLink});
    }
    return false;
  };
  if (!Stopped()) enterOrStamp(platform::FolderHandle::Open(path));
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.next == frame.entries.size() || Stopped()) {
      frames.pop_back();
      if (!frames.empty()) path.resize(frames.back().pathLength);
      continue;
    }
    const size_t index = frame.next++;
    const platform::DirEntry& entry = frame.entries[index];
    if (entry.directory) {
      if (entry.name.starts_with('.')) continue;  // hidden
      if (entry.link) {
        m_links.push_back(path + entry.name + "/");
        continue;
      }
      const platform::FolderHandle* parent = DeepestHandle(frames, path);
      const size_t parentLength = path.size();
      path.append(entry.name).append("/");
      std::optional<platform::FolderHandle> child = parent ? parent->OpenChild(entry.name) : std::nullopt;
      if (!child) child = platform::FolderHandle::Open(path);  // also when out of descriptors
      if (!enterOrStamp(std::move(child))) path.resize(parentLength);
    } else if (!frame.listed[index] && IsSongFileName(entry.name)) {
      AddLooseFile(path, entry.name.substr(0, entry.name.rfind('.')));
    }
  }
}

void LibraryScanner::ReadCatalogue(const std::string& folder, const platform::DirEntry& catalogueEntry,
                                   const std::vector<platform::DirEntry>& entries, std::vector<bool>& listed,
                                   const platform::FolderHandle* opened) {
  const std::string file = folder + catalogueEntry.name;
  std::string raw;
  const platform::ReadResult read = opened ? opened->ReadFile(catalogueEntry, raw, platform::kMaxProfileSize)
                                           : platform::ReadRegularFile(file, raw, platform::kMaxProfileSize);
  if (read == platform::ReadResult::TooLarge) m_context.unreadCatalogues.push_back(file);
  if (read != platform::ReadResult::Done) return;
  const auto doc = platform::ProfileDocument::Parse(std::move(raw));
  for (const std::string& section : doc->SectionNames()) {
    const std::string artist = doc->Value(section, "Artist").value_or("");
    if (artist.empty()) continue;
    TreeItem artistNode = FindArtist(m_top, artist);
    if (artistNode.IsNull()) {
      artistNode = m_top.AddChild(artist, NodeKind::Artist);
      m_context.topChildrenAtLastArtist = m_model.ChildCount(m_top.m_hItem);
    }
    const GString albumName = GString(section).Field(2, ":");
    if (albumName.empty()) continue;
    if (m_model.FindChildByLabel(artistNode.m_hItem, albumName) != kNullHandle) {
      const TreeItem duplicate = artistNode.AddChild(std::string(kDuplicateAlbumPrefix) + albumName, NodeKind::DuplicateAlbum);
      m_model.SetData(duplicate.m_hItem, folder);
      m_model.SortChildren(artistNode.m_hItem);
      continue;
    }
    const TreeItem album = artistNode.AddChild(albumName, NodeKind::Album);
    m_model.SetData(album.m_hItem, folder);
    const bool titles = m_context.displayMode == DisplayMode::SongTitles;
    std::string fileName;
    catalogue::ForEachSongEntry(*doc, section, [&](const catalogue::SongEntryView& entry) {
      const TreeItem song =
          album.AddChild(titles && !entry.title.empty() ? entry.title : entry.fileTitle, NodeKind::AlbumSong);
      m_model.Facts(song.m_hItem).hasTitle = !entry.title.empty();
      Counted(&ScanProgress::songs);
      fileName.assign(entry.fileTitle).append(".mp3");
      const auto files = platform::EntriesNoCase(entries, fileName);
      if (files.empty()) {
        m_model.SetMark(song.m_hItem, Mark::Missing);
        ExpandItem(album, true);
        ExpandItem(artistNode, true);
      }
      m_model.SetData(song.m_hItem, titles ? entry.fileTitle : entry.title);
      // The file and its case twins.
      for (const platform::DirEntry& file : files) listed[static_cast<size_t>(&file - entries.data())] = true;
    });
  }
}

Handle LibraryScanner::LooseFolderNode(Handle parent, std::string_view component, std::string_view path) {
  // Nodes made before this scan context (a file put back after a delete) are found by
  // their data text too: by the label index first, then among case twins and volumes.
  if (!component.empty()) {
    const Handle byLabel = m_model.FindChildByLabel(parent, component);
    if (byLabel != kNullHandle && m_model.GetData(byLabel).value_or("") == path) {
      return KindOf(Item(byLabel)) == NodeKind::LooseSong ? kNullHandle : byLabel;
    }
    if (byLabel == kNullHandle) return kNullHandle;
  }
  for (TreeItem child = Item(parent).FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (child.Data().value_or("") != path) continue;
    return KindOf(child) == NodeKind::LooseSong ? kNullHandle : child.m_hItem;
  }
  return kNullHandle;
}

void LibraryScanner::AddLooseFile(const std::string& folder, const std::string& fileTitle) {
  Handle folderNode = kNullHandle;
  if (const auto known = m_context.looseFolders.find(folder); known != m_context.looseFolders.end()) {
    folderNode = known->second;
  } else {
    const platform::VolumeInfo volume = platform::Volumes().VolumeOf(folder);
    std::string accumulated = folder.starts_with(volume.mountPoint) ? volume.mountPoint : "/";
    const auto knownVolume = m_context.looseFolders.find(accumulated);
    Handle current = knownVolume != m_context.looseFolders.end() ? knownVolume->second
                                                                  : LooseFolderNode(m_top.m_hItem, {}, accumulated);
    if (current == kNullHandle) {
      current = m_model.InsertItem(m_top.m_hItem, platform::VolumeDisplayName({accumulated, volume.label, volume.type}),
                                   NodeKind::Volume, volume.type);
      m_model.SetData(current, accumulated);
      Made(current);
    }
    m_context.looseFolders.emplace(accumulated, current);
    // One folder node per path component below the mount point.
    size_t pos = accumulated.size();
    while (pos < folder.size()) {
      const size_t slash = folder.find('/', pos);
      const std::string_view component = std::string_view(folder).substr(pos, slash - pos);
      const std::string_view path = std::string_view(folder).substr(0, slash + 1);
      pos = slash + 1;
      if (const Handle known = LooseFolderNode(current, component, path)) {
        current = known;
        continue;
      }
      current = m_model.InsertItem(current, component, NodeKind::Folder);
      m_model.SetData(current, path);
      Made(current);
    }
    folderNode = current;
    m_context.looseFolders.emplace(folder, folderNode);
  }
  const Handle file = m_model.InsertItem(folderNode, fileTitle, NodeKind::LooseSong);
  Counted(&ScanProgress::songs);
  m_model.SetData(file, m_model.GetData(folderNode));
  Made(file);
}

void LibraryScanner::Made(Handle node) const {
  if (m_context.madeLooseNodes) m_context.madeLooseNodes->push_back(node);
}

}  // namespace tree
