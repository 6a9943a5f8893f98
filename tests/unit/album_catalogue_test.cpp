// The album catalogue primitives on real folders and catalogue bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "catalogue/album_catalogue.h"
#include "catalogue/catalogue_rewrite.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "temp_dir.h"

using namespace catalogue;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class AlbumCatalogueTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string folder = dir / "Rock/";
};

TEST_F(AlbumCatalogueTest, FindsTheCatalogueInAnyLetterCase) {
  EXPECT_EQ(CatalogueFile(folder), folder + "album.ini");
  WriteFile(folder + "ALBUM.INI", "[Album:A]\nArtist=B\n");
  EXPECT_EQ(CatalogueFile(folder), folder + "ALBUM.INI");
  EXPECT_EQ(CatalogueFile(dir / "rock/"), folder + "ALBUM.INI");
}

TEST_F(AlbumCatalogueTest, AlbumNamesOfSections) {
  EXPECT_EQ(AlbumNameOfSection("Album:Live at Home"), "Live at Home");
  EXPECT_EQ(AlbumNameOfSection("album:Live:Extra"), "Live");
  EXPECT_EQ(AlbumNameOfSection("Whatever:Name"), "Name");
  EXPECT_EQ(AlbumNameOfSection("Album:"), "");
  EXPECT_EQ(AlbumNameOfSection("NoColon"), "");
  EXPECT_EQ(SectionOfAlbum("X"), "Album:X");
}

TEST_F(AlbumCatalogueTest, FindSongKeyStopsAtTheFirstGap) {
  WriteFile(folder + "Album.ini",
            "Stray=s.mp3, S\r\n[Album:A]\r\nArtist=B\r\nT1=  Intro.mp3 ,Intro\r\nT2=b.mp3, B\r\nT4=d.mp3, D\r\n"
            "[Album:Other]\r\nT3=c.mp3\r\n");
  const std::string file = CatalogueFile(folder);
  EXPECT_EQ(FindSongKey("Album:A", "intro.MP3", file), "T1");
  EXPECT_EQ(FindSongKey("album:a", "B.MP3", file), "T2");
  EXPECT_EQ(FindSongKey("Album:A", "d.mp3", file), "");
  EXPECT_EQ(FindSongKey("Album:A", "c.mp3", file), "");
  EXPECT_EQ(FindSongKey("Album:A", "s.mp3", file), "");  // a line above every section
  EXPECT_EQ(FindSongKey("Album:Missing", "b.mp3", file), "");
}

// Only "T" (or "t") and a number without a leading zero is a song key; other keys with
// numbers are no songs.
TEST_F(AlbumCatalogueTest, OnlyTAndANumberIsASongKey) {
  WriteFile(folder + "album.ini", "[Album:A]\nArtist=B\nX1=x.mp3, X\nT=n.mp3\nT01=z.mp3\nt1=a.mp3, A\nT2=b.mp3, B\n");
  std::vector<std::string> titles;
  const auto doc = platform::ProfileOpen(CatalogueFile(folder));
  ForEachSongEntry(*doc, "Album:A", [&](const SongEntryView& entry) { titles.emplace_back(entry.title); });
  EXPECT_EQ(titles, (std::vector<std::string>{"A", "B"}));

  // Nor is a key whose "number" holds other characters, even where digits would
  // continue the count ("T:" is no tenth song).
  std::string nine = "[Album:A]\nArtist=B\n";
  for (int n = 1; n <= 9; ++n) nine += "T" + std::to_string(n) + "=" + std::to_string(n) + ".mp3\n";
  WriteFile(folder + "album.ini", nine + "T:=ten.mp3\nTx=x.mp3\n");
  size_t songs = 0;
  ForEachSongEntry(*platform::ProfileOpen(CatalogueFile(folder)), "Album:A", [&](const SongEntryView&) { ++songs; });
  EXPECT_EQ(songs, 9u);

  // A key written twice: the first one counts, as Windows reads it.
  WriteFile(folder + "album.ini", "[Album:A]\nT1=a.mp3, First\nT1=b.mp3, Second\nT2=c.mp3, Two\n");
  titles.clear();
  ForEachSongEntry(*platform::ProfileOpen(CatalogueFile(folder)), "Album:A",
                   [&](const SongEntryView& entry) { titles.emplace_back(entry.title); });
  EXPECT_EQ(titles, (std::vector<std::string>{"First", "Two"}));
}

TEST_F(AlbumCatalogueTest, ComposesSongEntries) {
  EXPECT_EQ(ComposeSongEntry("a.mp3", "A", "", 0, ""), "a.mp3, A");
  EXPECT_EQ(ComposeSongEntry("a.mp3", "A", "Pop", 1994, "X"), "a.mp3, A, Pop, 1994, X");
  EXPECT_EQ(ComposeSongEntry("a.mp3", "A", "", 1994, ""), "a.mp3, A, , 1994");
  const std::string longTitle(400, 't');
  EXPECT_EQ(ComposeSongEntry("a.mp3", longTitle, "", 0, ""), "a.mp3, " + longTitle);
}

TEST_F(AlbumCatalogueTest, WriteAlbumInfoKeepsTheRestOfAWindowsCatalogue) {
  const std::string before = "[Album:Sk\xE5l]\r\nArtist=\xC5sa\r\nCategory=Jazz\r\nYear=1999\r\nT1=a.mp3, A\r\n";
  WriteFile(folder + "Album.ini", before);
  ASSERT_TRUE(WriteAlbumInfo(folder, "Skål", "  Hårdrock ", 0));
  EXPECT_EQ(ReadFile(folder + "Album.ini"),
            "[Album:Sk\xE5l]\r\nArtist=\xC5sa\r\nCategory=H\xE5rdrock\r\nYear=0\r\nT1=a.mp3, A\r\n");
  MakeReadOnly(folder + "Album.ini");
  EXPECT_FALSE(WriteAlbumInfo(folder, "Skål", "Pop", 2000));
}

TEST_F(AlbumCatalogueTest, WriteAlbumInfoCreatesWhatIsMissing) {
  testing_support::MakeDirs(folder);
  ASSERT_TRUE(WriteAlbumInfo(folder, "New", "Pop", 2001));
  EXPECT_EQ(ReadFile(folder + "album.ini"), "[Album:New]\nCategory=Pop\nYear=2001\n");
}

TEST_F(AlbumCatalogueTest, WriteSongEntryRenamesTheFileFirst) {
  WriteFile(folder + "album.ini", "[Album:A]\nArtist=B\nT1=Intro.mp3, Intro\nT2=Song.mp3, Song\n");
  WriteFile(folder + "intro.MP3", "frames");
  SongEntry entry{"Intro.mp3", "Opening.mp3", "Opening", "Pop", 1994, "Guest"};
  ASSERT_EQ(WriteSongEntry(folder, "A", entry), SongEntryResult::Written);
  EXPECT_TRUE(platform::PathExists(folder + "Opening.mp3"));
  EXPECT_FALSE(platform::PathExists(folder + "intro.MP3"));
  EXPECT_EQ(ReadFile(folder + "album.ini"),
            "[Album:A]\nArtist=B\nT1=Opening.mp3, Opening, Pop, 1994, Guest\nT2=Song.mp3, Song\n");
}

TEST_F(AlbumCatalogueTest, WriteSongEntryWritesNothingWhenTheRenameFails) {
  const std::string before = "[Album:A]\nArtist=B\nT1=Intro.mp3, Intro\nT2=Song.mp3, Song\n";
  WriteFile(folder + "album.ini", before);
  WriteFile(folder + "Intro.mp3", "one");
  WriteFile(folder + "Song.mp3", "two");
  // The new name is taken by another song: neither file nor entry may change.
  SongEntry entry{"Intro.mp3", "Song.mp3", "Song", "", 0, ""};
  EXPECT_EQ(WriteSongEntry(folder, "A", entry), SongEntryResult::RenameFailed);
  EXPECT_EQ(ReadFile(folder + "Intro.mp3"), "one");
  EXPECT_EQ(ReadFile(folder + "Song.mp3"), "two");
  EXPECT_EQ(ReadFile(folder + "album.ini"), before);
}

TEST_F(AlbumCatalogueTest, WriteSongEntryMovesTheFileBackWhenTheEntryCannotBeWritten) {
  const std::string before = "[Album:A]\nArtist=B\nT1=Intro.mp3, Intro\n";
  WriteFile(folder + "album.ini", before);
  WriteFile(folder + "Intro.mp3", "one");
  MakeReadOnly(folder + "album.ini");
  EXPECT_EQ(WriteSongEntry(folder, "A", {"Intro.mp3", "Opening.mp3", "Opening", "", 0, ""}),
            SongEntryResult::WriteFailed);
  EXPECT_EQ(ReadFile(folder + "Intro.mp3"), "one");
  EXPECT_FALSE(platform::PathExists(folder + "Opening.mp3"));
  EXPECT_EQ(ReadFile(folder + "album.ini"), before);
}

// An entry that cannot be written (a read-only catalogue, a title its Windows-1252
// text cannot hold, a line break) is refused before the song's file is renamed, so a
// move back that would fail is never needed.
TEST_F(AlbumCatalogueTest, AnEntryThatCannotBeWrittenRenamesNothing) {
  const std::string before = "[Album:A]\nArtist=B\nT1=Intro.mp3, Intro \xE5\n";
  for (const std::string title : {"Opening", "Opening \xE6\x97\xA5", "Opening\nT9=x"}) {
    WriteFile(folder + "album.ini", before);
    WriteFile(folder + "Intro.mp3", "one");
    if (title == "Opening") MakeReadOnly(folder + "album.ini");
    platform::FailFileStepAt(platform::FileStep::Move, 2);
    EXPECT_EQ(WriteSongEntry(folder, "A", {"Intro.mp3", "Opening.mp3", title, "", 0, ""}), SongEntryResult::WriteFailed)
        << title;
    platform::ClearFileFaults();
    EXPECT_EQ(ReadFile(folder + "Intro.mp3"), "one") << title;
    EXPECT_FALSE(platform::PathExists(folder + "Opening.mp3")) << title;
    EXPECT_EQ(ReadFile(folder + "album.ini"), before);
    ::chmod((folder + "album.ini").c_str(), 0644);
  }
}

TEST_F(AlbumCatalogueTest, ACaseOnlyRenameMovesNothing) {
  WriteFile(folder + "album.ini", "[Album:A]\nArtist=B\nT1=intro.mp3, Intro\n");
  WriteFile(folder + "intro.mp3", "one");
  ASSERT_EQ(WriteSongEntry(folder, "A", {"intro.mp3", "INTRO.mp3", "Intro", "", 0, ""}), SongEntryResult::Written);
  EXPECT_TRUE(platform::PathExists(folder + "intro.mp3"));
  EXPECT_FALSE(platform::PathExists(folder + "INTRO.mp3"));
  EXPECT_EQ(platform::ProfileGetString(folder + "album.ini", "Album:A", "T1"), "INTRO.mp3, Intro");
}

TEST_F(AlbumCatalogueTest, WithoutAnEntryNothingIsRenamed) {
  WriteFile(folder + "album.ini", "[Album:A]\nArtist=B\n");
  WriteFile(folder + "x.mp3", "one");
  EXPECT_EQ(WriteSongEntry(folder, "A", {"x.mp3", "y.mp3", "y", "", 0, ""}), SongEntryResult::NoEntry);
  EXPECT_TRUE(platform::PathExists(folder + "x.mp3"));
  EXPECT_FALSE(platform::PathExists(folder + "y.mp3"));
  EXPECT_EQ(ReadFile(folder + "album.ini"), "[Album:A]\nArtist=B\n");
  EXPECT_EQ(WriteSongEntry("", "A", {"x.mp3", "z.mp3", "z", "", 0, ""}), SongEntryResult::NoEntry);
  EXPECT_TRUE(platform::PathExists(folder + "x.mp3"));
}

// Entries name their files in several ways; each is found, and a rename keeps every
// field the entry had.
TEST_F(AlbumCatalogueTest, EntriesAreFoundHoweverTheyNameTheirFile) {
  std::string catalogue = "[Album:A]\nArtist=B\nT1=01, One\nT2=sub\\02.mp3, Two, Pop, 1990, X, extra\n";
  for (int n = 3; n <= 1200; ++n) catalogue += "T" + std::to_string(n) + "=s" + std::to_string(n) + ".mp3, S\n";
  WriteFile(folder + "album.ini", catalogue);
  for (const char* name : {"01.mp3", "02.mp3", "s1200.mp3"}) WriteFile(folder + name, "x");
  EXPECT_EQ(FindSongKey("Album:A", "01.mp3", folder + "album.ini"), "T1");
  EXPECT_EQ(FindSongKey("Album:A", "02.MP3", folder + "album.ini"), "T2");
  EXPECT_EQ(FindSongKey("Album:A", "s1200.mp3", folder + "album.ini"), "T1200");

  ASSERT_EQ(WriteSongEntry(folder, "A", {"02.mp3", "02.mp3", "Dos", "Pop", 1990, "X"}), SongEntryResult::Written);
  EXPECT_EQ(platform::ProfileGetString(folder + "album.ini", "Album:A", "T2"), "02.mp3, Dos, Pop, 1990, X, extra");
  ASSERT_EQ(WriteSongEntry(folder, "A", {"s1200.mp3", "last.mp3", "S", "", 0, ""}), SongEntryResult::Written);
  EXPECT_TRUE(platform::PathExists(folder + "last.mp3"));
  EXPECT_EQ(platform::ProfileGetString(folder + "album.ini", "Album:A", "T1200"), "last.mp3, S");
  ASSERT_EQ(WriteSongEntry(folder, "A", {"01.mp3", "uno.mp3", "One", "", 0, ""}), SongEntryResult::Written);
  EXPECT_TRUE(platform::PathExists(folder + "uno.mp3"));
}

TEST_F(AlbumCatalogueTest, OfTwoSpellingsTheFirstInListingOrderIsTheCatalogue) {
  WriteFile(folder + "album.ini", "[Album:Lower]\nArtist=B\n");
  WriteFile(folder + "ALBUM.INI", "[Album:Upper]\nArtist=B\n");
  EXPECT_EQ(CatalogueFile(folder), folder + "ALBUM.INI");
  ::mkdir((dir / "Jazz/").c_str(), 0755);
  ::mkdir((dir / "Jazz/ALBUM.INI").c_str(), 0755);
  WriteFile(dir / "Jazz/album.ini", "");
  EXPECT_EQ(CatalogueFile(dir / "Jazz/"), dir / "Jazz/album.ini");
}

TEST_F(AlbumCatalogueTest, RemovingAnEntryRenumbersTheSongsAScanShowsOnly) {
  WriteFile(folder + "album.ini", "[Album:A]\nArtist=B\nT1=a.mp3, A\nT2=b.mp3, B\nT2147483647=c.mp3, C\nT2147483648=d.mp3, D\n");
  ASSERT_EQ(RemoveSongEntry(folder + "album.ini", "Album:A", "a.mp3", kAnyPosition), RewriteResult::Done);
  EXPECT_EQ(ReadFile(folder + "album.ini"), "[Album:A]\nArtist=B\nT1=b.mp3, B\nT2147483647=c.mp3, C\nT2147483648=d.mp3, D\n");
  // A section that lists one file twice loses the entry at the song's own place.
  WriteFile(folder + "album.ini", "[Album:A]\nArtist=B\nT1=a.mp3, First\nT2=a.mp3, Second\n");
  ASSERT_EQ(RemoveSongEntry(folder + "album.ini", "Album:A", "a.mp3", 1), RewriteResult::Done);
  EXPECT_EQ(ReadFile(folder + "album.ini"), "[Album:A]\nArtist=B\nT1=a.mp3, First\n");
  // The numbers after it carry into a new digit: song 11 becomes song 10.
  std::string eleven = "[Album:A]\n", ten = eleven;
  for (int n = 1; n <= 11; ++n) eleven += "T" + std::to_string(n) + "=" + std::to_string(n) + ".mp3\n";
  for (int n = 1; n <= 10; ++n) ten += "T" + std::to_string(n) + "=" + std::to_string(n < 9 ? n : n + 1) + ".mp3\n";
  WriteFile(folder + "album.ini", eleven);
  ASSERT_EQ(RemoveSongEntry(folder + "album.ini", "Album:A", "9.mp3", kAnyPosition), RewriteResult::Done);
  EXPECT_EQ(ReadFile(folder + "album.ini"), ten);
}

}  // namespace
