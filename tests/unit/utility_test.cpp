// The exported utility functions.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "text/gstring.h"
#include "utility/utility.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "recording_ui_hooks.h"
#include "temp_dir.h"

using testing_support::MakeDirs;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;
using testing_support::RecordingUiHooks;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

TEST(UtilityTest, FetchesStringResources) {
  const GResourceModule application{{{100, "Refresh"}, {101, std::string(400, 'L')}}};
  const GResourceModule other{{{100, "Other module"}}};
  SetApplicationResources(&application);
  EXPECT_STREQ(fetchString(100, nullptr), "Refresh");
  EXPECT_STREQ(fetchString(100, &other), "Other module");
  EXPECT_EQ(std::strlen(fetchString(101, nullptr)), 254u);
  EXPECT_STREQ(fetchString(999, nullptr), "");

  char buffer[5];
  EXPECT_EQ(fetchString(100, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "Refr");
  EXPECT_EQ(fetchString(999, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(fetchString(100, nullptr, 5), 0);  // no buffer: nothing written anywhere
  buffer[0] = 'x';
  EXPECT_EQ(fetchString(100, buffer, 0), 0);  // no room: the buffer is left alone
  EXPECT_EQ(buffer[0], 'x');
  SetApplicationResources(nullptr);
  EXPECT_STREQ(fetchString(100, nullptr), "");
}

TEST(UtilityTest, WritesNumbersAndCharactersAsProfileValues) {
  TempDir dir;
  const std::string file = dir / "x.ini";
  EXPECT_EQ(WritePrivateProfileInt("S", "dec", -42, file.c_str(), 10), 1);
  EXPECT_EQ(WritePrivateProfileInt("S", "hex", 255, file.c_str(), 16), 1);
  EXPECT_EQ(WritePrivateProfileInt("S", "neg", -1, file.c_str(), 16), 1);
  EXPECT_EQ(WritePrivateProfileChar("S", "c", 'Y', file.c_str()), 1);
  // The radixes at the ends of the range; one outside it writes decimal.
  EXPECT_EQ(WritePrivateProfileInt("S", "bin", 5, file.c_str(), 2), 1);
  EXPECT_EQ(WritePrivateProfileInt("S", "b36", 71, file.c_str(), 36), 1);
  EXPECT_EQ(WritePrivateProfileInt("S", "b1", 5, file.c_str(), 1), 1);
  EXPECT_EQ(WritePrivateProfileInt("S", "b37", 71, file.c_str(), 37), 1);
  EXPECT_EQ(ReadFile(file), "[S]\ndec=-42\nhex=ff\nneg=ffffffff\nc=Y\nbin=101\nb36=1z\nb1=5\nb37=71\n");
  MakeReadOnly(file);
  EXPECT_EQ(WritePrivateProfileInt("S", "dec", 1, file.c_str(), 10), 0);
}

TEST(UtilityTest, IdleDelayWaitsAndPumps) {
  int ran = 0;
  platform::Ui().Post([&] { ++ran; });
  platform::Ui().Post([&] { ++ran; });
  const auto start = platform::Ui().TickCount();
  IdleDelay(30, 1);
  EXPECT_GE(platform::Ui().TickCount() - start, 30u);
  EXPECT_EQ(ran, 2);

  platform::Ui().Post([&] { ++ran; });
  IdleDelay(5, 0);
  EXPECT_EQ(ran, 2);
  GDoEvent();
  EXPECT_EQ(ran, 3);

  // Waiting leaves the processor to others, with nothing to pump or without pumping.
  for (const int pump : {1, 0}) {
    timespec before{}, after{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    IdleDelay(200, pump);
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    const double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 100) << pump;
  }
}

TEST(UtilityTest, MessageBoxFormatsItsText) {
  RecordingUiHooks hooks;
  hooks.messageAnswers = {platform::IDNO};
  EXPECT_EQ(GMessageBox(nullptr, platform::MB_YESNO | platform::MB_ICONQUESTION, "Warning",
                        "Delete %s (%d songs)?", "\"Album\"", 12),
            platform::IDNO);
  ASSERT_EQ(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.Message(0).text, "Delete \"Album\" (12 songs)?");
  EXPECT_EQ(hooks.Message(0).caption, "Warning");
  EXPECT_EQ(hooks.Message(0).type, platform::MB_YESNO | platform::MB_ICONQUESTION);
  GMessageBox(nullptr, platform::MB_OK, "Error", "100%s sure");
  EXPECT_EQ(hooks.Message(1).text, "100%s sure");
}

TEST(UtilityTest, DeleteFilesKeepsProtectedEntriesUnlessAllowed) {
  TempDir dir;
  const std::string root = dir / "music";
  WriteFile(root + "/a.mp3", "");
  WriteFile(root + "/keep.txt", "");
  WriteFile(root + "/.hidden.mp3", "");
  WriteFile(root + "/locked.mp3", "");
  MakeReadOnly(root + "/locked.mp3");
  WriteFile(root + "/sub/b.MP3", "");
  WriteFile(root + "/other/c.mp3", "");
  WriteFile(root + "/other/notes.txt", "");

  EXPECT_EQ(DeleteFiles(root.c_str(), "*.mp3", "", 0), 1);
  EXPECT_FALSE(platform::PathExists(root + "/a.mp3"));
  EXPECT_TRUE(platform::PathExists(root + "/.hidden.mp3"));
  EXPECT_TRUE(platform::PathExists(root + "/locked.mp3"));
  EXPECT_TRUE(platform::PathExists(root + "/keep.txt"));
  EXPECT_TRUE(platform::PathExists(root + "/sub/b.MP3"));

  // Recursing removes the emptied subfolder; the one still holding a file stays.
  EXPECT_EQ(DeleteFiles(root.c_str(), "*.mp3", "rh", 1), 0);
  EXPECT_FALSE(platform::PathExists(root + "/locked.mp3"));
  EXPECT_FALSE(platform::PathExists(root + "/.hidden.mp3"));
  EXPECT_FALSE(platform::PathExists(root + "/sub"));
  EXPECT_FALSE(platform::PathExists(root + "/other/c.mp3"));
  EXPECT_TRUE(platform::PathExists(root + "/other/notes.txt"));
  EXPECT_TRUE(platform::PathExists(root));

  EXPECT_EQ(DeleteFiles(root.c_str(), "*.*", "", 1), 1);
  EXPECT_TRUE(std::filesystem::is_empty(root));
}

TEST(UtilityTest, DeleteFilesReportsAFolderItCannotRemove) {
  TempDir dir;
  MakeDirs(dir / "music/stuck");
  MakeReadOnly(dir / "music/stuck");
  RecordingUiHooks hooks;
  EXPECT_EQ(DeleteFiles((dir / "music").c_str(), "*.*", "", 1), 1);  // read-only folder not allowed: kept quietly
  EXPECT_TRUE(hooks.messages.empty());
  // Allowed but impossible: the folder is not empty because a subfolder stays.
  MakeDirs(dir / "music/full/.keep");
  EXPECT_EQ(DeleteFiles((dir / "music").c_str(), "*.mp3", "R", 1), 0);
  ASSERT_FALSE(hooks.messages.empty());
  EXPECT_EQ(hooks.Last().caption, dir / "music/full");
  EXPECT_EQ(hooks.Last().type, platform::MB_OK | platform::MB_ICONSTOP);
}

TEST(UtilityTest, CreatesUniqueFileNames) {
  TempDir dir;
  const std::string first = CreateUniqueFilename(dir.path().c_str(), "mel", ".m3u");
  const std::string second = CreateUniqueFilename(dir.path().c_str(), "mel", ".m3u");
  EXPECT_NE(first, second);
  EXPECT_TRUE(first.starts_with(dir / "mel"));
  EXPECT_TRUE(first.ends_with(".m3u"));
  EXPECT_FALSE(platform::PathExists(first));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_STREQ(CreateUniqueFilename((dir / "missing").c_str(), "mel", ".m3u"), "");
  // A name that would not fit the 259 characters the result holds is none at all, never
  // a name cut short.
  const auto inFolderOfLength = [&](std::size_t length) {
    const std::string folder = dir / std::string(length, 'f');
    std::filesystem::create_directory(folder);
    return std::string(CreateUniqueFilename(folder.c_str(), "mel", ".m3u"));
  };
  const std::size_t room = 259 - first.size() - 1;  // for a folder's name and its "/"
  EXPECT_EQ(inFolderOfLength(room).size(), 259u);
  EXPECT_EQ(inFolderOfLength(room + 1), "");
}

TEST(UtilityTest, ReadsLinesSafely) {
  TempDir dir;
  WriteFile(dir / "lines.txt", "first\r\n\nsecond line\nlast");
  std::FILE* file = std::fopen((dir / "lines.txt").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  char buffer[8];
  unsigned long count = 99;
  EXPECT_EQ(ReadLine(file, buffer, sizeof buffer, &count, '\n'), 1);
  EXPECT_STREQ(buffer, "first");
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(ReadLine(file, buffer, sizeof buffer, &count, '\n'), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(ReadLine(file, buffer, sizeof buffer, &count, '\n'), 0);  // "second line" does not fit: "second " is stored
  char large[64];
  EXPECT_EQ(ReadLine(file, large, sizeof large, &count, '\n'), 1);
  EXPECT_STREQ(large, "line");
  EXPECT_EQ(ReadLine(file, large, sizeof large, &count, '\n'), 1);
  EXPECT_STREQ(large, "last");
  EXPECT_EQ(count, 4u);
  std::fclose(file);

  EXPECT_EQ(ReadLine(nullptr, large, sizeof large, &count, '\n'), 0);
  EXPECT_EQ(ReadLine(INVALID_HANDLE_VALUE, large, sizeof large, &count, '\n'), 0);
}

TEST(UtilityTest, FileExistWithAndWithoutPattern) {
  TempDir dir;
  WriteFile(dir / "only/readme.txt", "");
  EXPECT_EQ(FileExist((dir / "only").c_str(), nullptr), 1);
  EXPECT_EQ(FileExist((dir / "only/readme.txt").c_str(), ""), 1);
  EXPECT_EQ(FileExist((dir / "missing").c_str(), nullptr), 0);
  EXPECT_EQ(FileExist((dir / "only").c_str(), "*.mp3"), 0);
  MakeDirs(dir / "only/x.mp3");
  EXPECT_EQ(FileExist((dir / "only").c_str(), "*.mp3"), 1);
  WriteFile(dir / "hidden/.secret.MP3", "");
  EXPECT_EQ(FileExist((dir / "hidden").c_str(), "*.mp3"), 1);
}

class FakeStatic : public CStatic {
 public:
  HICON GetIcon() const override { return m_icon; }
  HICON SetIcon(HICON icon) override { return std::exchange(m_icon, icon); }

 private:
  HICON m_icon = nullptr;
};

TEST(UtilityTest, ChangeIconSwapsTheControlsIcon) {
  FakeStatic control;
  HICON first = GChangeIcon(&control, "UP");
  EXPECT_EQ(control.GetIcon(), first);
  HICON second = GChangeIcon(&control, "DOWN");
  EXPECT_EQ(control.GetIcon(), second);
  EXPECT_EQ(GChangeIcon(nullptr, "UP"), nullptr);
  platform::Ui().DestroyIcon(second);
}

TEST(UtilityTest, DeleteFilesNeverFollowsALinkToAFolder) {
  TempDir dir;
  MakeDirs(dir / "music");
  MakeDirs(dir / "elsewhere");
  WriteFile(dir / "elsewhere/keep.mp3", "x");
  std::filesystem::create_directory_symlink(dir / "elsewhere", dir / "music/link");
  RecordingUiHooks hooks;
  EXPECT_EQ(DeleteFiles((dir / "music").c_str(), "*.mp3", "", 1), 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "elsewhere/keep.mp3"));
  EXPECT_TRUE(hooks.messages.empty());
}

TEST(UtilityTest, FieldWidthsStopAt1024) {
  GString text;
  EXPECT_EQ(text.Format("%999999999d", 1), 1024);
  EXPECT_EQ(text.Format("%.999999999f", 1.0), 1026);
  EXPECT_EQ(text.Format("%*d", 1 << 30, 7), 1024);
}

}  // namespace
