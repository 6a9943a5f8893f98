// GString: formatting with the %t and %q placeholders, fields, trimming and path parts.
#include <gtest/gtest.h>

#include <vector>

#include "text/format_text.h"
#include "text/gstring.h"
#include "text/utf8_cut.h"
#include "platform/profile.h"
#include "temp_dir.h"

namespace {

TEST(Utf8CutTest, CutsAtCharactersNeverInsideOne) {
  EXPECT_EQ(text::CharacterStart("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5z", 4), 10u);
  EXPECT_EQ(text::CharacterStart("ab", 2), 2u);
  EXPECT_EQ(text::CutForDisplay("\xC3\xA9\xC3\xA9\xC3\xA9", 3), "\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_EQ(text::CutForDisplay("\xC3\xA9\xC3\xA9\xC3\xA9x", 2), "\xC3\xA9\xC3\xA9\xE2\x80\xA6");
  EXPECT_EQ(text::CutForDisplay("", 0), "");
  EXPECT_EQ(text::CutForDisplay("short", 10), "short");  // shorter than the room: no ellipsis
}

TEST(GStringFormatTest, SplicesTheCurrentText) {
  GString text = "song.mp3";
  EXPECT_EQ(text.Format("%s%t", "/music/dir/"), 19);
  EXPECT_EQ(text, "/music/dir/song.mp3");

  GString menu = "&Play %s now";
  menu.Format("%t", "all songs");
  EXPECT_EQ(menu, "&Play all songs now");

  GString unchanged = "keep me";
  unchanged.Format("%t");
  EXPECT_EQ(unchanged, "keep me");

  GString onlyFirst = "x";
  onlyFirst.Format("[%t|%t]");
  EXPECT_EQ(onlyFirst, "[x|%t]");
}

TEST(GStringFormatTest, QuoteMakesTheTextTheWholeFormat) {
  GString text = "%d songs";
  text.Format("ignored %q ignored too", 12);
  EXPECT_EQ(text, "12 songs");
}

TEST(GStringFormatTest, ConversionsWithoutArgumentsAreWrittenLiterally) {
  GString name = "100% %s %d %n mix.mp3";
  name.Format("%t");
  EXPECT_EQ(name, "100% %s %d %n mix.mp3");

  GString partly = "%s and %s";
  partly.Format("%t", "one");
  EXPECT_EQ(partly, "one and %s");

  GString mismatched;
  mismatched.Format("%s|%d|%c|%p", 5, "text", "x", 7);
  EXPECT_EQ(mismatched, "%s|%d|%c|%p");

  // A format that ends inside a directive writes it out; nothing past its end is read.
  const text::FormatArg seven[] = {7};
  EXPECT_EQ(text::FormatText(std::string_view("%5d").substr(0, 2), seven), "%5");
  for (const std::string_view end : {"%", "%5", "%."}) {
    const std::vector<char> cut(end.begin(), end.end());  // no byte behind it: the sanitizers see a read past
    EXPECT_EQ(text::FormatText(std::string_view(cut.data(), cut.size()), seven), end);
  }

  GString wide;
  wide.Format("%*d|%-5s|%.2f|%%", 4, 7, "ab", 1.5);
  EXPECT_EQ(wide, "   7|ab   |1.50|%");
  GString stars;  // width and precision both from the arguments, or the precision alone
  stars.Format("%*.*f|%*.*f|%.*f", 8, 2, 3.14159, 1, 5, 3.14159, 1, 2.25);
  EXPECT_EQ(stars, "    3.14|3.14159|2.2");
}

TEST(GStringFormatTest, FormatsLikePrintf) {
  GString text;
  EXPECT_EQ(text.Format("%d %u %x %X %o %c %5.1f %s", -3, 7u, 255, 255, 8, 'A', 2.25, "end"), 25);
  EXPECT_EQ(text, "-3 7 ff FF 10 A   2.2 end");
  text.Format("%.1f %.1f", -3, 7u);  // whole numbers where a fraction is asked for
  EXPECT_EQ(text, "-3.0 7.0");
  text.Format("%x", -1);
  EXPECT_EQ(text, "ffffffff");
  text.Format("%llx %lu", -1LL, -2L);  // a negative number of 64 bits, read as unsigned
  EXPECT_EQ(text, "ffffffffffffffff 18446744073709551614");
  text.Format("%ld %lu %I64d", 1234567890123L, 5ul, 9);
  EXPECT_EQ(text, "1234567890123 5 %I64d");
  const std::string long_text(3000, 'y');
  text.Format("%s", long_text);
  EXPECT_EQ(text.size(), 3000u);
}

TEST(GStringFieldTest, FieldsAreSeparatedByRunsOfDelimiters) {
  const GString entry = "a.mp3, Intro, Pop, 1994, X";
  EXPECT_EQ(entry.Field(1, ","), "a.mp3");
  EXPECT_EQ(entry.Field(2, ","), " Intro");
  EXPECT_EQ(entry.Field(4, ","), " 1994");
  EXPECT_EQ(entry.Field(-1, ","), "5");
  EXPECT_EQ(entry.Field(6, ","), "");
  EXPECT_EQ(entry.Field(0, ","), "");  // fields count from 1
  EXPECT_EQ(entry.Field(0, ","), "");

  EXPECT_EQ(GString(",a").Field(1, ","), "");
  EXPECT_EQ(GString(",a").Field(2, ","), "a");
  EXPECT_EQ(GString("a,,b,").Field(-1, ","), "2");
  EXPECT_EQ(GString("a,,b,").Field(2, ","), "b");
  EXPECT_EQ(GString("").Field(-1, ","), "1");
  EXPECT_EQ(GString("a; b;;c").Field(3, "; "), "c");
  EXPECT_EQ(GString("a; b;;c").Field(2, "; "), "b");  // every delimiter counts, not only the first
}

TEST(GStringFieldTest, FieldCountIgnoresDelimitersAtBothEnds) {
  EXPECT_EQ(GString(";;").FieldCount(";"), 0);
  EXPECT_EQ(GString("").FieldCount(";"), 0);
  EXPECT_EQ(GString("/mp3;/media/usb/").FieldCount(";"), 2);
  EXPECT_EQ(GString(";/mp3").FieldCount(";"), 2);
  EXPECT_EQ(GString("/mp3;").FieldCount(";"), 1);
}

TEST(GStringTrimTest, TrimsByCharacterSets) {
  GString blanks = "   ";
  blanks.Trim(" ");
  EXPECT_EQ(blanks, "");
  GString text = "  ,x, ";
  text.TrimLeft(" ");
  EXPECT_EQ(text, ",x, ");
  text.TrimRight(", ");
  EXPECT_EQ(text, ",x");
  text.Trim(",");
  EXPECT_EQ(text, "x");
  GString empty;
  empty.Trim(" ");
  EXPECT_EQ(empty, "");
}

TEST(GStringPathTest, PathParts) {
  const GString ini = "/mp3/album.ini";
  EXPECT_EQ(ini.FolderPart(true), "/mp3/");
  EXPECT_EQ(ini.FolderPart(false), "/mp3");
  EXPECT_EQ(GString("album.ini").FolderPart(true), "");
  EXPECT_EQ(GString("mp3").FolderPart(true), "mp3");
  EXPECT_EQ(GString("/mp3/01 Intro.mp3").FileNamePart(false), "01 Intro");
  EXPECT_EQ(GString("/mp3/01 Intro.mp3").FileNamePart(true), "01 Intro.mp3");
  EXPECT_EQ(GString("/a.b/noext").FileNamePart(false), "noext");
  EXPECT_EQ(GString("a.b.mp3").ExtensionPart(false), "mp3");
  EXPECT_EQ(GString("a.b.mp3").ExtensionPart(true), ".mp3");
  EXPECT_EQ(GString("README").ExtensionPart(true), "");
}

TEST(GStringPathTest, AddBackslashAppendsOneSeparator) {
  for (const auto& [before, after] : std::vector<std::pair<std::string, std::string>>{
           {"", ""}, {"/", "/"}, {"/mp3", "/mp3/"}, {"/mp3/", "/mp3/"}, {"mp3", "mp3/"}}) {
    GString path = before;
    path.AddBackslash();
    EXPECT_EQ(path, after) << before;
  }
}

TEST(GStringProfileTest, ReadsValuesWhole) {
  testing_support::TempDir dir;
  const std::string file = dir / "Melodeck.ini";
  testing_support::WriteFile(file, "[Settings]\nDecoder=" + std::string(1500, 'd') + "\n");
  GString value;
  EXPECT_EQ(value.ReadProfileString("Settings", "Decoder", "", file.c_str(), 1000), 1500);
  EXPECT_EQ(value.size(), 1500u);
  EXPECT_EQ(value.ReadProfileString("Settings", "Playlistfile", "Melodeck.m3u", file.c_str(), 1000), 12);
  EXPECT_EQ(value, "Melodeck.m3u");
}

}  // namespace
