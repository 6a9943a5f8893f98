#include "tree/library_scanner.h"

#include <cstdlib>
#include <optional>
#include <unordered_map>

#include "catalogue/album_catalogue.h"
#include "platform/profile.h"
#include "platform/profile_document.h"
#include "platform/text.h"
#include "platform/volumes.h"
#include "text/gstring.h"
#include "tree/path_list.h"

namespace tree {
namespace {

int VolumeImage(platform::DriveType type) {
  switch (type) {
    case platform::DriveType::Removable: return kImageRemovable;
    case platform::DriveType::Network: return kImageNetworkDrive;
    case platform::DriveType::CdRom: return kImageCdRom;
    default: return kImageFixedDrive;
  }
}

// Whether a link to a folder points at a folder being scanned (it would never end).
bool LeadsBack(ScanContext& context, const std::string& link) {
  const auto target = platform::IdentityOf(link);
  if (!target) return true;
  for (size_t i = 0; i < context.scanning.size(); ++i) {
    if (!context.identities[i]) context.identities[i] = platform::IdentityOf(context.scanning[i]);
    if (context.identities[i] == target) return true;
  }
  return false;
}

}  // namespace

bool IsSongFileName(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && platform::EqualsNoCase(std::string_view(name).substr(dot + 1), "MP3");
}

std::string NodeName(const TreeItem& item, bool asFileName, DisplayMode mode) {
  std::string name;
  if (!item.IsNull()) {
    const bool useData = KindOf(item.Parent()) == kAlbumNode && asFileName == (mode == DisplayMode::SongTitles);
    name = useData ? std::string(item.Data().value_or("")) : std::string(item.Label());
  }
  if (asFileName) name += ".mp3";
  return name;
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
    if (KindOf(child) != kSongNode) continue;
    const std::string name = NodeName(child, true, mode);
    auto found = sizes.find(name);
    if (found == sizes.end()) found = sizes.find(platform::UpperUtf8(name));
    const std::int64_t size = found == sizes.end() ? 0 : found->second;
    child.m_pTree->SetSize(child.m_hItem, size);
    total += size;
  }
  return total;
}

TreeItem FindArtist(const TreeItem& top, std::string_view name) {
  const TreeItem found(top.m_pTree->FindChildByLabel(top.m_hItem, name), top.m_pTree);
  if (found.IsNull() || KindOf(found) == kArtistNode) return found;
  // The label index gave another kind of node: look among the rest.
  for (TreeItem child = top.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (KindOf(child) == kArtistNode && platform::EqualsNoCase(child.Label(), name)) return child;
  }
  return {};
}

void LibraryScanner::Counted(std::atomic<std::size_t> ScanProgress::*counter) const {
  if (m_context.progress) (m_context.progress->*counter).fetch_add(1, std::memory_order_relaxed);
}

void LibraryScanner::ScanPaths(const std::string& pathList) {
  for (const std::string& folder : LibraryFolders(pathList)) ScanFolder(folder);
  if (m_context.topChildrenAtLastArtist > 0) m_model.SortChildren(m_top.m_hItem, m_context.topChildrenAtLastArtist);
  if (m_top.HasChildren()) ExpandItem(m_top, true);
}

void LibraryScanner::ScanFolder(const std::string& folder, const platform::FolderHandle* parent, const std::string& name) {
  if (m_context.progress && m_context.progress->stop.load(std::memory_order_relaxed)) return;
  std::optional<platform::FolderHandle> handle = parent ? parent->OpenChild(name) : std::nullopt;
  if (!handle) handle = platform::FolderHandle::Open(folder);  // also when out of file handles
  if (!handle) return;
  const auto entries = handle->List(platform::ListDetail::NamesAndKinds);
  if (!entries) return;
  Counted(&ScanProgress::folders);
  m_context.scanning.push_back(folder);
  m_context.identities.emplace_back();

  // The entries this folder's catalogue lists.
  std::vector<bool> listed(entries->size(), false);
  if (m_context.readCatalogues) {
    if (const platform::DirEntry* catalogueEntry = catalogue::CatalogueEntry(*entries)) {
      ReadCatalogue(folder, *catalogueEntry, *entries, listed, &*handle);
    }
  }

  for (size_t i = 0; i < entries->size(); ++i) {
    const platform::DirEntry& entry = (*entries)[i];
    const bool hidden = entry.name.starts_with('.');
    if (entry.directory && !hidden) {
      if (entry.link && LeadsBack(m_context, folder + entry.name)) continue;
      ScanFolder(folder + entry.name + "/", &*handle, entry.name);
    } else if (!entry.directory && !listed[i] && IsSongFileName(entry.name)) {
      AddLooseFile(folder, entry.name.substr(0, entry.name.rfind('.')));
    }
  }
  m_context.scanning.pop_back();
  m_context.identities.pop_back();
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
      artistNode = m_top.AddChild(artist, kImageArtist);
      m_context.topChildrenAtLastArtist = m_model.ChildCount(m_top.m_hItem);
    }
    const GString albumName = GString(section).Field(2, ":");
    if (albumName.empty()) continue;
    if (m_model.FindChildByLabel(artistNode.m_hItem, albumName) != kNullHandle) {
      artistNode.AddChild(std::string(kDuplicateAlbumPrefix) + albumName, kImageAlbum);
      m_model.SortChildren(artistNode.m_hItem);
      continue;
    }
    const TreeItem album = artistNode.AddChild(albumName, kImageAlbum);
    m_model.SetData(album.m_hItem, folder);
    const bool titles = m_context.displayMode == DisplayMode::SongTitles;
    std::string fileName;
    catalogue::ForEachSongEntry(*doc, section, [&](const catalogue::SongEntryView& entry) {
      const TreeItem song = album.AddChild(titles && !entry.title.empty() ? entry.title : entry.fileTitle, kImageSong);
      Counted(&ScanProgress::songs);
      fileName.assign(entry.fileTitle).append(".mp3");
      const auto files = platform::EntriesNoCase(entries, fileName);
      if (files.empty()) {
        m_model.SetOverlay(song.m_hItem, kOverlayMissing);
        ExpandItem(album, true);
        ExpandItem(artistNode, true);
      }
      m_model.SetData(song.m_hItem, titles ? entry.fileTitle : entry.title);
      // The file and its case twins.
      for (const platform::DirEntry& file : files) listed[static_cast<size_t>(&file - entries.data())] = true;
    });
  }
}

void LibraryScanner::AddLooseFile(const std::string& folder, const std::string& fileTitle) {
  Handle folderNode = kNullHandle;
  if (const auto known = m_context.looseFolders.find(folder); known != m_context.looseFolders.end()) {
    folderNode = known->second;
  } else {
    const platform::VolumeInfo volume = platform::Volumes().VolumeOf(folder);
    std::string accumulated = folder.starts_with(volume.mountPoint) ? volume.mountPoint : "/";
    // Nodes made before this scan context (a file put back after a delete) are found
    // by their data text too.
    const auto existing = [&](Handle parent, const std::string& path) {
      const auto known = m_context.looseFolders.find(path);
      if (known != m_context.looseFolders.end()) return known->second;
      for (TreeItem child = Item(parent).FirstChild(); !child.IsNull(); child = child.NextSibling()) {
        if (child.Data().value_or("") != path) continue;
        if (KindOf(child) == kSongNode) return kNullHandle;
        m_context.looseFolders.emplace(path, child.m_hItem);
        return child.m_hItem;
      }
      return kNullHandle;
    };
    Handle current = existing(m_top.m_hItem, accumulated);
    if (current == kNullHandle) {
      current = m_model.InsertItem(m_top.m_hItem, platform::VolumeDisplayName({accumulated, volume.label, volume.type}),
                                   VolumeImage(volume.type));
      m_model.SetData(current, accumulated);
      m_context.looseFolders.emplace(accumulated, current);
    }
    // One folder node per path component below the mount point.
    size_t pos = accumulated.size();
    while (pos < folder.size()) {
      const size_t slash = folder.find('/', pos);
      const std::string component = folder.substr(pos, slash - pos);
      accumulated = folder.substr(0, slash + 1);
      pos = slash + 1;
      if (const Handle known = existing(current, accumulated)) {
        current = known;
        continue;
      }
      current = m_model.InsertItem(current, component, kImageFolder);
      m_model.SetData(current, accumulated);
      m_context.looseFolders.emplace(accumulated, current);
    }
    folderNode = current;
  }
  const Handle file = m_model.InsertItem(folderNode, fileTitle, kImageSong);
  Counted(&ScanProgress::songs);
  m_model.SetData(file, m_model.GetData(folderNode));
}

}  // namespace tree
