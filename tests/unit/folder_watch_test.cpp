// Watching folders: what another program does in a watched folder is reported once for
// that folder; a folder removed or moved away ends its watch; a limit of watches is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_faults.h"
#include "platform/folder_watch.h"
#include "temp_dir.h"

using platform::FailFileStepAt;
using platform::FileStep;
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

  // The system's own limit, shared by every program of the user, is told the same way.
  FolderWatch unlimited;
  EXPECT_TRUE(unlimited.Add(dir / "a/"));
  FailFileStepAt(FileStep::Watch, 1);
  EXPECT_FALSE(unlimited.Add(dir / "b/"));
  EXPECT_TRUE(unlimited.LimitReached());
  EXPECT_EQ(unlimited.Count(), 1u);
}

// Thousands of folders are watched at once, on two threads: each is watched, the first
// ones given up to the limit, and a change anywhere among them is reported.
TEST(FolderWatchTest, ManyFoldersAreWatchedTogetherInTheirOrder) {
  TempDir dir;
  std::vector<std::string> folders;
  for (int i = 0; i < 2100; ++i) {
    folders.push_back(dir / ("f" + std::to_string(i) + "/"));
    std::filesystem::create_directory(folders.back());
  }
  folders.push_back(dir / "missing/");
  folders.push_back(folders[10]);  // twice: one watch
  FolderWatch watch;
  std::vector<bool> added = watch.AddAll(folders);
  EXPECT_EQ(std::count(added.begin(), added.end(), false), 1);
  EXPECT_FALSE(added[2100]);
  EXPECT_EQ(watch.Count(), 2100u);
  EXPECT_FALSE(watch.LimitReached());
  WriteFile(folders[2099] + "new.mp3", "x");
  WriteFile(folders[0] + "new.mp3", "x");
  std::vector<std::string> changed = watch.TakeChanged();
  std::sort(changed.begin(), changed.end());
  EXPECT_EQ(changed, (std::vector<std::string>{folders[0], folders[2099]}));

  FolderWatch limited;
  limited.SetLimit(2080);
  added = limited.AddAll(folders);
  EXPECT_TRUE(limited.LimitReached());
  EXPECT_EQ(limited.Count(), 2080u);
  EXPECT_TRUE(added[2079]);
  EXPECT_FALSE(added[2080]);
  EXPECT_TRUE(added.back());  // watched already, given twice
  EXPECT_TRUE(limited.Watches(folders[0]));
  EXPECT_FALSE(limited.Watches(folders[2099]));
}

}  // namespace
