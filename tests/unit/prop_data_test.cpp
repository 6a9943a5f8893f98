// The details page contract: category list, read-only switching and the exchange.
#include <gtest/gtest.h>

#include "memory_prop_data.h"
#include "res/resource_ids.h"

using testing_support::MemoryPropData;

namespace {

TEST(CategoryListTest, StartsWithTenSortedEntriesAndAddsInPlace) {
  CategoryList list;
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"Dansband", "Disco", "Hårdrock", "Jazz", "Klassisk", "Pop",
                                                      "Samlingsalbum", "Soul", "Soundtrack", "Synth"}));
  EXPECT_EQ(list.Add("  pop "), -1);
  EXPECT_EQ(list.Add("HÅRDROCK"), -1);
  EXPECT_EQ(list.Add("   "), -1);
  EXPECT_EQ(list.Add(" Ambient "), 0);
  EXPECT_EQ(list.Add("Metal"), 6);
  EXPECT_EQ(list.Entries().size(), 12u);
  EXPECT_EQ(list.Entries()[6], "Metal");
  EXPECT_EQ(list.Find("metal"), 6);
  EXPECT_EQ(list.Find("Polka"), -1);
}

TEST(PageLockTest, ReadOnlyAndArtistFlags) {
  const PageLock locked = DecidePageLock(1, 0);
  EXPECT_TRUE(locked.categoryReadOnly && locked.yearReadOnly && locked.artistReadOnly);
  const PageLock open = DecidePageLock(0, 1);
  EXPECT_FALSE(open.categoryReadOnly || open.yearReadOnly || open.artistReadOnly);
  const PageLock noArtist = DecidePageLock(0, 0);
  EXPECT_FALSE(noArtist.categoryReadOnly || noArtist.yearReadOnly);
  EXPECT_TRUE(noArtist.artistReadOnly);
  EXPECT_TRUE(DecidePageLock(1, 1).artistReadOnly);
}

TEST(YearFieldTest, WholeNumbersOnly) {
  EXPECT_EQ(ParseYearField(" 1994 "), 1994);
  EXPECT_EQ(ParseYearField(""), 0);
  EXPECT_EQ(ParseYearField("0"), 0);
  EXPECT_EQ(ParseYearField("-5"), -5);
  EXPECT_FALSE(ParseYearField("19x4"));
  EXPECT_FALSE(ParseYearField("1994.5"));
  EXPECT_FALSE(ParseYearField("99999999999"));
}

TEST(PropDataTest, PushThenPullGivesTheSameFields) {
  MemoryPropData page;
  page.m_strCategory = "pop";  // differs in case from the list entry
  page.m_nYear = 1994;
  page.m_strArtist = "The Band";
  page.m_strSize = "3.5";
  ASSERT_TRUE(page.UpdateData(false));
  EXPECT_EQ(page.categorySelection, 5);
  page.m_strCategory = "Polka";
  page.ClearFields();
  EXPECT_EQ(page.m_nYear, 0);
  EXPECT_EQ(page.artistText, "The Band");  // ClearFields leaves the controls alone
  ASSERT_TRUE(page.UpdateData(true));
  EXPECT_EQ(page.m_strCategory, "pop");
  EXPECT_EQ(page.m_nYear, 1994);
  EXPECT_EQ(page.m_strArtist, "The Band");

  page.categoryText = "Typed Category";
  page.yearText = "not a year";
  EXPECT_FALSE(page.UpdateData(true));
  EXPECT_EQ(page.m_nYear, 1994);
  page.yearText = "2001";
  ASSERT_TRUE(page.UpdateData(true));
  EXPECT_EQ(page.m_strCategory, "Typed Category");
  page.SetDlgItemText(res::IDC_CATEGORY_READONLY, "Jazz");
  EXPECT_EQ(page.readOnlyCategoryText, "Jazz");
}

}  // namespace
