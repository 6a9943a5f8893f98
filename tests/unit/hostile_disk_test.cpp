// A disk shared with other programs and made by hand: links that point anywhere,
// catalogues that cannot be read or that Windows saved as UTF-16, library folders
// nested in each other. Nothing the user did not ask to lose is lost, and the tree
// shows what a fresh scan shows.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "library_fixture.h"
#include "mp3_frames.h"
#include "nested_folders.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "tree/node_deleter.h"
#include "tree/library_editor.h"
#include "tree/library_marks.h"

using testing_support::ReadFile;

namespace {

class HostileDiskTest : public testing_support::LibraryFixture {
 protected:
  void Delete(const std::string& labels) {
    ui.messageAnswers = {platform::IDYES};
    CNodeDeleter(&view, view.Top()).Delete(Find(labels)).Report();
  }
  void Link(const std::string& target, const std::string& relative) {
    std::filesystem::create_directory_symlink(target, dir / relative);
  }
  bool OnDisk(const std::string& relative) { return platform::PathExists(dir / relative); }
  // The loose songs of the library's volume, however deep, found without recursion.
  std::vector<TreeItem> LooseSongs() {
    std::vector<TreeItem> songs;
    std::vector<TreeItem> pending{Find(Volume())};
    while (!pending.empty()) {
      const TreeItem node = pending.back();
      pending.pop_back();
      if (tree::KindOf(node) == tree::NodeKind::LooseSong) songs.push_back(node);
      for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child);
    }
    return songs;
  }
  // UTF-16 LE with its mark, as Windows saves "Unicode" text.
  static std::string Utf16(std::string_view text) {
    std::string out = "\xFF\xFE";
    for (const char c : text) out += std::string{c, '\0'};
    return out;
  }
};

TEST_F(HostileDiskTest, AFolderDeleteNeverGoesThroughALink) {
  testing_support::TempDir outside;
  testing_support::WriteFile(outside / "o.mp3", "not ours");
  Song("lib/A/a.mp3");
  Song("lib/B/b.mp3");
  Link("../B", "lib/A/toB");
  Link(outside.path(), "lib/A/toOutside");
  Scan("lib");
  // B is read where it lies; the link to it shows nothing of its own.
  ASSERT_FALSE(Find(Volume() + "|lib|A|toOutside|o").IsNull());
  EXPECT_EQ(Tree().find("toB"), std::string::npos);
  Delete(Volume() + "|lib|A");
  EXPECT_FALSE(OnDisk("lib/A/a.mp3"));
  EXPECT_TRUE(OnDisk("lib/B/b.mp3"));
  EXPECT_TRUE(platform::PathExists(outside / "o.mp3"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "lib/A/toB"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() +
                                "lib/A/toOutside is a link: neither it nor what it points to was deleted.");
  // A scan reaches A, which now holds only a link, after B: the order is not compared.
  EXPECT_EQ(SortedLines(Canonical(view)), SortedLines(FreshScan()));
}

TEST_F(HostileDiskTest, AFolderReplacedByALinkAfterTheScanIsNotGoneThrough) {
  testing_support::TempDir elsewhere;
  testing_support::WriteFile(elsewhere / "a.mp3", "not ours");
  Song("lib/A/a.mp3");
  Song("lib/A/sub/s.mp3");
  Scan("lib");
  std::filesystem::rename(dir / "lib/A", dir / "lib/old");
  std::filesystem::create_directory_symlink(elsewhere.path(), dir / "lib/A");
  Delete(Volume() + "|lib|A");
  EXPECT_TRUE(platform::PathExists(elsewhere / "a.mp3"));
  EXPECT_TRUE(OnDisk("lib/old/a.mp3"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() + "lib/A is a link: neither it nor what it points "
            "to was deleted.");
  // A subfolder swapped for a link is kept the same way.
  std::filesystem::remove(dir / "lib/A");
  std::filesystem::rename(dir / "lib/old", dir / "lib/A");
  Scan("lib");
  testing_support::TempDir moved;
  std::filesystem::rename(dir / "lib/A/sub", moved / "sub");
  std::filesystem::create_directory_symlink(elsewhere.path(), dir / "lib/A/sub");
  Delete(Volume() + "|lib|A");
  EXPECT_FALSE(OnDisk("lib/A/a.mp3"));
  EXPECT_TRUE(platform::PathExists(elsewhere / "a.mp3"));
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(HostileDiskTest, AFolderDeleteKeepsEverySongBesideACatalogueItCannotRead) {
  Song("u16/listed.mp3");
  Song("u16/loose.mp3");
  Write("u16/album.ini", Utf16("[Album:Wide]\r\nArtist=W\r\nT1=listed.mp3, Listed\r\n"));
  Song("big/x.mp3");
  Write("big/album.ini", "[Album:Big]\nArtist=B\nT1=x.mp3, X\n");
  std::filesystem::resize_file(dir / "big/album.ini", platform::kMaxProfileSize + 1);
  Song("locked/y.mp3");
  Song("locked/z.mp3");
  Write("locked/album.ini", "[Album:Locked]\nArtist=L\nT1=y.mp3, Y\n");
  Scan();
  // The UTF-16 catalogue reads as Windows reads it: its song is an album song.
  EXPECT_FALSE(Find("W|Wide|Listed").IsNull());
  Delete(Volume() + "|u16");
  EXPECT_TRUE(OnDisk("u16/listed.mp3"));
  EXPECT_FALSE(OnDisk("u16/loose.mp3"));
  Delete(Volume() + "|big");
  EXPECT_TRUE(OnDisk("big/x.mp3"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() +
                                "big/album.ini could not be read: every mp3 file in its folder was kept, as it may list them.");
  // One the user may not read (root may read anything: the file layer is told to fail).
  platform::FailFileStepAt(platform::FileStep::Read, 1);
  Delete(Volume() + "|locked");
  platform::ClearFileFaults();
  EXPECT_TRUE(OnDisk("locked/z.mp3"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() +
                                "locked/album.ini could not be read: every mp3 file in its folder was kept, as it may list them.");
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(HostileDiskTest, AFolderAboveTheLibraryHoldsOnlyWhatLiesInTheLibrary) {
  Song("x/lib/in.mp3");
  Song("x/outside.mp3");
  Scan("x/lib");
  Delete(Volume() + "|x");
  EXPECT_FALSE(OnDisk("x/lib/in.mp3"));
  EXPECT_TRUE(OnDisk("x/outside.mp3"));
  EXPECT_EQ(Tree().find("outside"), std::string::npos);
  EXPECT_EQ(Canonical(view), FreshScan());
}

}  // namespace

namespace {

TEST_F(HostileDiskTest, LinksInAMeshAreReadOnceAndEveryFolderShowsWhereItLies) {
  constexpr int kFolders = 8;
  for (int i = 0; i < kFolders; ++i) {
    Song("lib/m" + std::to_string(i) + "/s" + std::to_string(i) + ".mp3");
    for (int j = 0; j < kFolders; ++j) {
      if (j != i) Link("../m" + std::to_string(j), "lib/m" + std::to_string(i) + "/l" + std::to_string(j));
    }
  }
  Link("..", "lib/m0/up");
  Scan("lib");
  std::string expected;
  for (int i = 0; i < kFolders; ++i) {
    const std::string m = "m" + std::to_string(i);
    expected += "      folder \"" + m + "\" data=\"<lib>/lib/" + m + "/\"\n        song \"s" + std::to_string(i) +
                "\" data=\"<lib>/lib/" + m + "/\"\n";
  }
  EXPECT_EQ(Tree(), "top \"Artists\"\n  volume \"MUSIC (<lib>/)\" data=\"<lib>/\"\n    folder \"lib\" data=\"<lib>/lib/\"\n" + expected);
}

// A folder the user may not enter (another user's private folder) is left out; the
// folders beside it are read where they lie.
TEST_F(HostileDiskTest, AFolderTheScanCannotEnterLeavesItsNeighboursWhereTheyLie) {
  Song("a/in.mp3");
  Song("b/beside.mp3");
  // The third and fourth openings: "a" through the library folder, then by its path.
  platform::FailFileStepAt(platform::FileStep::OpenFolder, 3, 2);
  Scan();
  platform::ClearFileFaults();
  EXPECT_EQ(Tree(), "top \"Artists\"\n  volume \"MUSIC (<lib>/)\" data=\"<lib>/\"\n    folder \"b\" data=\"<lib>/b/\"\n"
                    "      song \"beside\" data=\"<lib>/b/\"\n");
}

TEST_F(HostileDiskTest, ThousandsOfNestedFoldersScanWithoutRecursion) {
  constexpr int kDepth = 5000;
  testing_support::MakeNestedFolders(dir.path(), kDepth, testing_support::SilentMp3Frames(2));
  Scan();
  TreeItem node = Find(Volume());
  int depth = 0;
  while (!node.FirstChild().IsNull() && tree::KindOf(node.FirstChild()) == tree::NodeKind::Folder) {
    node = node.FirstChild();
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  ASSERT_FALSE(node.FirstChild().IsNull());
  EXPECT_EQ(node.FirstChild().Label(), "deep");
  EXPECT_EQ(view.SongPath(node.FirstChild()).size(), dir.path().size() + 2 * kDepth + std::string("deep.mp3").size());
  testing_support::RemoveNestedFolders(dir.path());
}

// Deeper than the folders a scan keeps open: on the way back up, the folders left
// to read beside the deep ones are found through folders opened again.
TEST_F(HostileDiskTest, FoldersBesideADeepChainAreReadOnTheWayBack) {
  constexpr int kDepth = 150;
  std::string path;
  for (int i = 0; i < kDepth; ++i) {
    path += "d/";
    Song(path + "e/x.mp3");
  }
  Scan();
  const std::vector<TreeItem> songs = LooseSongs();
  for (const TreeItem& song : songs) EXPECT_TRUE(platform::IsRegularFile(view.SongPath(song))) << view.SongPath(song);
  EXPECT_EQ(songs.size(), static_cast<size_t>(kDepth));
}

// Past the system's limit on a path's length the folders beside the deep ones are found
// through folders opened again one level at a time, never by their whole paths.
TEST_F(HostileDiskTest, FoldersBesideAChainPastThePathLimitAreRead) {
  constexpr int kDepth = 2100;  // 4,200 bytes of "d/": past PATH_MAX
  testing_support::MakeNestedFolders(dir.path(), kDepth, testing_support::SilentMp3Frames(2), true);
  Scan();
  const std::vector<TreeItem> songs = LooseSongs();
  EXPECT_EQ(std::count_if(songs.begin(), songs.end(), [](const TreeItem& song) { return song.Label() == "x"; }), kDepth);
  testing_support::RemoveNestedFolders(dir.path());
}

TEST_F(HostileDiskTest, NestedAndRepeatedLibraryFoldersShowEveryFileOnce) {
  Write("lib/sub/album.ini", "[Album:Inner]\nArtist=I\nT1=a.mp3, A\n");
  Song("lib/sub/a.mp3");
  Song("lib/sub/loose.mp3");
  Song("lib/top.mp3");
  Scan("lib");
  const std::string once = Tree();
  for (const std::string& list : {std::string("lib;lib/sub"), std::string("lib/sub;lib"), std::string("lib;lib"),
                                 "lib;" + dir.path() + "lib//sub/./"}) {
    Scan(list);
    EXPECT_EQ(Tree(), once) << list;
  }
  Delete(Volume() + "|lib");
  EXPECT_EQ(ui.Last().text.find("Unable"), std::string::npos) << ui.Last().text;
  EXPECT_TRUE(OnDisk("lib/sub/a.mp3"));
  EXPECT_FALSE(OnDisk("lib/sub/loose.mp3"));
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(HostileDiskTest, EverySpellingOfALibraryFolderGuardsTheFoldersAboveIt) {
  Song("home/Music/s.mp3");
  Song("rr/lib/t.mp3");
  testing_support::ScopedEnv home("HOME", dir / "home");
  const std::string cwd = platform::CurrentDirectory();
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  for (const std::string& list : {std::string("~/Music"), std::string("~/Music/"), std::string("home/Music"),
                                 std::string("./home//Music"), dir / "home//Music"}) {
    view.Refresh(list + ";rr/lib");
    std::string start;
    for (const std::string& folder : {Volume() + "|home|Music", Volume() + "|home", Volume() + "|rr"}) {
      const TreeItem node = Find(folder);
      ASSERT_TRUE(view.Editor().BeginRename(node, start));
      EXPECT_FALSE(view.Editor().EndRename(node, "Renamed")) << list << " " << folder;
      EXPECT_NE(ui.Last().text.find("holds the library folder"), std::string::npos) << ui.Last().text;
    }
  }
  ASSERT_EQ(::chdir(cwd.c_str()), 0);
  EXPECT_TRUE(OnDisk("home/Music/s.mp3"));
  EXPECT_TRUE(OnDisk("rr/lib/t.mp3"));
}

// A rename brings its folder's loose songs up to date with the disk: the others keep
// their nodes and marks, and a song another program deleted meanwhile goes.
TEST_F(HostileDiskTest, ARenameAmongLooseSongsKeepsTheirMarksAndDropsWhatIsGone) {
  Song("loose/a.mp3");
  Song("loose/b.mp3");
  Song("loose/c.mp3");
  Scan();
  view.Marks().ToggleMark(Find(Volume() + "|loose|b"));
  std::filesystem::remove(dir / "loose/c.mp3");
  ASSERT_TRUE(view.Editor().Rename(Find(Volume() + "|loose|a"), "renamed"));
  EXPECT_TRUE(OnDisk("loose/renamed.mp3"));
  EXPECT_EQ(view.Marks().GetMark(Find(Volume() + "|loose|b")), tree::Mark::Marked);
  view.Marks().ToggleMark(Find(Volume() + "|loose|b"));
  EXPECT_EQ(Canonical(view), FreshScan());  // "c" gone
}

TEST_F(HostileDiskTest, ALineEndInANameStaysInsideItsLineOfTheTree) {
  Song("odd\nname\r.mp3");
  Scan();
  EXPECT_NE(Tree().find("    song \"odd\\nname\\r\" data=\"<lib>/\"\n"), std::string::npos) << Tree();
}

TEST_F(HostileDiskTest, AHiddenFolderNamedLikeASongIsNoSong) {
  testing_support::MakeDirs(dir / "a/.x.mp3");
  Song("a/.x.mp3/inside.mp3");
  Song("a/real.mp3");
  Scan();
  EXPECT_EQ(Tree().find("\"x\""), std::string::npos);
  EXPECT_EQ(Tree().find(".x"), std::string::npos);
  EXPECT_EQ(Canonical(view), FreshScan());
}

}  // namespace

namespace {

// Another program rewrites the catalogue between the scan and an edit: the album
// "Live" now belongs to someone else and lists other songs.
class ChangedCatalogueTest : public HostileDiskTest {
 protected:
  void SetUp() override {
    Write("a/album.ini", kShown);
    for (const char* song : {"a/1.mp3", "a/2.mp3", "a/3.mp3"}) Song(song);
    Scan();
  }
  void Rewrite(const std::string& bytes) {
    Write("a/album.ini", bytes);
    ::utimensat(AT_FDCWD, (dir / "a/album.ini").c_str(), nullptr, 0);
  }
  bool Rename(const std::string& labels, const char* typed) {
    return view.Editor().Rename(Find(labels), typed);
  }
  void ExpectUntouchedAndTold(const std::string& onDisk) {
    EXPECT_EQ(ReadFile(dir / "a/album.ini"), onDisk);
    EXPECT_NE(ui.Last().text.find("was changed by another program"), std::string::npos) << ui.Last().text;
    EXPECT_EQ(Canonical(view), FreshScan());
  }
  const std::string kShown = "[Album:Live]\nArtist=The Band\nT1=1.mp3, One\nT2=2.mp3, Two\n";
  const std::string kImpostor = "[Album:Live]\nArtist=Impostor\nT1=3.mp3, Three\nT2=2.mp3, Zwei\n";
};

TEST_F(ChangedCatalogueTest, AlbumEditsChangeNothingOnceTheSectionIsAnotherArtists) {
  Rewrite(kImpostor);
  Delete("The Band|Live");
  ExpectUntouchedAndTold(kImpostor);
  EXPECT_TRUE(OnDisk("a/album.ini"));

  Scan();
  Rewrite(kShown);
  Rename("Impostor|Live", "Studio");
  ExpectUntouchedAndTold(kShown);
}

TEST_F(ChangedCatalogueTest, SongEditsChangeNothingOnceTheEntryIsAnother) {
  Rewrite("[Album:Live]\nArtist=The Band\nT1=1.mp3, One\nT2=2.mp3, Zwei\n");
  Delete("The Band|Live|Two");
  ExpectUntouchedAndTold("[Album:Live]\nArtist=The Band\nT1=1.mp3, One\nT2=2.mp3, Zwei\n");

  Rewrite("[Album:Live]\nArtist=The Band\nT1=3.mp3, One\nT2=2.mp3, Zwei\n");
  EXPECT_FALSE(Rename("The Band|Live|One", "Uno"));
  ExpectUntouchedAndTold("[Album:Live]\nArtist=The Band\nT1=3.mp3, One\nT2=2.mp3, Zwei\n");
  EXPECT_TRUE(OnDisk("a/1.mp3"));
}

TEST_F(ChangedCatalogueTest, ArtistEditsChangeNothingWhenTheArtistGainedOrLostAnAlbum) {
  const std::string gained = kShown + "\n[Album:New]\nArtist=The Band\nT1=3.mp3, Three\n";
  Rewrite(gained);
  Delete("The Band");
  ExpectUntouchedAndTold(gained);

  Scan();
  Rewrite(kImpostor + "\n[Album:New]\nArtist=The Band\nT1=3.mp3, Three\n");
  EXPECT_FALSE(Rename("The Band", "Renamed"));
  ExpectUntouchedAndTold(kImpostor + "\n[Album:New]\nArtist=The Band\nT1=3.mp3, Three\n");
}

TEST_F(ChangedCatalogueTest, ACatalogueAnotherProgramDeletedIsNotCalledReadOnly) {
  for (const char* node : {"The Band|Live|One", "The Band|Live", "The Band"}) {
    Write("a/album.ini", kShown);
    Scan();
    std::filesystem::remove(dir / "a/album.ini");
    std::string start;
    EXPECT_FALSE(view.Editor().BeginRename(Find(node), start)) << node;
    EXPECT_NE(ui.Last().text.find("was changed by another program"), std::string::npos) << ui.Last().text;
    EXPECT_EQ(Canonical(view), FreshScan());
  }
}

TEST_F(ChangedCatalogueTest, DetailsAreNotWrittenIntoAnotherArtistsAlbum) {
  view.Tree()->State().SelectItem(Find("The Band|Live").m_hItem);
  Rewrite(kImpostor);
  page.categoryText = "Blues";
  view.Tree()->State().SelectItem(view.Top().m_hItem);
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kImpostor);
  EXPECT_NE(ui.Last().text.find("were not written"), std::string::npos) << ui.Last().text;
}

}  // namespace

namespace {

TEST_F(HostileDiskTest, ArtistEditsTakeTheirDuplicateAlbumsAlong) {
  Write("a/album.ini", "[Album:Live]\nArtist=The Band\nT1=1.mp3, One\n");
  Write("b/album.ini", "[Album:Live]\nArtist=The Band\nT1=2.mp3, Two\n\n[Album:Other]\nArtist=Someone\n");
  Song("a/1.mp3");
  Song("b/2.mp3");
  Scan();
  ASSERT_FALSE(Find("The Band|Duplicate album name: Live").IsNull());
  std::string start;
  const TreeItem duplicate = Find("The Band|Duplicate album name: Live");
  EXPECT_FALSE(view.Editor().BeginRename(duplicate, start));
  EXPECT_NE(ui.Last().text.find("duplicate album"), std::string::npos) << ui.Last().text;

  const TreeItem artist = Find("The Band");
  ASSERT_TRUE(view.Editor().BeginRename(artist, start));
  ASSERT_TRUE(view.Editor().EndRename(artist, "Les Band"));
  EXPECT_FALSE(Find("Les Band|Duplicate album name: Live").IsNull());
  EXPECT_EQ(Tree().find("The Band"), std::string::npos);
  EXPECT_EQ(Canonical(view), FreshScan());

  Delete("Les Band");
  EXPECT_EQ(ReadFile(dir / "b/album.ini"), "[Album:Other]\nArtist=Someone\n");
  EXPECT_FALSE(OnDisk("a/album.ini"));
  EXPECT_EQ(Canonical(view), FreshScan());
}

}  // namespace
