// Folders changed behind the program's back, read again one by one instead of the
// whole library, when what changed lies within them.
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/album_catalogue.h"
#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "tree/folder_index.h"
#include "tree/scan_context.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

// The folder a folder path (ending in "/") lies in; empty for "/".
std::string ParentFolder(const std::string& folder) {
  const size_t slash = folder.size() < 2 ? std::string::npos : folder.rfind('/', folder.size() - 2);
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool IsHiddenFolder(const std::string& folder) {
  const std::string parent = ParentFolder(folder);
  return folder.size() > parent.size() && folder[parent.size()] == '.';
}

// The artists the folder's catalogue names now.
std::vector<std::string> ArtistsOf(const std::string& file) {
  std::vector<std::string> artists;
  std::string raw;
  if (platform::ReadRegularFile(file, raw, platform::kMaxProfileSize) != platform::ReadResult::Done) return artists;
  const auto doc = platform::ProfileDocument::Parse(std::move(raw));
  for (const std::string& section : doc->SectionNames()) artists.push_back(doc->Value(section, "Artist").value_or(""));
  return artists;
}

}  // namespace

bool STreeView::ReadFoldersAgain(const std::vector<std::string>& changed) {
  std::unordered_map<std::string, size_t> stampOf;
  std::unordered_map<std::string, std::unordered_set<std::string>> subfoldersOf;
  for (size_t i = 0; i < m_folderStamps.size(); ++i) {
    // Folders reached by links are read after the rest, an order that reading folders
    // again in the order of their paths would not keep.
    if (m_folderStamps[i].throughLink) return false;
    const std::string& folder = m_folderStamps[i].folder;
    stampOf.emplace(folder, i);
    if (!IsHiddenFolder(folder)) subfoldersOf[ParentFolder(folder)].insert(folder);
  }
  // Each folder as it is now, stamped before it is listed; the tree can follow it
  // folder by folder only when it was read before and its subfolders are the same real
  // folders (no links) as then.
  const bool readCatalogues = catalogue::ReadScanAlbumIni(m_settings.file);
  std::vector<FolderStamp> fresh;
  for (const std::string& folder : changed) {
    const auto known = stampOf.find(folder);
    if (known == stampOf.end() || !m_folderStamps[known->second].stamp) return false;
    FolderStamp& now = fresh.emplace_back(FolderStamp{folder, platform::WallClockNs(), platform::StampOf(folder), {}, {}});
    const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
    if (!now.stamp || !entries) return false;
    std::unordered_set<std::string> subfolders;
    for (const platform::DirEntry& entry : *entries) {
      if (!entry.directory || entry.name.starts_with('.')) continue;
      if (entry.link) return false;
      subfolders.insert(folder + entry.name + "/");
    }
    if (subfolders != subfoldersOf[folder]) return false;
    if (const platform::DirEntry* file = readCatalogues ? catalogue::CatalogueEntry(*entries) : nullptr) {
      now.catalogue = file->name;
      now.catalogueStamp = platform::StampOf(folder + file->name);
    }
  }
  // Which of an artist's albums of one name is a duplicate depends on the order a scan
  // meets them: the folders of the artists a changed catalogue names now are read again
  // too (those it named before, ReloadCatalogues adds itself).
  std::set<std::string> folders(changed.begin(), changed.end());
  for (const FolderStamp& now : fresh) {
    if (now.catalogue.empty()) continue;
    for (const std::string& name : ArtistsOf(now.folder + now.catalogue)) {
      const TreeItem artist = FindArtistNode(name);
      if (artist.IsNull()) continue;
      for (TreeItem album = artist.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
        folders.insert(std::string(album.Data().value_or("")));
      }
    }
  }
  for (FolderStamp& now : fresh) m_folderStamps[stampOf[now.folder]] = std::move(now);
  ReloadCatalogues(folders);
  return true;
}
