// Folders changed behind the program's back, read again one by one instead of the
// whole library: their files and catalogues, folders made in them read whole, folders
// gone from them dropped with everything below.
#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/album_catalogue.h"
#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/path_list.h"
#include "platform/profile.h"
#include "tree/scan_context.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

using platform::ParentFolder;

// The artists the catalogue names now.
std::vector<std::string> ArtistsOf(const std::string& file) {
  std::vector<std::string> artists;
  std::string raw;
  if (platform::ReadRegularFile(file, raw, platform::kMaxProfileSize) != platform::ReadResult::Done) return artists;
  const auto doc = platform::ProfileDocument::Parse(std::move(raw));
  for (const std::string& section : doc->SectionNames()) artists.push_back(doc->Value(section, "Artist").value_or(""));
  return artists;
}

// The folder as it is now, stamped before it is listed, with its subfolders (hidden ones
// left out); nothing when it cannot be read or holds a link to a folder, whose folders
// a scan reads after all the rest.
struct ReadFolder {
  FolderStamp stamp;
  std::vector<std::string> subfolders;
};
std::optional<ReadFolder> ReadNow(const std::string& folder, bool readCatalogues) {
  ReadFolder read{{folder, platform::WallClockNs(), platform::StampOf(folder), {}, {}, false}, {}};
  const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
  if (!read.stamp.stamp || !entries) return std::nullopt;
  for (const platform::DirEntry& entry : *entries) {
    if (!entry.directory || entry.name.starts_with('.')) continue;
    if (entry.link) return std::nullopt;
    read.subfolders.push_back(folder + entry.name + "/");
  }
  if (const platform::DirEntry* file = readCatalogues ? catalogue::CatalogueEntry(*entries) : nullptr) {
    read.stamp.catalogue = file->name;
    read.stamp.catalogueStamp = platform::StampOf(folder + file->name);
  }
  return read;
}

}  // namespace

bool STreeView::ReadFoldersAgain(const std::vector<std::string>& changed) {
  std::unordered_map<std::string, size_t> stampOf;
  std::unordered_map<std::string, std::vector<std::string>> subfoldersOf;
  for (size_t i = 0; i < m_folderStamps.size(); ++i) {
    // Folders reached by links are read after the rest, an order that reading folders
    // again in the order of their paths would not keep.
    if (m_folderStamps[i].throughLink) return false;
    const std::string& folder = m_folderStamps[i].folder;
    stampOf.emplace(folder, i);
    // A scan never enters a hidden folder: one stamped is a folder of the path list,
    // never found below another stamped folder.
    subfoldersOf[ParentFolder(folder)].push_back(folder);
  }
  const bool readCatalogues = catalogue::ReadScanAlbumIni(m_settings.file);
  std::set<std::string> gone;
  std::vector<FolderStamp> fresh;
  // A folder gone takes every folder read below it along.
  const auto drop = [&](const std::string& folder) {
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
      const std::string next = std::move(pending.back());
      pending.pop_back();
      if (!gone.insert(next).second) continue;
      for (const std::string& below : subfoldersOf[next]) pending.push_back(below);
    }
  };
  // A folder missing when the tree was read has no subfolders in it: it is read whole.
  for (const std::string& folder : changed) {
    if (!platform::PathExists(folder)) {
      // Its folder has changed too, unless it is one of the path list's.
      if (!stampOf.contains(ParentFolder(folder))) return false;
      drop(folder);
      continue;
    }
    std::optional<ReadFolder> now = ReadNow(folder, readCatalogues);
    if (!now) return false;
    const std::vector<std::string>& before = subfoldersOf[folder];
    const std::unordered_set<std::string> present(now->subfolders.begin(), now->subfolders.end());
    for (const std::string& subfolder : before) {
      if (!present.contains(subfolder)) drop(subfolder);
    }
    // Folders made since are read whole, as a scan reads them.
    std::vector<std::string> made;
    for (const std::string& subfolder : now->subfolders) {
      if (std::find(before.begin(), before.end(), subfolder) == before.end()) made.push_back(subfolder);
    }
    fresh.push_back(std::move(now->stamp));
    while (!made.empty()) {
      const std::string next = std::move(made.back());
      made.pop_back();
      std::optional<ReadFolder> inside = ReadNow(next, readCatalogues);
      if (!inside) return false;
      made.insert(made.end(), inside->subfolders.begin(), inside->subfolders.end());
      fresh.push_back(std::move(inside->stamp));
    }
  }
  // Which of an artist's albums of one name is a duplicate depends on the order a scan
  // meets them: the folders of the artists a changed catalogue names now are read again
  // too (those it named before, ReloadCatalogues adds itself).
  std::set<std::string> folders(gone.begin(), gone.end());
  for (const FolderStamp& now : fresh) {
    folders.insert(now.folder);
    if (now.catalogue.empty()) continue;
    for (const std::string& name : ArtistsOf(now.folder + now.catalogue)) {
      const TreeItem artist = FindArtistNode(name);
      if (artist.IsNull()) continue;
      for (TreeItem album = artist.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
        folders.insert(std::string(album.Data().value_or("")));
      }
    }
  }
  // The stamps follow: those of folders gone go, those read again are replaced where
  // they stand (the watch then sees the same folders in the same order), new ones last.
  std::vector<FolderStamp> stamps;
  stamps.reserve(m_folderStamps.size() + fresh.size());
  std::unordered_map<std::string, size_t> renewed;  // the first reading of each folder
  for (size_t i = 0; i < fresh.size(); ++i) renewed.emplace(fresh[i].folder, i);
  std::vector<bool> placed(fresh.size(), false);
  for (FolderStamp& stamp : m_folderStamps) {
    if (gone.contains(stamp.folder)) continue;
    const auto found = renewed.find(stamp.folder);
    if (found == renewed.end()) {
      stamps.push_back(std::move(stamp));
    } else if (!placed[found->second]) {
      placed[found->second] = true;
      stamps.push_back(std::move(fresh[found->second]));
    }
  }
  for (size_t i = 0; i < fresh.size(); ++i) {
    if (!placed[i] && renewed.at(fresh[i].folder) == i) stamps.push_back(std::move(fresh[i]));
  }
  m_folderStamps = std::move(stamps);
  // The selection stays on its node when that comes back.
  const Handle selected = m_pTree->State().GetSelection();
  const NodePath selectedPath = PathOf(Item(selected));
  ReloadCatalogues(folders);
  if (!m_pTree->IsValid(selected) && !selectedPath.empty()) {
    if (const TreeItem again = FindPath(selectedPath); !again.IsNull()) m_pTree->State().SelectItem(again.m_hItem);
  }
  return true;
}
