#include "tree/play_songs.h"

#include "platform/filesystem.h"
#include "platform/process.h"
#include "platform/ui_hooks.h"
#include "res/texts.h"

namespace tree {

void StartPlayer(const catalogue::PlaySettings& settings, const std::string& argument) {
  std::string error;
  if (!platform::StartDetached(platform::PlayerCommandLine(settings.decoder, argument), error)) platform::ShowError(error);
}

void PlaySongs(const catalogue::PlaySettings& settings, const std::vector<std::string>& paths,
               const std::string& noSongsMessage) {
  // A pipe or a device would block the window or take what it was never meant to.
  if (platform::PathExists(settings.playlistPath) && !platform::IsRegularFile(settings.playlistPath)) {
    platform::ShowError(res::Fill(res::msg::kPlaylistNotAFile, {settings.playlistPath}));
    return;
  }
  std::string playlist;
  int lines = 0;
  int leftOut = 0;
  for (const std::string& song : paths) {
    const std::string path = settings.longFilenames ? song : platform::ShortPathName(song).value_or(song);
    if (path.find_first_of("\r\n") != std::string::npos) {
      ++leftOut;
      continue;
    }
    playlist.append(path).append("\n");
    ++lines;
  }
  if (!platform::ReplaceFileAtomically(settings.playlistPath, playlist)) {
    platform::Ui().MessageBox(res::Fill(res::msg::kPlaylistNotCreated, {settings.playlistPath}), res::caption::kProgram,
                              platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return;
  }
  if (leftOut > 0) {
    platform::ShowError(res::Fill(res::msg::kSongsLeftOut, {std::to_string(leftOut)}));
  }
  if (lines == 0 && !noSongsMessage.empty()) {
    platform::ShowError(noSongsMessage);
    return;
  }
  StartPlayer(settings, settings.playlistPath);
}

}  // namespace tree
