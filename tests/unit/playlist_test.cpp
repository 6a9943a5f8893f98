// Play now and play selected: the playlist on disk and the player's arguments.
#include <sys/stat.h>

#include <filesystem>

#include "library_fixture.h"
#include "platform/filesystem.h"
#include "recording_player.h"
#include "res/resource_ids.h"
#include "tree/context_menu.h"
#include "tree/library_marks.h"

using namespace tree;
using testing_support::MakeRecordingPlayer;
using testing_support::ReadFile;
using testing_support::WaitForPlayerArgs;

namespace {

class PlaylistTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    // Names a shell would take apart: blanks, quotes, "$", ";" and letters beyond ASCII.
    Write("Mötley \"Crüe\" $HOME; x/album.ini",
          "[Album:One]\nArtist=X\nT1=Intro.mp3, Intro\nT2=gone.mp3, Gone\nT3=b.mp3, B\n"
          "[Album:Two]\nArtist=X\nT1=c.mp3, C\n");
    album = dir / "Mötley \"Crüe\" $HOME; x/";
    Song("Mötley \"Crüe\" $HOME; x/intro.MP3");
    Song("Mötley \"Crüe\" $HOME; x/b.mp3");
    Song("Mötley \"Crüe\" $HOME; x/c.mp3");
    Write("empty/album.ini", "[Album:Void]\nArtist=Y\nT1=none.mp3, None\n");
    Setting("Decoder", "  " + MakeRecordingPlayer(playerDir, "player.sh") + "  ");
    Setting("Playlistfile", "list.m3u");
    Scan();
  }
  void PlayNow(const std::string& labels) {
    const TreeItem node = Find(labels);
    view.Tree()->State().SelectItem(node.m_hItem);
    view.Menu().Carry(res::ID_PLAY_NOW, node);
  }
  std::string Playlist() { return ReadFile(settingsDir / "list.m3u"); }

  testing_support::TempDir playerDir;
  std::string album;
};

TEST_F(PlaylistTest, PlayNowOnAnAlbumSkipsMissingSongs) {
  PlayNow("X|One");
  EXPECT_EQ(WaitForPlayerArgs(playerDir), settingsDir / "list.m3u\n");
  // The on-disk spelling of each file, one path a line, LF line ends.
  EXPECT_EQ(Playlist(), album + "intro.MP3\n" + album + "b.mp3\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PlaylistTest, AMissingSongIsNeverHandedToThePlayer) {
  std::filesystem::remove(playerDir / "args.txt");
  PlayNow("X|One|Gone");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.Message(0).text, "Found no songs to play!");
  EXPECT_FALSE(platform::PathExists(playerDir / "args.txt"));
  // Marked songs that are all missing: Play selected says so too.
  view.Marks().ToggleMark(Find("X|One|Gone"));
  view.Menu().Carry(res::ID_PLAY_SELECTED, view.Top());
  EXPECT_EQ(ui.Last().text, "Found no songs to play!");
  EXPECT_FALSE(platform::PathExists(playerDir / "args.txt"));
}

TEST_F(PlaylistTest, PlayNowOnASongPassesItsPathAndKeepsThePlaylist) {
  testing_support::WriteFile(settingsDir / "list.m3u", "old\n");
  PlayNow("X|One|B");
  EXPECT_EQ(WaitForPlayerArgs(playerDir), album + "b.mp3\n");
  EXPECT_EQ(Playlist(), "old\n");
}

TEST_F(PlaylistTest, PlaySelectedWritesMarkedSongsInTreeOrder) {
  view.Marks().SetMark(Find("X|Two|C"), true);
  view.Marks().SetMark(Find("X|One|Intro"), true);
  view.Tree()->State().SelectItem(Find("X|Two").m_hItem);
  view.Menu().Carry(res::ID_PLAY_SELECTED, Find("X|Two"));
  EXPECT_EQ(WaitForPlayerArgs(playerDir), settingsDir / "list.m3u\n");
  EXPECT_EQ(Playlist(), album + "intro.MP3\n" + album + "c.mp3\n");
}

TEST_F(PlaylistTest, NothingToPlayIsReportedAfterThePlaylistWasEmptied) {
  testing_support::WriteFile(settingsDir / "list.m3u", "old\n");
  PlayNow("Y|Void");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.Message(0).text, "Found no songs to play!");
  EXPECT_EQ(ui.Message(0).caption, "Error");
  EXPECT_EQ(Playlist(), "");
  EXPECT_FALSE(platform::PathExists(playerDir / "args.txt"));
}

TEST_F(PlaylistTest, APlayerThatCannotStartIsReported) {
  Setting("Decoder", dir / "no-such-player");
  PlayNow("X|One");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.Message(0).caption, "Error");
  EXPECT_NE(ui.Message(0).text.find("no-such-player"), std::string::npos);
}

TEST_F(PlaylistTest, APlaylistThatCannotBeCreatedIsReported) {
  Setting("Playlistfile", dir / "no/folder/list.m3u");
  PlayNow("X|One");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.Message(0).text, "Unable to create the playlistfile '" + dir / "no/folder/list.m3u" + "'");
  EXPECT_EQ(ui.Message(0).caption, "Melodeck");
  EXPECT_FALSE(platform::PathExists(playerDir / "args.txt"));
}

TEST_F(PlaylistTest, APipeIsRefusedAndALinkIsWrittenWhereItPoints) {
  ASSERT_EQ(::mkfifo((dir / "fifo.m3u").c_str(), 0644), 0);
  Setting("Playlistfile", dir / "fifo.m3u");
  PlayNow("X|One");  // would wait for a reader for ever if the pipe were opened
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.Message(0).text, "The playlistfile '" + dir / "fifo.m3u" +
                                    "' is no regular file (a pipe or a device?): nothing was written to it.");
  EXPECT_FALSE(platform::PathExists(playerDir / "args.txt"));

  // A link the user made (a dotfile manager's): the file it points to gets the songs.
  Write("lists/real.m3u", "old\n");
  std::filesystem::create_symlink(dir / "lists/real.m3u", dir / "link.m3u");
  Setting("Playlistfile", dir / "link.m3u");
  PlayNow("X|Two");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.m3u"));
  EXPECT_EQ(ReadFile(dir / "lists/real.m3u"), album + "c.mp3\n");
}

TEST_F(PlaylistTest, ShortNamesAreTheLongOnesOnLinux) {
  Setting("LongFilenames", "no");
  Setting("Playlistfile", settingsDir / "abs.m3u");
  PlayNow("X|One");
  EXPECT_EQ(WaitForPlayerArgs(playerDir), settingsDir / "abs.m3u\n");
  EXPECT_EQ(ReadFile(settingsDir / "abs.m3u"), album + "intro.MP3\n" + album + "b.mp3\n");
}

TEST_F(PlaylistTest, OtherCommandsGoToTheirDelegate) {
  struct Recorder : PopupDelegate {
    bool Available(unsigned) const override { return true; }
    void AddAlbum(const TreeItem& node) override { calls.push_back("add " + std::string(node.Label())); }
    void DeleteNode(const TreeItem& node) override { calls.push_back("delete " + std::string(node.Label())); }
    void RenameNode(const TreeItem& node) override { calls.push_back("rename " + std::string(node.Label())); }
    std::vector<std::string> calls;
  } delegate;
  view.Menu().SetPopupDelegate(&delegate);
  view.Tree()->State().SelectItem(Find("X|One").m_hItem);
  view.Menu().Carry(res::ID_ADD_ALBUM, view.Top());
  view.Menu().Carry(res::ID_DELETE_NODE, Find("X|One"));
  view.Menu().Carry(res::ID_RENAME_NODE, Find("X|One"));
  // Empty space offers neither: nothing reaches the delegate.
  view.Menu().Carry(res::ID_DELETE_NODE, TreeItem());
  view.Menu().Carry(res::ID_RENAME_NODE, TreeItem());
  EXPECT_EQ(delegate.calls, (std::vector<std::string>{"add ", "delete One", "rename One"}));
}

}  // namespace
