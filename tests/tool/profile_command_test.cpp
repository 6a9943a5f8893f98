// melodeck-tool profile get|put on the cases scripts rely on.
#include <gtest/gtest.h>

#include "run_tool.h"
#include "sample_catalogue.h"
#include "temp_dir.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const std::string& kExample = testing_support::kSampleCatalogue;

class ProfileCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(file, kExample); }
  std::string Get(std::vector<std::string> options) {
    options.insert(options.begin(), {"profile", "get", file});
    const ToolRun run = RunTool(options);
    EXPECT_EQ(run.status, 0);
    return run.out;
  }
  std::string Put(std::vector<std::string> options) {
    options.insert(options.begin(), {"profile", "put", file});
    const ToolRun run = RunTool(options);
    EXPECT_EQ(run.status, 0);
    return run.out;
  }

  TempDir dir;
  std::string file = dir / "album.ini";
};

TEST_F(ProfileCommandTest, GetsListsAndValues) {
  EXPECT_EQ(Get({}), "ret=31\nvalue=Album:Live at Home\\x00Album:Other\\x00\\x00\n");
  EXPECT_EQ(Get({"--section", "album:live at home"}), "ret=15\nvalue=Artist\\x00Year\\x00T1\\x00\\x00\n");
  EXPECT_EQ(Get({"--section", "Album:Other", "--key", "Artist"}), "ret=7\nvalue=Someone\n");
  EXPECT_EQ(Get({"--section", "Album:Other", "--key", "Category", "--default", "x  "}), "ret=1\nvalue=x\n");
  EXPECT_EQ(Get({"--section", "Album:Other", "--key", "Category"}), "ret=0\nvalue=\n");
  EXPECT_EQ(Get({"--section", "Nothing", "--default", "none"}), "ret=4\nvalue=none\n");
}

TEST_F(ProfileCommandTest, BufferSizesCutAsTheWindowsFunctionDoes) {
  EXPECT_EQ(Get({"--section", "Album:Other", "--key", "Artist", "--size", "4"}), "ret=3\nvalue=Som\n");
  EXPECT_EQ(Get({"--section", "Album:Other", "--key", "Artist", "--size", "0"}), "ret=0\nvalue=\n");
  EXPECT_EQ(Get({"--size", "8"}), "ret=6\nvalue=Album:\\x00\\x00\n");
  EXPECT_EQ(Get({"--size", "2"}), "ret=0\nvalue=\\x00\\x00\n");
  EXPECT_EQ(Get({"--size", "1"}), "ret=0\nvalue=\\x00\n");
  EXPECT_EQ(Get({"--size", "33"}), "ret=31\nvalue=Album:Live at Home\\x00Album:Other\\x00\\x00\n");
}

TEST_F(ProfileCommandTest, EscapesBytesAndShowsUtf8) {
  WriteFile(file, "[S]\nk=H\xE5rd\\rock\n");  // Windows-1252 å
  EXPECT_EQ(Get({"--section", "S", "--key", "k"}), "ret=10\nvalue=H\\xc3\\xa5rd\\\\rock\n");
}

TEST_F(ProfileCommandTest, PutsAndDeletes) {
  EXPECT_EQ(Put({"--section", "Album:Live at Home", "--key", "Category", "--value", "Pop"}), "ret=1\n");
  EXPECT_EQ(Put({"--section", "Album:Live at Home", "--key", "Year", "--value", "1995"}), "ret=1\n");
  EXPECT_EQ(ReadFile(file),
            "; made by hand\n[Album:Live at Home]\nArtist = The Band\nYear=1995\nT1=01 Intro.mp3, 01 Intro\n"
            "Category=Pop\n\n[Album:Other]\nArtist='Someone'\n");
  EXPECT_EQ(Put({"--section", "Album:Live at Home"}), "ret=1\n");
  EXPECT_EQ(ReadFile(file), "; made by hand\n[Album:Other]\nArtist='Someone'\n");
  EXPECT_EQ(Put({"--section", "Album:Other", "--key", "Artist"}), "ret=1\n");
  EXPECT_EQ(Put({}), "ret=1\n");
  EXPECT_EQ(Put({"--key", "k", "--value", "v"}), "ret=0\n");
  EXPECT_EQ(ReadFile(file), "; made by hand\n[Album:Other]\n");
}

TEST(ProfileCommandUsageTest, RejectsBadCalls) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {"profile"},
           {"profile", "get"},
           {"profile", "list", "f"},
           {"profile", "get", "f", "--value", "v"},
           {"profile", "put", "f", "--default", "d"},
           {"profile", "get", "f", "--size", "-1"},
           {"profile", "get", "f", "--key"},
           {"profile", "get", "f", "--key", "a", "--key", "b"}}) {
    EXPECT_EQ(RunTool(args).status, 2) << ::testing::PrintToString(args);
  }
}

}  // namespace
