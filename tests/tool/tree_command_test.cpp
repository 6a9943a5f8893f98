// melodeck-tool tree on a real folder tree, with the settings of the current directory.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "mp3_frames.h"
#include "platform/filesystem.h"
#include "platform/volumes.h"
#include "run_tool.h"
#include "temp_dir.h"

using testing_support::ScopedEnv;
using testing_support::SilentMp3Frames;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class TreeCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(lib / "Rock/album.ini", "[Album:Live \"Home\"]\nArtist=The \\ Band\nT1=1.mp3, One\nT2=gone.mp3, Gone\n");
    WriteFile(lib / "Rock/1.mp3", SilentMp3Frames(1));
    WriteFile(lib / "Rock/loose.mp3", SilentMp3Frames(1));
  }
  // The volume line and the folder lines down to the library, as the real mount table gives them.
  std::string LoosePrefix() {
    const platform::VolumeInfo volume = platform::Volumes().VolumeOf(lib.path());
    std::string text = "  volume \"" + platform::VolumeDisplayName(volume) + "\" data=\"" + volume.mountPoint + "\"\n";
    std::string accumulated = volume.mountPoint;
    int depth = 2;
    for (size_t pos = accumulated.size(); pos < (lib / "Rock/").size();) {
      const size_t slash = (lib / "Rock/").find('/', pos);
      const std::string component = (lib / "Rock/").substr(pos, slash - pos);
      accumulated += component + "/";
      text += std::string(static_cast<size_t>(depth) * 2, ' ') + "folder \"" + component + "\" data=\"" + accumulated + "\"\n";
      ++depth;
      pos = slash + 1;
    }
    return text;
  }

  TempDir lib;
  TempDir cwd;
};

TEST_F(TreeCommandTest, PrintsTheTreeDepthFirst) {
  const ToolRun run = RunTool({"tree", lib.path()}, cwd.path());
  EXPECT_EQ(run.status, 0);
  const std::string loose = LoosePrefix();
  const std::string songIndent(loose.substr(loose.rfind('\n', loose.size() - 2) + 1).find_first_not_of(' ') + 2, ' ');
  // The catalogue's artist comes first; the volume, added after the last artist, stays after it.
  EXPECT_EQ(run.out, "top \"Artists\"\n"
                     "  artist \"The \\\\ Band\"\n"
                     "    album \"Live \\\"Home\\\"\" data=\"" + lib.path() + "Rock/\"\n"
                     "      song \"One\" data=\"1\"\n"
                     "      song \"Gone\" data=\"gone\" mark=3\n" +
                         loose + songIndent + "song \"loose\" data=\"" + lib.path() + "Rock/\"\n");
}

// The settings come from --settings FILE, else the current folder's Melodeck.ini, else
// the configuration folder's, as the desktop program finds them.
TEST_F(TreeCommandTest, FileNamesAndSettingsFoundAsMelodeckFindsThem) {
  const auto catalogueRead = [this](const std::vector<std::string>& args) {
    const ToolRun run = RunTool(args, cwd.path());
    return run.out.find("artist") != std::string::npos;
  };
  ToolRun run = RunTool({"tree", "--files", lib.path()}, cwd.path());
  EXPECT_NE(run.out.find("      song \"1\" data=\"One\"\n"), std::string::npos) << run.out;
  WriteFile(cwd / "config/melodeck/Melodeck.ini", "[Settings]\nReadAlbumIni=No\n");
  EXPECT_FALSE(catalogueRead({"tree", lib.path()}));
  WriteFile(cwd / "Melodeck.ini", "[Settings]\nReadAlbumIni=Yes\n");
  EXPECT_TRUE(catalogueRead({"tree", lib.path()}));
  WriteFile(cwd / "other.ini", "[Settings]\nReadAlbumIni=No\n");
  EXPECT_FALSE(catalogueRead({"tree", "--settings", "other.ini", lib.path()}));
  run = RunTool({"tree", "--settings", cwd / "other.ini", lib.path()}, cwd.path());
  EXPECT_NE(run.out.find("song \"1\" data=\"" + lib.path() + "Rock/\""), std::string::npos) << run.out;
  EXPECT_EQ(RunTool({"tree"}).status, 2);
}

// --cache prints what tree prints, starting from the tree the last run saved when the
// disk still agrees with it; it keeps one file a library, and writes nothing else.
TEST_F(TreeCommandTest, CacheRunsPrintWhatTreePrints) {
  TempDir cache;
  const ScopedEnv cacheHome("XDG_CACHE_HOME", cache.path());
  const auto cached = [this] {
    const ToolRun run = RunTool({"tree", "--cache", lib.path()}, cwd.path());
    EXPECT_EQ(run.status, 0);
    return run.out;
  };
  const auto plain = [this] { return RunTool({"tree", lib.path()}, cwd.path()).out; };
  EXPECT_EQ(cached(), plain());
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));  // the folders' times settle
  EXPECT_EQ(cached(), plain());
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(cache / "melodeck")) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  const auto saved = platform::StampOf(files.front());
  EXPECT_EQ(cached(), plain());
  EXPECT_EQ(platform::StampOf(files.front()), saved);  // nothing changed: read, not written again

  WriteFile(lib / "Rock/new.mp3", SilentMp3Frames(1));
  EXPECT_NE(cached().find("song \"new\""), std::string::npos);
  WriteFile(cwd / "Melodeck.ini", "[Settings]\nReadAlbumIni=No\n");
  EXPECT_EQ(cached().find("artist"), std::string::npos);
  EXPECT_EQ(cached(), plain());
  const auto names = [](const std::string& folder) {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      found.insert(std::filesystem::relative(entry.path(), folder));
    }
    return found;
  };
  EXPECT_EQ(names(lib.path()), (std::set<std::string>{"Rock", "Rock/album.ini", "Rock/1.mp3", "Rock/loose.mp3", "Rock/new.mp3"}));
  EXPECT_EQ(names(cwd.path()), std::set<std::string>{"Melodeck.ini"});
}

// watch prints the tree, then "--" and the tree again as the disk changes, the last one
// what tree prints once the disk has settled; SIGTERM ends it normally.
TEST_F(TreeCommandTest, WatchPrintsTheTreeAgainAsTheDiskChanges) {
  TempDir cache;
  const ScopedEnv cacheHome("XDG_CACHE_HOME", cache.path());
  const std::string before = RunTool({"tree", lib.path()}, cwd.path()).out;
  std::string after;
  const ToolRun run = RunTool({"watch", lib.path()}, cwd.path(), "", [&](pid_t tool) {
    std::this_thread::sleep_for(std::chrono::seconds(1));  // its first tree
    WriteFile(lib / "Rock/new.mp3", SilentMp3Frames(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    WriteFile(lib / "Pop/h.mp3", SilentMp3Frames(1));
    WriteFile(lib / "Pop/album.ini", "[Album:Hits]\nArtist=Someone\nT1=h.mp3, Hit\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // settled, and a second more
    after = RunTool({"tree", lib.path()}, cwd.path()).out;
    ::kill(tool, SIGTERM);
  });
  EXPECT_EQ(run.status, 0);
  std::vector<std::string> trees{""};
  for (size_t at = 0, next; at < run.out.size(); at = next + 1) {
    next = run.out.find('\n', at);
    const std::string line = run.out.substr(at, next - at + 1);
    if (line == "--\n") {
      trees.emplace_back();
    } else {
      trees.back() += line;
    }
  }
  EXPECT_EQ(trees.front(), before);
  EXPECT_GE(trees.size(), 2u);
  EXPECT_EQ(trees.back(), after);
  EXPECT_NE(after.find("artist \"Someone\""), std::string::npos);

  const ToolRun timed = RunTool({"watch", "--seconds", "0.3", lib.path()}, cwd.path());
  EXPECT_EQ(timed.status, 0);
  EXPECT_EQ(timed.out, after);
  EXPECT_EQ(RunTool({"watch", "--seconds", "soon", lib.path()}, cwd.path()).status, 2);
}

}  // namespace
