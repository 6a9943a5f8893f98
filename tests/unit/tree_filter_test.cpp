// The filter box's view of the tree: matches without regard to case and accents,
// their ancestors, rows among the shown nodes, and the song count.
#include <gtest/gtest.h>

#include "text/search_fold.h"
#include "tree/node_kinds.h"
#include "tree/tree_filter.h"

using namespace tree;

namespace {

TEST(SearchFoldTest, CaseAndAccentsFoldAwayOtherTextStays) {
  EXPECT_EQ(text::Folded("Café Ångström"), "cafe angstrom");
  EXPECT_EQ(text::Folded("AZ@[`{az"), "az@[`{az");  // the ends of the ASCII capitals
  EXPECT_EQ(text::Folded("ÆON Straße Œuvre Ĳssel Łódź Þing"), "aeon strasse oeuvre ijssel lodz thing");
  EXPECT_EQ(text::Folded("Cafe\xCC\x81"), "cafe");  // e and a combining acute
  // The combining accents run from U+0300 to U+036F; their neighbours stay.
  EXPECT_EQ(text::Folded("a\xCB\xBF\xCC\x80\xCD\xAF\xCD\xB0"), "a\xCB\xBF\xCD\xB0");
  EXPECT_EQ(text::Folded("ΑΘΗΝΑ Москва ЁЖ"), "αθηνα москва ёж");
  EXPECT_EQ(text::Folded("ΩΑ АЯ ЀЏ"), "ωα ая ѐџ");  // the ends of the capitals' runs
  EXPECT_EQ(text::Folded("2×3÷1 日本 🎵"), "2×3÷1 日本 🎵");
  EXPECT_EQ(text::Folded("bad \xE9t\xC3"), "bad \xE9t\xC3");  // Windows-1252 bytes stay as they are
  // Neither are bytes that are no lead bytes, nor longer forms of a letter than UTF-8 allows.
  EXPECT_EQ(text::Folded("\xF8\x88\x80\x80 \xFF\x80\x80"), "\xF8\x88\x80\x80 \xFF\x80\x80");
  EXPECT_EQ(text::Folded("\xE0\x83\x80 \xF0\x80\x83\x80 \xF0\x90\x80\x80"),
            "\xE0\x83\x80 \xF0\x80\x83\x80 \xF0\x90\x80\x80");
  // A letter cut off at the end of the text is not read past it.
  EXPECT_EQ(text::Folded(std::string_view("\xC3\xA9", 1)), "\xC3");
}

class TreeFilterTest : public ::testing::Test {
 protected:
  TreeModel model;
  Handle top = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
  Handle artist = model.InsertItem(top, "Édith Piaf", NodeKind::Artist);
  Handle album = model.InsertItem(artist, "La Vie en rose", NodeKind::Album);
  Handle rose = model.InsertItem(album, "La vie en Rose", NodeKind::AlbumSong);
  Handle hymne = model.InsertItem(album, "Hymne à l'amour", NodeKind::AlbumSong);
  Handle other = model.InsertItem(top, "Rosetta Band", NodeKind::Artist);
  Handle volume = model.InsertItem(kNullHandle, "/", NodeKind::Volume);
  Handle folder = model.InsertItem(volume, "mp3", NodeKind::Folder);
  Handle loose = model.InsertItem(folder, "cafe ROSÉ", NodeKind::LooseSong);
  Handle plain = model.InsertItem(folder, "track", NodeKind::LooseSong);
};

TEST_F(TreeFilterTest, ShowsMatchesWithTheirAncestorsInOrder) {
  TreeFilter filter;
  filter.Apply(model, "rosé");
  ASSERT_TRUE(filter.Active());
  EXPECT_EQ(filter.MatchingSongs(), 2u);  // "La vie en Rose" and "cafe ROSÉ"; albums and artists are no songs
  EXPECT_EQ(filter.ChildCount(kNullHandle), 2u);
  EXPECT_EQ(filter.ChildAt(top, 0), artist);
  EXPECT_EQ(filter.ChildAt(top, 1), other);
  EXPECT_EQ(filter.ChildAt(kNullHandle, 2), kNullHandle);  // past the last row: nothing
  EXPECT_EQ(filter.ChildAt(top, 2), kNullHandle);
  EXPECT_EQ(filter.RowOf(other), 1u);
  EXPECT_EQ(filter.ChildCount(album), 1u);  // the song that matches, not its sibling
  EXPECT_EQ(filter.ChildAt(album, 0), rose);
  EXPECT_FALSE(filter.Shows(hymne));
  EXPECT_EQ(filter.ChildCount(other), 0u);
  EXPECT_EQ(filter.ChildAt(filter.ChildAt(volume, 0), 0), loose);
  EXPECT_EQ(filter.RowOf(loose), 0u);
  EXPECT_FALSE(filter.Shows(plain));
  EXPECT_EQ(filter.ChildAt(album, 1), kNullHandle);

  // Nothing matches: the top node stays, the volume goes.
  filter.Apply(model, "zzz");
  EXPECT_EQ(filter.ChildCount(kNullHandle), 1u);
  EXPECT_EQ(filter.ChildAt(kNullHandle, 0), top);
  EXPECT_EQ(filter.ChildCount(top), 0u);
  EXPECT_EQ(filter.MatchingSongs(), 0u);

  // Blanks alone filter nothing, and no rename changes that.
  filter.Apply(model, "  ");
  EXPECT_FALSE(filter.Active());
  EXPECT_TRUE(filter.Shows(plain));
  EXPECT_FALSE(filter.MatchChanged(model, plain));
}

TEST_F(TreeFilterTest, ARenameThatChangesTheMatchIsNoticedAndADeletedNodeIsNotShown) {
  TreeFilter filter;
  filter.Apply(model, "amour");
  EXPECT_TRUE(filter.Shows(hymne));
  EXPECT_FALSE(filter.MatchChanged(model, hymne));
  model.SetLabel(hymne, "Hymne");
  EXPECT_TRUE(filter.MatchChanged(model, hymne));
  model.SetLabel(plain, "Amour fou");
  EXPECT_TRUE(filter.MatchChanged(model, plain));
  model.SetMark(rose, Mark::Marked);
  EXPECT_FALSE(filter.MatchChanged(model, rose));

  // A handle whose node was deleted and whose slot was reused is not taken for it.
  model.DeleteItem(hymne);
  const Handle reused = model.InsertItem(album, "new", NodeKind::AlbumSong);
  EXPECT_EQ(SlotOf(reused), SlotOf(hymne));
  EXPECT_FALSE(filter.Shows(reused));
  filter.Apply(model, "amour");
  EXPECT_EQ(filter.ChildAt(filter.ChildAt(volume, 0), 0), plain);
  EXPECT_EQ(filter.ChildCount(album), 0u);

  // A node made since the filter was applied is not shown until it is applied again;
  // whether it matches is told.
  const Handle fresh = model.InsertItem(album, "Amour toujours", NodeKind::AlbumSong);
  EXPECT_FALSE(filter.Shows(fresh));
  EXPECT_TRUE(filter.MatchChanged(model, fresh));
}

}  // namespace
