// Renames and deletes that used to lose, hide or misdirect songs, each on real files:
// after every edit the disk holds what the user asked for and the tree shows what a
// fresh scan shows.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "dialogs/add_album_dialog.h"
#include "library_fixture.h"
#include "res/texts.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "recording_player.h"
#include "res/resource_ids.h"
#include "tree/node_deleter.h"
#include "tree/context_menu.h"
#include "tree/details_presenter.h"
#include "tree/library_editor.h"
#include "tree/library_marks.h"

using namespace tree;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;

namespace {

class EditFaultsTest : public testing_support::LibraryFixture {
 protected:
  bool Rename(const std::string& labels, const std::string& text) {
    const TreeItem node = Find(labels);
    return !node.IsNull() && view.Editor().Rename(node, text);
  }
  void Delete(const std::string& labels, int answer = platform::IDYES) {
    ui.messageAnswers = {answer};
    CNodeDeleter(&view, view.Top()).Delete(Find(labels)).Report();
  }
  std::string LastMessage() const { return ui.Last().text; }
  void ExpectFreshScan() { EXPECT_EQ(Canonical(view), FreshScan()); }
};

TEST_F(EditFaultsTest, AFolderDeleteKeepsEveryFileACatalogueOnDiskLists) {
  Write("a/album.ini", "[Album:Old]\nArtist=The Band\nT1=01.mp3, One\nT2=02.mp3, Two\n\n"
                       "[Album:Again]\nArtist=Someone\nT1=02.mp3, Two again\n");
  for (const char* song : {"a/01.mp3", "a/02.mp3", "a/loose.mp3"}) Song(song);
  Scan();
  // The song's entry goes, but another section still lists its file: it is no loose file.
  Delete("The Band|Old|Two");
  EXPECT_TRUE(Find(Volume() + "|a").FirstChild().Label() == "loose");
  EXPECT_TRUE(Find(Volume() + "|a").FirstChild().NextSibling().IsNull());
  Delete(Volume() + "|a");
  EXPECT_TRUE(platform::PathExists(dir / "a/02.mp3"));
  EXPECT_TRUE(platform::PathExists(dir / "a/01.mp3"));
  EXPECT_FALSE(platform::PathExists(dir / "a/loose.mp3"));
  ExpectFreshScan();

  // With the catalogues not read every file shows as loose; the catalogue on disk
  // still decides what a folder delete may take, in any letter case.
  Write("b/ALBUM.INI", "[Album:B]\nArtist=X\nT1=listed.mp3, L\n");
  Song("b/listed.mp3");
  Song("b/free.mp3");
  Setting("ReadAlbumIni", "no");
  Scan();
  Delete(Volume() + "|b");
  EXPECT_TRUE(platform::PathExists(dir / "b/listed.mp3"));
  EXPECT_FALSE(platform::PathExists(dir / "b/free.mp3"));
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, ARefusedArtistDeleteChangesNothing) {
  Write("a/album.ini", "[Album:One]\nArtist=The Band\nT1=01.mp3, One\n");
  Write("b/album.ini", "[Album:Two]\nArtist=The Band\nT1=02.mp3, Two\n");
  Song("a/01.mp3");
  Song("b/02.mp3");
  Scan();
  MakeReadOnly(dir / "b/album.ini");
  const std::string before = Tree();
  Delete("The Band");
  EXPECT_EQ(LastMessage(), "Album.ini for \"Two\" is read only.\n\nUnable to delete!");
  EXPECT_EQ(Tree(), before);
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), "[Album:One]\nArtist=The Band\nT1=01.mp3, One\n");
}

TEST_F(EditFaultsTest, AnArtistRenameNoCatalogueTookIsRefused) {
  Write("a/album.ini", "[Album:One]\nArtist=The Band\nT1=01.mp3, One\n");
  Write("b/album.ini", "[Album:Two]\nArtist=The Band\nT1=02.mp3, Two\n");
  Song("a/01.mp3");
  Song("b/02.mp3");
  Scan();
  platform::FailFileStepAt(platform::FileStep::Write, 2);  // the second catalogue's write fails
  EXPECT_FALSE(Rename("The Band", "Les Band"));
  platform::ClearFileFaults();
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), "[Album:One]\nArtist=The Band\nT1=01.mp3, One\n");
  EXPECT_EQ(ReadFile(dir / "b/album.ini"), "[Album:Two]\nArtist=The Band\nT1=02.mp3, Two\n");
  EXPECT_FALSE(Find("The Band").IsNull());
  EXPECT_NE(LastMessage().find("Nothing was changed"), std::string::npos);
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, ArtistRenamesMergeAsAScanWouldShowThem) {
  Write("a/album.ini", "[Album:One]\nArtist=Genesis\nT1=01.mp3, One\n\n[Album:Two]\nArtist=\" Genesis \"\nT1=02.mp3, Two\n");
  Write("b/album.ini", "[Album:Three]\nArtist=Phil\nT1=03.mp3, Three\n\n[Album:One]\nArtist=Mike\nT1=04.mp3, Four\n");
  for (const char* song : {"a/01.mp3", "a/02.mp3", "b/03.mp3", "b/04.mp3"}) Song(song);
  Scan();
  ASSERT_TRUE(Rename("Genesis", "Phil"));
  // " Genesis " differed only in blanks: both sections now name Phil, one artist with three albums.
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), "[Album:One]\nArtist=Phil\nT1=01.mp3, One\n\n[Album:Two]\nArtist=Phil\nT1=02.mp3, Two\n");
  EXPECT_FALSE(Find("Phil|One").IsNull());
  EXPECT_FALSE(Find("Phil|Two").IsNull());
  EXPECT_FALSE(Find("Phil|Three").IsNull());
  // The merged artist is selected, and its size is that of all its albums.
  EXPECT_EQ(view.Item(view.Tree()->State().GetSelection()), Find("Phil"));
  EXPECT_EQ(view.Details().SelectionSize(), view.Details().GetNodeSize(Find("Phil")));
  EXPECT_EQ(view.Details().SelectionSize(), 3 * 2 * 417);
  ExpectFreshScan();
  // Phil and Mike would both have an album "One": that rename would hide songs.
  EXPECT_FALSE(Rename("Mike", "phil"));
  EXPECT_NE(LastMessage().find("two albums named ONE"), std::string::npos);
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, ARenamedArtistStaysOpenAndKeepsItsMarks) {
  Write("a/album.ini", "[Album:One]\nArtist=Genesis\nT1=01.mp3, One\nT2=02.mp3, Two\n\n"
                       "[Album:Two]\nArtist=Genesis\nT1=03.mp3, Three\n");
  for (const char* song : {"a/01.mp3", "a/02.mp3", "a/03.mp3"}) Song(song);
  Scan();
  tree::ExpandItem(Find("Genesis"), true);
  tree::ExpandItem(Find("Genesis|Two"), true);
  view.Marks().ToggleMark(Find("Genesis|One|One"));
  ASSERT_TRUE(Rename("Genesis", "Phil"));
  EXPECT_TRUE(view.Tree()->State().IsExpanded(Find("Phil").m_hItem));
  EXPECT_TRUE(view.Tree()->State().IsExpanded(Find("Phil|Two").m_hItem));
  EXPECT_FALSE(view.Tree()->State().IsExpanded(Find("Phil|One").m_hItem));
  EXPECT_EQ(view.Marks().GetMark(Find("Phil|One|One")), Mark::Marked);
  EXPECT_EQ(view.Marks().GetMark(Find("Phil|One|Two")), Mark::None);
  EXPECT_EQ(view.Marks().GetMark(Find("Phil|Two|Three")), Mark::None);
}

TEST_F(EditFaultsTest, AlbumNamesMayNotCollideWithAnotherSection) {
  const std::string catalogue = "[Album:Live]\nArtist=A\nT1=01.mp3, One\n\n[Album:Live at Home]\nArtist=B\nT1=02.mp3, Two\n";
  Write("a/album.ini", catalogue);
  Song("a/01.mp3");
  Song("a/02.mp3");
  Scan();
  EXPECT_FALSE(Rename("A|Live", "LIVE AT HOME"));
  EXPECT_EQ(LastMessage(), "The album name \"LIVE AT HOME\" already exists in the albumfile!");
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), catalogue);
  // A prefix of another album's name is a name of its own; so is a change of case.
  ASSERT_TRUE(Rename("A|Live", "Live at"));
  ASSERT_TRUE(Rename("B|Live at Home", "live AT home"));
  EXPECT_EQ(ReadFile(dir / "a/album.ini"),
            "[Album:Live at]\nArtist=A\nT1=01.mp3, One\n\n[Album:live AT home]\nArtist=B\nT1=02.mp3, Two\n");
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, SongFileNamesACatalogueCouldNotHoldAreRefused) {
  Write("a/album.ini", "[Album:A]\nArtist=X\nT1=01.mp3, One\n");
  Song("a/01.mp3");
  Song("loose/one.mp3");
  Song("loose/LOOSE.mp3");
  Song("loose/x, y.mp3");
  Scan();
  EXPECT_FALSE(Rename(Volume() + "|loose|one", "01, zz"));
  EXPECT_NE(LastMessage().find("\",\""), std::string::npos);
  EXPECT_FALSE(Rename(Volume() + "|loose|one", "loose"));  // LOOSE.mp3 is there
  EXPECT_EQ(LastMessage(), "Can't rename to \"loose\"!\n\nThe folder already holds LOOSE.mp3.");
  EXPECT_FALSE(Rename(Volume() + "|loose|one", "a/b"));
  EXPECT_TRUE(Rename(Volume() + "|loose|one", "ONE"));  // its own name in other letters
  EXPECT_TRUE(platform::PathExists(dir / "loose/ONE.mp3"));
  view.ShowFileNames();
  EXPECT_FALSE(Rename("X|A|01", "01, zz"));
  EXPECT_TRUE(platform::PathExists(dir / "a/01.mp3"));
  ExpectFreshScan();

  // The add-album dialog offers no file whose name an entry could not hold.
  CAddAlbumDlg dialog(&view, {}, TreeItem());
  dialog.m_strAlbumFile = dir / "loose/album.ini";
  dialog.m_strAlbum = "New";
  dialog.FillSongList(dialog.m_strAlbumFile);
  for (const auto& row : dialog.m_listSongs.m_rows) EXPECT_EQ(row.text.find(','), std::string::npos) << row.text;
  EXPECT_EQ(dialog.m_listSongs.m_rows.size(), 2u);
}

TEST_F(EditFaultsTest, EntriesAreFoundHoweverTheyNameTheirFileAndExtraFieldsStay) {
  std::string catalogue = "[Album:A]\nArtist=X\nT1=01, One\nT2=sub\\02.mp3, Two, Pop, 1990, X, extra\n";
  for (int n = 3; n <= 1001; ++n) catalogue += "T" + std::to_string(n) + "=s" + std::to_string(n) + ".mp3, S" + std::to_string(n) + "\n";
  Write("a/album.ini", catalogue);
  Song("a/01.mp3");
  Song("a/02.mp3");
  Song("a/s1001.mp3");
  Scan();
  EXPECT_FALSE(Find("X|A|S1001").IsNull());  // more than 999 songs show
  ASSERT_TRUE(Rename("X|A|Two", "Dos"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:A", "T2"), "02.mp3, Dos, Pop, 1990, X, extra");
  view.ShowFileNames();
  ASSERT_TRUE(Rename("X|A|01", "uno"));
  EXPECT_TRUE(platform::PathExists(dir / "a/uno.mp3"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:A", "T1"), "uno.mp3, One");
  ASSERT_TRUE(Rename("X|A|s1001", "last"));
  EXPECT_TRUE(platform::PathExists(dir / "a/last.mp3"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:A", "T1001"), "last.mp3, S1001");
  ExpectFreshScan();

  // The entry went behind the tree's back: nothing moves, and the user is told.
  platform::ProfileWrite(dir / "a/album.ini", "Album:A", "T2", nullptr);
  EXPECT_FALSE(Rename("X|A|02", "zwei"));
  EXPECT_TRUE(platform::PathExists(dir / "a/02.mp3"));
  EXPECT_FALSE(platform::PathExists(dir / "a/zwei.mp3"));
  EXPECT_NE(LastMessage().find("was changed by another program"), std::string::npos);
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, VolumeLabelsMayNotLookLikeOptions) {
  Song("x.mp3");
  Scan();
  EXPECT_FALSE(Rename(Volume(), "-n"));
  EXPECT_NE(LastMessage().find("can't begin with \"-\""), std::string::npos);
  EXPECT_EQ(volumes.VolumeOf(dir.path()).label, "MUSIC");
}

TEST_F(EditFaultsTest, PlaylistsHoldSongLinesOnly) {
  testing_support::TempDir playerDir;
  Setting("Decoder", testing_support::MakeRecordingPlayer(playerDir, "player.sh"));
  Setting("Playlistfile", "list.m3u");
  Write("a/album.ini", "[Album:Empty]\nArtist=X\n\n[Album:Songs]\nArtist=Y\nT1=ok.mp3, Ok\nT2=two\nlines.mp3, Bad\n");
  Write("b/album.ini", "[Album:Songs]\nArtist=Y\nT1=c.mp3, C\n");
  Song("a/ok.mp3");
  Song("b/c.mp3");
  Song("loose/line\nbreak.mp3");
  Scan();
  const auto playNow = [&](const std::string& labels) {
    ui.messages.clear();
    const TreeItem node = Find(labels);
    view.Tree()->State().SelectItem(node.m_hItem);
    view.Menu().Carry(res::ID_PLAY_NOW, node);
  };
  playNow("X");  // an artist whose album has no song
  EXPECT_EQ(LastMessage(), "Found no songs to play!");
  playNow("Y|Duplicate album name: Songs");
  EXPECT_EQ(LastMessage(), "Found no songs to play!");
  playNow(Volume() + "|loose");
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.Message(0).text,
            "1 song(s) were left out of the playlist: a line break in a file name can't stand in a playlist.");
  playNow("Y|Songs");
  EXPECT_EQ(ReadFile(settingsDir / "list.m3u"), dir / "a/ok.mp3\n");
}

TEST_F(EditFaultsTest, OneCatalogueOfTwoSpellingsServesScanDetailsAndWrites) {
  Write("a/album.ini", "[Album:Lower]\nArtist=X\nCategory=Lower\nT1=01.mp3, One\n");
  Write("a/ALBUM.INI", "[Album:Upper]\nArtist=X\nCategory=Upper\nT1=01.mp3, One\n");
  Song("a/01.mp3");
  Scan();
  ASSERT_FALSE(Find("X|Upper").IsNull());
  EXPECT_TRUE(Find("X").FirstChild().NextSibling().IsNull());
  view.Tree()->State().SelectItem(Find("X|Upper").m_hItem);
  EXPECT_EQ(page.categoryText, "Upper");
  page.categoryText = "Jazz";
  view.Tree()->State().SelectItem(view.Top().m_hItem);
  EXPECT_EQ(platform::ProfileGetString(dir / "a/ALBUM.INI", "Album:Upper", "Category"), "Jazz");
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), "[Album:Lower]\nArtist=X\nCategory=Lower\nT1=01.mp3, One\n");
  ASSERT_TRUE(Rename("X|Upper", "Renamed"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/ALBUM.INI", "Album:Renamed", "Category"), "Jazz");
}

TEST_F(EditFaultsTest, SpecialAndOversizedFilesNeitherHangNorHideSongs) {
  Write("fifo/x.mp3", "");
  std::filesystem::remove(dir / "fifo/x.mp3");
  ASSERT_EQ(::mkfifo((dir / "fifo/album.ini").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo/x.mp3").c_str(), 0644), 0);
  Song("fifo/y.mp3");
  Write("big/album.ini", "[Album:Big]\nArtist=X\nT1=z.mp3, Z\n");
  ASSERT_EQ(::truncate((dir / "big/album.ini").c_str(), static_cast<off_t>(platform::kMaxProfileSize) + 1), 0);
  Song("big/z.mp3");
  Scan();  // returns: nothing waits for a writer
  EXPECT_FALSE(Find(Volume() + "|fifo|y").IsNull());
  EXPECT_FALSE(Find(Volume() + "|big|z").IsNull());  // the unread catalogue lists nothing
  EXPECT_NE(LastMessage().find(dir / "big/album.ini"), std::string::npos);
  view.Tree()->State().SelectItem(Find(Volume() + "|fifo|x").m_hItem);  // its header is not looked for
  EXPECT_EQ(page.bitrateText, "");
}

TEST_F(EditFaultsTest, SizesOfCaseTwinsAreTheirOwn) {
  Song("twins/A.mp3", 2);
  Song("twins/a.mp3", 5);
  Scan();
  EXPECT_EQ(view.Details().GetNodeSize(Find(Volume() + "|twins")), 7 * 417);
  view.Tree()->State().SelectItem(Find(Volume() + "|twins|a").m_hItem);
  EXPECT_EQ(view.Details().SelectionSize(), 5 * 417);
}

TEST_F(EditFaultsTest, DisplayModeSwitchesGiveWhatAScanInThatModeGives) {
  Write("a/album.ini", "[Album:A]\nArtist=X\nT1=01.mp3\nT2=02.mp3, 02\nT3=03.mp3, Three\nT4=03.mp3, Again\n");
  for (const char* song : {"a/01.mp3", "a/02.mp3", "a/03.mp3"}) Song(song);
  view.SetDisplayMode(tree::DisplayMode::FileNames);
  Scan();
  ExpectFreshScan();
  view.ShowSongTitles();
  ExpectFreshScan();
  view.ShowFileNames();
  ExpectFreshScan();
  view.ShowSongTitles();
  ExpectFreshScan();
}

// A switch shows what the scan read: a catalogue rewritten since changes nothing until
// the next scan, whether a title equals its file title or there is none.
TEST_F(EditFaultsTest, ADisplayModeSwitchShowsWhatTheScanReadWithoutReadingAgain) {
  Write("a/album.ini", "[Album:A]\nArtist=X\nT1=01.mp3, 01\nT2=02.mp3\n");
  for (const char* song : {"a/01.mp3", "a/02.mp3"}) Song(song);
  Scan();
  Write("a/album.ini", "[Album:A]\nArtist=X\nT1=01.mp3, Changed\nT2=02.mp3, Also changed\n");
  view.ShowFileNames();
  EXPECT_EQ(Find("X|A|01").Data(), "01");
  EXPECT_EQ(Find("X|A|02").Data(), "");
  view.ShowSongTitles();
  EXPECT_EQ(Find("X|A|01").Data(), "01");
  EXPECT_EQ(Find("X|A|02").Data(), "02");
}

TEST_F(EditFaultsTest, PrefixNamesStayApartAndNamesWithSlashesAreRefused) {
  Song("loose/a.mp3");
  Song("loose2/b.mp3");
  Write("live/album.ini", "[Album:Live]\nArtist=X\nT1=l.mp3, L\n\n[Album:Live at Home]\nArtist=X\nT1=h.mp3, H\n");
  Song("live/l.mp3");
  Song("live/h.mp3");
  Scan();
  Delete(Volume() + "|loose");
  EXPECT_TRUE(platform::PathExists(dir / "loose2/b.mp3"));
  EXPECT_FALSE(Find(Volume() + "|loose2|b").IsNull());
  Delete("X|Live");
  EXPECT_FALSE(Find("X|Live at Home").IsNull());
  EXPECT_EQ(ReadFile(dir / "live/album.ini"), "[Album:Live at Home]\nArtist=X\nT1=h.mp3, H\n");
  EXPECT_FALSE(Rename(Volume() + "|loose2", "../out"));
  EXPECT_FALSE(Rename(Volume() + "|loose2", ".hidden"));
  EXPECT_FALSE(Rename("X|Live at Home", "a/b:c"));
  // Either alone is refused for what it is: no file gets such a name.
  EXPECT_FALSE(Rename(Volume() + "|loose2|b", "x/y"));
  EXPECT_TRUE(LastMessage().ends_with(res::msg::kNameWithSlash)) << LastMessage();
  EXPECT_FALSE(Rename(Volume() + "|loose2|b", "two\nlines"));
  EXPECT_TRUE(LastMessage().ends_with(res::msg::kNameWithSlash)) << LastMessage();
  EXPECT_TRUE(platform::PathExists(dir / "loose2/b.mp3"));
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, AFolderThatHoldsTheLibraryKeepsItsName) {
  Song("lib/loose/a.mp3");
  Scan("lib");
  EXPECT_FALSE(Rename(Volume() + "|lib", "moved"));
  EXPECT_NE(LastMessage().find("holds the library folder"), std::string::npos);
  EXPECT_TRUE(platform::PathExists(dir / "lib/loose/a.mp3"));
  EXPECT_TRUE(Rename(Volume() + "|lib|loose", "loose2"));
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, LettersBeyondLatin1FoldTheirCase) {
  Write("a/album.ini", "[Album:\xC5\x81\xC3\xB3" "d\xC5\xBA]\nArtist=\xC5\x81ukasz\nT1=01.mp3, One\n\n"
                       "[Album:Two]\nArtist=\xC5\x82ukasz\nT1=02.mp3, Two\n");
  Song("a/01.mp3");
  Song("a/02.mp3");
  Scan();
  EXPECT_TRUE(Find("\xC5\x81ukasz").NextSibling().IsNull() || tree::KindOf(Find("\xC5\x81ukasz").NextSibling()) != NodeKind::Artist);
  EXPECT_FALSE(Find("\xC5\x81ukasz|Two").IsNull());  // ł and Ł name one artist
  EXPECT_FALSE(Rename("\xC5\x81ukasz|Two", "\xC5\x82\xC3\xB3" "d\xC5\xBA"));  // the other album's name, in small letters
  ExpectFreshScan();
}

TEST_F(EditFaultsTest, AFolderSyncListsWhatTheScanLists) {
  // "Album::Odd" names the album "Odd" for the scan: its song is no loose file after an
  // edit in the folder either.
  Write("a/album.ini", "[Album::Odd]\nArtist=X\nT1=o.mp3, O\n");
  Song("a/o.mp3");
  Song("a/free.mp3");
  Scan();
  ASSERT_FALSE(Find("X|Odd|O").IsNull());
  Delete(Volume() + "|a|free");
  EXPECT_FALSE(platform::PathExists(dir / "a/free.mp3"));
  ExpectFreshScan();
}

}  // namespace
