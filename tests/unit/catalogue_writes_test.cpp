// Album and song nodes write their catalogue.
#include <gtest/gtest.h>

#include "memory_prop_data.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "temp_dir.h"
#include "tree/details_presenter.h"
#include "tree/library_editor.h"
#include "tree/stree_view.h"

using namespace tree;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class CatalogueWritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.Details().SetDataPage(&page);
    album = view.Top().AddChild("The Band", NodeKind::Artist).AddChild("Live", NodeKind::Album);
    view.Tree()->SetData(album.m_hItem, dir.path());
    song = album.AddChild("Intro", NodeKind::AlbumSong);
    view.Tree()->SetData(song.m_hItem, "01 intro");
    WriteFile(dir / "Album.ini", "[Album:Live]\r\nArtist=The Band\r\nT1=01 Intro.mp3, Intro\r\n");
    WriteFile(dir / "01 Intro.mp3", "frames");
  }

  TempDir dir;
  testing_support::MemoryPropData page;
  STreeView view;
  TreeItem album, song;
};

TEST_F(CatalogueWritesTest, AlbumInfoGoesToTheFoldersCatalogueAndTheCategoryList) {
  ASSERT_TRUE(view.Editor().WriteAlbumInfo(album, " Ambient ", 1994));
  EXPECT_EQ(ReadFile(dir / "Album.ini"),
            "[Album:Live]\r\nArtist=The Band\r\nT1=01 Intro.mp3, Intro\r\nCategory=Ambient\r\nYear=1994\r\n");
  EXPECT_EQ(page.Categories().Find("ambient"), 0);
}

TEST_F(CatalogueWritesTest, SongEntryFollowsTheNodesNames) {
  // The node's file title differs only in case: the file stays, the entry takes the name.
  ASSERT_EQ(view.Editor().WriteSongEntry(album, song, "01 Intro.mp3", "Pop", 0, "Guest"), catalogue::SongEntryResult::Written);
  EXPECT_EQ(platform::ProfileGetString(dir / "Album.ini", "Album:Live", "T1"), "01 intro.mp3, Intro, Pop, , Guest");
  EXPECT_TRUE(platform::PathExists(dir / "01 Intro.mp3"));

  view.Tree()->SetData(song.m_hItem, "01 Opening");
  ASSERT_EQ(view.Editor().WriteSongEntry(album, song, "01 intro.mp3", "", 0, ""), catalogue::SongEntryResult::Written);
  EXPECT_TRUE(platform::PathExists(dir / "01 Opening.mp3"));
  EXPECT_EQ(platform::ProfileGetString(dir / "Album.ini", "Album:Live", "T1"), "01 Opening.mp3, Intro");

  view.Tree()->SetData(album.m_hItem, std::nullopt);
  EXPECT_EQ(view.Editor().WriteSongEntry(album, song, "01 Opening.mp3", "", 0, ""), catalogue::SongEntryResult::NoEntry);
}

}  // namespace
