// A Refresh in two steps: the scan on its own thread into a tree of its own, then
// the view adopting that tree, against what a Refresh at once shows.
#include <filesystem>
#include <semaphore>

#include "library_fixture.h"
#include "tree/background_scan.h"
#include "tree/tree_dump.h"
#include "tree/details_presenter.h"
#include "tree/library_marks.h"

using namespace tree;

namespace {

class BackgroundScanTest : public testing_support::LibraryFixture {
 protected:
  void MakeLibrary() {
    Write("Rock/album.ini", "[Album:Live]\nArtist=The Band\nT1=01.mp3, Intro\nT2=gone.mp3, Gone\n");
    Song("Rock/01.mp3");
    Write("Pop/album.ini", "[Album:Hits]\nArtist=Abba\nT1=a.mp3, A\n[Album:More]\nArtist=The Band\nT1=b.mp3, B\n");
    Song("Pop/a.mp3");
    Song("Pop/b.mp3");
    Song("Loose/Deep/down.mp3");
    Song("Loose/up.mp3");
  }
  // A scan of the library on its own thread; Wait() returns once it has finished, as
  // the window learns it: from the scan's own call at its end.
  std::unique_ptr<BackgroundScan> StartScan() {
    return view.StartScan(dir.path(), [this] { m_finished.release(); });
  }
  void Wait() { m_finished.acquire(); }

 private:
  std::counting_semaphore<> m_finished{0};
};

TEST_F(BackgroundScanTest, AdoptedTreeIsWhatARefreshShowsAndKeepsWhereTheUserWas) {
  MakeLibrary();
  Scan();
  const std::string atOnce = Tree();
  // The user opened an album and selected a song in it.
  tree::ExpandItem(Find("Abba|Hits"), true);
  view.Details().SelectAndShow(Find("Abba|Hits|A"));
  Song("Loose/new.mp3");  // found by the next scan

  const auto scan = StartScan();
  Wait();
  EXPECT_FALSE(scan->Stopped());
  EXPECT_EQ(scan->Folders(), 5u);  // the library, Rock, Pop, Loose, Deep
  EXPECT_EQ(scan->Songs(), 7u);
  view.AdoptScan(*scan);

  EXPECT_EQ(Canonical(view), FreshScan());
  EXPECT_NE(Tree(), atOnce);
  EXPECT_TRUE(view.Tree()->State().IsExpanded(Find("Abba|Hits").m_hItem));
  EXPECT_EQ(view.Tree()->State().GetSelection(), Find("Abba|Hits|A").m_hItem);
  EXPECT_EQ(view.PathList(), dir.path());
  // The scan also summed the library's songs, as the top node's details show them.
  std::int64_t onDisk = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    if (entry.path().extension() == ".mp3") onDisk += static_cast<std::int64_t>(entry.file_size());
  }
  EXPECT_EQ(view.Details().LibrarySize(), onDisk);
}

// Folders whose names differ only in case are told apart when the user's place is
// found again.
TEST_F(BackgroundScanTest, CaseTwinFoldersKeepWhereTheUserWas) {
  Song("Twins/Rock/a.mp3");
  Song("Twins/rock/b.mp3");
  Scan();
  const std::string song = Volume() + "|Twins|rock|b";
  tree::ExpandItem(Find(Volume() + "|Twins|rock"), true);
  view.Details().SelectAndShow(Find(song));
  const auto scan = StartScan();
  Wait();
  view.AdoptScan(*scan);
  EXPECT_EQ(view.Tree()->State().GetSelection(), Find(song).m_hItem);
  EXPECT_TRUE(view.Tree()->State().IsExpanded(Find(Volume() + "|Twins|rock").m_hItem));
  EXPECT_FALSE(view.Tree()->State().IsExpanded(Find(Volume() + "|Twins|Rock").m_hItem));

  // A song beside a folder of its very name: the selection stays on the song.
  Song("Twins/x/c.mp3");
  Song("Twins/x.mp3");
  Scan();
  const auto songX = [&] {
    for (TreeItem child = Find(Volume() + "|Twins").FirstChild(); !child.IsNull(); child = child.NextSibling()) {
      if (child.Label() == "x" && tree::KindOf(child) == tree::NodeKind::LooseSong) return child;
    }
    return TreeItem{};
  };
  ASSERT_FALSE(songX().IsNull());
  ASSERT_NE(Find(Volume() + "|Twins|x").m_hItem, songX().m_hItem);  // the folder comes first
  view.Details().SelectAndShow(songX());
  const auto again = StartScan();
  Wait();
  view.AdoptScan(*again);
  EXPECT_EQ(view.Tree()->State().GetSelection(), songX().m_hItem);
}

TEST_F(BackgroundScanTest, TheOldTreeStaysUntilAdoptedAndAStoppedScanIsNeverAdopted) {
  MakeLibrary();
  Scan();
  const std::string before = Tree();
  const auto scan = StartScan();
  scan->Stop();
  Wait();
  EXPECT_TRUE(scan->Stopped());
  EXPECT_EQ(Tree(), before);
  // A selection gone from the new tree falls back to the top node.
  view.Details().SelectAndShow(Find("Abba|Hits|A"));
  Write("Pop/album.ini", "[Album:More]\nArtist=The Band\nT1=b.mp3, B\n");
  const auto next = StartScan();
  Wait();
  view.AdoptScan(*next);
  EXPECT_EQ(view.Tree()->State().GetSelection(), view.Top().m_hItem);
  EXPECT_EQ(Canonical(view), FreshScan());
}

// The marked songs still there keep their marks wherever they now stand; new songs
// and songs whose file went come unmarked, and the marks above follow.
TEST_F(BackgroundScanTest, AnAdoptedTreeKeepsTheMarksOfTheSongsStillThere) {
  MakeLibrary();
  Song("Rock/02.mp3");
  Song("Rock/03.mp3");
  Write("Rock/album.ini", "[Album:Live]\nArtist=The Band\nT1=01.mp3, Intro\nT2=02.mp3, Two\nT3=03.mp3, Three\n");
  Scan();
  for (const char* song : {"The Band|Live|Intro", "The Band|Live|Three", "The Band|More|B"}) {
    view.Marks().ToggleMark(Find(song));
  }
  view.Marks().ToggleMark(Find(Volume() + "|Loose"));
  // Another order, a new song, a song gone, a loose file gone.
  Write("Rock/album.ini", "[Album:Live]\nArtist=The Band\nT1=04.mp3, Four\nT2=03.mp3, Three\nT3=02.mp3, Two\n"
                          "T4=01.mp3, Intro\n");
  Song("Rock/04.mp3");
  Write("Pop/album.ini", "[Album:Hits]\nArtist=Abba\nT1=a.mp3, A\n");
  std::filesystem::remove(dir / "Loose/up.mp3");
  const auto scan = StartScan();
  Wait();
  view.AdoptScan(*scan);

  const auto mark = [this](const std::string& labels) { return static_cast<int>(view.Marks().GetMark(Find(labels))); };
  EXPECT_EQ(mark("The Band|Live|Intro"), 1);
  EXPECT_EQ(mark("The Band|Live|Three"), 1);
  EXPECT_EQ(mark("The Band|Live|Two"), 0);
  EXPECT_EQ(mark("The Band|Live|Four"), 0);
  EXPECT_EQ(mark("The Band|Live"), 2);
  EXPECT_EQ(mark(Volume() + "|Loose|Deep|down"), 1);
  EXPECT_EQ(mark(Volume() + "|Loose"), 1);
  EXPECT_EQ(mark("Abba"), 0);
  EXPECT_EQ(view.Marks().MarkedSize(), 3 * static_cast<std::int64_t>(std::filesystem::file_size(dir / "Rock/01.mp3")));
  EXPECT_TRUE(view.Marks().PlayOrderEnabled());
}

}  // namespace
