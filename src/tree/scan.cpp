// The library scan: folder trees and their catalogues into artist, album and song
// nodes, and unlisted MP3 files under volume and folder nodes.
#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include "catalogue/album_catalogue.h"
#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "platform/volumes.h"
#include "res/texts.h"
#include "tree/scan_context.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

int VolumeImage(platform::DriveType type) {
  switch (type) {
    case platform::DriveType::Removable: return kImageRemovable;
    case platform::DriveType::Network: return kImageNetworkDrive;
    case platform::DriveType::CdRom: return kImageCdRom;
    default: return kImageFixedDrive;
  }
}

// A path of the list as a folder path: "~/" is the home folder, a relative path is
// taken from the current directory, runs of "/" are one, and it ends in "/".
std::string NormalisedFolder(std::string path) {
  if (path == "~" || path.starts_with("~/")) {
    const char* home = std::getenv("HOME");
    if (home) path = std::string(home) + path.substr(1);
  }
  if (!path.starts_with('/')) path = platform::CurrentDirectory() + path;
  std::string folder;
  for (const char c : path) {
    if (c != '/' || folder.empty() || folder.back() != '/') folder += c;
  }
  if (folder.back() != '/') folder += '/';
  return folder;
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

bool tree::IsSongFileName(const std::string& name) {
  return platform::EqualsNoCase(GString(name).ExtensionPart(false), "MP3");
}

void STreeView::ReportUnreadCatalogues(const ScanContext& context) {
  if (context.unreadCatalogues.empty()) return;
  std::string text = res::msg::kCataloguesTooLarge;
  for (const std::string& file : context.unreadCatalogues) text += "\n" + file;
  platform::ShowError(text);
}

void STreeView::Refresh(const GString& pathList) {
  platform::WaitCursor wait;
  // Edits on the page belong to the node that is about to go.
  SaveDetails(Item(m_pTree->GetSelection()));
  m_shown.reset();
  ExpandNode(m_itemTop, false);
  const std::string topLabel(m_itemTop.Label());
  m_nMarkedSize = 0;
  DeleteBranch(m_itemTop, true);
  m_pTree->CompactTexts();  // the texts of the old tree go with it
  m_pTree->SetLabel(m_itemTop.m_hItem, res::node::kScanning);
  m_pTree->SetOverlay(m_itemTop.m_hItem, kOverlayNone);

  // The scan dispatches no messages: views hear of the new tree once, at its end.
  m_pTree->BeginBatch();
  ScanContext context;
  context.displayMode = m_displayMode;
  context.readCatalogues = catalogue::ReadScanAlbumIni(m_strIniFile);
  ScanPaths(context, pathList);
  m_pTree->SetLabel(m_itemTop.m_hItem, topLabel);
  m_pTree->EndBatch();
  ReportUnreadCatalogues(context);

  m_strPathList = pathList;
  m_nLibrarySize = -1;
  SelectAndShow(m_itemTop);
  OnMarkChanged(false, nullptr);
  if (!HasArtists()) m_displayMode = DisplayMode::FileNames;
}

void STreeView::ScanPaths(ScanContext& context, const GString& pathList) {
  const int count = pathList.FieldCount(";");
  for (int i = 1; i <= count; ++i) {
    GString path = pathList.Field(i, ";");
    path.Trim(" \t");
    if (path.empty()) continue;
    ScanFolder(context, NormalisedFolder(path));
  }
  if (context.topChildrenAtLastArtist > 0) m_pTree->SortChildren(m_itemTop.m_hItem, context.topChildrenAtLastArtist);
  if (m_itemTop.HasChildren()) ExpandNode(m_itemTop, true);
}

void STreeView::ScanFolder(ScanContext& context, const std::string& folder) {
  const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
  if (!entries) return;
  context.scanning.push_back(folder);
  context.identities.emplace_back();

  // Upper-cased file titles of the songs this folder's catalogue lists.
  std::unordered_set<std::string> listed;
  if (context.readCatalogues) {
    if (const platform::DirEntry* catalogueEntry = catalogue::CatalogueEntry(*entries)) {
      ReadCatalogue(context, folder, folder + catalogueEntry->name, *entries, listed);
    }
  }

  for (const auto& entry : *entries) {
    const bool hidden = entry.name.starts_with('.');
    if (entry.directory && !hidden) {
      if (entry.link && LeadsBack(context, folder + entry.name)) continue;
      ScanFolder(context, folder + entry.name + "/");
    } else {
      if (!IsSongFileName(entry.name)) continue;
      const std::string fileTitle = GString(entry.name).FileNamePart(false);
      if (!listed.contains(platform::UpperUtf8(fileTitle))) AddLooseFile(context, folder, fileTitle);
    }
  }
  context.scanning.pop_back();
  context.identities.pop_back();
}

void STreeView::ReadCatalogue(ScanContext& context, const std::string& folder, const std::string& file,
                              const std::vector<platform::DirEntry>& entries, std::unordered_set<std::string>& listed) {
  std::string raw;
  const platform::ReadResult read = platform::ReadRegularFile(file, raw, platform::kMaxProfileSize);
  if (read == platform::ReadResult::TooLarge) context.unreadCatalogues.push_back(file);
  if (read != platform::ReadResult::Done) return;
  const auto doc = platform::ProfileDocument::Parse(std::move(raw));
  for (const std::string& section : doc->SectionNames()) {
    const std::string artist = doc->Value(section, "Artist").value_or("");
    if (artist.empty()) continue;
    TreeItem artistNode = FindArtistNode(artist);
    if (artistNode.IsNull()) {
      artistNode = m_itemTop.AddChild(artist, kImageArtist);
      context.topChildrenAtLastArtist = m_pTree->ChildCount(m_itemTop.m_hItem);
    }
    const GString albumName = GString(section).Field(2, ":");
    if (albumName.empty()) continue;
    if (m_pTree->FindChildByLabel(artistNode.m_hItem, albumName) != kNullHandle) {
      artistNode.AddChild(std::string(kDuplicateAlbumPrefix) + albumName, kImageAlbum);
      m_pTree->SortChildren(artistNode.m_hItem);
      continue;
    }
    const TreeItem album = artistNode.AddChild(albumName, kImageAlbum);
    m_pTree->SetData(album.m_hItem, folder);
    for (const catalogue::SongEntryLine& entry : catalogue::ReadSongEntries(*doc, section)) {
      const bool showTitle = !entry.title.empty() && context.displayMode == DisplayMode::SongTitles;
      const TreeItem song = album.AddChild(showTitle ? entry.title : entry.fileTitle, kImageSong);
      if (!platform::FindEntryNoCase(entries, entry.fileTitle + ".mp3")) {
        m_pTree->SetOverlay(song.m_hItem, kOverlayMissing);
        ExpandNode(album, true);
        ExpandNode(artistNode, true);
      }
      m_pTree->SetData(song.m_hItem, context.displayMode == DisplayMode::SongTitles ? entry.fileTitle : entry.title);
      listed.insert(platform::UpperUtf8(entry.fileTitle));
    }
  }
}

void STreeView::AddLooseFile(ScanContext& context, const std::string& folder, const std::string& fileTitle) {
  Handle folderNode = kNullHandle;
  if (const auto known = context.looseFolders.find(folder); known != context.looseFolders.end()) {
    folderNode = known->second;
  } else {
    const platform::VolumeInfo volume = platform::Volumes().VolumeOf(folder);
    std::string accumulated = folder.starts_with(volume.mountPoint) ? volume.mountPoint : "/";
    // Nodes made before this scan context (a file put back after a delete) are found
    // by their data text too.
    const auto existing = [&](Handle parent, const std::string& path) {
      const auto known = context.looseFolders.find(path);
      if (known != context.looseFolders.end()) return known->second;
      const TreeItem found = FindChildNode(Item(parent), path, false, true);
      if (!found.IsNull() && GetNodeKind(found) != kSongNode) context.looseFolders.emplace(path, found.m_hItem);
      return found.IsNull() || GetNodeKind(found) == kSongNode ? kNullHandle : found.m_hItem;
    };
    Handle current = existing(m_itemTop.m_hItem, accumulated);
    if (current == kNullHandle) {
      current = m_pTree->InsertItem(m_itemTop.m_hItem, platform::VolumeDisplayName({accumulated, volume.label, volume.type}),
                                    VolumeImage(volume.type));
      m_pTree->SetData(current, accumulated);
      context.looseFolders.emplace(accumulated, current);
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
      current = m_pTree->InsertItem(current, component, kImageFolder);
      m_pTree->SetData(current, accumulated);
      context.looseFolders.emplace(accumulated, current);
    }
    folderNode = current;
  }
  const Handle file = m_pTree->InsertItem(folderNode, fileTitle, kImageSong);
  m_pTree->SetData(file, m_pTree->GetData(folderNode));
}

TreeItem STreeView::FindArtistNode(std::string_view name) const {
  const TreeItem found(m_pTree->FindChildByLabel(m_itemTop.m_hItem, name), m_pTree);
  if (found.IsNull() || GetNodeKind(found) == kArtistNode) return found;
  // The label index gave another kind of node: look among the rest.
  for (TreeItem child = m_itemTop.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (GetNodeKind(child) == kArtistNode && platform::EqualsNoCase(child.Label(), name)) return child;
  }
  return {};
}

TreeItem STreeView::FindChildNode(const TreeItem& parent, const std::string& label, bool recursive, bool byData,
                                  const std::string& dataText) const {
  for (TreeItem child = parent.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const std::string_view data = child.Data().value_or("");
    bool match;
    if (!dataText.empty()) {
      match = data == dataText && platform::EqualsNoCase(child.Label(), label);
    } else if (byData) {
      match = data == label;
    } else {
      match = platform::EqualsNoCase(child.Label(), label);
    }
    if (match) return child;
    if (recursive && child.HasChildren()) {
      const TreeItem found = FindChildNode(child, label, recursive, byData, dataText);
      if (!found.IsNull()) return found;
    }
  }
  return {};
}
