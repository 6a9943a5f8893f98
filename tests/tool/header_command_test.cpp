// melodeck-tool header on real MP3 files.
#include <gtest/gtest.h>

#include "mp3_frames.h"
#include "run_tool.h"
#include "temp_dir.h"

using testing_support::Id3v2Tag;
using testing_support::SilentMp3Frames;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(HeaderCommandTest, PrintsOneLinePerFile) {
  TempDir dir;
  WriteFile(dir / "tagged.mp3", Id3v2Tag("Intro") + SilentMp3Frames(5));
  WriteFile(dir / "mono.mp3", std::string(417, '\0') + SilentMp3Frames(2, {64, 32000, 3}));
  WriteFile(dir / "text.mp3", "no frames here");
  const ToolRun run = RunTool({"header", dir / "tagged.mp3", dir / "mono.mp3", dir / "text.mp3"});
  EXPECT_EQ(run.status, 0);
  // Five frames of 1152 samples at 44.1 kHz: 130.6 ms; two at 32 kHz: 72 ms.
  EXPECT_EQ(run.out, "offset=" + std::to_string(Id3v2Tag("Intro").size()) +
                         " version=1 layer=3 bitrate=128000 bitrate_text=\"128 kbit/s\" frequency=44100"
                         " frequency_text=\"44.1 kHz\" mode=1 duration_ms=131\n"
                         "offset=417 version=1 layer=3 bitrate=64000 bitrate_text=\"64 kbit/s\" frequency=32000"
                         " frequency_text=\"32 kHz\" mode=3 duration_ms=72\n"
                         "offset=none\n");
}

TEST(HeaderCommandTest, FilesThatCannotBeOpenedFailTheRun) {
  TempDir dir;
  WriteFile(dir / "song.mp3", SilentMp3Frames(1));
  const ToolRun run = RunTool({"header", dir / "missing.mp3", dir / "song.mp3"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.starts_with("offset=none\noffset=0 version=1 layer=3"));
  EXPECT_EQ(RunTool({"header"}).status, 2);
}
