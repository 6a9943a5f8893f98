// The message texts: what the user reads once the names are filled in.
#include <gtest/gtest.h>

#include "res/texts.h"

TEST(TextsTest, FillPutsArgumentsInOrderAndLeavesOtherPercentSignsAlone) {
  EXPECT_EQ(res::Fill(res::msg::kHoldsLibraryFolder, {"/music", "/music/rock/"}),
            "The folder /music holds the library folder /music/rock/ and keeps its name.");
  // A name holding "%1" or "%" is shown as typed, never filled again.
  EXPECT_EQ(res::Fill(res::msg::kCantRenameTo, {"100% %1", "why"}), "Can't rename to \"100% %1\"!\n\nwhy");
  EXPECT_EQ(res::Fill("%2 before %1, %3 missing, 50%", {"a", "b"}), "b before a, %3 missing, 50%");
}
