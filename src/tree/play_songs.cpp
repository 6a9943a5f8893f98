#include "tree/play_songs.h"

#include <fstream>

#include "platform/filesystem.h"
#include "platform/process.h"
#include "platform/ui_hooks.h"
#include "res/texts.h"

namespace tree {

bool StartPlayer(const catalogue::PlaySettings& settings, const std::string& argument) {
  std::string error;
  if (platform::StartDetached(platform::PlayerCommandLine(settings.decoder, argument), error)) return true;
  platform::ShowError(error);
  return false;
}

bool PlaySongs(const catalogue::PlaySettings& settings, const std::vector<std::string>& paths,
               const std::string& noSongsMessage) {
  std::ofstream playlist(settings.playlistPath, std::ios::binary | std::ios::trunc);
  int lines = 0;
  int leftOut = 0;
  for (const std::string& song : paths) {
    if (!playlist) break;
    const std::string path = settings.longFilenames ? song : platform::ShortPathName(song).value_or(song);
    if (path.find_first_of("\r\n") != std::string::npos) {
      ++leftOut;
      continue;
    }
    playlist << path << '\n';
    ++lines;
  }
  playlist.close();
  if (!playlist) {
    platform::Ui().MessageBox(res::Fill(res::msg::kPlaylistNotCreated, {settings.playlistPath}), res::caption::kProgram,
                              platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return false;
  }
  if (leftOut > 0) {
    platform::ShowError(res::Fill(res::msg::kSongsLeftOut, {std::to_string(leftOut)}));
  }
  if (lines == 0 && !noSongsMessage.empty()) {
    platform::ShowError(noSongsMessage);
    return false;
  }
  return StartPlayer(settings, settings.playlistPath);
}

}  // namespace tree
