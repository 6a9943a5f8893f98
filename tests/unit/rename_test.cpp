// Renaming by label editing, on real folders and catalogues.
#include "library_fixture.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "tree/library_editor.h"

using namespace tree;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;

namespace {

class RenameTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    // A Windows catalogue: CRLF, a comment, a long line, Windows-1252 bytes.
    Write("a/Album.ini", kCatalogue);
    Song("a/01.mp3");
    Song("a/02.mp3");
    Write("b/album.ini", "[Album:Other]\nArtist=  the BAND \nT1=x.mp3, X\n\n[Album:Foreign]\nArtist=Someone\n");
    Song("b/x.mp3");
    Song("loose/deep/song.mp3");
    Scan();
  }
  // Begins and ends an edit of the node as the window does; a cancelled edit ends with
  // no text (null).
  bool Rename(const std::string& labels, const char* typed) {
    std::string start;
    const TreeItem node = Find(labels);
    view.Tree()->State().SelectItem(node.m_hItem);
    if (!view.Editor().BeginRename(node, start)) return false;
    return view.Editor().EndRename(node, typed ? typed : "");
  }
  std::string Loose() { return "MUSIC (" + dir.path() + ")|loose|deep"; }

  const std::string kLong = "; " + std::string(3000, 'c');
  const std::string kCatalogue = "; made on Windows\r\n[Album:Old]\r\nArtist=The Band\r\nT1=01.mp3, S\xE5ng\r\n"
                                 "T2=02.mp3, Two\r\n" + kLong + "\r\n\r\n[album:old]\r\nArtist=The Band\r\n";
};

TEST_F(RenameTest, BlanksOrCancelChangeNothing) {
  const std::string before = Tree();
  EXPECT_FALSE(Rename("The Band|Old", "   "));
  EXPECT_FALSE(Rename("The Band|Old", nullptr));
  EXPECT_EQ(Tree(), before);
  EXPECT_EQ(ReadFile(dir / "a/Album.ini"), kCatalogue);
  std::string text;
  EXPECT_FALSE(view.Editor().BeginRename(view.Top(), text));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RenameTest, AlbumHeadersAreRewrittenAndEverythingElseStays) {
  ASSERT_TRUE(Rename("The Band|Old", "New Name"));
  EXPECT_EQ(ReadFile(dir / "a/Album.ini"),
            "; made on Windows\r\n[Album:New Name]\r\nArtist=The Band\r\nT1=01.mp3, S\xE5ng\r\nT2=02.mp3, Two\r\n" + kLong +
                "\r\n\r\n[Album:New Name]\r\nArtist=The Band\r\n");
  EXPECT_EQ(Find("The Band").FirstChild().NextSibling().Label(), "New Name");
  EXPECT_FALSE(Rename("The Band|New Name", "Bad]Name"));
  EXPECT_EQ(ui.Last().caption, "Error");
  EXPECT_NE(ReadFile(dir / "a/Album.ini").find("[Album:New Name]"), std::string::npos);
}

TEST_F(RenameTest, ReadOnlyCataloguesAndFilesRefuseTheEdit) {
  MakeReadOnly(dir / "a/Album.ini");
  EXPECT_FALSE(Rename("The Band|Old", "X"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.Message(0).text, "Can't rename the treenode!\n\nThe file " + dir / "a/Album.ini" + " is read only!");
  EXPECT_FALSE(Rename("The Band|Old|Two", "X"));
  EXPECT_EQ(ui.Last().text, "Can't rename the treenode!\n\nThe file " + dir / "a/Album.ini" + " is read only!");
  EXPECT_FALSE(Rename("The Band", "X"));  // the catalogue of its first album
  EXPECT_EQ(ui.Last().text, "Can't rename the treenode!\n\nThe file " + dir / "a/Album.ini" + " is read only!");
  MakeReadOnly(dir / "loose/deep/song.mp3");
  EXPECT_FALSE(Rename(Loose() + "|song", "X"));
  EXPECT_EQ(ui.Last().text, "Can't rename the treenode!\n\nThe file " + dir / "loose/deep/song.mp3" + " is read only!");
}

TEST_F(RenameTest, ArtistsAreRenamedInEveryCatalogueOfTheirAlbums) {
  ASSERT_TRUE(Rename("The Band", "Les Band"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/Album.ini", "Album:Old", "Artist"), "Les Band");
  EXPECT_EQ(platform::ProfileGetString(dir / "b/album.ini", "Album:Other", "Artist"), "Les Band");
  EXPECT_EQ(platform::ProfileGetString(dir / "b/album.ini", "Album:Foreign", "Artist"), "Someone");
  EXPECT_FALSE(Find("Les Band|Other").IsNull());
}

// A renamed album leaves the tree as a scan shows it: its twin section in the same
// catalogue stays its duplicate, an album of the old name in a later folder is none
// any more, the loose songs beside it stay, on whichever volume.
TEST_F(RenameTest, ARenamedAlbumLeavesTheTreeAsAScanShowsIt) {
  Song("a/03 extra.mp3");  // listed by no catalogue
  Write("c/album.ini", "[Album:old]\nArtist=The Band\nT1=c.mp3, C\n");
  Song("c/c.mp3");
  volumes.Add(dir / "zip", "ZIP");
  Song("zip/z.mp3");
  Scan();
  ASSERT_FALSE(Find("The Band|Duplicate album name: old").IsNull());
  ASSERT_TRUE(Rename("The Band|Old", "New"));
  EXPECT_FALSE(Find(Volume() + "|a|03 extra").IsNull());
  EXPECT_FALSE(Find("The Band|old|C").IsNull());
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(RenameTest, LooseFilesDropATypedExtension) {
  ASSERT_TRUE(Rename(Loose() + "|song", " X.mp3 "));
  EXPECT_TRUE(platform::PathExists(dir / "loose/deep/X.mp3"));
  EXPECT_FALSE(platform::PathExists(dir / "loose/deep/song.mp3"));
  EXPECT_EQ(Find(Loose()).FirstChild().Label(), "X");
  EXPECT_FALSE(Rename(Loose() + "|X", "../escape"));
  EXPECT_FALSE(Rename(Loose() + "|X", "sub/dir"));
  EXPECT_FALSE(Rename(Loose() + "|X", ".."));
  EXPECT_TRUE(platform::PathExists(dir / "loose/deep/X.mp3"));
  EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(RenameTest, AlbumSongTitlesAndFileNames) {
  // A title cannot hold a line break: the catalogue's line would end there.
  const std::string before = testing_support::ReadFile(dir / "a/Album.ini");
  EXPECT_FALSE(Rename("The Band|Old|Two", "Two\nlines"));
  EXPECT_EQ(ui.Last().text, "Can't rename to \"Two\nlines\"!\n\nA title can't hold a line break.");
  EXPECT_EQ(testing_support::ReadFile(dir / "a/Album.ini"), before);
  ASSERT_TRUE(Rename("The Band|Old|Two", "A, B"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/Album.ini", "Album:Old", "T2"), "02.mp3, A");
  EXPECT_EQ(Find("The Band|Old").FirstChild().NextSibling().Label(), "A");

  view.ShowFileNames();
  ASSERT_TRUE(Rename("The Band|Old|02", "new.name.mp3"));
  EXPECT_TRUE(platform::PathExists(dir / "a/new.mp3"));
  EXPECT_FALSE(platform::PathExists(dir / "a/02.mp3"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/Album.ini", "Album:Old", "T2"), "new.mp3, A");
  // Taken by another song: neither file nor entry changes, and the user is told.
  EXPECT_FALSE(Rename("The Band|Old|new", "01"));
  EXPECT_EQ(platform::ProfileGetString(dir / "a/Album.ini", "Album:Old", "T2"), "new.mp3, A");
  EXPECT_TRUE(platform::PathExists(dir / "a/new.mp3"));
  EXPECT_EQ(Find("The Band|Old").FirstChild().NextSibling().Label(), "new");
  EXPECT_EQ(ui.Last().caption, "Error");
}

TEST_F(RenameTest, FoldersMoveAndEveryPathBeneathFollows) {
  Write("loose/deep/album.ini", "[Album:Other]\nArtist=The Band\n");  // a duplicate of b's album
  Scan();
  ASSERT_TRUE(Rename("MUSIC (" + dir.path() + ")|loose", "moved"));
  EXPECT_EQ(Find("The Band|Duplicate album name: Other").Data(), dir / "moved/deep/");
  EXPECT_EQ(Canonical(view), FreshScan());
  EXPECT_TRUE(platform::PathExists(dir / "moved/deep/song.mp3"));
  EXPECT_EQ(Find("MUSIC (" + dir.path() + ")|moved").Data(), dir / "moved/");
  EXPECT_EQ(Find("MUSIC (" + dir.path() + ")|moved|deep").Data(), dir / "moved/deep/");
  EXPECT_EQ(Find("MUSIC (" + dir.path() + ")|moved|deep|song").Data(), dir / "moved/deep/");
  // The song still plays from where it is now.
  EXPECT_EQ(view.SongPath(Find("MUSIC (" + dir.path() + ")|moved|deep|song")), dir / "moved/deep/song.mp3");

  ASSERT_TRUE(Rename("The Band|Old", "Still"));  // an album follows its folder too
  EXPECT_TRUE(Rename("MUSIC (" + dir.path() + ")|moved", "again"));
}

// A drive mounted inside a renamed folder moves with it: its songs play from there.
TEST_F(RenameTest, ADriveMountedInARenamedFolderMovesWithIt) {
  Song("loose/inner/x.mp3");
  volumes.Add(dir / "loose/inner/", "INNER");
  Scan();
  const auto inner = [&] {
    for (TreeItem node = view.Top().FirstChild(); !node.IsNull(); node = node.NextSibling()) {
      if (KindOf(node) == NodeKind::Volume && node.Label().starts_with("INNER")) return node;
    }
    return TreeItem();
  };
  ASSERT_FALSE(inner().IsNull());
  ASSERT_TRUE(Rename("MUSIC (" + dir.path() + ")|loose", "moved"));
  EXPECT_EQ(inner().Data(), dir / "moved/inner/");
  EXPECT_EQ(view.SongPath(inner().FirstChild()), dir / "moved/inner/x.mp3");
}

TEST_F(RenameTest, VolumeLabelsStartBareAndFollowTheFileSystem) {
  std::string start;
  const TreeItem volume = Find("MUSIC (" + dir.path() + ")");
  ASSERT_TRUE(view.Editor().BeginRename(volume, start));
  EXPECT_EQ(start, "MUSIC");
  ASSERT_TRUE(Rename("MUSIC (" + dir.path() + ")", "SONGS"));
  EXPECT_EQ(volume.Label(), "SONGS (" + dir.path() + ")");
  volumes.labelsWritable = false;
  EXPECT_FALSE(Rename("SONGS (" + dir.path() + ")", "OTHER"));
  EXPECT_EQ(volume.Label(), "SONGS (" + dir.path() + ")");
}

// A volume met before the last artist is sorted in with the artists by a scan; renamed,
// it takes the place the next scan gives it.
TEST_F(RenameTest, ARenamedVolumeStandsWhereAScanPutsIt) {
  Song("0/first.mp3");  // read before the catalogues: the volume comes before the last artist
  Scan();
  const auto topLabels = [this] {
    std::vector<std::string> labels;
    for (TreeItem child = view.Top().FirstChild(); !child.IsNull(); child = child.NextSibling()) {
      labels.emplace_back(child.Label());
    }
    return labels;
  };
  ASSERT_EQ(topLabels().front(), "MUSIC (" + dir.path() + ")");
  ASSERT_TRUE(Rename("MUSIC (" + dir.path() + ")", "ZED"));
  const std::vector<std::string> renamed = topLabels();
  EXPECT_EQ(renamed.back(), "ZED (" + dir.path() + ")");
  Scan();
  EXPECT_EQ(renamed, topLabels());
}

}  // namespace
