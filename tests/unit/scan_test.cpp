// The library scan on real folder trees with real catalogue bytes.
#include <unistd.h>

#include <sstream>

#include "library_fixture.h"
#include "platform/filesystem.h"
#include "platform/ui_hooks.h"
#include "tree/library_marks.h"
#include "tree/tree_dump.h"

using namespace tree;

namespace {

class ScanTest : public testing_support::LibraryFixture {};

TEST_F(ScanTest, BuildsArtistsAlbumsSongsAndLooseFiles) {
  Write("Rock/album.ini",
        "[Album:Live]\nArtist=The Band\nT1=01 Intro.mp3, Intro\nT2=sub\\02.mp3\nT4=04.mp3, Four\n");
  Song("Rock/01 intro.MP3");
  Song("Rock/02.mp3");
  Song("Rock/04.mp3");        // behind the gap: loose
  Song("Rock/Extra.Mp3");     // not listed: loose
  Write("Rock/notes.txt", "x");
  Write("Rock/song.mp3.bak", "x");
  // A Windows catalogue: CRLF, Windows-1252, other letter case of the name.
  Write("Jazz/ALBUM.INI",
        "[Album:Blue]\r\nArtist=\xC5sa\r\nT1=gone.mp3, Gone\r\n\r\n[Misc]\r\nArtist=Solo\r\n"
        "[Album:Nobody]\r\nArtist=\r\nT1=x.mp3, X\r\n");
  Song("Jazz/x.mp3");
  // Pop is scanned before Rock: its spelling of the artist wins, and Rock's album of
  // the same name is a duplicate whose songs show as loose files.
  Write("Pop/Album.ini", "[Album:live]\nArtist=the band\nT1=dup.mp3, Dup\n");
  Song("Pop/dup.mp3");
  Song("Loose/Deep/down.mp3");
  Song("Loose/Deep/also.mp3");
  Song("top.mp3");
  Song(".hidden/inside.mp3");
  Song("Loose/.dot.mp3");

  Scan();
  EXPECT_EQ(Tree(),
            "top \"Artists\"\n"
            "  volume \"MUSIC (<lib>/)\" data=\"<lib>/\"\n"
            "    folder \"Jazz\" data=\"<lib>/Jazz/\"\n"
            "      song \"x\" data=\"<lib>/Jazz/\"\n"
            "    folder \"Loose\" data=\"<lib>/Loose/\"\n"
            "      song \".dot\" data=\"<lib>/Loose/\"\n"
            "      folder \"Deep\" data=\"<lib>/Loose/Deep/\"\n"
            "        song \"also\" data=\"<lib>/Loose/Deep/\"\n"
            "        song \"down\" data=\"<lib>/Loose/Deep/\"\n"
            "    folder \"Rock\" data=\"<lib>/Rock/\"\n"
            "      song \"01 intro\" data=\"<lib>/Rock/\"\n"
            "      song \"02\" data=\"<lib>/Rock/\"\n"
            "      song \"04\" data=\"<lib>/Rock/\"\n"
            "      song \"Extra\" data=\"<lib>/Rock/\"\n"
            "    song \"top\" data=\"<lib>/\"\n"
            "  artist \"Solo\"\n"
            "  artist \"the band\"\n"
            "    album \"Duplicate album name: Live\" data=\"<lib>/Rock/\"\n"
            "    album \"live\" data=\"<lib>/Pop/\"\n"
            "      song \"Dup\" data=\"dup\"\n"
            "  artist \"Åsa\"\n"
            "    album \"Blue\" data=\"<lib>/Jazz/\"\n"
            "      song \"Gone\" data=\"gone\" mark=3\n");
  EXPECT_EQ(view.Top().Label(), "Artists");
  EXPECT_TRUE(view.Tree()->State().IsExpanded(view.Top().m_hItem));
  EXPECT_EQ(KindOf(view.Top()), NodeKind::Top);
  // The missing song's album and artist come up expanded.
  EXPECT_TRUE(view.Tree()->State().IsExpanded(Find("Åsa|Blue").m_hItem));
  EXPECT_TRUE(view.Tree()->State().IsExpanded(Find("Åsa").m_hItem));
  EXPECT_FALSE(view.Tree()->State().IsExpanded(Find("the band").m_hItem));
  EXPECT_EQ(view.Tree()->State().GetSelection(), view.Top().m_hItem);
  EXPECT_EQ(view.DisplayMode(), tree::DisplayMode::SongTitles);
  // The tree as melodeck-tool writes it out is the same text.
  std::ostringstream written;
  WriteTree(written, view, view.Top());
  EXPECT_EQ(written.str(), DumpTree(view, view.Top()));
}

TEST_F(ScanTest, ListedFilesAreFoundWithoutCaseAndWithoutTheirFolderPart) {
  Write("Rock/album.ini", "[Album:Live]\nArtist=B\nT1=01 Intro.mp3, Intro\nT2=sub\\02.mp3\nT3=old/03.MP3, Three\n");
  Song("Rock/01 intro.MP3");
  Song("Rock/02.mp3");
  Song("Rock/03.mp3");
  Scan();
  EXPECT_EQ(Tree(),
            "top \"Artists\"\n"
            "  artist \"B\"\n"
            "    album \"Live\" data=\"<lib>/Rock/\"\n"
            "      song \"Intro\" data=\"01 Intro\"\n"
            "      song \"02\" data=\"02\"\n"
            "      song \"Three\" data=\"03\"\n");
}

// Quotes, backslashes and line breaks in names are escaped, so each node stays one line.
TEST_F(ScanTest, TheTreeDumpEscapesWhatWouldBreakItsLines) {
  Write("q/album.ini", "[Album:Say \"Hi\"]\nArtist=A\\B\nT1=1.mp3, one\n");
  Song("q/1.mp3");
  Song("q/line\nbreak\r.mp3");
  Scan();
  EXPECT_EQ(Tree(),
            "top \"Artists\"\n"
            "  artist \"A\\\\B\"\n"
            "    album \"Say \\\"Hi\\\"\" data=\"<lib>/q/\"\n"
            "      song \"one\" data=\"1\"\n"
            "  volume \"MUSIC (<lib>/)\" data=\"<lib>/\"\n"
            "    folder \"q\" data=\"<lib>/q/\"\n"
            "      song \"line\\nbreak\\r\" data=\"<lib>/q/\"\n");
}

TEST_F(ScanTest, FileNameModeLabelsSongsByFile) {
  Write("a/album.ini", "[Album:A]\nArtist=X\nT1=01.mp3, Intro\nT2=02.mp3\n");
  Song("a/01.mp3");
  Song("a/02.mp3");
  view.SetDisplayMode(tree::DisplayMode::FileNames);
  Scan();
  EXPECT_EQ(Find("X|A|01").Data(), "Intro");
  EXPECT_EQ(Find("X|A|02").Data(), "");
  EXPECT_EQ(view.DisplayMode(), tree::DisplayMode::FileNames);
}

TEST_F(ScanTest, WithoutCataloguesEverythingIsLooseAndFileNamesShow) {
  Write("a/album.ini", "[Album:A]\nArtist=X\nT1=01.mp3, Intro\n");
  Song("a/01.mp3");
  for (const char* value : {"no", "maybe", ""}) {
    Setting("ReadAlbumIni", value);
    view.SetDisplayMode(tree::DisplayMode::SongTitles);
    Scan();
    EXPECT_FALSE(view.HasArtists()) << value;
    EXPECT_EQ(view.DisplayMode(), tree::DisplayMode::FileNames) << value;
    EXPECT_EQ(Find("MUSIC (" + dir.path() + ")|a|01").Data(), dir / "a/");
  }
  Setting("ReadAlbumIni", "yEs");
  Scan();
  EXPECT_TRUE(view.HasArtists());
}

TEST_F(ScanTest, PathListsAreSplitTrimmedAndEmptyEntriesSkipped) {
  Song("one/a.mp3");
  Song("two/b.mp3");
  Song("three/c.mp3");
  Scan(" one ; ;two;;");
  const TreeItem volume = Find("MUSIC (" + dir.path() + ")");
  EXPECT_EQ(volume.FirstChild().Label(), "one");
  EXPECT_EQ(volume.FirstChild().NextSibling().Label(), "two");
  EXPECT_TRUE(volume.FirstChild().NextSibling().NextSibling().IsNull());

  view.Refresh(" ; ");
  EXPECT_FALSE(view.Top().HasChildren());
  EXPECT_FALSE(view.Tree()->State().IsExpanded(view.Top().m_hItem));
  EXPECT_EQ(view.Top().Label(), "Artists");
}

TEST_F(ScanTest, LinksAreFollowedButNeverLoop) {
  Song("real/a.mp3");
  ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "linked").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "real").c_str(), (dir / "real/back").c_str()), 0);
  Scan("linked");
  EXPECT_EQ(Tree(),
            "top \"Artists\"\n"
            "  volume \"MUSIC (<lib>/)\" data=\"<lib>/\"\n"
            "    folder \"linked\" data=\"<lib>/linked/\"\n"
            "      song \"a\" data=\"<lib>/linked/\"\n");
  // A link inside the library to a folder elsewhere: its songs show, read through the link.
  Song("elsewhere/b.mp3");
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "real/more").c_str()), 0);
  Scan("real");
  EXPECT_EQ(Tree(),
            "top \"Artists\"\n"
            "  volume \"MUSIC (<lib>/)\" data=\"<lib>/\"\n"
            "    folder \"real\" data=\"<lib>/real/\"\n"
            "      song \"a\" data=\"<lib>/real/\"\n"
            "      folder \"more\" data=\"<lib>/real/more/\"\n"
            "        song \"b\" data=\"<lib>/real/more/\"\n");
}

TEST_F(ScanTest, ArtistsAreSortedAcrossCataloguesAndVolumesAfterThemKeepTheirPlace) {
  Write("1/album.ini", "[Album:A]\nArtist=zed\n[Album:B]\nArtist=Alpha\n");
  Song("1/z.mp3");
  Write("2/album.ini", "[Album:C]\nArtist=mike\n[Album:D]\nArtist=ALPHA\n");
  Scan();
  std::vector<std::string> labels;
  for (TreeItem child = view.Top().FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    labels.emplace_back(child.Label());
  }
  // The volume was added before the last new artist, so it is sorted with them.
  EXPECT_EQ(labels, (std::vector<std::string>{"Alpha", "mike", "MUSIC (" + dir.path() + ")", "zed"}));
  EXPECT_EQ(Find("Alpha").FirstChild().NextSibling().Label(), "D");
}

TEST_F(ScanTest, ANewScanStartsFromNothing) {
  Write("a/album.ini", "[Album:A]\nArtist=X\nT1=01.mp3, One\n");
  Song("a/01.mp3");
  Scan();
  view.Marks().SetMark(Find("X|A|One"), true);
  view.Marks().MarksSettled();
  EXPECT_TRUE(view.Marks().PlayOrderEnabled());
  platform::DeleteFile(dir / "a/01.mp3");
  Scan();
  EXPECT_EQ(view.Marks().GetMark(Find("X|A|One")), Mark::Missing);
  EXPECT_EQ(view.Marks().MarkedSize(), 0);
  EXPECT_FALSE(view.Marks().PlayOrderEnabled());
  EXPECT_EQ(view.Tree()->Count(), 4u);
}

TEST_F(ScanTest, ARefreshHandlesNoPendingMessages) {
  // A posted message (a key press in the window, a second Refresh) waits until the
  // scan is done: nothing can act on a half-built tree.
  Song("a/x.mp3");
  bool ran = false;
  platform::Ui().Post([&] { ran = true; });
  Scan();
  EXPECT_FALSE(ran);
  while (platform::Ui().PumpOne()) {
  }
  EXPECT_TRUE(ran);
}

}  // namespace
