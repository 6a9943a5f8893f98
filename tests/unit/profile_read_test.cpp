// Reading profile files: what a caller gets for values, lists and defaults.
#include <gtest/gtest.h>

#include "platform/file_faults.h"
#include "platform/profile.h"
#include "sample_catalogue.h"
#include "temp_dir.h"

using platform::FitProfileResult;
using platform::ProfileRead;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const std::string& kExample = testing_support::kSampleCatalogue;

std::string List(std::initializer_list<std::string> names) {
  std::string text;
  for (const auto& name : names) text += name + '\0';
  return text + '\0';
}

class ProfileReadTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) {
    WriteFile(file, bytes);
    return file;
  }
  std::string Get(const char* section, const char* key, const char* def = nullptr) {
    return ProfileRead(file, section, key, def).text;
  }

  TempDir dir;
  std::string file = dir / "album.ini";
};

TEST_F(ProfileReadTest, ListsSectionsAndKeysOfTheExample) {
  Write(kExample);
  const auto sections = ProfileRead(file, nullptr, nullptr, nullptr);
  EXPECT_TRUE(sections.isList);
  EXPECT_EQ(sections.text, List({"Album:Live at Home", "Album:Other"}));
  EXPECT_EQ(Get("album:live at home", nullptr), List({"Artist", "Year", "T1"}));
  EXPECT_EQ(Get("Album:Other", "Artist"), "Someone");
  EXPECT_EQ(Get("Album:Other", "Category", "x  "), "x");
  EXPECT_EQ(Get("Album:Live at Home", "Artist"), "The Band");
}

TEST_F(ProfileReadTest, InterpretsHeadersKeysAndComments) {
  Write(
      "orphan=before any header\n"
      "  [  two  words ]  trailing\n"
      "  key 3 = v 3 \n"
      "a=b=c\n"
      "#h=1\n"
      ";c=comment\n"
      "k=v ; text\n"
      "novalue\n"
      "=empty key\n"
      "[s] x\n"
      "x=1\n"
      "[a=b]\n"
      "y=2\n"
      "[unclosed\n"
      "z=3\n"
      "[]\n"
      "hidden=1\n");
  EXPECT_EQ(Get(nullptr, nullptr), List({"two  words", "s", "a=b", "unclosed"}));
  EXPECT_EQ(Get("two  words", "key 3"), "v 3");
  EXPECT_EQ(Get("two  words", "a"), "b=c");
  EXPECT_EQ(Get("two  words", "#h"), "1");
  EXPECT_EQ(Get("two  words", ";c", "dflt"), "dflt");
  EXPECT_EQ(Get("two  words", "k"), "v ; text");
  EXPECT_EQ(Get("two  words", "novalue", "dflt"), "dflt");
  EXPECT_EQ(Get("two  words", "", "dflt"), "dflt");
  EXPECT_EQ(Get("two  words", nullptr), List({"key 3", "a", "#h", "k"}));
  EXPECT_EQ(Get("  s\t", " x "), "1");
  EXPECT_EQ(Get("a=b", "y"), "2");
  EXPECT_EQ(Get("unclosed", "z"), "3");
  EXPECT_EQ(Get("", "hidden", "dflt"), "dflt");
}

TEST_F(ProfileReadTest, FirstDuplicateWinsButListsShowAll) {
  Write("[S]\nk=first\nk=second\n[s]\nk=third\nonly=later\n");
  EXPECT_EQ(Get("S", "k"), "first");
  EXPECT_EQ(Get("S", "only", "dflt"), "dflt");
  EXPECT_EQ(Get(nullptr, nullptr), List({"S", "s"}));
  EXPECT_EQ(Get("s", nullptr), List({"k", "k"}));
}

TEST_F(ProfileReadTest, QuotesAndEmptyValues) {
  Write("[q]\na=\"hello\"\nb=\"  p  \"\nc=\"\"hello\"\"\nd=\"\"\ne=\"one\nf='mixed\"\ng=\"\nempty=\nblank=   \n");
  EXPECT_EQ(Get("q", "a"), "hello");
  EXPECT_EQ(Get("q", "b"), "  p  ");
  EXPECT_EQ(Get("q", "c"), "\"hello\"");
  EXPECT_EQ(Get("q", "d", "dflt"), "");
  EXPECT_EQ(Get("q", "e"), "\"one");
  EXPECT_EQ(Get("q", "f"), "'mixed\"");
  EXPECT_EQ(Get("q", "g"), "\"");
  EXPECT_EQ(Get("q", "empty", "dflt"), "");
  EXPECT_EQ(Get("q", "blank", "dflt"), "");
}

TEST_F(ProfileReadTest, DefaultsLoseTrailingSpacesAndOuterQuotes) {
  Write("[s]\n");
  EXPECT_EQ(Get("s", "missing", nullptr), "");
  EXPECT_EQ(Get("s", "missing", "   "), " ");
  EXPECT_EQ(Get("s", "missing", "\"quoted\"  "), "quoted");
  EXPECT_EQ(Get("s", "missing", "  lead"), "  lead");
  EXPECT_EQ(Get("nosection", nullptr, "dflt"), "dflt");
  EXPECT_EQ(Get("s", nullptr, "no keys"), "no keys");
  EXPECT_FALSE(ProfileRead(file, "s", nullptr, "no keys").isList);
}

// A file is parsed once: later reads of the unchanged file come from memory, and a
// change on disk is read anew.
TEST_F(ProfileReadTest, AnUnchangedFileIsReadOnce) {
  Write("[S]\nk=v\n");
  EXPECT_EQ(Get("S", "k"), "v");
  platform::FailFileStepAt(platform::FileStep::Read, 1);  // a read of the file would fail now
  EXPECT_EQ(Get("S", "k"), "v");
  platform::ClearFileFaults();
  Write("[S]\nk=changed\n");
  EXPECT_EQ(Get("S", "k"), "changed");
}

TEST_F(ProfileReadTest, MissingFileReadsEmpty) {
  EXPECT_EQ(Get(nullptr, nullptr), std::string(1, '\0'));
  EXPECT_EQ(Get("s", "k", "dflt"), "dflt");
  EXPECT_EQ(ProfileRead(dir / "no/such/file.ini", "s", "k", "").text, "");
}

TEST_F(ProfileReadTest, LineEndsOfEveryKindAndNulBytes) {
  using namespace std::string_literals;
  Write("[crlf]\r\na=1\r\n[cr]\rb=2\r[lf]\nc=3\nnul=ab\0cd\nlast=no line end"s);
  EXPECT_EQ(Get("crlf", "a"), "1");
  EXPECT_EQ(Get("cr", "b"), "2");
  EXPECT_EQ(Get("lf", "c"), "3");
  EXPECT_EQ(Get("lf", "nul"), "ab");
  EXPECT_EQ(Get("lf", "last"), "no line end");
}

TEST_F(ProfileReadTest, LongValuesAreReadWhole) {
  const std::string longValue(5000, 'x');
  Write("[s]\nk=" + longValue + "\n");
  EXPECT_EQ(Get("s", "k"), longValue);
}

TEST_F(ProfileReadTest, EncodingsAndCaseBeyondAscii) {
  // Windows-1252: "Hårdrock" with å = 0xE5, "€" = 0x80, section "Ärtist" with Ä = 0xC4.
  Write("[\xC4rtist]\nCategory=H\xE5rdrock \x80\n");
  EXPECT_EQ(Get("ärtist", "category"), "Hårdrock €");
  EXPECT_EQ(Get(nullptr, nullptr), List({"Ärtist"}));

  Write("\xEF\xBB\xBF[Åsa]\nKey=é\n");  // UTF-8 with a byte-order mark
  EXPECT_EQ(Get("åSA", "key"), "é");
  EXPECT_EQ(Get(nullptr, nullptr), List({"Åsa"}));
}

TEST(ProfileBufferTest, ValuesAreCutToTheBuffer) {
  const platform::ProfileReadResult value{"hello", false};
  EXPECT_EQ(FitProfileResult(value, 0).returned, 0u);
  EXPECT_EQ(FitProfileResult(value, 0).written, "");
  EXPECT_EQ(FitProfileResult(value, 1).written, std::string(1, '\0'));
  EXPECT_EQ(FitProfileResult(value, 3).written, std::string("he\0", 3));
  EXPECT_EQ(FitProfileResult(value, 3).returned, 2u);
  EXPECT_EQ(FitProfileResult(value, 100).returned, 5u);
}

TEST(ProfileBufferTest, ListsEndInTwoNuls) {
  const platform::ProfileReadResult list{std::string("ab\0cd\0\0", 7), true};  // L = 6
  EXPECT_EQ(FitProfileResult(list, 8).written, std::string("ab\0cd\0\0", 7));
  EXPECT_EQ(FitProfileResult(list, 8).returned, 6u);
  EXPECT_EQ(FitProfileResult(list, 7).written, std::string("ab\0cd\0\0", 7));
  EXPECT_EQ(FitProfileResult(list, 7).returned, 5u);
  EXPECT_EQ(FitProfileResult(list, 4).written, std::string("ab\0\0", 4));
  EXPECT_EQ(FitProfileResult(list, 2).written, std::string(2, '\0'));
  EXPECT_EQ(FitProfileResult(list, 2).returned, 0u);
  EXPECT_EQ(FitProfileResult(list, 1).written, std::string(1, '\0'));
  EXPECT_EQ(FitProfileResult(list, 0).written, "");
  const platform::ProfileReadResult empty{std::string(1, '\0'), true};
  EXPECT_EQ(FitProfileResult(empty, 10).written, std::string(1, '\0'));
  EXPECT_EQ(FitProfileResult(empty, 10).returned, 0u);
}

}  // namespace
