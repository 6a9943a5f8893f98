// The logic of the add-album, play-order and settings dialogs on real folder trees.
#include <sys/stat.h>

#include <filesystem>

#include "dialogs/add_album_dialog.h"
#include "dialogs/play_order_dialog.h"
#include "dialogs/settings_dialog.h"
#include "library_fixture.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "recording_player.h"
#include "res/resource_ids.h"
#include "tree/library_marks.h"

using namespace tree;
using testing_support::ReadFile;

namespace {

class SettingsDialogTest : public testing_support::LibraryFixture {
 protected:
  std::string Ini() { return settingsDir / "Melodeck.ini"; }
};

TEST_F(SettingsDialogTest, OpensWithDefaultsAndRoundTrips) {
  CSettingsDlg dialog;
  OnSettings(Ini(), dialog, [&] {
    EXPECT_EQ(dialog.m_strDecoder, "");
    EXPECT_EQ(dialog.m_strPlaylist, "Melodeck.m3u");
    EXPECT_TRUE(dialog.m_bLongFilenames && dialog.m_bReadAlbumIni);
    return false;  // Cancel writes nothing
  });
  EXPECT_FALSE(platform::PathExists(Ini()));

  testing_support::WriteFile(Ini(), "[Settings]\nDecoder=/bin\nLongFilenames=No\nReadAlbumIni=yes\n");
  CSettingsDlg again;
  OnSettings(Ini(), again, [&] {
    EXPECT_FALSE(again.m_bLongFilenames);
    return again.OnOK();  // a folder passes
  });
  EXPECT_EQ(ReadFile(Ini()), "[Settings]\nDecoder=/bin\nLongFilenames=No\nReadAlbumIni=Yes\nPlaylistfile=Melodeck.m3u\n");
}

TEST_F(SettingsDialogTest, RefusesADecoderThatDoesNotExist) {
  CSettingsDlg dialog;
  for (const char* decoder : {"", "/no/such/player", "no-such-program-anywhere --flag"}) {
    dialog.m_strDecoder = decoder;
    EXPECT_FALSE(dialog.OnOK()) << decoder;
  }
  EXPECT_EQ(ui.Last().text, "Sorry - Can't find such a program :-(");
  EXPECT_EQ(ui.Last().caption, "Error");
  dialog.m_strDecoder = "sh -c true";  // a program on the PATH, with arguments
  EXPECT_TRUE(dialog.OnOK());
  ui.fileDialogAnswers = {std::nullopt};
  EXPECT_FALSE(dialog.OnBrowse());
  EXPECT_EQ(dialog.m_strDecoder, "sh -c true");
  EXPECT_EQ(ui.fileDialogs.back().title, "Choose your decoder");
  ui.fileDialogAnswers = {std::string("/usr/bin/env")};
  EXPECT_TRUE(dialog.OnBrowse());
  EXPECT_EQ(dialog.m_strDecoder, "/usr/bin/env");
}

class AddAlbumTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    Write("a/album.ini", "[Album:Old]\nArtist=The Band\nT1=1.mp3, One\n");
    Song("a/1.mp3");
    Song("a/b.mp3");
    Song("a/A.mp3");
    Write("a/notes.txt", "x");
    Song("other/x.mp3");
    Scan();
  }
};

TEST_F(AddAlbumTest, OpenedOnAnAlbumOffersItsFolderUnlistedSongs) {
  CAddAlbumDlg dialog(&view, {"Pop", "Jazz"}, Find("The Band|Old"));
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.m_strArtist, "The Band");
  EXPECT_EQ(dialog.m_strAlbumFile, dir / "a/album.ini");
  EXPECT_EQ(dialog.m_cbAlbumFile, std::vector<std::string>{dir / "a/album.ini"});
  EXPECT_EQ(dialog.m_cbArtist, std::vector<std::string>{"The Band"});
  EXPECT_EQ(dialog.m_cbCategory, (std::vector<std::string>{"Jazz", "Pop"}));
  ASSERT_EQ(dialog.m_listSongs.m_rows.size(), 2u);
  EXPECT_EQ(dialog.m_listSongs.m_rows[0].text, "A.mp3");
  EXPECT_EQ(dialog.m_listSongs.m_rows[1].text, "b.mp3");
  EXPECT_TRUE(dialog.m_listSongs.m_rows[0].selected && dialog.m_listSongs.m_rows[1].selected);
  EXPECT_TRUE(dialog.m_bAlbumFileEnabled);
}

// Songs named only by sections the scan makes no album of (no artist, or no album name)
// show as loose songs, and the dialog offers them.
TEST_F(AddAlbumTest, SongsOfSectionsThatAreNoAlbumAreOffered) {
  Write("d/album.ini", "[Album:Draft]\nT1=d1.mp3, D\n\n[Notes]\nArtist=X\nT1=d2.mp3\n\n[Album:Real]\nArtist=Y\nT1=d3.mp3\n");
  for (const char* name : {"d/d1.mp3", "d/d2.mp3", "d/d3.mp3"}) Song(name);
  Scan();
  CAddAlbumDlg dialog(&view, {}, Find("Y|Real"));
  dialog.OnInitDialog();
  ASSERT_EQ(dialog.m_listSongs.m_rows.size(), 2u);
  EXPECT_EQ(dialog.m_listSongs.m_rows[0].text, "d1.mp3");
  EXPECT_EQ(dialog.m_listSongs.m_rows[1].text, "d2.mp3");
}

TEST_F(AddAlbumTest, OpenedOnAFolderOrAVolume) {
  CAddAlbumDlg folder(&view, {}, Find(Volume() + "|other"));
  folder.OnInitDialog();
  EXPECT_FALSE(folder.m_bAlbumFileEnabled);
  EXPECT_EQ(folder.m_strArtist, "other");
  EXPECT_EQ(folder.m_strAlbumFile, dir / "other/album.ini");
  EXPECT_EQ(folder.m_listSongs.m_rows.size(), 1u);

  CAddAlbumDlg volume(&view, {}, Find(Volume()));
  volume.OnInitDialog();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.Message(0).text, "The file must be named album.ini!");
  volume.OnKillFocusAlbumFile(dir / "a/songs.ini");
  EXPECT_TRUE(volume.m_listSongs.m_rows.empty());
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(AddAlbumTest, OkValidatesThenWritesAndPlacesTheAlbum) {
  CAddAlbumDlg dialog(&view, {}, Find("The Band|Old"));
  dialog.OnInitDialog();
  dialog.m_strArtist = "  ";
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.Last().text, "Please enter artistname!");
  dialog.m_strArtist = "The Band";
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.Last().text, "Please enter album name!");
  dialog.m_strAlbum = "old";
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.Last().text, "The album name \"old\" already exists in the albumfile!");
  // What a section header cannot hold, as a rename refuses it too.
  for (const std::string& bad : std::vector<std::string>{"a:b", "[x", "x]", "a\nb", std::string("a\0b", 3)}) {
    dialog.m_strAlbum = bad;
    EXPECT_FALSE(dialog.OnOK());
    EXPECT_EQ(ui.Last().text, "An album's name can't hold \"[\", \"]\", \":\" or a line break.");
  }

  dialog.m_strAlbum = " New ";
  dialog.m_strCategory = "Pop";
  // The details pane's year rule: a year that is no number is never written.
  dialog.m_strYear = "abc";
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.Last().text, "The year must be a number, or left empty.");
  EXPECT_EQ(ReadFile(dir / "a/album.ini").find("[Album:New]"), std::string::npos);
  dialog.m_strYear = " 2001 ";
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(ReadFile(dir / "a/album.ini"),
            "[Album:Old]\nArtist=The Band\nT1=1.mp3, One\n\n[Album:New]\nArtist=The Band\nCategory=Pop\nYear=2001\n"
            "T1=A.mp3, A\nT2=b.mp3, b\n");
  EXPECT_EQ(dialog.m_itemAlbum.Label(), "New");
  EXPECT_EQ(dialog.m_itemAlbum.Parent(), Find("The Band"));
  EXPECT_FALSE(Find("The Band|New|A").IsNull());
  EXPECT_EQ(Canonical(view), FreshScan());
  // The loose nodes of the added songs went, and with them the emptied folder.
  for (TreeItem folder = Find(Volume()).FirstChild(); !folder.IsNull(); folder = folder.NextSibling()) {
    EXPECT_NE(folder.Label(), "a");
  }
  // A fresh scan reads the album back.
  Scan();
  EXPECT_FALSE(Find("The Band|New|b").IsNull());
  EXPECT_EQ(view.Marks().GetMark(Find("The Band|New|A")), Mark::None);
}

// A folder of tagged files becomes an album with no typing: the tags propose artist,
// album, category and year, order the songs by track and give their titles.
TEST_F(AddAlbumTest, TheSongsTagsFillANewAlbum) {
  std::filesystem::create_directory(dir / "rip");
  for (const std::string name : {"01.mp3", "02.mp3", "03.mp3"}) {
    std::filesystem::copy_file(std::string(MELODECK_TAG_FIXTURES) + "/album/" + name, dir / ("rip/" + name));
  }
  std::filesystem::copy_file(std::string(MELODECK_TAG_FIXTURES) + "/v24-utf8.mp3", dir / "rip/04.mp3");
  Scan();
  CAddAlbumDlg dialog(&view, {"Jazz", "pop"}, Find(Volume() + "|rip"));
  dialog.OnInitDialog();
  // Song 04 names another artist and album: with it chosen, those fields propose nothing.
  EXPECT_EQ(dialog.m_strArtist, "rip");  // the folder's name, as without tags
  EXPECT_EQ(dialog.m_strAlbum, "");
  EXPECT_EQ(dialog.m_strCategory, "");
  EXPECT_EQ(dialog.m_strYear, "");
  EXPECT_NE(dialog.m_strTagNote.find("04.mp3"), std::string::npos);  // its title holds a ","
  EXPECT_NE(dialog.m_strTagNote.find("01.mp3"), std::string::npos);

  dialog.m_listSongs.m_rows[3].selected = false;
  dialog.m_strCategory = "Mine";  // typed: stays
  dialog.OnFieldEdited(res::IDC_CATEGORY_COMBO);
  dialog.OnSelChangeSongs();
  EXPECT_EQ(dialog.m_strArtist, "The Rippers");
  EXPECT_TRUE(dialog.IsProposed(res::IDC_ARTIST_COMBO));
  EXPECT_EQ(dialog.m_strAlbum, "First Rip");
  EXPECT_EQ(dialog.m_strYear, "2001");
  EXPECT_EQ(dialog.m_strCategory, "Mine");
  EXPECT_FALSE(dialog.IsProposed(res::IDC_CATEGORY_COMBO));
  dialog.m_strCategory = "";  // emptied: the genre comes back, spelled as the list has it
  dialog.OnSelChangeSongs();
  EXPECT_EQ(dialog.m_strCategory, "pop");
  EXPECT_NE(dialog.m_strTagNote.find("01.mp3"), std::string::npos);
  EXPECT_EQ(dialog.m_strTagNote.find("04.mp3"), std::string::npos);

  ASSERT_TRUE(dialog.OnOK());
  // By track number; "Second, Song" cannot be held, the file name stands in.
  EXPECT_EQ(ReadFile(dir / "rip/album.ini"),
            "[Album:First Rip]\nArtist=The Rippers\nCategory=pop\nYear=2001\n"
            "T1=02.mp3, Opening\nT2=01.mp3, 01\nT3=03.mp3, 03\n");
  Scan();
  EXPECT_FALSE(Find("The Rippers|First Rip|Opening").IsNull());
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(AddAlbumTest, ANewArtistOrAnUnwritableCatalogue) {
  CAddAlbumDlg dialog(&view, {}, Find(Volume() + "|other"));
  dialog.OnInitDialog();
  dialog.m_strAlbum = "Solo";
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(dialog.m_itemAlbum.Parent().Label(), "other");
  EXPECT_EQ(platform::ProfileGetString(dir / "other/album.ini", "Album:Solo", "T1"), "x.mp3, x");

  // An album name the artist already has in another folder: the new album is shown,
  // and chosen, as the duplicate it is.
  CAddAlbumDlg again(&view, {}, Find("other|Solo"));
  again.OnInitDialog();
  again.m_strArtist = "The Band";
  again.m_strAlbum = "Old";
  ASSERT_TRUE(again.OnOK());
  EXPECT_EQ(KindOf(again.m_itemAlbum), NodeKind::DuplicateAlbum);
  EXPECT_EQ(again.m_itemAlbum.Data(), dir / "other/");
  EXPECT_EQ(Canonical(view), FreshScan());

  testing_support::MakeReadOnly(dir / "a/album.ini");
  CAddAlbumDlg locked(&view, {}, Find("The Band|Old"));
  locked.OnInitDialog();
  locked.m_strAlbum = "Blocked";
  EXPECT_FALSE(locked.OnOK());
  EXPECT_EQ(ui.Last().text, "Unable to write to the file \"" + dir / "a/album.ini" + "\"");
}

TEST_F(AddAlbumTest, BrowsingPicksTheFolderOfTheChosenFile) {
  CAddAlbumDlg dialog(&view, {}, TreeItem());
  dialog.OnInitDialog();
  ui.fileDialogAnswers = {dir / "other/x.mp3"};
  dialog.OnBrowse();
  EXPECT_EQ(dialog.m_strAlbumFile, dir / "other/album.ini");
  EXPECT_EQ(ui.fileDialogs.back().title, "Choose a path for the album.ini file");
  EXPECT_FALSE(ui.fileDialogs.back().save);  // it opens an existing file, never offers to replace one
  ASSERT_EQ(dialog.m_listSongs.m_rows.size(), 1u);
}

class PlayOrderTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    Write("a/album.ini", "[Album:First]\nArtist=The Band\nT1=1.mp3, One\nT2=2.mp3, Two\n"
                         "[Album:Second]\nArtist=The Band\nT1=3.mp3, Three\n[Album:Other]\nArtist=Zed\nT1=z.mp3, Z\n");
    for (const char* song : {"a/1.mp3", "a/2.mp3", "a/3.mp3", "a/z.mp3", "Misc/m1.mp3", "Misc/m2.mp3"}) Song(song);
    Setting("Decoder", testing_support::MakeRecordingPlayer(playerDir, "player.sh"));
    Setting("Playlistfile", settingsDir / "order.m3u");
    Scan();
    view.Marks().SetMark(Find("The Band"), true);
    view.Marks().SetMark(Find(Volume() + "|Misc"), true);
  }
  static std::vector<std::string> Texts(const CPlayOrderDlg::ListBox& list) {
    std::vector<std::string> texts;
    for (const auto& row : list.rows) texts.push_back(row.first);
    return texts;
  }
  std::string Play(CPlayOrderDlg& dialog) {
    dialog.OnPlay();
    testing_support::WaitForPlayerArgs(playerDir);
    platform::DeleteFile(playerDir / "args.txt");
    std::string text = ReadFile(settingsDir / "order.m3u");
    for (size_t at; (at = text.find(dir.path())) != std::string::npos;) text.erase(at, dir.path().size());
    return text;
  }
  testing_support::TempDir playerDir;
};

TEST_F(PlayOrderTest, ListsLooseFoldersFirstThenArtists) {
  CPlayOrderDlg dialog(view.Top(), &view);
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.m_listArtists.selected, 0);  // the first row is selected as the dialog opens
  EXPECT_EQ(Texts(dialog.m_listArtists), (std::vector<std::string>{"<Folders without album.ini>", "The Band"}));
  EXPECT_EQ(Texts(dialog.m_listAlbums), std::vector<std::string>{"Misc"});
  EXPECT_EQ(Texts(dialog.m_listSongs), (std::vector<std::string>{"m1", "m2"}));
  dialog.m_listArtists.selected = 1;
  dialog.OnSelChangeArtists();
  EXPECT_EQ(Texts(dialog.m_listAlbums), (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(Texts(dialog.m_listSongs), (std::vector<std::string>{"One", "Two"}));
  dialog.m_listArtists.selected = 0;  // back to the first row
  dialog.OnSelChangeArtists();
  EXPECT_EQ(Texts(dialog.m_listAlbums), std::vector<std::string>{"Misc"});
  EXPECT_EQ(Play(dialog), "Misc/m1.mp3\nMisc/m2.mp3\na/1.mp3\na/2.mp3\na/3.mp3\n");
}

TEST_F(PlayOrderTest, MovingAnAlbumDownPlaysItAfterTheOther) {
  CPlayOrderDlg dialog(view.Top(), &view);
  dialog.OnInitDialog();
  dialog.m_listArtists.selected = 1;
  dialog.OnSelChangeArtists();
  EXPECT_EQ(dialog.m_listArtists.selected, 1);
  dialog.OnUpDown(1024);  // albums down
  EXPECT_EQ(Texts(dialog.m_listAlbums), (std::vector<std::string>{"Second", "First"}));
  dialog.OnUpDown(1024);  // already at the bottom: nothing
  EXPECT_EQ(Texts(dialog.m_listAlbums), (std::vector<std::string>{"Second", "First"}));
  dialog.m_listAlbums.selected = -1;  // no album selected: the buttons move nothing
  dialog.OnUpDown(1021);
  dialog.OnUpDown(1024);
  EXPECT_EQ(Texts(dialog.m_listAlbums), (std::vector<std::string>{"Second", "First"}));
  dialog.m_listAlbums.selected = 1;
  dialog.OnUpDown(1020);  // artists up: The Band first
  EXPECT_EQ(Play(dialog), "a/3.mp3\na/1.mp3\na/2.mp3\nMisc/m1.mp3\nMisc/m2.mp3\n");
  dialog.OnUpDown(1020);  // already at the top: nothing
  EXPECT_EQ(Texts(dialog.m_listArtists).front(), "The Band");
  dialog.OnUpDown(1023);  // artists down: The Band last again
  EXPECT_EQ(Texts(dialog.m_listArtists).back(), "The Band");
  dialog.OnUpDown(1020);
  // A selection past the last row (or none) moves nothing.
  const auto artists = Texts(dialog.m_listArtists);
  for (const int selected : {static_cast<int>(artists.size()), -1}) {
    dialog.m_listArtists.selected = selected;
    dialog.OnUpDown(1020);
    EXPECT_EQ(Texts(dialog.m_listArtists), artists);
  }

  // Up plays an album earlier too.
  CPlayOrderDlg again(view.Top(), &view);
  again.OnInitDialog();
  again.m_listArtists.selected = 1;
  again.OnSelChangeArtists();
  again.m_listAlbums.selected = 1;
  again.OnUpDown(1021);  // albums up: Second first
  EXPECT_EQ(Texts(again.m_listAlbums), (std::vector<std::string>{"Second", "First"}));
  EXPECT_EQ(Play(again), "Misc/m1.mp3\nMisc/m2.mp3\na/3.mp3\na/1.mp3\na/2.mp3\n");
}

TEST_F(PlayOrderTest, MixingAndClearingRestoresTheTreesOrder) {
  CPlayOrderDlg dialog(view.Top(), &view);
  dialog.OnInitDialog();
  dialog.m_bMixAlbums = 1;
  dialog.OnMixAlbums();
  EXPECT_EQ(dialog.m_layout, CPlayOrderDlg::Layout::AllAlbums);
  EXPECT_FALSE(dialog.m_listArtists.visible);
  EXPECT_EQ(Texts(dialog.m_listAlbums),
            (std::vector<std::string>{"<Unknown artist> - Misc", "The Band - First", "The Band - Second"}));
  EXPECT_EQ(dialog.m_strMixLabel, "Albu&ms (3)");
  dialog.m_listAlbums.selected = 2;
  dialog.OnUpDown(1021);
  dialog.m_bMixAlbums = 0;
  dialog.OnMixAlbums();
  EXPECT_EQ(Texts(dialog.m_listArtists), (std::vector<std::string>{"<Folders without album.ini>", "The Band"}));
  dialog.m_bMixSongs = 1;
  dialog.OnMixSongs();
  EXPECT_EQ(Texts(dialog.m_listSongs).front(), "<Unknown artist> - Misc - m1");
  EXPECT_EQ(Texts(dialog.m_listSongs).back(), "The Band - Second - Three");
  EXPECT_FALSE(dialog.m_listAlbums.visible);
  EXPECT_EQ(Play(dialog), "Misc/m1.mp3\nMisc/m2.mp3\na/1.mp3\na/2.mp3\na/3.mp3\n");
}

TEST_F(PlayOrderTest, ShufflingKeepsEverySongAndDuplicatesAreNeverListed) {
  CPlayOrderDlg dialog(view.Top(), &view);
  dialog.OnInitDialog();
  dialog.m_bMixSongs = 1;
  dialog.OnMixSongs();
  dialog.m_bShuffleSongs = 1;
  dialog.m_bShuffleAlbums = 1;
  const auto before = Texts(dialog.m_listSongs);
  dialog.OnShuffle();
  auto after = Texts(dialog.m_listSongs);
  EXPECT_NE(after, before);
  std::sort(after.begin(), after.end());
  auto sorted = before;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(after, sorted);
  // The played order is the shuffled one.
  std::string expected;
  for (const auto& row : dialog.m_listSongs.rows) {
    expected += view.SongPath(dialog.m_songs[static_cast<size_t>(row.second)]->item).substr(dir.path().size()) + "\n";
  }
  EXPECT_EQ(Play(dialog), expected);

  // Only what is asked for is shuffled: with the songs alone, the artists and albums
  // keep their order; asked for, the artists change theirs.
  CPlayOrderDlg plain(view.Top(), &view);
  plain.OnInitDialog();
  plain.m_bShuffleSongs = 1;
  const auto artists = Texts(plain.m_listArtists);
  bool moved = false;
  for (int i = 0; i < 5; ++i) {
    plain.OnShuffle();
    EXPECT_EQ(Texts(plain.m_listArtists), artists);
  }
  plain.m_bShuffleArtists = 1;
  for (int i = 0; i < 5; ++i) {
    plain.OnShuffle();
    moved |= Texts(plain.m_listArtists) != artists;
  }
  EXPECT_TRUE(moved);
}

TEST(PlayOrderRandomTest, TheSameSequenceInEveryRun) {
  // The C runtime's unseeded sequence.
  unsigned state = 1;
  EXPECT_EQ(NextRandom(state), 41);
  EXPECT_EQ(NextRandom(state), 18467);
  EXPECT_EQ(NextRandom(state), 6334);
}

}  // namespace
