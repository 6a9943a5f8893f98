// Starting the player: the playlist path reaches it as one argument, whatever it holds.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/filesystem.h"
#include "platform/process.h"
#include "recording_player.h"
#include "temp_dir.h"

using namespace platform;
using testing_support::MakeRecordingPlayer;
using testing_support::WaitForPlayerArgs;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

TEST(ProcessTest, BuildsTheCommandLine) {
  TempDir dir;
  const std::string player = MakeRecordingPlayer(dir, "my player");
  EXPECT_EQ(PlayerCommandLine("  " + player + "  ", "/a b.m3u"), (std::vector<std::string>{player, "/a b.m3u"}));
  EXPECT_EQ(PlayerCommandLine("mpv --no-video", "/x y/$HOME;.m3u"),
            (std::vector<std::string>{"mpv", "--no-video", "/x y/$HOME;.m3u"}));
  // A program path with blanks, in double quotes, can take arguments too.
  EXPECT_EQ(PlayerCommandLine("\"" + player + "\" --flag  -v", "/l.m3u"),
            (std::vector<std::string>{player, "--flag", "-v", "/l.m3u"}));
  EXPECT_EQ(PlayerCommandLine("\"/opt/my player/play\"", "/l.m3u"),
            (std::vector<std::string>{"/opt/my player/play", "/l.m3u"}));
}

TEST(ProcessTest, PassesTheArgumentWholeWithoutAShell) {
  TempDir dir;
  const std::string player = MakeRecordingPlayer(dir, "player with blank.sh");
  const std::string playlist = dir / "Mötley \"Crüe\" $HOME; `ls` 'x'.m3u";
  std::string error;
  ASSERT_TRUE(StartDetached(PlayerCommandLine(player, playlist), error)) << error;
  EXPECT_EQ(WaitForPlayerArgs(dir), playlist + "\n");
}

TEST(ProcessTest, ExtraWordsOfTheDecoderComeFirst) {
  TempDir dir;
  const std::string player = MakeRecordingPlayer(dir, "player.sh");
  std::string error;
  ASSERT_TRUE(StartDetached(PlayerCommandLine(player + " --enqueue", "/m/list.m3u"), error)) << error;
  EXPECT_EQ(WaitForPlayerArgs(dir), "--enqueue\n/m/list.m3u\n");
}

TEST(ProcessTest, ReportsPlayersThatCannotStart) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(StartDetached(PlayerCommandLine(dir / "missing-player", "x.m3u"), error));
  EXPECT_NE(error.find("missing-player"), std::string::npos);
  EXPECT_FALSE(StartDetached(PlayerCommandLine("no-such-program-anywhere", "x.m3u"), error));
  WriteFile(dir / "notexec", "#!/bin/sh\n");
  EXPECT_FALSE(StartDetached(PlayerCommandLine(dir / "notexec", "x.m3u"), error));
  // No program at all, or an empty name: the user is told that none was given.
  for (const std::vector<std::string>& none : {std::vector<std::string>{}, std::vector<std::string>{"", "x.m3u"}}) {
    error.clear();
    EXPECT_FALSE(StartDetached(none, error));
    EXPECT_EQ(error, "No program was given.");
  }
  // An executable the kernel cannot run fails at exec, after the fork.
  WriteFile(dir / "garbage", "\x7f" "ELF garbage");
  ::chmod((dir / "garbage").c_str(), 0755);
  EXPECT_FALSE(StartDetached(PlayerCommandLine(dir / "garbage", "x.m3u"), error));
}

TEST(ProcessTest, RunAndWaitGivesTheExitStatus) {
  EXPECT_EQ(RunAndWait({"true"}), 0);
  EXPECT_EQ(RunAndWait({"sh", "-c", "exit 3"}), 3);
  EXPECT_EQ(RunAndWait({"no-such-program-anywhere"}), -1);
}

}  // namespace
