// File system services on real folders, as root too.
#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>

#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/text.h"
#include "in_child.h"
#include "temp_dir.h"

using namespace platform;
using testing_support::MakeDirs;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(FileSystemTest, AttributesComeFromPermissionBitsAndNames) {
  TempDir dir;
  WriteFile(dir / "song.mp3", "12345");
  WriteFile(dir / ".hidden.mp3", "");
  WriteFile(dir / "locked.mp3", "");
  MakeReadOnly(dir / "locked.mp3");

  const auto song = GetFileAttributes(dir / "song.mp3");
  ASSERT_TRUE(song);
  EXPECT_FALSE(song->readOnly || song->hidden || song->directory);
  EXPECT_EQ(song->size, 5u);
  EXPECT_TRUE(GetFileAttributes(dir / ".hidden.mp3")->hidden);
  EXPECT_TRUE(GetFileAttributes(dir / "locked.mp3")->readOnly);
  EXPECT_TRUE(GetFileAttributes(dir.path())->directory);
  EXPECT_FALSE(GetFileAttributes(dir / "missing"));

  ASSERT_TRUE(SetNormalAttributes(dir / "locked.mp3"));
  EXPECT_FALSE(GetFileAttributes(dir / "locked.mp3")->readOnly);
}

TEST(FileSystemTest, DeleteRefusesReadOnlyFilesAndFolders) {
  TempDir dir;
  WriteFile(dir / "locked.mp3", "x");
  MakeReadOnly(dir / "locked.mp3");
  EXPECT_FALSE(DeleteFile(dir / "locked.mp3"));
  EXPECT_TRUE(PathExists(dir / "locked.mp3"));
  EXPECT_FALSE(DeleteFile(dir.path()));
  WriteFile(dir / "free.mp3", "x");
  EXPECT_TRUE(DeleteFile(dir / "free.mp3"));
  EXPECT_FALSE(PathExists(dir / "free.mp3"));

  MakeDirs(dir / "empty");
  MakeDirs(dir / "full/sub");
  MakeDirs(dir / "locked");
  MakeReadOnly(dir / "locked");
  EXPECT_FALSE(RemoveDirectory(dir / "full"));
  EXPECT_FALSE(RemoveDirectory(dir / "locked"));
  EXPECT_TRUE(PathExists(dir / "locked"));
  EXPECT_TRUE(RemoveDirectory(dir / "empty"));
  EXPECT_FALSE(PathExists(dir / "empty"));
  // What is not there is not removed.
  EXPECT_FALSE(RemoveDirectory(dir / "empty"));
  EXPECT_FALSE(DeleteFile(dir / "free.mp3"));
  // A file is no folder to remove.
  EXPECT_FALSE(RemoveDirectory(dir / "locked.mp3"));
  EXPECT_TRUE(PathExists(dir / "locked.mp3"));
}

// Also on a file system that cannot refuse to replace a target itself: the target is
// looked for first.
TEST(FileSystemTest, MoveNeverOverwrites) {
  for (const bool refusesItself : {true, false}) {
    TempDir dir;
    const auto move = [&](const std::string& from, const std::string& to) {
      if (!refusesItself) FailFileStepAt(FileStep::NoReplace, 1);
      return MoveFile(from, to);
    };
    WriteFile(dir / "a.mp3", "a");
    WriteFile(dir / "b.mp3", "b");
    EXPECT_FALSE(move(dir / "a.mp3", dir / "b.mp3"));
    EXPECT_EQ(ReadFile(dir / "b.mp3"), "b");
    EXPECT_TRUE(move(dir / "a.mp3", dir / "c.mp3"));
    EXPECT_EQ(ReadFile(dir / "c.mp3"), "a");
    EXPECT_TRUE(move(dir / "c.mp3", dir / "C.mp3"));
    MakeDirs(dir / "folder");
    EXPECT_TRUE(move(dir / "folder", dir / "renamed"));
    EXPECT_FALSE(move(dir / "missing", dir / "x"));
    ClearFileFaults();
  }
}

TEST(FileSystemTest, ListsEntriesInWindowsOrderWithDetails) {
  TempDir dir;
  for (const char* name : {"b.mp3", "A.MP3", "a.mp3", "_z", "Ärm.mp3"}) WriteFile(dir / name, "xx");
  MakeDirs(dir / "Sub");
  const auto entries = ListDirectory(dir.path());
  ASSERT_TRUE(entries);
  EXPECT_EQ(Names(*entries), (std::vector<std::string>{"A.MP3", "a.mp3", "b.mp3", "Sub", "_z", "Ärm.mp3"}));
  EXPECT_TRUE((*entries)[3].directory);
  EXPECT_EQ((*entries)[0].size, 2u);
  const auto quick = ListDirectory(dir.path(), ListDetail::NamesAndKinds);
  ASSERT_TRUE(quick);
  EXPECT_EQ(Names(*quick), Names(*entries));
  EXPECT_TRUE((*quick)[3].directory);
  EXPECT_FALSE(ListDirectory(dir / "missing"));
  FailFileStepAt(FileStep::ListFolder, 1);  // a disk that fails to give the listing
  EXPECT_FALSE(ListDirectory(dir.path()));
  EXPECT_EQ(ListDirectory(dir.path())->size(), 6u);
  // A link whose target is gone is still listed, as a link and no folder: a delete must
  // know it is there.
  // So is a link to a folder, as a link and a folder. The same holds on a file system
  // whose listings do not give the entries' kinds.
  std::filesystem::create_symlink(dir / "gone", dir / "dangling.mp3");
  std::filesystem::create_directory_symlink(dir / "Sub", dir / "linked");
  for (const bool kindsGiven : {true, false}) {
    for (const ListDetail detail : {ListDetail::NamesAndKinds, ListDetail::Full}) {
      if (!kindsGiven) FailFileStepAt(FileStep::EntryKind, 1, 100);
      const auto withLinks = ListDirectory(dir.path(), detail);
      ClearFileFaults();
      ASSERT_TRUE(withLinks);
      const DirEntry* dangling = FindEntryNoCase(*withLinks, "dangling.mp3");
      const DirEntry* linked = FindEntryNoCase(*withLinks, "linked");
      const DirEntry* sub = FindEntryNoCase(*withLinks, "Sub");
      ASSERT_TRUE(dangling && linked && sub);
      EXPECT_TRUE(dangling->link);
      EXPECT_FALSE(dangling->directory);
      EXPECT_TRUE(linked->link);
      EXPECT_TRUE(linked->directory);
      EXPECT_FALSE(sub->link);
      EXPECT_TRUE(sub->directory);
      EXPECT_EQ(withLinks->size(), 8u);
    }
  }
  // Names of ASCII letters only are sorted the same way: "_" comes after every letter.
  TempDir ascii;
  for (const char* name : {"zz", "_a", "a", "Z1"}) WriteFile(ascii / name, "");
  EXPECT_EQ(Names(*ListDirectory(ascii.path())), (std::vector<std::string>{"a", "Z1", "zz", "_a"}));
}

TEST(FileSystemTest, MatchesWildcardsWithoutCase) {
  EXPECT_TRUE(MatchesPattern("Song.MP3", "*.mp3"));
  EXPECT_TRUE(MatchesPattern("noextension", "*.*"));
  EXPECT_TRUE(MatchesPattern("a.b.mp3", "*.mp3"));
  EXPECT_FALSE(MatchesPattern("song.mp3.bak", "*.mp3"));
  EXPECT_TRUE(MatchesPattern("t1.mp3", "t?.mp3"));
  EXPECT_TRUE(MatchesPattern("tå.mp3", "T?.MP3"));
  EXPECT_FALSE(MatchesPattern("t12.mp3", "t?.mp3"));
  EXPECT_TRUE(MatchesPattern("Åsa", "åsa"));
}

TEST(FileSystemTest, ListingsAreInNameOrderWithOrWithoutLettersBeyondAscii) {
  // Plain ASCII names, a letter beyond ASCII, and a byte that is no UTF-8 at all (a
  // name written on another system), which sorts after every letter.
  for (const std::string beyondAscii : {"", "ähnlich", "a\x80z"}) {
    TempDir dir;
    std::vector<std::string> names = {"b.mp3", "_x", "A.mp3", "a.mp3", "Zebra", "10", "1", "ab", "AB", "a b", "~z"};
    if (!beyondAscii.empty()) names.push_back(beyondAscii);
    for (const std::string& name : names) WriteFile(dir / name, "x");
    const auto listing = ListDirectory(dir.path());
    ASSERT_TRUE(listing);
    std::vector<std::string> listed;
    for (const DirEntry& entry : *listing) listed.push_back(entry.name);
    std::sort(names.begin(), names.end(), NameLess);
    EXPECT_EQ(listed, names);
  }
}

TEST(FileSystemTest, ResolvesPathsWithoutRegardToCase) {
  TempDir dir;
  WriteFile(dir / "Music/Rock/intro.MP3", "x");
  WriteFile(dir / "Music/Rock/ALBUM.INI", "x");
  EXPECT_EQ(ResolveCase(dir / "music/ROCK/Intro.mp3"), dir / "Music/Rock/intro.MP3");
  EXPECT_EQ(ResolveCase(dir / "Music/Rock/album.ini"), dir / "Music/Rock/ALBUM.INI");
  EXPECT_EQ(ResolveCase(dir / "music/rock/"), dir / "Music/Rock/");
  EXPECT_EQ(ResolveCase(dir / "music/Missing/x.mp3"), dir / "Music/Missing/x.mp3");
  EXPECT_EQ(ResolveCase(""), "");
  // Several spellings on disk: the first in byte order wins.
  WriteFile(dir / "Music/Rock/Album.ini", "y");
  EXPECT_EQ(ResolveCase(dir / "Music/Rock/album.ini"), dir / "Music/Rock/ALBUM.INI");

  // From one listing of the folder, every name resolves as a path would.
  WriteFile(dir / "Music/Rock/song.mp3", "x");
  WriteFile(dir / "Music/Rock/Song.mp3", "x");
  WriteFile(dir / "Music/Rock/SONG.MP3", "x");
  WriteFile(dir / "Music/Rock/Äpple.mp3", "x");
  MakeDirs(dir / "Music/Rock/song.mp3.d");
  const std::string folder = dir / "Music/Rock/";
  const auto listing = ListDirectory(folder, ListDetail::NamesAndKinds);
  ASSERT_TRUE(listing);
  for (const char* name : {"song.mp3", "Song.mp3", "SONG.MP3", "sOng.Mp3", "äpple.mp3", "album.ini", "ALBUM.INI",
                           "Album.ini", "missing.mp3", "intro.mp3"}) {
    EXPECT_EQ(ResolveCaseIn(folder, *listing, name), ResolveCase(folder + name)) << name;
  }
}

TEST(FileSystemTest, TemporaryFilesAndShortNames) {
  TempDir dir;
  const std::string first = CreateTempFile(dir.path(), "melodeck");
  const std::string second = CreateTempFile(dir.path(), "mel");
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);
  EXPECT_TRUE(PathExists(first));
  EXPECT_TRUE(std::filesystem::path(first).filename().string().starts_with("mel"));
  EXPECT_TRUE(first.ends_with(".tmp"));
  EXPECT_EQ(CreateTempFile(dir / "missing", "x"), "");
  EXPECT_EQ(ShortPathName(first), first);
  EXPECT_FALSE(ShortPathName(dir / "missing"));
  const std::string cwd = CurrentDirectory();
  EXPECT_TRUE(cwd.ends_with("/"));
  EXPECT_TRUE(std::filesystem::equivalent(cwd, std::filesystem::current_path()));
}

TEST(FileSystemTest, AtomicReplaceLeavesTheOldFileWhenItFails) {
  TempDir dir;
  WriteFile(dir / "album.ini", "old");
  ASSERT_TRUE(ReplaceFileAtomically(dir / "album.ini", "new"));
  EXPECT_EQ(ReadFile(dir / "album.ini"), "new");
  // Another file took the first temporary name drawn: another is drawn.
  FailFileStepAt(FileStep::NameTaken, 1);
  ASSERT_TRUE(ReplaceFileAtomically(dir / "album.ini", "newer"));
  EXPECT_EQ(ReadFile(dir / "album.ini"), "newer");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  // Every name drawn is taken: after a hundred the write gives up and says so.
  FailFileStepAt(FileStep::NameTaken, 1, 100);
  EXPECT_FALSE(ReplaceFileAtomically(dir / "album.ini", "newest"));
  ClearFileFaults();
  EXPECT_EQ(ReadFile(dir / "album.ini"), "newer");
  // The target is a folder that cannot be replaced: nothing changes, no temporary stays.
  WriteFile(dir / "folder/inside", "keep");
  EXPECT_FALSE(ReplaceFileAtomically(dir / "folder", "data"));
  EXPECT_EQ(ReadFile(dir / "folder/inside"), "keep");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
  EXPECT_FALSE(ReplaceFileAtomically(dir / "missing/album.ini", "data"));
}

// A catalogue in the top folder of a mounted drive: the replacement is made beside it,
// on the same drive, never in the folder above it on another one.
TEST(FileSystemTest, AtomicReplaceAtTheTopOfAMountedDrive) {
  struct stat top {}, above {};
  if (::stat("/dev/shm", &top) != 0 || ::stat("/dev", &above) != 0 || top.st_dev == above.st_dev ||
      ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no writable mount at /dev/shm";
  }
  const std::string file = "/dev/shm/melodeck-test-" + std::to_string(::getpid()) + ".ini";
  WriteFile(file, "old");
  EXPECT_TRUE(ReplaceFileAtomically(file, "new"));
  EXPECT_EQ(ReadFile(file), "new");
  std::filesystem::remove(file);
}

// A write the system refuses midway (here a file-size limit, as a full disk would) ends
// the replacement at once: the old file stays and no temporary is left.
TEST(FileSystemTest, AWriteTheSystemRefusesLeavesTheOldFile) {
  TempDir dir;
  WriteFile(dir / "album.ini", "old");
  const int status = testing_support::ExitStatusInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::alarm(10);  // a write retried for ever ends here
    return ReplaceFileAtomically(dir / "album.ini", std::string(100000, 'x')) ? 1 : 0;
  });
  ASSERT_GE(status, 0) << "the write was retried until the alarm";
  EXPECT_EQ(status, 0) << "a refused write was reported as done";
  EXPECT_EQ(ReadFile(dir / "album.ini"), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FileSystemTest, WildcardsInNamesAndSpecialFiles) {
  EXPECT_TRUE(MatchesPattern("*x.mp3", "*.mp3"));
  EXPECT_TRUE(MatchesPattern("a*b", "a*"));
  EXPECT_FALSE(MatchesPattern("*x.mp2", "*.mp3"));
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  std::string bytes = "left over";
  EXPECT_EQ(ReadRegularFile(dir / "fifo", bytes), ReadResult::NotRegular);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadRegularFile("/dev/zero", bytes), ReadResult::NotRegular);
  EXPECT_EQ(ReadRegularFile(dir / "none", bytes), ReadResult::Missing);
  WriteFile(dir / "ten", "0123456789");
  EXPECT_EQ(ReadRegularFile(dir / "ten", bytes, 9), ReadResult::TooLarge);
  EXPECT_EQ(ReadRegularFile(dir / "ten", bytes, 10), ReadResult::Done);
  WriteFile(dir / "empty", "");
  errno = EINTR;  // left by an earlier interrupted call: the read still ends at the end of the file
  EXPECT_EQ(ReadRegularFile(dir / "ten", bytes), ReadResult::Done);
  EXPECT_EQ(bytes, "0123456789");

  // Read from an open folder by the entry its listing gave.
  const auto folder = FolderHandle::Open(dir.path());
  ASSERT_TRUE(folder);
  const auto listing = folder->List(ListDetail::NamesAndKinds);
  ASSERT_TRUE(listing);
  const auto entry = [&](const std::string& name) { return *FindEntryNoCase(*listing, name); };
  EXPECT_TRUE(entry("ten").regular);  // as the listing says it, without a look-up
  EXPECT_FALSE(entry("fifo").regular);
  EXPECT_EQ(folder->ReadFile(entry("ten"), bytes, 10), ReadResult::Done);
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_EQ(folder->ReadFile(entry("ten"), bytes, 9), ReadResult::TooLarge);
  EXPECT_EQ(folder->ReadFile(entry("fifo"), bytes, 10), ReadResult::NotRegular);
  EXPECT_EQ(folder->ReadFile(entry("empty"), bytes, 10), ReadResult::Done);  // empty, yet a file
  EXPECT_TRUE(bytes.empty());
  // A file the listing showed as regular that is a FIFO by the time it is read: the
  // read does not wait.
  DirEntry swapped = entry("fifo");
  swapped.regular = true;
  EXPECT_EQ(folder->ReadFile(swapped, bytes, 10), ReadResult::NotRegular);
  {  // nor while another program holds it open for writing and sends nothing
    const int writer = ::open((dir / "fifo").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(folder->ReadFile(swapped, bytes, 10), ReadResult::NotRegular);
    ::close(writer);
  }
  DirEntry gone = entry("ten");
  gone.name = "gone";
  EXPECT_EQ(folder->ReadFile(gone, bytes, 10), ReadResult::Missing);

  // Refusing links: a link is told apart from a file that is no folder.
  std::filesystem::create_directory_symlink(dir.path(), dir / "link");
  EXPECT_FALSE(FolderHandle::Open(dir / "link", FolderHandle::Links::Refuse));
  EXPECT_TRUE(FolderHandle::LastOpenHitLink());
  EXPECT_FALSE(FolderHandle::Open(dir / "ten", FolderHandle::Links::Refuse));
  EXPECT_FALSE(FolderHandle::LastOpenHitLink());
  EXPECT_FALSE(folder->OpenChild("ten", FolderHandle::Links::Refuse));
  EXPECT_FALSE(FolderHandle::LastOpenHitLink());

  // The root folder is opened as itself, not as the current folder.
  const auto root = FolderHandle::Open("/");
  struct stat rootStat {};
  ASSERT_EQ(::stat("/", &rootStat), 0);
  ASSERT_TRUE(root && root->Identity());
  EXPECT_EQ(root->Identity()->inode, rootStat.st_ino);
}

// The temporary file a write makes bears a name the cleanup knows: what a run killed
// in the middle of a write leaves is removed by a later one.
TEST(FileSystemTest, TheTemporaryFileOfAWriteIsOneALaterRunClears) {
  TempDir dir;
  WriteFile(dir / "album.ini", "old");
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_CREATE), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir / "album.ini", "new"));
  alignas(inotify_event) char buffer[4096];
  const ssize_t got = ::read(watch, buffer, sizeof buffer);
  ::close(watch);
  ASSERT_GT(got, 0);
  const std::string made = reinterpret_cast<const inotify_event*>(buffer)->name;
  EXPECT_EQ(made.size(), std::string(".album.ini.012345.tmp").size()) << made;
  // As if left by a run that died: old, and still there.
  WriteFile(dir / made, "half written");
  const timespec past[2] = {{0, UTIME_OMIT}, {1000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / made).c_str(), past, 0), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir / "album.ini", "newer"));
  EXPECT_FALSE(std::filesystem::exists(dir / made));

  // An EEXIST left by an earlier call is no taken name: the write goes through its one
  // temporary file and leaves nothing behind.
  errno = EEXIST;
  ASSERT_TRUE(ReplaceFileAtomically(dir / "album.ini", "newest"));
  EXPECT_EQ(ReadFile(dir / "album.ini"), "newest");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(FileSystemTest, StaleTemporaryFilesOfEarlierRunsAreRemoved) {
  TempDir dir;
  WriteFile(dir / "album.ini", "old");
  WriteFile(dir / ".album.ini.0a1b2c.tmp", "from a run that died");
  const timespec past[2] = {{0, UTIME_OMIT}, {1000, 0}};
  // Names like ours that are not quite ours: other digits, one digit more, another end.
  const std::vector<std::string> others = {".album.ini.notour.tmp", ".album.ini.0a1b2c7.tmp", ".album.ini.0a1b2c.bak"};
  for (const std::string& other : others) {
    WriteFile(dir / other, "someone else's");
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / other).c_str(), past, 0), 0);
  }
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / ".album.ini.0a1b2c.tmp").c_str(), past, 0), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir / "album.ini", "new"));
  EXPECT_FALSE(std::filesystem::exists(dir / ".album.ini.0a1b2c.tmp"));
  for (const std::string& other : others) EXPECT_TRUE(std::filesystem::exists(dir / other)) << other;
  EXPECT_EQ(ReadFile(dir / "album.ini"), "new");
  // A temporary file of this run (another write under way) stays, and so does a link
  // that bears such a name, however old.
  WriteFile(dir / ".album.ini.d4e5f6.tmp", "being written");
  std::filesystem::create_symlink("album.ini", dir / ".album.ini.777777.tmp");
  const timespec pastLink[2] = {{0, UTIME_OMIT}, {1000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / ".album.ini.777777.tmp").c_str(), pastLink, AT_SYMLINK_NOFOLLOW), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir / "album.ini", "newer"));
  EXPECT_TRUE(std::filesystem::exists(dir / ".album.ini.d4e5f6.tmp"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / ".album.ini.777777.tmp"));
}

}  // namespace
