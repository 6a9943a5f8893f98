// The details page follows the selection; only edits are written back.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <semaphore>
#include <thread>

#include "library_fixture.h"
#include "mp3_frames.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/cover_source.h"
#include "tree/details_presenter.h"
#include "tree/header_reader.h"
#include "tree/library_marks.h"

using namespace tree;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;

namespace {

class SelectionTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    Write("a/album.ini", kCatalogue);
    Write("a/1.mp3", testing_support::Id3v2Tag("One") + testing_support::SilentMp3Frames(3, {192, 48000, 3}));
    Write("a/2.mp3", std::string(3355443, '\0'));  // 3.20 MB without a header
    Song("loose/l.mp3");
    Scan();
  }
  void Select(const std::string& labels) { view.Tree()->State().SelectItem(Find(labels).m_hItem); }
  static void PumpMessages() {
    while (platform::Ui().PumpOne()) {
    }
  }

  const std::string kCatalogue =
      "[Album:One]\nArtist=X\nCategory= Ambient \nYear=1994abc\nT1=1.mp3, S1, Pop, 1994\nT2=2.mp3, S2, , , Guest\n";
};

TEST_F(SelectionTest, AlbumShowsItsCatalogueData) {
  Select("X|One");
  EXPECT_EQ(page.categoryText, "Ambient");
  EXPECT_EQ(page.yearText, "1994");
  EXPECT_EQ(page.artistText, "X");
  EXPECT_EQ(page.readOnlyCategoryText, "Ambient");
  EXPECT_GE(page.Categories().Find("Ambient"), 0);
  EXPECT_FALSE(page.lock.categoryReadOnly);
  EXPECT_TRUE(page.lock.artistReadOnly);
}

TEST_F(SelectionTest, SongShowsItsEntryAndHeader) {
  Select("X|One|S1");
  EXPECT_EQ(page.categoryText, "Pop");
  EXPECT_EQ(page.yearText, "1994");
  EXPECT_EQ(page.artistText, "");
  EXPECT_EQ(page.bitrateText, "192 kbit/s, Mono, 48 kHz");
  EXPECT_FALSE(page.lock.artistReadOnly);

  Select("X|One|S2");
  EXPECT_EQ(page.artistText, "Guest");
  EXPECT_EQ(page.bitrateText, "");  // no header: nothing rather than ", Mono, "
  EXPECT_EQ(page.sizeText, "3.20");

  Select("MUSIC (" + dir.path() + ")|loose|l");
  EXPECT_TRUE(page.lock.categoryReadOnly);
  EXPECT_EQ(page.bitrateText, "128 kbit/s, Stereo, 44.1 kHz");
  EXPECT_EQ(page.sizeText, "0.00");

  // A file the catalogue beside it does not list is no album song: nothing to edit.
  Song("a/extra.mp3");
  Scan();
  Select(Volume() + "|a|extra");
  EXPECT_TRUE(page.lock.categoryReadOnly);
  EXPECT_TRUE(page.lock.yearReadOnly);
  EXPECT_TRUE(page.lock.artistReadOnly);
}

// A song's own tags show beside the catalogue's data, read only; the catalogue's
// fields stay what the catalogue says.
TEST_F(SelectionTest, ASongShowsItsOwnTags) {
  std::filesystem::create_directory(dir / "tagged");
  std::filesystem::copy_file(std::string(MELODECK_TAG_FIXTURES) + "/v24-utf8.mp3", dir / "tagged/t.mp3");
  Scan();
  Select(Volume() + "|tagged|t");
  EXPECT_EQ(page.tagsText, "Artist: Sigur R\xC3\xB3s\nTitle: Hello, \"World\" \xE2\x80\x93 \xC3\x87" "a va\n"
                           "Album: \xC3\x81g\xC3\xA6tis byrjun\nTrack: 3");
  EXPECT_EQ(page.artistText, "");
  Select("X|One|S1");
  EXPECT_EQ(page.tagsText, "Title: One");  // only what the tag has
  Select("X|One|S2");  // no tag at all
  EXPECT_EQ(page.tagsText, "");

  std::counting_semaphore<> woken{0};
  tree::HeaderReader reader([&] { woken.release(); });
  view.Details().SetHeaderReader(&reader);
  Select(Volume() + "|tagged|t");
  EXPECT_EQ(page.m_strTags, res::label::kReading);
  woken.acquire();
  view.Details().ShowHeader();
  EXPECT_EQ(page.tagsText.substr(0, 9), "Artist: S");
  view.Details().SetHeaderReader(nullptr);
}

// Which folder and song a node's cover comes from.
TEST_F(SelectionTest, EachNodeNamesWhereItsCoverComesFrom) {
  const std::string a = dir / "a/";
  EXPECT_EQ(tree::CoverSourceOf(view, Find("X|One")), (tree::CoverSource{a, a + "1.mp3"}));
  EXPECT_EQ(tree::CoverSourceOf(view, Find("X|One|S2")), (tree::CoverSource{a, a + "2.mp3"}));
  const std::string loose = dir / "loose/";
  EXPECT_EQ(tree::CoverSourceOf(view, Find(Volume() + "|loose")), (tree::CoverSource{loose, loose + "l.mp3"}));
  EXPECT_EQ(tree::CoverSourceOf(view, Find(Volume() + "|loose|l")), (tree::CoverSource{loose, loose + "l.mp3"}));
  EXPECT_EQ(tree::CoverSourceOf(view, Find("X")), tree::CoverSource{});
  // The first song that is there: past a subfolder, past a missing file.
  Song("loose/a sub/inner.mp3");
  Write("a/album.ini", "[Album:One]\nArtist=X\nT1=gone.mp3, Gone\nT2=1.mp3, S1\n");
  Scan();
  EXPECT_EQ(tree::CoverSourceOf(view, Find(Volume() + "|loose")), (tree::CoverSource{loose, loose + "l.mp3"}));
  EXPECT_EQ(tree::CoverSourceOf(view, Find("X|One")), (tree::CoverSource{a, a + "1.mp3"}));
  EXPECT_EQ(tree::CoverSourceOf(view, view.Top()), tree::CoverSource{});
  EXPECT_EQ(tree::CoverSourceOf(view, TreeItem()), tree::CoverSource{});
}

// With a reader behind it the header comes a moment later: "Reading..." first, then
// the header of the song still selected; a result for a song left meanwhile is dropped.
TEST_F(SelectionTest, TheHeaderReadBehindTheWindowShowsForTheSongStillSelected) {
  std::counting_semaphore<> woken{0};
  tree::HeaderReader reader([&] { woken.release(); });
  view.Details().SetHeaderReader(&reader);
  Select("X|One|S1");
  EXPECT_EQ(page.m_strBitrate, res::label::kReading);
  woken.acquire();
  view.Details().ShowHeader();
  EXPECT_EQ(page.bitrateText, "192 kbit/s, Mono, 48 kHz");

  Select("X|One|S2");
  Select("X|One");  // left before its header was shown
  woken.acquire();
  view.Details().ShowHeader();
  EXPECT_EQ(page.bitrateText, "");
  view.Details().SetHeaderReader(nullptr);
}

TEST_F(SelectionTest, BrowsingNeverWritesButEditsAreSaved) {
  struct stat before {};
  ::stat((dir / "a/album.ini").c_str(), &before);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (const char* node : {"X|One", "X|One|S1", "X|One|S2", "X", "X|One"}) Select(node);
  Select("X");
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kCatalogue);
  struct stat after {};
  ::stat((dir / "a/album.ini").c_str(), &after);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  Select("X|One");
  page.categoryText = "Jazz";
  Select("X|One|S1");
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:One", "Category"), "Jazz");
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:One", "Year"), "1994");
  page.artistText = "Guest Star";
  page.yearText = "2001";
  Select("X");
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:One", "T1"), "1.mp3, S1, Pop, 2001, Guest Star");
}

// Only what was shown can have been edited: a page that arrives after the selection
// writes nothing back.
TEST_F(SelectionTest, APageGivenAfterTheSelectionWritesNothing) {
  view.Details().SetDataPage(nullptr);
  Select("X|One");
  view.Details().SetDataPage(&page);
  page.categoryText = "Jazz";
  Select("X");
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kCatalogue);
}

TEST_F(SelectionTest, APageTakenAwayWritesNothingAfterwards) {
  Select("X|One");
  page.categoryText = "Jazz";
  view.Details().SetDataPage(nullptr);
  Select("X");  // leaving the album: there is no page to take edits from
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kCatalogue);
}

TEST_F(SelectionTest, ARefreshSavesEditsOfTheSelectedNodeFirst) {
  Select("X|One");
  page.yearText = "1999";
  Scan();
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:One", "Year"), "1999");
}

TEST_F(SelectionTest, AnInvalidYearIsRefusedAloneAndTheUserIsTold) {
  Select("X|One");
  page.yearText = "19x";
  page.categoryText = "Blues";
  Select("X");
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:One", "Category"), "Blues");
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:One", "Year"), "1994");
  EXPECT_EQ(ui.Last().text,
            "The year must be a number: the year of \"One\" was not saved, it keeps its year. Its other details were saved.");
  // Edits of the node still selected are saved when asked (the window closes).
  Select("X|One");
  page.categoryText = "Jazz";
  view.Details().SaveSelectionDetails();
  EXPECT_EQ(platform::ProfileGetString(dir / "a/album.ini", "Album:One", "Category"), "Jazz");
}

TEST_F(SelectionTest, ReadOnlyCataloguesCannotBeEdited) {
  MakeReadOnly(dir / "a/album.ini");
  Select("X|One");
  EXPECT_TRUE(page.lock.categoryReadOnly);
  EXPECT_TRUE(page.lock.yearReadOnly);
  Select("X|One|S1");
  EXPECT_TRUE(page.lock.artistReadOnly);
  Select("X");
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kCatalogue);
}

TEST_F(SelectionTest, ArtistShowsItsNameAndAnEmptyCategory) {
  Select("X|One");
  Select("X");
  EXPECT_EQ(page.artistText, "X");
  EXPECT_EQ(page.readOnlyCategoryText, "");
  EXPECT_TRUE(page.lock.categoryReadOnly);
}

TEST_F(SelectionTest, SizesAndTheMarkedTotal) {
  Select("X|One|S2");
  EXPECT_EQ(page.sizeText, "3.20");
  view.Marks().ToggleMark(Find("X|One|S2"));  // Ctrl+click marks it
  EXPECT_EQ(page.sizeText, "3.20 (3.20)");
  EXPECT_EQ(view.Marks().MarkedSize(), 3355443);

  // A catalogue that spells the file otherwise than the disk: its size all the same.
  Write("b/album.ini", "[Album:Two]\nArtist=Y\nT1=SHOUT.MP3, Loud\n");
  Write("b/shout.mp3", std::string(1048576, '\0'));
  Scan();
  Select("Y|Two|Loud");
  EXPECT_EQ(page.sizeText, "1.00");
}

TEST_F(SelectionTest, TheLibrarySizeIsComputedOnceAfterAScan) {
  // The scan selected the top node; its size follows once the posted sum has run.
  EXPECT_EQ(view.Details().SelectionSize(), 0);
  PumpMessages();
  const std::int64_t first = view.Details().SelectionSize();
  EXPECT_GT(first, 3355443);
  platform::DeleteFile(dir / "a/2.mp3");
  Select("X");
  view.Tree()->State().SelectItem(view.Top().m_hItem);
  PumpMessages();
  EXPECT_EQ(view.Details().SelectionSize(), first);
  Scan();
  PumpMessages();
  EXPECT_LT(view.Details().SelectionSize(), first);
  EXPECT_GE(ui.waitCursorBegins, 3);
}

TEST_F(SelectionTest, TheLibrarySizeWaitsForTheTopNodeToBeSelected) {
  Select("X");
  PumpMessages();
  EXPECT_EQ(view.Details().LibrarySize(), -1);
  view.Tree()->State().SelectItem(view.Top().m_hItem);
  PumpMessages();
  EXPECT_GT(view.Details().LibrarySize(), 3355443);
  char expected[32];
  std::snprintf(expected, sizeof expected, "%.2f", static_cast<double>(view.Details().LibrarySize()) / 1048576.0);
  EXPECT_EQ(page.sizeText, expected);
}

TEST_F(SelectionTest, AMessageAViewPostedDiesWithTheView) {
  {
    STreeView gone;
    gone.SetSettingsPaths({settingsDir.path(), settingsDir / "Melodeck.ini"});
    gone.Refresh(dir.path());  // selecting its top node posts the library size pass
  }
  PumpMessages();  // runs after the view is gone: it must do nothing (AddressSanitizer checks)
  SUCCEED();
}

}  // namespace
