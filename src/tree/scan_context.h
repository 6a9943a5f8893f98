// What one Refresh carries through its folders.
#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/filesystem.h"
#include "tree/node_kinds.h"
#include "tree/tree_item.h"

namespace tree {

// What a scan running on another thread shows and obeys: the folders and songs so
// far, and a request to stop.
struct ScanProgress {
  std::atomic<std::size_t> folders{0};
  std::atomic<std::size_t> songs{0};
  std::atomic<bool> stop{false};
};

// A folder as a scan read it: when (the wall clock), its stamp, taken before its listing
// (nothing when it could not be opened), and its catalogue's, taken before reading it
// (no name: none read).
struct FolderStamp {
  std::string folder;  // ending in "/"
  std::int64_t readAtNs = 0;
  std::optional<platform::ChangeStamp> stamp;
  std::string catalogue;
  std::optional<platform::ChangeStamp> catalogueStamp;
  bool throughLink = false;  // reached by a link to a folder, so read after the rest
  bool operator==(const FolderStamp&) const = default;
};

struct ScanContext {
  DisplayMode displayMode = DisplayMode::SongTitles;  // at the start of the refresh; decides labels of album songs
  bool readCatalogues = true;  // the "ReadAlbumIni" setting, read once per refresh
  // The top node's children are sorted once at the end, as far as they were when the
  // last artist was added: the order sorting after every new artist would give.
  std::size_t topChildrenAtLastArtist = 0;
  // Volume nodes, and the volume or folder node of each folder that holds loose files,
  // by their data text (the exact path).
  std::unordered_map<std::string, Handle> looseFolders;
  // Every folder read so far, by device and inode: a folder that links or library
  // folders reach again is read once, so links in a circle or a mesh end.
  std::unordered_set<platform::FileIdentity, platform::FileIdentityHash> scanned;
  // Catalogues too large to read, named to the user once the scan is done.
  std::vector<std::string> unreadCatalogues;
  // Every volume, folder and song node AddLooseFile made, when given: nodes added to a
  // tree that already stands, to be put in their place among its nodes.
  std::vector<Handle>* madeLooseNodes = nullptr;
  // Every folder the scan read or failed to open, when given.
  std::vector<FolderStamp>* stamps = nullptr;
  // Counted and obeyed when given.
  ScanProgress* progress = nullptr;
};

// Whether a file of that name is a song: its extension is "mp3" in any letter case.
bool IsSongFileName(const std::string& name);

}  // namespace tree
