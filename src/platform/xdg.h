// The folders a Linux desktop keeps per user: configuration, cache and the music
// folder, as the XDG base directory and user directory conventions name them.
#pragma once

#include <optional>
#include <string>

namespace platform {

// $XDG_CONFIG_HOME/melodeck/ (default ~/.config/melodeck/), ending in "/".
std::string ConfigFolder();
// $XDG_CACHE_HOME/melodeck/ (default ~/.cache/melodeck/), ending in "/".
std::string CacheFolder();
// The user's music folder: XDG_MUSIC_DIR from user-dirs.dirs in the configuration
// home, else ~/Music; nothing when that folder does not exist or is the home folder.
// Ends in "/".
std::optional<std::string> MusicFolder();

}  // namespace platform
