// Starting the player: the playlist path reaches it as one argument, whatever it holds.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/process.h"
#include "in_child.h"
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

// The player plays on its own: starting it returns at once, not when it ends.
TEST(ProcessTest, StartingReturnsWhileThePlayerRuns) {
  std::string error;
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(StartDetached({"sleep", "20"}, error)) << error;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
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
  // No room for another process: the system's reason is given.
  FailFileStepAt(FileStep::Fork, 1);
  EXPECT_FALSE(StartDetached({"true"}, error));
  EXPECT_EQ(error, std::strerror(EAGAIN));
  // The same for the second fork, which leaves the player on its own.
  FailFileStepAt(FileStep::Fork, 2);
  EXPECT_FALSE(StartDetached({"true"}, error));
  EXPECT_EQ(error, "Cannot start \"true\".");
  ClearFileFaults();
  // No descriptor left for the pipe the start reports through: told, not started.
  EXPECT_EQ(testing_support::ExitStatusInChild([] {
              const rlimit none{3, 3};  // the standard streams only
              ::setrlimit(RLIMIT_NOFILE, &none);
              std::string reason;
              const bool started = StartDetached({"true"}, reason);
              return !started && reason == std::strerror(EMFILE) ? 0 : 1;
            }),
            0);
}

// A player named without a folder is looked for along PATH: a folder of its name and a
// file of its name that may not be run are passed over.
TEST(ProcessTest, FindsThePlayerAlongThePath) {
  TempDir dir;
  std::filesystem::create_directories(dir / "a/player");
  WriteFile(dir / "b/player", "#!/bin/sh\n");
  WriteFile(dir / "c/player", "#!/bin/sh\n");
  ::chmod((dir / "c/player").c_str(), 0755);
  const testing_support::ScopedEnv path("PATH", dir / "a" + ":" + dir / "b" + ":" + dir / "c");
  EXPECT_EQ(FindProgram("player"), dir / "c/player");
  EXPECT_EQ(FindProgram("absent"), "");
}

// Signals that interrupt waiting for a program (a timer here, without SA_RESTART)
// change no answer: a program that starts is started, one that cannot is reported, an
// exit status is the program's.
TEST(ProcessTest, InterruptedWaitsGiveTheSameAnswers) {
  TempDir dir;
  WriteFile(dir / "garbage", "\x7f" "ELF garbage");
  ::chmod((dir / "garbage").c_str(), 0755);
  struct sigaction tick {}, before {};
  tick.sa_handler = [](int) {};
  ::sigemptyset(&tick.sa_mask);
  ::sigaction(SIGALRM, &tick, &before);
  const itimerval often{{0, 100}, {0, 100}}, off{};
  ::setitimer(ITIMER_REAL, &often, nullptr);
  std::string error;
  for (int run = 0; run < 20; ++run) {
    EXPECT_TRUE(StartDetached({"true"}, error)) << error;
    EXPECT_FALSE(StartDetached({dir / "garbage"}, error));
  }
  EXPECT_EQ(RunAndWait({"sh", "-c", "sleep 0.05; exit 3"}), 3);
  ::setitimer(ITIMER_REAL, &off, nullptr);
  ::sigaction(SIGALRM, &before, nullptr);
}

TEST(ProcessTest, RunAndWaitGivesTheExitStatus) {
  EXPECT_EQ(RunAndWait({"true"}), 0);
  EXPECT_EQ(RunAndWait({"sh", "-c", "exit 3"}), 3);
  EXPECT_EQ(RunAndWait({"no-such-program-anywhere"}), -1);
}

// Started with its standard input and error closed (as some launchers do), the program
// never lets a message meant for the error stream land in a file it writes.
TEST(ProcessTest, AMessageToAClosedErrorStreamNeverLandsInAFile) {
  TempDir dir;
  const std::string file = dir / "album.ini";
  EXPECT_EQ(testing_support::ExitStatusInChild([&] {
              ::close(0);
              ::close(2);
              KeepStandardStreamsOpen();
              const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
              const bool written = ::write(fd, "[Album:A]\n", 10) == 10;
              [[maybe_unused]] const ssize_t told = ::write(2, "error\n", 6);
              return written && ::close(fd) == 0 ? 0 : 1;
            }),
            0);
  EXPECT_EQ(testing_support::ReadFile(file), "[Album:A]\n");
}

}  // namespace
