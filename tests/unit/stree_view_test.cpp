// The library tree's node layer: kinds, names, menu labels, branches, expanding and
// the two display modes.
#include <gtest/gtest.h>

#include "recording_ui_hooks.h"
#include "res/resource_ids.h"
#include "tree/context_menu.h"
#include "tree/stree_view.h"

using namespace tree;
using testing_support::RecordingUiHooks;

namespace {

// A small library as the scan leaves it in display mode 0.
class STreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    artist = view.Top().AddChild("The Band", NodeKind::Artist);
    album = artist.AddChild("Live at Home", NodeKind::Album);
    view.Tree()->SetData(album.m_hItem, "/music/live/");
    intro = AddSong(album, "Intro: AC/DC tribute", "01 Intro");
    untitled = AddSong(album, "02 Song", "02 Song");
    volume = TreeItem(view.Tree()->InsertItem(view.Top().m_hItem, "/media/usb/", NodeKind::Volume,
                                              platform::DriveType::Removable), view.Tree());
    folder = volume.AddChild("Loose", NodeKind::Folder);
    loose = folder.AddChild("loose one", NodeKind::LooseSong);
    view.Tree()->SetData(loose.m_hItem, "/media/usb/Loose/");
  }
  TreeItem AddSong(const TreeItem& parent, const char* label, const char* data) {
    TreeItem song = parent.AddChild(label, NodeKind::AlbumSong);
    view.Tree()->Facts(song.m_hItem).hasTitle = std::string_view(label) != data;
    view.Tree()->SetData(song.m_hItem, data);
    return song;
  }

  RecordingUiHooks hooks;
  STreeView view;
  TreeItem artist, album, intro, untitled, volume, folder, loose;
};

TEST(STreeView, ANewLibraryHasOnlyItsTopNode) {
  RecordingUiHooks hooks;
  const STreeView view;
  EXPECT_EQ(view.Top().Label(), "Artists");
  EXPECT_EQ(KindOf(view.Top()), NodeKind::Top);
  EXPECT_FALSE(view.Top().HasChildren());
  EXPECT_EQ(view.DisplayMode(), tree::DisplayMode::SongTitles);
  EXPECT_FALSE(platform::Ui().PumpOne());  // nothing posted: the window starts the first scan
}

TEST_F(STreeViewTest, NamesOfSongsFollowTheDisplayMode) {
  EXPECT_EQ(view.GetNodeName(intro, false), "Intro: AC/DC tribute");
  EXPECT_EQ(view.GetNodeName(intro, true), "01 Intro.mp3");
  EXPECT_EQ(view.GetNodeName(loose, true), "loose one.mp3");
  EXPECT_EQ(view.GetNodeName(album, false), "Live at Home");
  EXPECT_EQ(view.GetNodeName(TreeItem(), true), ".mp3");
  view.ShowFileNames();
  EXPECT_EQ(view.GetNodeName(intro, false), "Intro: AC/DC tribute");
  EXPECT_EQ(view.GetNodeName(intro, true), "01 Intro.mp3");
}

TEST_F(STreeViewTest, SwitchingModesAndBackRestoresEverySong) {
  view.ShowFileNames();
  EXPECT_EQ(view.DisplayMode(), tree::DisplayMode::FileNames);
  EXPECT_EQ(intro.Label(), "01 Intro");
  EXPECT_EQ(intro.Data(), "Intro: AC/DC tribute");
  EXPECT_EQ(loose.Label(), "loose one");
  EXPECT_EQ(loose.Data(), "/media/usb/Loose/");
  view.ShowFileNames();  // already in mode 1: nothing
  EXPECT_EQ(intro.Label(), "01 Intro");

  view.ShowSongTitles();
  EXPECT_EQ(view.DisplayMode(), tree::DisplayMode::SongTitles);
  // A title with "/" and "." comes back whole.
  EXPECT_EQ(intro.Label(), "Intro: AC/DC tribute");
  EXPECT_EQ(intro.Data(), "01 Intro");
  EXPECT_EQ(untitled.Label(), "02 Song");
  EXPECT_EQ(loose.Label(), "loose one");
  EXPECT_TRUE(hooks.messages.empty());
}

TEST_F(STreeViewTest, SongnamesNeedArtists) {
  STreeView empty;
  empty.SetDisplayMode(tree::DisplayMode::FileNames);
  empty.ShowSongTitles();  // only the top node: nothing, no message
  EXPECT_TRUE(hooks.messages.empty());
  EXPECT_EQ(empty.DisplayMode(), tree::DisplayMode::FileNames);

  empty.Top().AddChild("/", NodeKind::Volume).AddChild("a", NodeKind::LooseSong);
  empty.ShowSongTitles();
  ASSERT_EQ(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.Message(0).text, "You must use album.ini files to be\nable to view and edit songnames.");
  EXPECT_EQ(hooks.Message(0).caption, "Error");
  EXPECT_EQ(hooks.Message(0).type, platform::MB_OK | platform::MB_ICONEXCLAMATION);
  EXPECT_EQ(empty.DisplayMode(), tree::DisplayMode::FileNames);
  EXPECT_FALSE(empty.HasArtists());
  EXPECT_TRUE(view.HasArtists());
}

TEST(MenuLabelTest, CutsQuotesAndDoublesAmpersands) {
  const auto label = [](const std::string& text) {
    GString value = text;
    tree::ContextMenu::MakeMenuLabel(value);
    return std::string(value);
  };
  const std::string exact(33, 'x');
  EXPECT_EQ(label(exact), "\"" + exact + "\"");
  EXPECT_EQ(label(std::string(34, 'y')), "\"" + std::string(30, 'y') + "...\"");
  EXPECT_EQ(label("Rock & Roll"), "\"Rock && Roll\"");
  EXPECT_EQ(label("100% %s %%"), "\"100% %s %%\"");
  // Characters, not bytes: 33 "å" stay whole, 34 are cut after the 30th.
  std::string a33;
  for (int i = 0; i < 33; ++i) a33 += "\xC3\xA5";
  EXPECT_EQ(label(a33), "\"" + a33 + "\"");
  EXPECT_EQ(label(a33 + "\xC3\xA5"), "\"" + a33.substr(0, 60) + "...\"");
}

// The expanded state is one flag, set once however the node is opened.
TEST_F(STreeViewTest, ExpandingSetsOneFlag) {
  tree::ExpandItem(album, true);
  EXPECT_TRUE(view.Tree()->State().IsExpanded(album.m_hItem));
  tree::ExpandItem(album, true);
  EXPECT_TRUE(view.Tree()->State().IsExpanded(album.m_hItem));
  tree::ExpandItem(album, false);
  EXPECT_FALSE(view.Tree()->State().IsExpanded(album.m_hItem));
  // Through the control, as a mouse click or key does it.
  view.Tree()->State().Expand(folder.m_hItem, ExpandAction::Toggle);
  EXPECT_TRUE(view.Tree()->State().IsExpanded(folder.m_hItem));
  view.Tree()->State().Expand(folder.m_hItem, ExpandAction::Toggle);
  EXPECT_FALSE(view.Tree()->State().IsExpanded(folder.m_hItem));
  view.Tree()->State().Expand(folder.m_hItem, ExpandAction::Expand);
  view.Tree()->State().Expand(folder.m_hItem, ExpandAction::CollapseReset);
  EXPECT_FALSE(view.Tree()->State().IsExpanded(folder.m_hItem));
  // A song has no children: expanding it changes nothing.
  tree::ExpandItem(intro, true);
  EXPECT_FALSE(view.Tree()->State().IsExpanded(intro.m_hItem));
}

TEST_F(STreeViewTest, DeleteBranchKeepsTheNodeCollapsedWithItsData) {
  tree::ExpandItem(album, true);
  view.DeleteBranch(album, true);
  EXPECT_TRUE(view.Tree()->IsValid(album.m_hItem));
  EXPECT_FALSE(album.HasChildren());
  EXPECT_EQ(album.Data(), "/music/live/");
  EXPECT_FALSE(view.Tree()->IsValid(intro.m_hItem));

  view.DeleteBranch(volume, false);
  EXPECT_FALSE(view.Tree()->IsValid(volume.m_hItem));
  EXPECT_FALSE(view.Tree()->IsValid(loose.m_hItem));
  view.DeleteBranch(view.Top(), true);
  EXPECT_EQ(view.Tree()->Count(), 1u);
}

}  // namespace
