// Writing profile files: only the affected line changes, failures change nothing,
// and later reads see every change made on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/profile.h"
#include "sample_catalogue.h"
#include "temp_dir.h"

using platform::ProfileRead;
using platform::ProfileWrite;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const std::string& kExample = testing_support::kSampleCatalogue;

class ProfileWriteTest : public ::testing::Test {
 protected:
  std::string Get(const char* section, const char* key) { return ProfileRead(file, section, key, "<default>").text; }

  TempDir dir;
  std::string file = dir / "album.ini";
};

TEST_F(ProfileWriteTest, ChangesOnlyTheAffectedLine) {
  WriteFile(file, kExample);
  EXPECT_EQ(ProfileWrite(file, "album:live at home", "Category", "Pop"), 1);
  EXPECT_EQ(ProfileWrite(file, "Album:Live at Home", "YEAR", "1995"), 1);
  EXPECT_EQ(ProfileWrite(file, "Album:Live at Home", "artist", "New Band"), 1);
  EXPECT_EQ(ReadFile(file),
            "; made by hand\n"
            "[Album:Live at Home]\n"
            "Artist=New Band\n"
            "Year=1995\n"
            "T1=01 Intro.mp3, 01 Intro\n"
            "Category=Pop\n"
            "\n"
            "[Album:Other]\n"
            "Artist='Someone'\n");
}

TEST_F(ProfileWriteTest, KeepsCrlfLongLinesAndForeignBytes) {
  const std::string longLine = "T2=" + std::string(3000, 'z') + "\r\n";
  const std::string before = "[A]\r\nArtist=B\xE5nd\r\n" + longLine + "junk \x01\x02 line\r\n\r\n[B]\r\nk=v";
  WriteFile(file, before);
  ASSERT_EQ(ProfileWrite(file, "A", "Year", "2001"), 1);
  ASSERT_EQ(ProfileWrite(file, "B", "k", "w"), 1);
  ASSERT_EQ(ProfileWrite(file, "B", "new", "n"), 1);
  EXPECT_EQ(ReadFile(file), "[A]\r\nArtist=B\xE5nd\r\n" + longLine + "junk \x01\x02 line\r\nYear=2001\r\n\r\n[B]\r\nk=w\r\nnew=n\r\n");
}

TEST_F(ProfileWriteTest, NewSectionsAndNewFiles) {
  ASSERT_EQ(ProfileWrite(file, "  S  ", "  k  ", "v"), 1);
  EXPECT_EQ(ReadFile(file), "[S]\nk=v\n");
  ASSERT_EQ(ProfileWrite(file, "T", "k", " spaced "), 1);
  EXPECT_EQ(ReadFile(file), "[S]\nk=v\n\n[T]\nk= spaced \n");
  EXPECT_EQ(Get("T", "k"), "spaced");

  WriteFile(file, "[S]\nk=v");  // no final line end
  ASSERT_EQ(ProfileWrite(file, "U", "k", "v"), 1);
  EXPECT_EQ(ReadFile(file), "[S]\nk=v\n\n[U]\nk=v\n");

  WriteFile(file, "[S]\nk=v\n\n");  // already ends with a blank line
  ASSERT_EQ(ProfileWrite(file, "U", "k", "v"), 1);
  EXPECT_EQ(ReadFile(file), "[S]\nk=v\n\n[U]\nk=v\n");

  WriteFile(file, "");
  ASSERT_EQ(ProfileWrite(file, "S", "k", "v"), 1);
  EXPECT_EQ(ReadFile(file), "[S]\nk=v\n");
}

TEST_F(ProfileWriteTest, NewKeyAfterALastLineWithoutLineEnd) {
  WriteFile(file, "[S]\r\nk=v");
  ASSERT_EQ(ProfileWrite(file, "S", "n", "1"), 1);
  EXPECT_EQ(ReadFile(file), "[S]\r\nk=v\r\nn=1\r\n");
}

TEST_F(ProfileWriteTest, ValuelessLinesAndCommentsAreNeverTouched) {
  WriteFile(file, "[S]\nflag\n;k=commented\n");
  ASSERT_EQ(ProfileWrite(file, "S", "flag", "on"), 1);
  ASSERT_EQ(ProfileWrite(file, "S", ";k", "x"), 0);
  ASSERT_EQ(ProfileWrite(file, "S", "k", "1"), 1);
  EXPECT_EQ(ReadFile(file), "[S]\nflag\n;k=commented\nflag=on\nk=1\n");
  EXPECT_EQ(Get("S", "flag"), "on");
}

TEST_F(ProfileWriteTest, DeletesKeysAndSections) {
  WriteFile(file, kExample);
  ASSERT_EQ(ProfileWrite(file, "Album:Live at Home", "year", nullptr), 1);
  EXPECT_EQ(Get("Album:Live at Home", "Year"), "<default>");
  ASSERT_EQ(ProfileWrite(file, "Album:Live at Home", nullptr, nullptr), 1);
  EXPECT_EQ(ReadFile(file), "; made by hand\n[Album:Other]\nArtist='Someone'\n");
  ASSERT_EQ(ProfileWrite(file, "Album:Other", "Artist", nullptr), 1);
  EXPECT_EQ(ReadFile(file), "; made by hand\n[Album:Other]\n");

  WriteFile(file, "[A]\nk=1\n[a]\nk=2\n");
  ASSERT_EQ(ProfileWrite(file, "a", nullptr, nullptr), 1);
  EXPECT_EQ(ReadFile(file), "[a]\nk=2\n");
  ASSERT_EQ(ProfileWrite(file, "a", nullptr, nullptr), 1);
  EXPECT_EQ(ReadFile(file), "");
  EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(ProfileWriteTest, WritesThatChangeNothingLeaveTheFileAlone) {
  WriteFile(file, "[S]\nk = \"v\"\n");
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ProfileWrite(file, "s", "K", "\"v\""), 1);
  EXPECT_EQ(ProfileWrite(file, "S", "missing", nullptr), 1);
  EXPECT_EQ(ProfileWrite(file, "missing", nullptr, nullptr), 1);
  EXPECT_EQ(ProfileWrite(file, nullptr, nullptr, nullptr), 1);
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ReadFile(file), "[S]\nk = \"v\"\n");

  const std::string missing = dir / "none.ini";
  EXPECT_EQ(ProfileWrite(missing, "S", "k", nullptr), 1);
  EXPECT_EQ(ProfileWrite(missing, "S", nullptr, nullptr), 1);
  EXPECT_FALSE(std::filesystem::exists(missing));
  // The same in the root folder, a volume's top (a delete: nothing is written there).
  const std::string atRoot = "/melodeck-test-none-" + std::to_string(::getpid()) + ".ini";
  EXPECT_EQ(ProfileWrite(atRoot, "S", "k", nullptr), 1);
  EXPECT_FALSE(std::filesystem::exists(atRoot));
}

TEST_F(ProfileWriteTest, RefusedWritesChangeNothing) {
  WriteFile(file, kExample);
  EXPECT_EQ(ProfileWrite(file, nullptr, "k", "v"), 0);
  EXPECT_EQ(ProfileWrite(file, nullptr, "k", nullptr), 0);
  EXPECT_EQ(ProfileWrite(file, nullptr, nullptr, "v"), 0);  // no flush: a value is given
  EXPECT_EQ(ProfileWrite(file, "", "k", "v"), 0);
  EXPECT_EQ(ProfileWrite(file, "  ", "k", "v"), 0);
  EXPECT_EQ(ProfileWrite(file, "S", "", "v"), 0);
  EXPECT_EQ(ProfileWrite(file, "S", "a=b", "v"), 0);
  EXPECT_EQ(ProfileWrite(file, "S", "[k", "v"), 0);
  EXPECT_EQ(ProfileWrite(file, "S", "k", "two\nlines"), 0);
  EXPECT_EQ(ProfileWrite(file, "S", "k", "cr\r"), 0);
  EXPECT_EQ(ProfileWrite(file, "S\nT", "k", "v"), 0);
  EXPECT_EQ(ProfileWrite(file, "S", "k\r", "v"), 0);
  EXPECT_EQ(ProfileWrite(dir / "no/folder/album.ini", "S", "k", "v"), 0);
  EXPECT_EQ(ReadFile(file), kExample);
}

TEST_F(ProfileWriteTest, ReadOnlyFilesRefuseEveryWriteEvenAsRoot) {
  WriteFile(file, kExample);
  MakeReadOnly(file);
  EXPECT_EQ(ProfileWrite(file, "Album:Other", "Artist", "X"), 0);
  EXPECT_EQ(ProfileWrite(file, "Album:Other", "Artist", "Someone"), 0);
  EXPECT_EQ(ProfileWrite(file, "Album:Other", nullptr, nullptr), 0);
  EXPECT_EQ(ProfileWrite(file, "Album:Other", "Artist", nullptr), 0);
  EXPECT_EQ(ProfileWrite(file, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(ReadFile(file), kExample);
}

TEST_F(ProfileWriteTest, KeepsPermissionsAndWritesThroughSymbolicLinks) {
  WriteFile(file, "[S]\nk=v\n");
  ::chmod(file.c_str(), 0640);
  const std::string link = dir / "link.ini";
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
  ASSERT_EQ(ProfileWrite(link, "S", "k", "w"), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(file), "[S]\nk=w\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no temporary left
}

TEST_F(ProfileWriteTest, Windows1252FilesStayWindows1252) {
  WriteFile(file, "[Album:Sk\xE5l]\nArtist=\xC5sa\n");
  ASSERT_EQ(ProfileWrite(file, "album:skål", "Category", "Hårdrock"), 1);
  ASSERT_EQ(ProfileWrite(file, "album:skål", "Note", "5 €"), 1);
  EXPECT_EQ(ReadFile(file), "[Album:Sk\xE5l]\nArtist=\xC5sa\nCategory=H\xE5rdrock\nNote=5 \x80\n");
  EXPECT_EQ(Get("Album:Skål", "Category"), "Hårdrock");
  // A character Windows-1252 cannot hold is refused rather than garbled.
  EXPECT_EQ(ProfileWrite(file, "album:skål", "Title", "東京"), 0);
  EXPECT_EQ(Get("Album:Skål", "Title"), "<default>");
  // So is a new section or key it cannot name: the file stays as it was.
  const std::string before = ReadFile(file);
  EXPECT_EQ(ProfileWrite(file, "Album:東京", "Artist", "X"), 0);
  EXPECT_EQ(ProfileWrite(file, "album:skål", "東京", "X"), 0);
  EXPECT_EQ(ReadFile(file), before);
}

TEST_F(ProfileWriteTest, Utf8FilesTakeUtf8) {
  WriteFile(file, "[S]\nk=é\n");
  ASSERT_EQ(ProfileWrite(file, "S", "t", "東京"), 1);
  EXPECT_EQ(ReadFile(file), "[S]\nk=é\nt=東京\n");
}

TEST_F(ProfileWriteTest, ReadsSeeChangesMadeBehindOurBack) {
  WriteFile(file, "[S]\nk=1\n");
  EXPECT_EQ(Get("S", "k"), "1");
  // Same size, other content: the modification time tells.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  WriteFile(file, "[S]\nk=2\n");
  EXPECT_EQ(Get("S", "k"), "2");
  // Replaced by another file (new inode) with the same size and time.
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  const std::string other = dir / "other.ini";
  WriteFile(other, "[S]\nk=3\n");
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
  ASSERT_EQ(::rename(other.c_str(), file.c_str()), 0);
  EXPECT_EQ(Get("S", "k"), "3");
  // Our own writes are seen at once.
  ASSERT_EQ(ProfileWrite(file, "S", "k", "4"), 1);
  EXPECT_EQ(Get("S", "k"), "4");
  std::filesystem::remove(file);
  EXPECT_EQ(Get("S", "k"), "<default>");
}

// Contract cases the Windows functions would get wrong or that would corrupt a file.
TEST_F(ProfileWriteTest, WritesThatCouldCorruptAFileAreRefused) {
  // A delete in a folder that does not exist fails, as any write there does.
  EXPECT_EQ(ProfileWrite(dir / "missing/album.ini", "s", "k", nullptr), 0);
  EXPECT_EQ(ProfileWrite(dir / "missing/album.ini", "s", nullptr, nullptr), 0);
  EXPECT_EQ(ProfileWrite(dir / "album.ini", "s", "k", nullptr), 1);  // folder there, file not: nothing to do
  EXPECT_FALSE(std::filesystem::exists(dir / "album.ini"));
  // "[a]b]" would read back as section "a".
  EXPECT_EQ(ProfileWrite(file, "a]b", "k", "v"), 0);
  EXPECT_FALSE(std::filesystem::exists(file));

  // A Windows-1252 file whose only foreign byte goes: "Ã©" would then read as UTF-8 "é".
  const std::string windows = "[s]\r\nk=\xC3\xA9\r\nold=\xE9\r\n";
  WriteFile(file, windows);
  EXPECT_EQ(Get("s", "k"), "\xC3\x83\xC2\xA9");
  EXPECT_EQ(ProfileWrite(file, "s", "old", nullptr), 0);
  EXPECT_EQ(ReadFile(file), windows);
  EXPECT_EQ(ProfileWrite(file, "s", "old", "\xC3\xA8"), 1);  // another foreign byte keeps it Windows-1252
  EXPECT_EQ(ReadFile(file), "[s]\r\nk=\xC3\xA9\r\nold=\xE8\r\n");
  EXPECT_EQ(Get("s", "k"), "\xC3\x83\xC2\xA9");
}

TEST_F(ProfileWriteTest, SpecialFilesAreNeverReadOrReplaced) {
  ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
  EXPECT_EQ(Get("s", "k"), "<default>");  // no hang: a FIFO is not opened for reading
  EXPECT_EQ(ProfileWrite(file, "s", "k", "v"), 0);
  struct stat st {};
  ASSERT_EQ(::lstat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // An oversized file reads as empty and is never written over.
  const std::string big = dir / "big.ini";
  WriteFile(big, "[s]\nk=v\n");
  ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(platform::kMaxProfileSize) + 1), 0);
  EXPECT_EQ(ProfileRead(big, "s", "k", "none").text, "none");
  EXPECT_EQ(ProfileWrite(big, "s", "k", "w"), 0);
  EXPECT_EQ(std::filesystem::file_size(big), platform::kMaxProfileSize + 1);
}

TEST_F(ProfileWriteTest, SeveralValuesGoInOneChange) {
  WriteFile(file, "[s]\nk=1\n");
  EXPECT_EQ(platform::ProfileWriteValues(file, "s", {{"k", "2"}, {"n", "3"}, {"x", std::nullopt}}, false), 1);
  EXPECT_EQ(ReadFile(file), "[s]\nk=2\nn=3\n");
  EXPECT_EQ(platform::ProfileWriteValues(file, "s", {{"k", "4"}, {"bad=key", "5"}}, false), 0);
  EXPECT_EQ(ReadFile(file), "[s]\nk=2\nn=3\n");
}

}  // namespace

// Windows' "Unicode" text: UTF-16 with its byte-order mark, either byte order.
std::string Utf16(std::string_view ascii, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : ascii) {
    out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return out;
}

TEST_F(ProfileWriteTest, Utf16FilesAreReadAndStayUtf16WithTheirMark) {
  for (const bool bigEndian : {false, true}) {
    WriteFile(file, Utf16("[Album:Live]\r\nArtist=The Band\r\nT1=1.mp3, One\r\n\r\n[Album:Other]\r\nArtist=Someone\r\n", bigEndian));
    EXPECT_EQ(Get("Album:Live", "Artist"), "The Band");
    EXPECT_EQ(ProfileRead(file, nullptr, nullptr, "").text, std::string("Album:Live\0Album:Other\0\0", 24));
    EXPECT_EQ(ProfileWrite(file, "Album:Live", "Year", "1994"), 1);
    EXPECT_EQ(ProfileWrite(file, "Album:Other", "Artist", "Søren"), 1);
    EXPECT_EQ(ProfileWrite(file, "Album:Other", nullptr, nullptr), 1);
    std::string expected = Utf16("[Album:Live]\r\nArtist=The Band\r\nT1=1.mp3, One\r\nYear=1994\r\n\r\n", bigEndian);
    EXPECT_EQ(ReadFile(file), expected) << bigEndian;
    EXPECT_EQ(ProfileWrite(file, "Album:Live", "Artist", "Søren"), 1);
    EXPECT_EQ(Get("Album:Live", "Artist"), "Søren");
    const std::string oe = bigEndian ? std::string("\0\xF8", 2) : std::string("\xF8\0", 2);
    EXPECT_NE(ReadFile(file).find(Utf16("Artist=S", bigEndian).substr(2) + oe + Utf16("ren", bigEndian).substr(2)),
              std::string::npos);
  }
}

TEST_F(ProfileWriteTest, Utf16FilesThatDoNotDecodeExactlyAreNeverRewritten) {
  // A lone surrogate, then an odd last byte: the reader copes, a write would alter them.
  const std::string lone = Utf16("[A]\nk=v", false) + std::string("\x00\xD8", 2) + Utf16("\n", false).substr(2);
  for (const std::string& bytes : {lone, Utf16("[A]\nk=v\n", false) + "x"}) {
    WriteFile(file, bytes);
    EXPECT_EQ(Get("A", "k").substr(0, 1), "v");
    EXPECT_EQ(ProfileWrite(file, "A", "k2", "w"), 0);
    EXPECT_EQ(ReadFile(file), bytes);
  }
}

// A scan's thread finishes edits a killed run left while the window reads catalogues:
// writes and reads of many files from several threads at once each see whole files.
TEST(ProfileThreads, ReadsAndWritesFromSeveralThreadsAtOnce) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 300; ++i) {  // more than the parsed files kept, so the keeping starts over too
    files.push_back(dir / ("album" + std::to_string(i) + ".ini"));
    WriteFile(files.back(), "[Album:A]\nArtist=B\n");
  }
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    for (int round = 0; round < 100; ++round) {
      if (ProfileWrite(files[round % 10], "Album:A", "Year", std::to_string(round).c_str()) != 1) ++wrong;
    }
  });
  for (int reader = 0; reader < 3; ++reader) {
    threads.emplace_back([&] {
      for (int round = 0; round < 10; ++round) {
        for (const std::string& file : files) wrong += ProfileRead(file, "Album:A", "Artist", "").text != "B";
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(ProfileRead(files[9], "Album:A", "Year", "").text, "99");
}
