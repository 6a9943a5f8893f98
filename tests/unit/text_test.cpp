// Text helpers: encodings, case folding beyond ASCII and the order of names.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/text.h"

using namespace platform;

TEST(TextTest, Windows1252RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = DecodeWindows1252(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(EncodeWindows1252(utf8), all);
  EXPECT_EQ(DecodeWindows1252("\x80\xE5\x9F"), "€åŸ");
  EXPECT_FALSE(EncodeWindows1252("東").has_value());
}

TEST(TextTest, RecognisesValidUtf8) {
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_TRUE(IsValidUtf8("Hårdrock 東京 🎵"));
  EXPECT_FALSE(IsValidUtf8("H\xE5rdrock"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\x81\x80\x80\x80"));  // no lead byte, whatever follows
  EXPECT_FALSE(IsValidUtf8("\xF8\x90\x80\x80"));  // lead bytes past F4
  EXPECT_FALSE(IsValidUtf8("\xC1\xBF"));
  EXPECT_FALSE(IsValidUtf8("\xE6\x9D"));          // cut short
}

TEST(TextTest, ComparesWithoutCaseBeyondAscii) {
  EXPECT_TRUE(EqualsNoCase("Hårdrock", "HÅRDROCK"));
  EXPECT_TRUE(EqualsNoCase("émile", "ÉMILE"));
  EXPECT_TRUE(EqualsNoCase("ÿ", "Ÿ"));
  EXPECT_TRUE(EqualsNoCase("Ωμέγα", "ΩΜΈΓΑ"));
  EXPECT_TRUE(EqualsNoCase("Москва", "МОСКВА"));
  EXPECT_TRUE(EqualsNoCase("ύώ", "ΎΏ"));  // Greek small letters with tonos
  // A text that is the start of another is not equal to it, even when both lie in one buffer.
  const std::string_view golde = "Golde";
  EXPECT_FALSE(EqualsNoCase(golde.substr(0, 4), golde));
  EXPECT_LT(CompareNoCase(golde.substr(0, 4), golde), 0);
  EXPECT_FALSE(EqualsNoCase("a", "ab"));
  // The ends of the ASCII letters, and the characters just beyond them.
  EXPECT_EQ(UpperUtf8("azAZ@[`{"), "AZAZ@[`{");
  EXPECT_FALSE(EqualsNoCase("å", "a"));
  EXPECT_FALSE(EqualsNoCase("H\xE5", "H\xC5"));  // invalid bytes are not letters
  // A stray continuation byte at the very start sorts after every letter, either way round.
  EXPECT_GT(CompareNames("\x80", "x"), 0);
  EXPECT_LT(CompareNames("x", "\x80"), 0);
  EXPECT_GT(CompareNoCase("\x80" "a", "\x80"), 0);
  EXPECT_FALSE(EqualsNoCase("\x80", "\x81"));
  EXPECT_EQ(UpperUtf8("straße café"), "STRAßE CAFÉ");
  // The ends of the Latin-1 lower-case run, and the division sign inside it, which has
  // no capital.
  EXPECT_TRUE(EqualsNoCase("à", "À"));
  EXPECT_TRUE(EqualsNoCase("þ", "Þ"));
  EXPECT_FALSE(EqualsNoCase("÷", "×"));
  EXPECT_TRUE(EqualsNoCase("ā", "Ā"));  // the ends of the Latin Extended-A pairs
  EXPECT_TRUE(EqualsNoCase("ķ", "Ķ"));
  EXPECT_TRUE(EqualsNoCase("Łódź", "ŁÓDŹ"));  // pairs with the capital on odd code points
  EXPECT_TRUE(EqualsNoCase("ĺ", "Ĺ"));
  EXPECT_TRUE(EqualsNoCase("ň", "Ň"));
  EXPECT_TRUE(EqualsNoCase("žŽ", "ŽŽ"));
  EXPECT_TRUE(EqualsNoCase("Ŋŷ", "ŋŶ"));  // and on even ones
  EXPECT_TRUE(EqualsNoCase("αϋ", "ΑΫ"));  // the ends of the Greek small letters
  EXPECT_TRUE(EqualsNoCase("аяѐџ", "АЯЀЏ"));  // and of the Cyrillic ones, both runs
  // A stray continuation byte sorts after every ASCII character.
  for (int c = 1; c < 0x80; ++c) {
    const std::string ascii(1, static_cast<char>(c));
    EXPECT_GT(CompareNoCase("\x80", ascii), 0) << c;
    EXPECT_LT(CompareNoCase(ascii, "\x80"), 0) << c;
  }
}

TEST(TextTest, OrdersNamesAsWindowsListsThem) {
  std::vector<std::string> names = {"b.mp3", "_x", "A.mp3", "a.mp3", "Zebra", "ähnlich", "10", "1", "ab"};
  std::sort(names.begin(), names.end(), NameLess);
  // Upper-cased code points: digits < letters < "_" < letters beyond ASCII; equal
  // names in upper case by their bytes.
  EXPECT_EQ(names, (std::vector<std::string>{"1", "10", "A.mp3", "a.mp3", "ab", "b.mp3", "Zebra", "_x", "ähnlich"}));
  EXPECT_EQ(CompareNames("same", "same"), 0);
}

TEST(TextTest, ComparesWholeCharactersWhereTheBytesFirstDiffer) {
  // Names sharing a prefix that ends inside a character compare by the characters.
  const std::vector<std::string> names = {"Song 1", "song 2", "Sång", "SÅNG", "Säng", "Sæ", "S", "",
                                          "€uro", "\xE2\x82\xAC", "Ω", "ω", "Ωa", "ωB"};
  for (const std::string& a : names) {
    for (const std::string& b : names) {
      const int expected = UpperUtf8(a).compare(UpperUtf8(b));
      EXPECT_EQ(CompareNoCase(a, b), expected < 0 ? -1 : expected > 0 ? 1 : 0) << a << " / " << b;
    }
  }
  // A byte that starts no character sorts after every character, whatever follows:
  // "é" before a lone "\xC3", "€" before a lone "\xE2".
  EXPECT_LT(CompareNoCase("\xC3\xA9", "\xC3" "A"), 0);
  EXPECT_GT(CompareNoCase("\xC3" "A", "\xC3\xA9"), 0);
  EXPECT_GT(CompareNoCase("\xE2" "A", "\xE2\x82\xAC"), 0);
  EXPECT_EQ(CompareNoCase("x\xE2", "X\xE2"), 0);
}

TEST(TextTest, TrimsBlanksAndTabsOnly) {
  EXPECT_EQ(TrimBlanks(" \t x y \t"), "x y");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("\nx\n"), "\nx\n");
}

// A catalogue is read as UTF-8 exactly when every sequence is one; anything else is
// read as Windows-1252. The edges of each sequence length decide which.
TEST(TextTest, Utf8EdgesDecideHowACatalogueIsRead) {
  for (const char* valid : {"\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF",
                            "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(valid)) << testing::PrintToString(valid);
  }
  for (const char* invalid : {"\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF",
                              "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF0\x90\x80", "\xC3(", "\xE2\x82("}) {
    EXPECT_FALSE(IsValidUtf8(invalid)) << testing::PrintToString(invalid);
  }
  // A long ASCII run with one bad byte at its end, past the eight-byte steps.
  EXPECT_FALSE(IsValidUtf8("0123456789abcdef\xE5"));
  EXPECT_TRUE(IsValidUtf8("0123456789abcdef\xC3\xA5"));
}

// Catalogues saved by Windows as "Unicode": every character survives both byte orders,
// the first and last ones past 16 bits too; a half of a pair stands for U+FFFD.
TEST(TextTest, Utf16TextsReadBackWhole) {
  for (const bool bigEndian : {false, true}) {
    for (const std::string text : {"\U00010000", "\U0010FFFF", "\U0001F600 ok", "\u07FF\u0800", "\uD7FF\uE000\uFFFF", "Smørrebrød"}) {
      bool exact = false;
      EXPECT_EQ(DecodeUtf16(EncodeUtf16(text, bigEndian), bigEndian, exact), text) << text;
      EXPECT_TRUE(exact);
    }
  }
  bool exact = false;
  EXPECT_EQ(DecodeUtf16(std::string("\xD8\x00\x00\x41", 4), true, exact), "\xEF\xBF\xBD" "A");  // high half alone
  EXPECT_EQ(DecodeUtf16(std::string("\xDC\x00\x00\x41", 4), true, exact), "\xEF\xBF\xBD" "A");  // low half alone
  EXPECT_EQ(DecodeUtf16(std::string("\xDF\xFF\x00\x41", 4), true, exact), "\xEF\xBF\xBD" "A");  // the last low half
  EXPECT_EQ(DecodeUtf16(std::string("\x00\x41\xDB\xFF", 4), true, exact), "A\xEF\xBF\xBD");     // cut off at the end
  EXPECT_EQ(DecodeUtf16(std::string("\x41\x00\x42", 3), false, exact), "A\xEF\xBF\xBD");  // an odd last byte
  // Cut off between the halves of a pair: what lies past the end is never read.
  const std::string whole("\x00\x41\xDB\xFF\xDC\x00", 6);
  EXPECT_EQ(DecodeUtf16(std::string_view(whole).substr(0, 4), true, exact), "A\xEF\xBF\xBD");
  EXPECT_FALSE(exact);
}
