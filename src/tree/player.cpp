#include "tree/player.h"

#include <optional>
#include <unordered_map>

#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/node_kinds.h"
#include "tree/play_songs.h"
#include "tree/stree_view.h"

namespace tree {

void Player::CollectSongPaths(const TreeItem& node, bool all, std::vector<std::string>& paths) const {
  // The songs' names are resolved from one listing of their folder, not one look-up each.
  const std::string folder(node.Data().value_or(""));
  std::optional<std::optional<std::vector<platform::DirEntry>>> listing;
  for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const Mark mark = m_library.Tree()->GetMark(child.m_hItem);
    if (mark == Mark::Missing) continue;
    if (!IsSong(KindOf(child))) {
      // Only songs are lines: an empty album, a duplicate album or an artist without
      // albums adds nothing.
      if (mark != Mark::None || all) CollectSongPaths(child, all, paths);
    } else if (mark == Mark::Marked || all) {
      if (!listing) listing = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
      paths.push_back(*listing ? platform::ResolveCaseIn(folder, **listing, m_library.GetNodeName(child, true)) : m_library.SongPath(child));
    }
  }
}

std::vector<std::string> Player::SongFiles(const TreeItem& node) const {
  std::vector<std::string> paths;
  if (node.IsNull()) return paths;
  if (!IsSong(KindOf(node))) {
    CollectSongPaths(node, true, paths);
  } else if (m_library.Tree()->GetMark(node.m_hItem) != Mark::Missing) {
    paths.push_back(m_library.SongPath(node));
  }
  return paths;
}

std::vector<std::string> Player::SongPaths(const std::vector<TreeItem>& songs) const {
  std::unordered_map<std::string, std::optional<std::vector<platform::DirEntry>>> listings;
  std::vector<std::string> paths;
  paths.reserve(songs.size());
  for (const TreeItem& song : songs) {
    const std::string folder(song.Parent().Data().value_or(""));
    auto listing = listings.find(folder);
    if (listing == listings.end()) {
      listing = listings.emplace(folder, platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds)).first;
    }
    paths.push_back(listing->second ? platform::ResolveCaseIn(folder, *listing->second, m_library.GetNodeName(song, true))
                                    : m_library.SongPath(song));
  }
  return paths;
}


void Player::PlayNow(const TreeItem& node) {
  const catalogue::PlaySettings settings =
      catalogue::ReadTreePlaySettings(m_library.Settings().file, m_library.Settings().playlistFolder);
  if (!node.IsNull() && IsSong(KindOf(node))) {
    const std::string song = m_library.SongPath(node);
    // A missing file is left out here as everywhere: then nothing is left to play.
    if (!platform::IsRegularFile(song)) {
      platform::ShowError(res::msg::kNoSongsToPlay);
      return;
    }
    const auto argument = settings.longFilenames ? std::optional<std::string>(song) : platform::ShortPathName(song);
    if (argument) StartPlayer(settings, *argument);
    return;
  }
  platform::WaitCursor wait;
  std::vector<std::string> paths;
  CollectSongPaths(node.IsNull() ? m_library.Top() : node, true, paths);
  PlaySongs(settings, paths, res::msg::kNoSongsToPlay);
}

void Player::PlayMarked() {
  const catalogue::PlaySettings settings =
      catalogue::ReadTreePlaySettings(m_library.Settings().file, m_library.Settings().playlistFolder);
  platform::WaitCursor wait;
  std::vector<std::string> paths;
  CollectSongPaths(m_library.Top(), false, paths);
  PlaySongs(settings, paths, res::msg::kNoSongsToPlay);
}

}  // namespace tree
