// Ctrl+click marking: songs, inner nodes, missing files and the marked total.
#include "library_fixture.h"
#include "tree/details_presenter.h"
#include "tree/library_marks.h"

using namespace tree;

namespace {


class MarksTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    Write("a/album.ini",
          "[Album:One]\nArtist=X\nT1=1.mp3, S1\nT2=2.mp3, S2\n"
          "[Album:Two]\nArtist=X\nT1=3.mp3, S3\nT2=gone.mp3, Gone\n");
    for (const char* song : {"a/1.mp3", "a/2.mp3", "a/3.mp3"}) Write(song, std::string(1048576, 'x'));
    Scan();
  }
  void CtrlClick(const std::string& labels) { view.Marks().ToggleMark(Find(labels)); }
  // The mark as the tree dump numbers it: 0 none, 1 marked, 2 partly, 3 missing file.
  int Mark(const std::string& labels) { return static_cast<int>(view.Marks().GetMark(Find(labels))); }
};

TEST_F(MarksTest, MarkingAnAlbumMarksItsSongsAndTheAncestorsFollow) {
  CtrlClick("X|One");
  EXPECT_EQ(Mark("X|One|S1"), 1);
  EXPECT_EQ(Mark("X|One|S2"), 1);
  EXPECT_EQ(Mark("X|One"), 1);
  EXPECT_EQ(Mark("X"), 2);  // the other album is not marked
  EXPECT_EQ(view.Marks().GetMark(view.Top()), tree::Mark::Partly);
  EXPECT_EQ(view.Tree()->State().GetSelection(), Find("X|One").m_hItem);
  EXPECT_EQ(view.Marks().MarkedSize(), 2 * 1048576);
  EXPECT_TRUE(view.Marks().PlayOrderEnabled());
  EXPECT_EQ(page.m_strSize, "2.00 (2.00)");

  CtrlClick("X|One");  // marked: unmarks
  EXPECT_EQ(Mark("X|One|S1"), 0);
  EXPECT_EQ(Mark("X"), 0);
  EXPECT_EQ(view.Marks().MarkedSize(), 0);
  EXPECT_FALSE(view.Marks().PlayOrderEnabled());
  EXPECT_FALSE(view.Marks().AnyMarked(view.Top()));
}

TEST_F(MarksTest, MissingSongsAreNeverMarked) {
  CtrlClick("X|Two");
  EXPECT_EQ(Mark("X|Two|S3"), 1);
  EXPECT_EQ(Mark("X|Two|Gone"), 3);
  EXPECT_EQ(Mark("X|Two"), 2);  // partly: the missing song stays unmarked
  CtrlClick("X|Two");           // partly marked: unmarks
  EXPECT_EQ(Mark("X|Two|S3"), 0);
  EXPECT_EQ(Mark("X|Two"), 0);

  const tree::Handle before = view.Tree()->State().GetSelection();
  CtrlClick("X|Two|Gone");
  EXPECT_EQ(view.Tree()->State().GetSelection(), before);
  EXPECT_EQ(Mark("X|Two|Gone"), 3);
  view.Marks().ToggleMark(TreeItem());  // empty space: nothing at all
  EXPECT_EQ(view.Tree()->State().GetSelection(), before);
  EXPECT_EQ(Mark("X|Two|S3"), 0);
}

TEST_F(MarksTest, SongsAddUpAndPlainClicksLeaveMarksAlone) {
  CtrlClick("X|One|S1");
  CtrlClick("X|Two|S3");
  EXPECT_EQ(view.Marks().MarkedSize(), 2 * 1048576);
  EXPECT_EQ(Mark("X|One"), 2);
  EXPECT_TRUE(view.Marks().AnyMarked(view.Top()));  // what "Play selected" asks
  CtrlClick("X|One|S1");
  EXPECT_EQ(view.Marks().MarkedSize(), 1048576);
  EXPECT_TRUE(view.Marks().PlayOrderEnabled());
  view.Details().SelectAndShow(Find("X|Two|S3"));  // a plain click selects
  EXPECT_EQ(Mark("X|Two|S3"), 1);
  CtrlClick("X|Two|S3");
  EXPECT_EQ(view.Marks().MarkedSize(), 0);
  EXPECT_FALSE(view.Marks().PlayOrderEnabled());
  EXPECT_FALSE(view.Marks().AnyMarked(view.Top()));
}

TEST_F(MarksTest, MarkingTheTopNodeShowsTheWaitCursor) {
  view.Marks().ToggleMark(view.Top());
  EXPECT_EQ(view.Marks().GetMark(view.Top()), tree::Mark::Partly);
  EXPECT_EQ(Mark("X|One"), 1);
  EXPECT_EQ(view.Marks().MarkedSize(), 3 * 1048576);
  EXPECT_GE(ui.waitCursorBegins, 2);  // the scan's and the marking's
  EXPECT_EQ(ui.waitCursorDepth, 0);
  EXPECT_EQ(view.Marks().AnyMarked(Find("X")), 1);
  EXPECT_EQ(view.Marks().AnyMarked(view.Top()), 1);
}

}  // namespace
