// Playing a list of songs: the playlist file, one path a line, and the user's player
// started with it. Used by the tree's play commands and the play-order dialog.
#pragma once

#include <string>
#include <vector>

#include "catalogue/settings.h"

namespace tree {

// Starts the player with one argument (a playlist or a song); a failure is shown.
void StartPlayer(const catalogue::PlaySettings& settings, const std::string& argument);

// Writes the paths to the playlist the settings name (their short forms when the
// player takes no long names) and starts the player with it. A path holding a line
// break cannot be a line: such songs are left out and counted in a message. When no
// path is left and noSongsMessage is given, it is shown instead of starting the player.
// Every failure is told to the user.
void PlaySongs(const catalogue::PlaySettings& settings, const std::vector<std::string>& paths,
               const std::string& noSongsMessage = "");

}  // namespace tree
