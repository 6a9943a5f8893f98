// The details page contract: the category list and the year field.
#include <gtest/gtest.h>

#include "tree/prop_data.h"

namespace {

TEST(CategoryListTest, StartsWithTenSortedEntriesAndAddsInPlace) {
  CategoryList list;
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"Dansband", "Disco", "Hårdrock", "Jazz", "Klassisk", "Pop",
                                                      "Samlingsalbum", "Soul", "Soundtrack", "Synth"}));
  EXPECT_EQ(list.Add("  pop "), -1);
  EXPECT_EQ(list.Add("HÅRDROCK"), -1);
  EXPECT_EQ(list.Add("dansband"), -1);  // the first one too
  EXPECT_EQ(list.Add("   "), -1);
  EXPECT_EQ(list.Add(" Ambient "), 0);
  EXPECT_EQ(list.Add("Metal"), 6);
  EXPECT_EQ(list.Entries().size(), 12u);
  EXPECT_EQ(list.Entries()[6], "Metal");
  EXPECT_EQ(list.Find("metal"), 6);
  EXPECT_EQ(list.Find("Polka"), -1);
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

}  // namespace
