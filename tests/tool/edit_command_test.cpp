// melodeck-tool edit: a script of edits run as a user runs it, its report and the
// files it leaves.
#include <gtest/gtest.h>

#include "mp3_frames.h"
#include "run_tool.h"
#include "temp_dir.h"

using testing_support::ReadFile;
using testing_support::SilentMp3Frames;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class EditCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(lib / "a/album.ini", "[Album:Old]\nArtist=The Band\nT1=01.mp3, One\nT2=02.mp3, Two\n\n"
                                   "[Album:Other]\nArtist=Someone\nT1=02.mp3, Again\n");
    for (const char* song : {"a/01.mp3", "a/02.mp3", "loose/x.mp3"}) WriteFile(lib / song, SilentMp3Frames(1));
  }
  ToolRun Edit(const std::string& script, const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"edit"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(lib.path());
    return RunTool(args, cwd.path(), script);
  }

  TempDir lib;
  TempDir cwd;
};

TEST_F(EditCommandTest, CarriesOutEachLineAndReportsItsMessagesAndOutcome) {
  const ToolRun run = Edit(
      "rename\tNew\tThe Band\tOld\n"
      "answer\tno\n"
      "delete\tSomeone\n"
      "answer\tyes\n"
      "delete\tThe Band\tNew\tTwo\n"
      "rename\tz, y\tThe Band\tNew\tOne\n"
      "delete\tArtists\n");
  EXPECT_EQ(run.status, 2);  // the top node has no label path
  EXPECT_EQ(run.out,
            "ok\n"
            "ok\n"
            "question: Warning: Delete all albums belonging to \"Someone\"\\nThe actual song files will not be "
            "deleted.\\n\\nAre you sure? -> no\n"
            "refused\n"
            "ok\n"
            "question: Warning: The song \"Two\" will be deleted from the album!\\nThe song file itself will not be "
            "deleted.\\n\\nAre you sure? -> yes\n"
            "ok\n"
            "ok\n"
            "error: no such node: Artists\n");
  // In title mode a comma ends the title; the second song's entry is gone, its file kept.
  EXPECT_EQ(ReadFile(lib / "a/album.ini"),
            "[Album:New]\nArtist=The Band\nT1=01.mp3, z\n\n[Album:Other]\nArtist=Someone\nT1=02.mp3, Again\n");
}

TEST_F(EditCommandTest, PrintsTheTreeAndUnderstandsModesAndRefreshes) {
  const ToolRun run = Edit("mode\tfiles\nrename\tuno\tThe Band\tOld\t01\ntree\nrefresh\nbogus\n", {});
  EXPECT_EQ(run.status, 2);  // one line was not understood
  EXPECT_NE(run.out.find("      song \"uno\" data=\"One\"\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("error: not a command: bogus\n"), std::string::npos);
  EXPECT_EQ(ReadFile(lib / "a/album.ini").substr(0, 49), "[Album:Old]\nArtist=The Band\nT1=uno.mp3, One\nT2=02");
  const ToolRun refused = Edit("rename\tx,y\t" + std::string("MISSING") + "\n");
  EXPECT_EQ(refused.out, "error: no such node: MISSING\n");
  EXPECT_EQ(Edit("mode\tsideways\n").status, 2);
  EXPECT_EQ(RunTool({"edit"}, cwd.path()).status, 2);
}

}  // namespace
