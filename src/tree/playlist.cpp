// Playing: the playlist of the songs beneath a node or of the marked songs, and the
// start of the user's player; the other context-menu commands are handed on.
#include <fstream>

#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/process.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "tree/node_kinds.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

std::string ShortOrLong(const std::string& path, bool shortPaths) {
  if (!shortPaths) return path;
  return platform::ShortPathName(path).value_or(path);
}

}  // namespace

std::string STreeView::SongPath(const TreeItem& song) {
  return platform::ResolveCase(std::string(song.Parent().Data().value_or("")) + GetNodeName(song, 1));
}

bool STreeView::FitsPlaylistLine(std::string_view path) { return path.find_first_of("\r\n") == std::string_view::npos; }

void STreeView::ReportLeftOutOfPlaylist(int count) {
  if (count == 0) return;
  platform::ShowError(std::to_string(count) +
                      " song(s) were left out of the playlist: a line break in a file name can't stand in a playlist.");
}

int STreeView::AppendSongsToPlaylist(const TreeItem& node, std::ostream& playlist, bool shortPaths, bool all,
                                      int& leftOut) {
  int count = 0;
  for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const int mark = GetMark(child);
    if (mark == 3) continue;
    if (GetNodeKind(child) != kSongNode) {
      // Only songs are lines: an empty album, a duplicate album or an artist without
      // albums adds nothing.
      if (mark == 1 || mark == 2 || all) count += AppendSongsToPlaylist(child, playlist, shortPaths, all, leftOut);
    } else if (mark == 1 || all) {
      const std::string path = ShortOrLong(SongPath(child), shortPaths);
      if (!FitsPlaylistLine(path)) {
        ++leftOut;
        continue;
      }
      playlist << path << '\n';
      ++count;
    }
  }
  return count;
}

void STreeView::StartPlayer(const std::string& decoder, const std::string& argument) {
  std::string error;
  if (!platform::StartDetached(platform::PlayerCommandLine(decoder, argument), error)) {
    platform::Ui().MessageBox(error, "Error", platform::MB_OK | platform::MB_ICONEXCLAMATION);
  }
}

void STreeView::OnPopupCommand(unsigned id) {
  const TreeItem selected = Item(m_pTree->GetSelection());
  if (selected.IsNull()) return;
  if (id == res::ID_ADD_ALBUM || id == res::ID_DELETE_NODE || id == res::ID_RENAME_NODE) {
    if (!m_pPopup) return;
    if (id == res::ID_ADD_ALBUM) m_pPopup->AddAlbum(m_itemContext == m_itemTop ? TreeItem() : m_itemContext);
    if (id == res::ID_DELETE_NODE) m_pPopup->DeleteNode(selected);
    if (id == res::ID_RENAME_NODE) m_pPopup->RenameNode(selected);
    return;
  }
  if (id != res::ID_PLAY_NOW && id != res::ID_PLAY_SELECTED) return;

  const catalogue::PlaySettings settings = catalogue::ReadTreePlaySettings(m_strIniFile, m_strStartDir);
  const bool shortPaths = !settings.longFilenames;
  if (id == res::ID_PLAY_NOW && GetNodeKind(selected) == kSongNode) {
    const std::string song = SongPath(selected);
    const auto argument = shortPaths ? platform::ShortPathName(song) : std::optional<std::string>(song);
    if (argument) StartPlayer(settings.decoder, *argument);
    return;
  }

  std::ofstream playlist(settings.playlistPath, std::ios::binary | std::ios::trunc);
  const auto cannotWrite = [&] {
    platform::Ui().MessageBox("Unable to create the playlistfile '" + settings.playlistPath + "'", "Melodeck",
                              platform::MB_OK | platform::MB_ICONEXCLAMATION);
  };
  if (!playlist) return cannotWrite();
  platform::WaitCursor wait;
  int lines;
  int leftOut = 0;
  if (id == res::ID_PLAY_NOW) {
    lines = AppendSongsToPlaylist(m_itemContext.IsNull() ? m_itemTop : m_itemContext, playlist, shortPaths, true, leftOut);
  } else {
    lines = AppendSongsToPlaylist(m_itemTop, playlist, shortPaths, false, leftOut);
  }
  playlist.close();
  if (!playlist) return cannotWrite();
  ReportLeftOutOfPlaylist(leftOut);
  if (id == res::ID_PLAY_NOW && lines == 0) {
    platform::Ui().MessageBox("Found no songs to play!", "Error", platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return;
  }
  StartPlayer(settings.decoder, settings.playlistPath);
}
