// Playing: the songs beneath a node or the marked songs; the other context-menu
// commands are handed on.

#include <unordered_map>

#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/node_kinds.h"
#include "tree/play_songs.h"
#include "tree/stree_view.h"

using namespace tree;


std::string STreeView::SongPath(const TreeItem& song) const {
  return platform::ResolveCase(std::string(song.Parent().Data().value_or("")) + GetNodeName(song, true));
}

std::vector<std::string> STreeView::SongPaths(const std::vector<TreeItem>& songs) const {
  std::unordered_map<std::string, std::optional<std::vector<platform::DirEntry>>> listings;
  std::vector<std::string> paths;
  paths.reserve(songs.size());
  for (const TreeItem& song : songs) {
    const std::string folder(song.Parent().Data().value_or(""));
    auto listing = listings.find(folder);
    if (listing == listings.end()) {
      listing = listings.emplace(folder, platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds)).first;
    }
    paths.push_back(listing->second ? platform::ResolveCaseIn(folder, *listing->second, GetNodeName(song, true))
                                    : SongPath(song));
  }
  return paths;
}

void STreeView::CollectSongPaths(const TreeItem& node, bool all, std::vector<std::string>& paths) {
  // The songs' names are resolved from one listing of their folder, not one look-up each.
  const std::string folder(node.Data().value_or(""));
  std::optional<std::optional<std::vector<platform::DirEntry>>> listing;
  for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const Mark mark = GetMark(child);
    if (mark == Mark::Missing) continue;
    if (!IsSong(GetNodeKind(child))) {
      // Only songs are lines: an empty album, a duplicate album or an artist without
      // albums adds nothing.
      if (mark != Mark::None || all) CollectSongPaths(child, all, paths);
    } else if (mark == Mark::Marked || all) {
      if (!listing) listing = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
      paths.push_back(*listing ? platform::ResolveCaseIn(folder, **listing, GetNodeName(child, true)) : SongPath(child));
    }
  }
}

std::vector<std::string> STreeView::SongFiles(const TreeItem& node) {
  std::vector<std::string> paths;
  if (node.IsNull()) return paths;
  if (!IsSong(GetNodeKind(node))) {
    CollectSongPaths(node, true, paths);
  } else if (GetMark(node) != Mark::Missing) {
    paths.push_back(SongPath(node));
  }
  return paths;
}

void STreeView::OnPopupCommand(unsigned id, const TreeItem& node) {
  if (id == res::ID_ADD_ALBUM || id == res::ID_DELETE_NODE || id == res::ID_RENAME_NODE) {
    if (!m_pPopup) return;
    if (id == res::ID_ADD_ALBUM) m_pPopup->AddAlbum(node == m_itemTop ? TreeItem() : node);
    if (id == res::ID_DELETE_NODE && !node.IsNull()) m_pPopup->DeleteNode(node);
    if (id == res::ID_RENAME_NODE && !node.IsNull()) m_pPopup->RenameNode(node);
    return;
  }
  if (id != res::ID_PLAY_NOW && id != res::ID_PLAY_SELECTED) return;

  const catalogue::PlaySettings settings = catalogue::ReadTreePlaySettings(m_strIniFile, m_strPlaylistFolder);
  if (id == res::ID_PLAY_NOW && !node.IsNull() && IsSong(GetNodeKind(node))) {
    const std::string song = SongPath(node);
    // A missing file is left out here as everywhere: then nothing is left to play.
    if (!platform::IsRegularFile(song)) {
      platform::ShowError(res::msg::kNoSongsToPlay);
      return;
    }
    const auto argument = settings.longFilenames ? std::optional<std::string>(song) : platform::ShortPathName(song);
    if (argument) tree::StartPlayer(settings, *argument);
    return;
  }
  platform::WaitCursor wait;
  std::vector<std::string> paths;
  if (id == res::ID_PLAY_NOW) {
    CollectSongPaths(node.IsNull() ? m_itemTop : node, true, paths);
    tree::PlaySongs(settings, paths, res::msg::kNoSongsToPlay);
  } else {
    CollectSongPaths(m_itemTop, false, paths);
    tree::PlaySongs(settings, paths, res::msg::kNoSongsToPlay);
  }
}
