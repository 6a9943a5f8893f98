// melodeck-tool tags on the tagged fixtures, as a script reads its lines.
#include <gtest/gtest.h>

#include "run_tool.h"
#include "temp_dir.h"

using testing_support::TempDir;

TEST(TagsCommandTest, PrintsOneLinePerFileEscapedAsTheTree) {
  const std::string fixtures = MELODECK_TAG_FIXTURES;
  TempDir dir;
  const ToolRun run = RunTool({"tags", fixtures + "/v24-utf8.mp3", fixtures + "/v23-utf16.mp3", dir / "missing.mp3",
                               fixtures + "/v1-only.mp3"});
  EXPECT_EQ(run.status, 1);  // a file could not be read
  EXPECT_EQ(run.out,
            "artist=\"Sigur R\\xc3\\xb3s\" album=\"\\xc3\\x81g\\xc3\\xa6tis byrjun\""
            " title=\"Hello, \\x22World\\x22 \\xe2\\x80\\x93 \\xc3\\x87a va\" year=1999 track=3 genre=\"Post-Rock\" picture=0\n"
            "artist=\"\\xc3\\x84rzte\" album=\"Gr\\xc3\\xb6\\xc3\\x9fte Hits\" title=\"Schrei nach Liebe\" year=1993"
            " track=2 genre=\"Rock\" picture=20\n"
            "tags=none\n"
            "artist=\"Old Artist\" album=\"Old Album\" title=\"Old Song\" year=1999 track=7 genre=\"Rock\" picture=0\n");
  EXPECT_EQ(RunTool({"tags", fixtures + "/ape.mp3"}).status, 0);
  EXPECT_EQ(RunTool({"tags"}).status, 2);
}
