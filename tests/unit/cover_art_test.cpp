// Covers: the folder's picture file by name, else the picture the first song carries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "catalogue/cover_art.h"
#include "temp_dir.h"

using catalogue::CoverBytes;
using catalogue::CoverFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const std::string kTagged = std::string(MELODECK_TAG_FIXTURES) + "/v23-utf16.mp3";

TEST(CoverArtTest, TheFoldersPictureFileIsFoundByNameInAnyCase) {
  TempDir dir;
  const std::string folder = dir.path() + "/";
  WriteFile(dir / "Album.JPG", "album");
  WriteFile(dir / "front.png", "front");
  WriteFile(dir / "cover.gif", "no");  // not a kind the pane shows
  std::filesystem::create_directory(dir / "cover.jpg");  // a folder, not a picture
  WriteFile(dir / "folder.txt", "no");
  EXPECT_EQ(CoverFile(folder), folder + "front.png");
  WriteFile(dir / "FOLDER.jpeg", "folder");
  EXPECT_EQ(CoverFile(folder), folder + "FOLDER.jpeg");
  WriteFile(dir / "Cover.Png", "cover");
  EXPECT_EQ(CoverFile(folder), folder + "Cover.Png");
  WriteFile(dir / "cover.JPG", "cover too");  // of two spellings the first listed wins
  EXPECT_EQ(CoverFile(folder), folder + "cover.JPG");
  EXPECT_EQ(CoverBytes(folder, kTagged, 100), "cover too");  // the file before the song's own
  EXPECT_EQ(CoverBytes(folder, kTagged, 4), "");              // larger than asked for
  EXPECT_EQ(CoverFile(dir / "missing/"), "");
}

TEST(CoverArtTest, WithoutAPictureFileTheFirstSongsOwnStandsIn) {
  TempDir dir;
  const std::string folder = dir.path() + "/";
  EXPECT_EQ(CoverBytes(folder, kTagged, 1000), "JPEGDATA-FRONT-COVER");
  EXPECT_EQ(CoverBytes(folder, "", 1000), "");
  // A picture file that is no regular file is never opened, and stands for no cover.
  ASSERT_EQ(::mkfifo((dir / "cover.jpg").c_str(), 0600), 0);
  EXPECT_EQ(CoverBytes(folder, kTagged, 1000), "");
}

}  // namespace
