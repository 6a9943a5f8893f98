// Play times kept between runs: what a second run finds, and what it reads anew.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "catalogue/play_time_cache.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "mp3_frames.h"
#include "temp_dir.h"

using catalogue::PlayTimeCache;
using catalogue::ReadPlayTime;
using testing_support::ReadFile;
using testing_support::SilentMp3Frames;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// Sets the file's modification time, so a rewrite of the same size can keep it.
void SetModified(const std::string& path, long seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(PlayTimeCacheTest, ASecondRunFindsWhatTheFirstReadUntilTheFileChanges) {
  TempDir dir;
  const std::string cacheFile = dir / "cache/melodeck/playtimes";
  const std::string song = dir / "song with spaces.mp3";
  const std::string text = dir / "notes.mp3";
  WriteFile(song, SilentMp3Frames(10));  // 10 * 1152 / 44100 s
  WriteFile(text, "no frames");
  SetModified(song, 1000000);
  {
    PlayTimeCache cache(cacheFile);
    EXPECT_EQ(ReadPlayTime(cache, song), 261u);
    EXPECT_EQ(ReadPlayTime(cache, text), std::nullopt);
    EXPECT_EQ(ReadPlayTime(cache, dir / "missing.mp3"), std::nullopt);
    ASSERT_TRUE(cache.Save());  // the folder is made on the way
  }
  // Bytes of the same size and time: the cache answers without reading them.
  WriteFile(song, std::string(SilentMp3Frames(10).size(), 'x'));
  SetModified(song, 1000000);
  {
    PlayTimeCache cache(cacheFile);
    EXPECT_EQ(ReadPlayTime(cache, song), 261u);
    EXPECT_EQ(cache.Find(text, 9, 0), std::nullopt);  // another modification time
  }
  // A new modification time: read again.
  SetModified(song, 2000000);
  PlayTimeCache cache(cacheFile);
  EXPECT_EQ(ReadPlayTime(cache, song), std::nullopt);
}

TEST(PlayTimeCacheTest, ADamagedOrForeignFileIsIgnoredAndWrittenAnew) {
  TempDir dir;
  const std::string cacheFile = dir / "playtimes";
  const std::string song = dir / "a.mp3";
  WriteFile(song, SilentMp3Frames(5));
  // A damaged line drops the whole file, the good lines before it too.
  const std::string good = "melodeck play times 1\n12 34 56 /good.mp3\n";
  for (const std::string& damaged :
       {good + "12 x 5 /a.mp3\n", good + "12 34x56 /a.mp3\n", good + "12  34 56 /a.mp3\n", good + "12 34 -7 /a.mp3\n",
        good + "12 34 56\n", good + "12 34 56 \n", good + "12\n", std::string("something else\n12 34 56 /a.mp3\n"),
        std::string("\xFF\xFE\x00", 3)}) {
    WriteFile(cacheFile, damaged);
    PlayTimeCache cache(cacheFile);
    EXPECT_EQ(cache.Find("/good.mp3", 12, 34), std::nullopt) << damaged;
    EXPECT_EQ(cache.Find("/a.mp3", 12, 34), std::nullopt) << damaged;
    EXPECT_EQ(ReadPlayTime(cache, song), 131u);
    ASSERT_TRUE(cache.Save());
    EXPECT_TRUE(ReadFile(cacheFile).starts_with("melodeck play times 1\n")) << damaged;
    EXPECT_NE(ReadFile(cacheFile).find(song), std::string::npos);
  }
  // A path holding a line break is never stored: it would break the file's lines.
  PlayTimeCache cache(cacheFile);
  cache.Store("/odd\nname.mp3", 1, 1, 5);
  EXPECT_EQ(cache.Find("/odd\nname.mp3", 1, 1), std::nullopt);
}

TEST(PlayTimeCacheTest, TheDefaultFileFollowsXdgCacheHome) {
  {
    testing_support::ScopedEnv cache("XDG_CACHE_HOME", "/tmp/xdg-cache");
    EXPECT_EQ(PlayTimeCache::DefaultFile(), "/tmp/xdg-cache/melodeck/playtimes");
  }
  testing_support::ScopedEnv relative("XDG_CACHE_HOME", "relative");  // not absolute: ignored, as XDG says
  EXPECT_EQ(PlayTimeCache::DefaultFile(), std::string(std::getenv("HOME")) + "/.cache/melodeck/playtimes");
}

}  // namespace

namespace {

TEST(PlayTimeCacheTest, ALinkInItsPlaceIsReplacedNeverWrittenThrough) {
  TempDir dir;
  const std::string cacheFile = dir / "melodeck/playtimes";
  WriteFile(dir / "victim", "precious");
  WriteFile(dir / "song.mp3", SilentMp3Frames(10));
  std::filesystem::create_directories(dir / "melodeck");
  std::filesystem::create_symlink(dir / "victim", cacheFile);
  PlayTimeCache cache(cacheFile);
  ReadPlayTime(cache, dir / "song.mp3");
  ASSERT_TRUE(cache.Save());
  EXPECT_EQ(ReadFile(dir / "victim"), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink(cacheFile));
  EXPECT_NE(ReadFile(cacheFile).find("song.mp3"), std::string::npos);
}

TEST(PlayTimeCacheTest, AnOversizedCacheIsDroppedWithoutReadingIt) {
  TempDir dir;
  const std::string cacheFile = dir / "playtimes";
  WriteFile(cacheFile, "melodeck play times 1\n");
  std::filesystem::resize_file(cacheFile, 1ull << 30);  // sparse: 1 GB of nothing
  WriteFile(dir / "song.mp3", SilentMp3Frames(10));
  PlayTimeCache cache(cacheFile);
  EXPECT_EQ(ReadPlayTime(cache, dir / "song.mp3"), 261u);
  ASSERT_TRUE(cache.Save());
  EXPECT_LT(std::filesystem::file_size(cacheFile), 1000u);
}

// A save the disk refused is tried again at the next one: the play times read are kept
// once the file can be written.
TEST(PlayTimeCacheTest, ASaveTheDiskRefusedIsTriedAgain) {
  TempDir dir;
  const std::string cacheFile = dir / "playtimes";
  const std::string song = dir / "song.mp3";
  WriteFile(song, SilentMp3Frames(10));
  PlayTimeCache cache(cacheFile);
  EXPECT_EQ(ReadPlayTime(cache, song), 261u);
  platform::FailFileStepAt(platform::FileStep::Write, 1);
  EXPECT_FALSE(cache.Save());
  platform::ClearFileFaults();
  EXPECT_FALSE(platform::PathExists(cacheFile));
  EXPECT_TRUE(cache.Save());
  PlayTimeCache again(cacheFile);
  EXPECT_EQ(ReadPlayTime(again, song), 261u);
}

}  // namespace
