// The settings file: each reader's defaults and rules, the playlist location and the
// history of scan paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "catalogue/settings.h"
#include "platform/file_faults.h"
#include "platform/path_list.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "temp_dir.h"

using namespace catalogue;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string startup = dir.path();
  std::string ini = startup + "Melodeck.ini";
};

TEST_F(SettingsTest, WithoutAFileEveryReaderGetsItsDefault) {
  const SettingsValues dialog = ReadSettingsForDialog(ini);
  EXPECT_EQ(dialog.decoder, "");
  EXPECT_EQ(dialog.playlistFile, "Melodeck.m3u");
  EXPECT_TRUE(dialog.longFilenames);
  EXPECT_TRUE(dialog.readAlbumIni);
  const PlaySettings play = ReadTreePlaySettings(ini, startup);
  EXPECT_TRUE(play.longFilenames);
  EXPECT_EQ(play.playlistPath, startup + "Melodeck.m3u");
  EXPECT_TRUE(ReadScanAlbumIni(ini));
  EXPECT_EQ(ReadInitialScanPath(ini), "");
  EXPECT_EQ(ini, startup + "Melodeck.ini");
}

TEST_F(SettingsTest, SwitchesAreReadByEachReadersOwnRule) {
  WriteFile(ini, "[Settings]\nLongFilenames=No\nReadAlbumIni=yEs\nDecoder=  /usr/bin/mpv --no-video  \n");
  EXPECT_FALSE(ReadTreePlaySettings(ini, startup).longFilenames);
  EXPECT_FALSE(ReadPlayOrderSettings(ini, startup).longFilenames);
  EXPECT_FALSE(ReadSettingsForDialog(ini).longFilenames);
  EXPECT_TRUE(ReadScanAlbumIni(ini));
  EXPECT_EQ(ReadTreePlaySettings(ini, startup).decoder, "/usr/bin/mpv --no-video");

  WriteFile(ini, "[Settings]\nLongFilenames=maybe\nReadAlbumIni=\n");
  EXPECT_FALSE(ReadTreePlaySettings(ini, startup).longFilenames);
  EXPECT_TRUE(ReadPlayOrderSettings(ini, startup).longFilenames);
  EXPECT_FALSE(ReadSettingsForDialog(ini).longFilenames);
  EXPECT_FALSE(ReadScanAlbumIni(ini));
  EXPECT_FALSE(ReadSettingsForDialog(ini).readAlbumIni);
}

TEST_F(SettingsTest, PlaylistLocation) {
  EXPECT_EQ(PlaylistPath("list.m3u", startup), startup + "list.m3u");
  EXPECT_EQ(PlaylistPath("/tmp/lists/x.m3u", startup), "/tmp/lists/x.m3u");
  EXPECT_EQ(PlaylistPath("/list.m3u", startup), "/list.m3u");
  EXPECT_EQ(PlaylistPath("lists/x.m3u", startup), startup + "lists/x.m3u");
  EXPECT_EQ(PlaylistPath("playlist", startup), startup + "playlist");
}

// The settings file given wins; else one in the current folder (portable use); else
// the user's configuration folder, made on the first write, with playlists in the
// cache folder. Nothing lands in the current folder unless a settings file is there.
TEST_F(SettingsTest, SettingsAreFoundGivenThenHereThenInTheConfigurationFolder) {
  testing_support::ScopedEnv config("XDG_CONFIG_HOME", dir / "config");
  testing_support::ScopedEnv cache("XDG_CACHE_HOME", dir / "cache");
  const std::string here = dir / "here/";
  testing_support::MakeDirs(here);

  const SettingsLocation user = FindSettings("", here);
  EXPECT_EQ(user.file, dir / "config/melodeck/Melodeck.ini");
  EXPECT_EQ(user.playlistFolder, dir / "cache/melodeck/");
  MakeSettingsFolders(user);
  EXPECT_TRUE(WriteSettings(user.file, SettingsValues{}));
  EXPECT_TRUE(ReadFile(user.file).starts_with("[Settings]"));
  EXPECT_EQ(ReadTreePlaySettings(user.file, user.playlistFolder).playlistPath, dir / "cache/melodeck/Melodeck.m3u");
  platform::ProfileWrite(user.file, "Settings", "Playlistfile", "playlist");  // relative, without a dot
  EXPECT_EQ(ReadTreePlaySettings(user.file, user.playlistFolder).playlistPath, dir / "cache/melodeck/playlist");
  EXPECT_TRUE(std::filesystem::is_empty(here));

  WriteFile(here + "Melodeck.ini", "");
  const SettingsLocation portable = FindSettings("", here);
  EXPECT_EQ(portable.file, here + "Melodeck.ini");
  EXPECT_EQ(portable.playlistFolder, here);

  const SettingsLocation given = FindSettings("lists/mine.ini", here);  // relative to the current folder
  EXPECT_EQ(given.file, here + "lists/mine.ini");
  EXPECT_EQ(given.playlistFolder, here + "lists/");
  EXPECT_EQ(FindSettings("/etc/melodeck.ini", here).file, "/etc/melodeck.ini");

  testing_support::ScopedEnv relative("XDG_CONFIG_HOME", "config");  // not absolute: ignored, as XDG says
  testing_support::ScopedEnv home("HOME", dir / "home");
  EXPECT_EQ(FindSettings("", dir / "elsewhere/").file, dir / "home/.config/melodeck/Melodeck.ini");
}

TEST_F(SettingsTest, SettingsRoundTripInOrder) {
  SettingsValues values{"/usr/bin/player", "/tmp/x.m3u", false, true};
  ASSERT_TRUE(WriteSettings(ini, values));
  EXPECT_EQ(ReadFile(ini),
            "[Settings]\nDecoder=/usr/bin/player\nPlaylistfile=/tmp/x.m3u\nLongFilenames=No\nReadAlbumIni=Yes\n");
  const SettingsValues back = ReadSettingsForDialog(ini);
  EXPECT_EQ(back.decoder, values.decoder);
  EXPECT_EQ(back.playlistFile, values.playlistFile);
  EXPECT_EQ(back.longFilenames, values.longFilenames);
  EXPECT_EQ(back.readAlbumIni, values.readAlbumIni);
  // A key the disk refused is a failure, whatever the keys after it did.
  for (int refused = 1; refused <= 4; ++refused) {
    ASSERT_TRUE(WriteSettings(ini, values));  // each of the four keys changes below
    platform::FailFileStepAt(platform::FileStep::Write, refused);
    EXPECT_FALSE(WriteSettings(ini, SettingsValues{"/other", "/tmp/y.m3u", true, false})) << refused;
    platform::ClearFileFaults();
  }
}

// The path box as a plain list.
class FakePathBox : public PathHistoryList {
 public:
  std::string Text() const override { return edit; }
  void Clear() override { items.clear(); }
  int Count() const override { return static_cast<int>(items.size()); }
  std::string Item(int index) const override { return items.at(static_cast<size_t>(index)); }
  void Append(const std::string& text) override { items.push_back(text); }
  void Insert(int index, const std::string& text) override { items.insert(items.begin() + index, text); }
  void Remove(int index) override { items.erase(items.begin() + index); }
  void Select(int index) override { edit = Item(index); }

  std::string edit;
  std::vector<std::string> items;
};

TEST_F(SettingsTest, PathHistoryGapsAndUntouchedKeys) {
  WriteFile(ini, "[Folders]\n1=/a\n2=/b\n4=/d\n");
  FakePathBox box;
  box.edit = "  /new  ";
  EXPECT_EQ(UpdatePathHistory(box, ini), "/new");
  EXPECT_EQ(box.items, (std::vector<std::string>{"/new", "/a", "/b"}));
  EXPECT_EQ(box.edit, "/new");
  EXPECT_EQ(ReadFile(ini), "[Folders]\n1=/new\n2=/a\n4=/d\n3=/b\n");  // key 4 stays as it was
  EXPECT_EQ(ReadInitialScanPath(ini), "/new");
}

TEST_F(SettingsTest, PathHistoryMovesAnEntryThatDiffersOnlyInCase) {
  WriteFile(ini, "[Folders]\n1=/a\n2=/Music/Rock\n3=/c\n");
  FakePathBox box;
  box.edit = "/music/rock";
  UpdatePathHistory(box, ini);
  EXPECT_EQ(box.items, (std::vector<std::string>{"/music/rock", "/a", "/c"}));
  EXPECT_EQ(platform::ProfileGetString(ini, "Folders", "1"), "/music/rock");
  EXPECT_EQ(platform::ProfileGetString(ini, "Folders", "3"), "/c");
}

// An entry that names the same folders another way ("~", "//", no "/" at the end) is
// the same entry; a list that adds a folder is another.
TEST_F(SettingsTest, PathHistoryReadsEntriesAsFolderLists) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/";
  WriteFile(ini, "[Folders]\n1=/a\n2=" + home + "/Music/;/x//y\n3=/x/y;/z\n");
  FakePathBox box;
  box.edit = "~/Music ; /x/y/";
  UpdatePathHistory(box, ini);
  EXPECT_EQ(box.items, (std::vector<std::string>{"~/Music ; /x/y/", "/a", "/x/y;/z"}));
}

// Add folder appends a folder the list does not name yet, however the list spells it.
// A scan meets a folder once: no folder comes before itself, and a folder before the
// folders inside it.
TEST(PathListTest, ScanOrderIsStrict) {
  for (const std::string path : {"/music/", "/music/a/", "/music/a/b.mp3", ""}) {
    EXPECT_FALSE(platform::ScanOrderLess(path, path)) << path;
    EXPECT_FALSE(platform::LibraryScanOrderLess({"/music/"}, path, path)) << path;
  }
  EXPECT_TRUE(platform::ScanOrderLess("/music/", "/music/a/"));
  EXPECT_FALSE(platform::ScanOrderLess("/music/a/", "/music/"));
  // Folders in the order of the library folders that hold them, paths outside them last.
  const std::vector<std::string> library{"/z/", "/a/"};
  EXPECT_TRUE(platform::LibraryScanOrderLess(library, "/z/b/", "/a/a/"));
  EXPECT_TRUE(platform::LibraryScanOrderLess(library, "/a/a/", "/elsewhere/"));
  EXPECT_FALSE(platform::LibraryScanOrderLess(library, "/elsewhere/", "/a/a/"));
}

TEST(PathListTest, TheRootKeepsItsSlash) {
  EXPECT_EQ(platform::NoTrailingSlash("/music/a//"), "/music/a");
  EXPECT_EQ(platform::NoTrailingSlash("/"), "/");
  EXPECT_EQ(platform::ParentFolder("/music/a/"), "/music/");
  EXPECT_EQ(platform::ParentFolder("/music/"), "/");
  EXPECT_EQ(platform::ParentFolder("/"), "");
}

TEST(PathListTest, AddFolderAppendsOnlyANewFolder) {
  EXPECT_EQ(platform::WithFolder("", "/m/a"), "/m/a");
  EXPECT_EQ(platform::WithFolder(" /m/a ", "/m/b"), "/m/a;/m/b");
  EXPECT_EQ(platform::WithFolder("/m/a;", "/m/b"), "/m/a;/m/b");
  EXPECT_EQ(platform::WithFolder("/m//a/;/m/b", "/m/a"), "/m//a/;/m/b");
}

TEST_F(SettingsTest, PathHistoryKeepsTenAndBlankPathsWriteNothing) {
  FakePathBox box;
  for (int i = 1; i <= 11; ++i) {
    box.edit = "/path" + std::to_string(i);
    UpdatePathHistory(box, ini);
  }
  EXPECT_EQ(box.Count(), 10);
  EXPECT_EQ(box.items.front(), "/path11");
  EXPECT_EQ(box.items.back(), "/path2");
  EXPECT_EQ(platform::ProfileKeyNames(ini, "Folders").size(), 10u);

  const std::string before = ReadFile(ini);
  box.edit = "   ";
  box.items = {"stale"};
  EXPECT_EQ(UpdatePathHistory(box, ini), "");
  EXPECT_EQ(box.Count(), 10);
  EXPECT_EQ(box.items.front(), "/path11");
  EXPECT_EQ(ReadFile(ini), before);
}

}  // namespace
