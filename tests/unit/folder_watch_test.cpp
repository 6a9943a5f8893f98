// Watching folders: what another program does in a watched folder is reported once for
// that folder; a folder removed or moved away ends its watch; a limit of watches is told.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/folder_watch.h"
#include "temp_dir.h"

using platform::FolderWatch;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

TEST(FolderWatchTest, ChangesAreReportedOnceForTheirFolder) {
  TempDir dir;
  std::filesystem::create_directories(dir / "a/sub");
  std::filesystem::create_directories(dir / "b");
  FolderWatch watch;
  ASSERT_GE(watch.Descriptor(), 0);
  EXPECT_TRUE(watch.Add(dir / "a/"));
  EXPECT_TRUE(watch.Add(dir / "a/"));  // watched already
  EXPECT_TRUE(watch.Add(dir / "b/"));
  EXPECT_FALSE(watch.Add(dir / "missing/"));
  EXPECT_EQ(watch.Count(), 2u);
  EXPECT_TRUE(watch.TakeChanged().empty());

  WriteFile(dir / "a/1.mp3", "x");
  WriteFile(dir / "a/2.mp3", "x");
  std::filesystem::rename(dir / "a/sub", dir / "a/moved");
  EXPECT_EQ(watch.TakeChanged(), std::vector<std::string>{dir / "a/"});
  EXPECT_TRUE(watch.TakeChanged().empty());

  watch.Remove(dir / "a/");
  EXPECT_FALSE(watch.Watches(dir / "a/"));
  WriteFile(dir / "a/3.mp3", "x");
  EXPECT_TRUE(watch.TakeChanged().empty());

  // A folder removed reports the change and its watch ends with it.
  std::filesystem::remove_all(dir / "b");
  EXPECT_EQ(watch.TakeChanged(), std::vector<std::string>{dir / "b/"});
  EXPECT_FALSE(watch.Watches(dir / "b/"));
  EXPECT_EQ(watch.Count(), 0u);
  EXPECT_FALSE(watch.LimitReached());

  // A folder moved away ends its watch too: a folder then made under its name is
  // another one, and a change in it must not go unseen for a watch that looks on.
  std::filesystem::create_directories(dir / "c");
  ASSERT_TRUE(watch.Add(dir / "c/"));
  std::filesystem::rename(dir / "c", dir / "gone");
  std::filesystem::create_directories(dir / "c");
  EXPECT_EQ(watch.TakeChanged(), std::vector<std::string>{dir / "c/"});
  EXPECT_FALSE(watch.Watches(dir / "c/"));
  ASSERT_TRUE(watch.Add(dir / "c/"));
  WriteFile(dir / "c/new.mp3", "x");
  EXPECT_EQ(watch.TakeChanged(), std::vector<std::string>{dir / "c/"});
}

TEST(FolderWatchTest, PastTheLimitNothingMoreIsWatchedAndThatIsTold) {
  TempDir dir;
  for (const char* name : {"a", "b", "c"}) std::filesystem::create_directories(dir / name);
  FolderWatch watch;
  watch.SetLimit(2);
  EXPECT_TRUE(watch.Add(dir / "a/"));
  EXPECT_TRUE(watch.Add(dir / "b/"));
  EXPECT_FALSE(watch.LimitReached());
  EXPECT_TRUE(watch.Add(dir / "b/"));  // watched already: no new watch
  EXPECT_FALSE(watch.Add(dir / "c/"));
  EXPECT_TRUE(watch.LimitReached());
  EXPECT_EQ(watch.Count(), 2u);
}

}  // namespace
