// The context menu fitted to the right-clicked node.
#include "library_fixture.h"
#include "res/resource_ids.h"
#include "tree/context_menu.h"
#include "tree/library_marks.h"
#include "tree/player.h"

using namespace tree;

namespace {

class ContextMenuTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    Write("Music/album.ini",
          "[Album:Live & Loud]\nArtist=The Band\nT1=01.mp3, Intro\n"
          "[Album:" + std::string(34, 'L') + "]\nArtist=The Band\nT1=02.mp3, " + std::string(34, 'x') + "\n");
    Song("Music/01.mp3");
    Song("Music/02.mp3");
    Song("Music/Loose 100%.mp3");
    Song("Music/" + std::string(40, 'y') + ".mp3");
    Scan();
    view.Menu().SetPopupDelegate(&delegate);
  }
  // The menu for a right click on the node (labels separated by "|"; "" for empty space).
  std::vector<platform::MenuItem> MenuFor(const std::string& labels) {
    const TreeItem node = labels.empty() ? TreeItem() : Find(labels);
    return view.Menu().ItemsFor(node);
  }
  static std::string Text(const std::vector<platform::MenuItem>& menu, unsigned command) {
    for (const auto& item : menu) {
      if (item.command == command) return item.text;
    }
    return "<missing>";
  }
  static bool Enabled(const std::vector<platform::MenuItem>& menu, unsigned command) {
    for (const auto& item : menu) {
      if (item.command == command) return item.enabled;
    }
    return false;
  }

  struct AllAvailable : PopupDelegate {
    bool Available(unsigned) const override { return true; }
    void AddAlbum(const TreeItem&) override {}
    void DeleteNode(const TreeItem&) override {}
    void RenameNode(const TreeItem&) override {}
  } delegate;
};

TEST_F(ContextMenuTest, EmptySpaceOffersAllSongsAndKeepsTheSelection) {
  view.Tree()->State().SelectItem(Find("The Band").m_hItem);
  const auto menu = MenuFor("");
  EXPECT_EQ(Text(menu, res::ID_PLAY_NOW), "&Play all songs now");
  EXPECT_EQ(Text(menu, res::ID_DELETE_NODE), "&Delete ");
  EXPECT_FALSE(Enabled(menu, res::ID_DELETE_NODE));
  EXPECT_FALSE(Enabled(menu, res::ID_RENAME_NODE));
  EXPECT_FALSE(Enabled(menu, res::ID_PLAY_SELECTED));
  EXPECT_EQ(view.Tree()->State().GetSelection(), Find("The Band").m_hItem);
  ASSERT_EQ(menu.size(), 6u);
  EXPECT_EQ(menu[2].command, 0u);  // the separator
}

TEST_F(ContextMenuTest, WordingsFollowTheNodeKind) {
  auto menu = MenuFor(Volume());
  // The volume's label is longer than 33 characters: its first 30 and "...".
  EXPECT_EQ(Text(menu, res::ID_PLAY_NOW), "&Play all songs in volume \"" + Volume().substr(0, 30) + "...\" now");
  EXPECT_FALSE(Enabled(menu, res::ID_DELETE_NODE));
  EXPECT_TRUE(Enabled(menu, res::ID_RENAME_NODE));

  menu = MenuFor(Volume() + "|Music");
  EXPECT_EQ(Text(menu, res::ID_PLAY_NOW), "&Play all songs in \"Music\" now");
  EXPECT_EQ(Text(menu, res::ID_DELETE_NODE), "&Delete the folder and all songs in it");
  EXPECT_TRUE(Enabled(menu, res::ID_DELETE_NODE));

  menu = MenuFor("The Band");
  EXPECT_EQ(Text(menu, res::ID_PLAY_NOW), "&Play \"The Band\" now");
  EXPECT_EQ(Text(menu, res::ID_DELETE_NODE), "&Delete artist (all album.ini files)");

  menu = MenuFor("The Band|Live & Loud");
  EXPECT_EQ(Text(menu, res::ID_PLAY_NOW), "&Play \"Live && Loud\" now");
  EXPECT_EQ(Text(menu, res::ID_DELETE_NODE), "&Delete album information (album.ini)");

  menu = MenuFor("The Band|Live & Loud|Intro");
  EXPECT_EQ(Text(menu, res::ID_DELETE_NODE), "&Delete song from album.ini");
  EXPECT_EQ(Text(menu, res::ID_ADD_ALBUM), "&Add album");
}

TEST_F(ContextMenuTest, LongLabelsAndSongFiles) {
  auto menu = MenuFor("The Band|" + std::string(34, 'L'));
  EXPECT_EQ(Text(menu, res::ID_PLAY_NOW), "&Play \"" + std::string(30, 'L') + "...\" now");

  menu = MenuFor(Volume() + "|Music|Loose 100%");
  EXPECT_EQ(Text(menu, res::ID_PLAY_NOW), "&Play \"Loose 100%\" now");
  EXPECT_EQ(Text(menu, res::ID_DELETE_NODE), "&Delete the file \"Loose 100%.mp3\"");

  menu = MenuFor(Volume() + "|Music|" + std::string(40, 'y'));
  EXPECT_EQ(Text(menu, res::ID_DELETE_NODE), "&Delete the file \"" + std::string(30, 'y') + "....mp3\"");
}

// What a drag or a copy of a node carries: the files of its songs, a missing one left out.
TEST_F(ContextMenuTest, ANodesSongFilesAreItsSongsOnDisk) {
  Write("Music/album.ini", "[Album:A]\nArtist=B\nT1=gone.mp3, Gone\nT2=01.mp3, One\n");
  Song("Music/01.mp3");
  Scan();
  const std::vector<std::string> one{dir / "Music/01.mp3"};
  EXPECT_EQ(view.Play().SongFiles(Find("B|A")), one);
  EXPECT_EQ(view.Play().SongFiles(Find("B|A|One")), one);
  EXPECT_TRUE(view.Play().SongFiles(Find("B|A|Gone")).empty());
  EXPECT_TRUE(view.Play().SongFiles(TreeItem()).empty());
}

TEST_F(ContextMenuTest, PlaySelectedNeedsAMarkAndLaterCommandsNeedTheirDelegate) {
  Write("Music/album.ini", "[Album:A]\nArtist=B\nT1=gone.mp3, Gone\nT2=01.mp3, One\n");
  Scan();
  EXPECT_FALSE(Enabled(MenuFor(""), res::ID_PLAY_SELECTED));  // a missing file's mark does not count
  view.Marks().SetMark(Find("B|A|One"), true);
  EXPECT_TRUE(Enabled(MenuFor(""), res::ID_PLAY_SELECTED));

  view.Menu().SetPopupDelegate(nullptr);
  const auto menu = MenuFor("B|A");
  EXPECT_FALSE(Enabled(menu, res::ID_ADD_ALBUM));
  EXPECT_FALSE(Enabled(menu, res::ID_DELETE_NODE));
  EXPECT_FALSE(Enabled(menu, res::ID_RENAME_NODE));
}

TEST_F(ContextMenuTest, TheChosenCommandRuns) {
  ui.menuAnswers = {res::ID_PLAY_NOW};
  Setting("Decoder", dir / "no-player");
  view.Menu().Show(Find("The Band"));
  ASSERT_EQ(ui.menus.size(), 1u);
  ASSERT_EQ(ui.messages.size(), 1u);  // the play command ran and could not start the player
  EXPECT_EQ(ui.Message(0).caption, "Error");
}

TEST_F(ContextMenuTest, ADuplicateAlbumOffersNoDeleteOrRenameAndSaysWhy) {
  Write("Other/album.ini", "[Album:Live & Loud]\nArtist=The Band\nT1=03.mp3, Three\n");
  Scan();
  const auto menu = MenuFor("The Band|Duplicate album name: Live & Loud");
  EXPECT_FALSE(Enabled(menu, res::ID_DELETE_NODE));
  EXPECT_FALSE(Enabled(menu, res::ID_RENAME_NODE));
  for (const auto& item : menu) {
    if (item.command == res::ID_DELETE_NODE || item.command == res::ID_RENAME_NODE) {
      EXPECT_NE(item.prompt.find("duplicate album"), std::string::npos);
    }
  }
  EXPECT_TRUE(Enabled(MenuFor("The Band|Live & Loud"), res::ID_DELETE_NODE));
  EXPECT_TRUE(Enabled(MenuFor("The Band|Live & Loud"), res::ID_RENAME_NODE));
}

}  // namespace
