// The user's folders as a Linux desktop names them.
#include <gtest/gtest.h>

#include "platform/xdg.h"
#include "temp_dir.h"

using testing_support::MakeDirs;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

TEST(XdgTest, TheMusicFolderComesFromUserDirsElseHomeMusicAndMustExist) {
  TempDir dir;
  ScopedEnv home("HOME", dir / "home");
  ScopedEnv config("XDG_CONFIG_HOME", dir / "config");
  EXPECT_EQ(platform::MusicFolder(), std::nullopt);  // no ~/Music
  MakeDirs(dir / "home/Music");
  EXPECT_EQ(platform::MusicFolder(), dir / "home/Music/");

  // As xdg-user-dirs-update writes it, relative to $HOME or absolute.
  WriteFile(dir / "config/user-dirs.dirs", "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n");
  EXPECT_EQ(platform::MusicFolder(), std::nullopt);  // named, but not there
  MakeDirs(dir / "home/Musik");
  EXPECT_EQ(platform::MusicFolder(), dir / "home/Musik/");
  WriteFile(dir / "config/user-dirs.dirs", "XDG_MUSIC_DIR=\"" + dir.path() + "songs\"\n");
  MakeDirs(dir / "songs");
  EXPECT_EQ(platform::MusicFolder(), dir / "songs/");
  // The home folder itself means the user has no music folder.
  WriteFile(dir / "config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/\"\n");
  EXPECT_EQ(platform::MusicFolder(), std::nullopt);
}

TEST(XdgTest, BaseFoldersFollowTheirVariablesWhenAbsolute) {
  TempDir dir;
  ScopedEnv home("HOME", dir / "home");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/xdg/config");
    ScopedEnv cache("XDG_CACHE_HOME", "/xdg/cache");
    EXPECT_EQ(platform::ConfigFolder(), "/xdg/config/melodeck/");
    EXPECT_EQ(platform::CacheFolder(), "/xdg/cache/melodeck/");
  }
  ScopedEnv config("XDG_CONFIG_HOME", "");
  ScopedEnv cache("XDG_CACHE_HOME", "relative");
  EXPECT_EQ(platform::ConfigFolder(), dir / "home/.config/melodeck/");
  EXPECT_EQ(platform::CacheFolder(), dir / "home/.cache/melodeck/");
  ScopedEnv root("HOME", "/");  // a home at the root keeps its slash
  EXPECT_EQ(platform::CacheFolder(), "//.cache/melodeck/");
}

}  // namespace
