#include "platform/xdg.h"

#include <cstdlib>
#include <fstream>

#include "platform/filesystem.h"

namespace platform {
namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  std::string folder = home ? home : "";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// A base folder from its variable, which counts only when it is an absolute path.
std::string BaseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value && *value == '/') return value;
  return Home() + "/" + underHome;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// XDG_MUSIC_DIR="$HOME/Music" or an absolute path, as xdg-user-dirs-update writes it.
std::optional<std::string> MusicFolderFromUserDirs() {
  std::ifstream dirs(BaseFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
  std::string line;
  while (std::getline(dirs, line)) {
    constexpr std::string_view kKey = "XDG_MUSIC_DIR=\"";
    if (!line.starts_with(kKey) || !line.ends_with('"')) continue;
    std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
    if (value.starts_with("$HOME")) {
      value = Home() + value.substr(5);
    } else if (!value.starts_with('/')) {
      return std::nullopt;
    }
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::string ConfigFolder() { return BaseFolder("XDG_CONFIG_HOME", ".config") + "/melodeck/"; }

std::string CacheFolder() { return BaseFolder("XDG_CACHE_HOME", ".cache") + "/melodeck/"; }

std::optional<std::string> MusicFolder() {
  const std::string folder = WithSlash(MusicFolderFromUserDirs().value_or(Home() + "/Music"));
  // A music folder set to the home folder means "none" to the user-dirs tools.
  const auto attributes = GetFileAttributes(folder);
  if (folder == WithSlash(Home()) || !attributes || !attributes->directory) return std::nullopt;
  return folder;
}

}  // namespace platform
