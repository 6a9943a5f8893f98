// Trees kept between runs: read back whole, refused when damaged or of another
// library, and checked against the disk by a stat of each folder they were read from.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <semaphore>

#include "library_fixture.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "tree/background_scan.h"
#include "tree/details_presenter.h"
#include "tree/library_marks.h"
#include "tree/library_watch.h"
#include "tree/saved_tree.h"
#include "tree/tree_dump.h"

using namespace tree;
using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

constexpr std::int64_t kSecondNs = 1'000'000'000;

// The bytes with the checksum a saved tree ends in: FNV-1a of 64 bits, lowest byte first.
std::string Sealed(const std::string& body) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : body) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  std::string out = body;
  for (int i = 0; i < 8; ++i) out += static_cast<char>(hash >> (8 * i));
  return out;
}

// The stamps as if each folder had been read three seconds later, so the folders a test
// has just made count as settled.
std::vector<FolderStamp> Settled(std::vector<FolderStamp> stamps) {
  for (FolderStamp& stamp : stamps) stamp.readAtNs += 3 * kSecondNs;
  return stamps;
}

class SavedTreeTest : public testing_support::LibraryFixture {
 protected:
  // The view's tree saved with its stamps settled.
  void SaveSettled() {
    const SavedTreeKey key = KeyOf(view, view.PathList());
    ASSERT_TRUE(SaveTree(SavedTreeFile(key), key, view.Top(), view.DisplayMode(), Settled(view.FolderStamps())));
  }
  std::string SavedFile() { return SavedTreeFile(KeyOf(view, view.PathList())); }
  // Every node with all a saved tree keeps of it, one line each, depth first.
  static std::string Everything(STreeView& of) {
    std::string out;
    TreeModel& model = *of.Tree();
    model.ForEachInSubtree(of.Top().m_hItem, [&](const TreeModel::NodeView& node) {
      const NodeFacts& facts = model.Facts(node.handle);
      out += std::string(model.GetLabel(node.handle)) + " kind=" + std::to_string(static_cast<int>(node.kind)) +
             " data=" + std::string(model.GetData(node.handle).value_or("-")) +
             " mark=" + std::to_string(static_cast<int>(node.mark)) +
             " open=" + std::to_string(model.State().IsExpanded(node.handle)) + " title=" + std::to_string(facts.hasTitle) + " drive=" + std::to_string(static_cast<int>(facts.drive)) +
             (IsSong(node.kind) ? " size=" + std::to_string(facts.size) : std::string()) + "\n";
    });
    return out;
  }
  // A second view with the same settings, as the next run of the program has.
  std::unique_ptr<STreeView> NextRun() {
    auto next = std::make_unique<STreeView>();
    next->SetSettingsPaths(view.Settings());
    next->SetDisplayMode(view.ChosenDisplayMode());
    return next;
  }

  TempDir cache;
  ScopedEnv cacheHome{"XDG_CACHE_HOME", cache.path()};
};

TEST_F(SavedTreeTest, TheNextRunShowsTheSavedTreeAsItWas) {
  Write("Rock/album.ini", "[Album:Live]\nArtist=The Band\nT1=01.mp3, One\nT2=gone.mp3, Gone\n\n"
                          "[Album:LIVE]\nArtist=the band\nT1=02.mp3\n");
  Song("Rock/01.mp3");
  Song("Rock/02.mp3");
  Song("Rock/loose \"odd\"\\name.mp3");
  Song("Rock/" + std::string(128, 'n') + ".mp3");  // a label of 128 bytes: a length of two bytes
  std::string deep = "deep";
  for (int i = 0; i < 300; ++i) deep += "/d";
  Song(deep + "/bottom.mp3");
  Scan();
  ExpandItem(Find("The Band|Live"), true);
  // The user's marks and selection come back with the tree, as the user left them.
  view.Marks().ToggleMark(Find("The Band|Live|One"));
  view.Tree()->State().SelectItem(Find("The Band|Live").m_hItem);
  SaveSettled();

  const auto next = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*next, view.PathList()), TreeSource::Saved);
  EXPECT_EQ(Everything(*next), Everything(view));
  EXPECT_EQ(next->Marks().MarkedSize(), view.Marks().MarkedSize());
  EXPECT_TRUE(next->Marks().AnyMarked(next->Top()));
  const TreeItem selected = next->Item(next->Tree()->State().GetSelection());
  EXPECT_EQ(selected.Label(), "Live");
  EXPECT_EQ(selected.Parent().Label(), "The Band");
  EXPECT_EQ(next->PathList(), view.PathList());
  EXPECT_TRUE(next->FolderStamps() == Settled(view.FolderStamps()));

  // Songs labelled by file name are kept so, and a library without artists too.
  view.ShowFileNames();
  Write("Rock/album.ini", "");
  Scan();
  SaveSettled();
  const auto third = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*third, view.PathList()), TreeSource::Saved);
  EXPECT_EQ(third->DisplayMode(), DisplayMode::FileNames);
  EXPECT_EQ(DumpTree(*third, third->Top()), DumpTree(view, view.Top()));
}

// The sizes a scan listed come back with the tree: the next start shows the library's
// size without listing every folder again.
TEST_F(SavedTreeTest, TheNextRunKnowsTheLibrarysSizeAtOnce) {
  Write("Rock/album.ini", "[Album:Live]\nArtist=The Band\nT1=01.mp3, One\nT2=gone.mp3, Gone\n");
  Song("Rock/01.mp3");
  WriteFile(dir / "Loose/long.mp3", std::string(5000, 'x'));
  std::binary_semaphore finished{0};
  const auto scan = view.StartScan(dir.path(), [&] { finished.release(); });
  finished.acquire();
  view.AdoptScan(*scan);
  const std::int64_t onDisk = static_cast<std::int64_t>(std::filesystem::file_size(dir / "Rock/01.mp3")) + 5000;
  ASSERT_EQ(view.Details().LibrarySize(), onDisk);
  SaveSettled();

  const auto next = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*next, view.PathList()), TreeSource::Saved);
  EXPECT_EQ(next->Details().LibrarySize(), onDisk);
  EXPECT_EQ(Everything(*next), Everything(view));

  // A tree with one song found since, its size not listed yet, leaves the sum to the details.
  WriteFile(dir / "Loose/new.mp3", std::string(700, 'x'));
  ASSERT_TRUE(view.ReadFoldersAgain({dir / "Loose/"}));
  SaveSettled();
  const auto grown = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*grown, view.PathList()), TreeSource::Saved);
  EXPECT_EQ(grown->Details().LibrarySize(), -1);

  // A tree whose sizes were never listed leaves the sum to the details, as after a Refresh.
  Scan();
  SaveSettled();
  const auto unlisted = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*unlisted, view.PathList()), TreeSource::Saved);
  EXPECT_EQ(unlisted->Details().LibrarySize(), -1);
}

// Each change another program makes is seen, and the tree then equals a fresh scan.
TEST_F(SavedTreeTest, EveryOutsideChangeIsSeenAndTheTreeIsScannedAnew) {
  Write("a/album.ini", "[Album:One]\nArtist=X\nT1=01.mp3, Uno\n");
  Song("a/01.mp3");
  Song("b/c/loose.mp3");
  Scan("a;b;later");
  SaveSettled();
  const auto setTimes = [](const std::string& path, std::int64_t ns) {
    const timespec times[2] = {{ns / kSecondNs, ns % kSecondNs}, {ns / kSecondNs, ns % kSecondNs}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  const std::vector<std::pair<std::string, std::function<void()>>> changes = {
      {"a song added", [&] { Song("b/c/new.mp3"); }},
      {"a song whose name differs only in its extension's case", [&] { Song("b/c/loose.MP3"); }},
      {"a catalogue rewritten in place, same size", [&] { Write("a/album.ini", "[Album:Two]\nArtist=X\nT1=01.mp3, Uno\n"); }},
      {"a song added and the folder's times set back as they were", [&] {
         const auto before = platform::StampOf(dir / "b/c/");
         Song("b/c/another.mp3");
         setTimes(dir / "b/c", before->modifiedNs);
         ASSERT_EQ(platform::StampOf(dir / "b/c/")->modifiedNs, before->modifiedNs);
       }},
      {"a folder renamed", [&] { std::filesystem::rename(dir / "b/c", dir / "b/C2"); }},
      {"a missing library folder made", [&] { Song("later/x.mp3"); }},
      {"a folder gone", [&] { std::filesystem::remove_all(dir / "b/C2"); }},
      {"a catalogue gone", [&] { std::filesystem::remove(dir / "a/album.ini"); }},
  };
  for (const auto& [what, change] : changes) {
    const auto next = NextRun();
    EXPECT_EQ(RefreshFromSavedTree(*next, view.PathList()), TreeSource::Saved) << "before: " << what;
    change();
    const auto after = NextRun();
    // Only a folder of the path list gone needs the library scanned.
    EXPECT_EQ(RefreshFromSavedTree(*after, view.PathList()), TreeSource::SavedAndReadAgain) << what;
    view.Refresh(view.PathList());
    EXPECT_EQ(Canonical(*after), Canonical(view)) << what;
    SaveSettled();
  }
}

// Marks stay on the songs that are still there after an outside change: in the album
// read again, and on the artists and folders the change did not touch.
TEST_F(SavedTreeTest, AnOutsideChangeKeepsTheUsersMarks) {
  Write("a/album.ini", "[Album:One]\nArtist=X\nT1=01.mp3, Uno\nT2=02.mp3, Dos\n");
  Song("a/01.mp3");
  Song("a/02.mp3");
  Write("b/album.ini", "[Album:Two]\nArtist=Y\nT1=03.mp3, Tres\n");
  Song("b/03.mp3");
  Song("c/loose.mp3");
  Scan();
  view.Marks().ToggleMark(Find("X|One|Uno"));
  view.Marks().ToggleMark(Find("Y"));
  const auto volume = [&] {
    TreeItem node = view.Top().FirstChild();
    while (KindOf(node) != NodeKind::Volume) node = node.NextSibling();
    return node;
  };
  view.Marks().ToggleMark(volume());
  Write("a/album.ini", "[Album:One]\nArtist=X\nT1=01.mp3, Uno\nT2=02.mp3, Dos\nT3=04.mp3, Cuatro\n");
  Song("a/04.mp3");
  ASSERT_TRUE(view.ReadFoldersAgain({dir / "a/"}));

  const auto mark = [&](const std::string& labels) { return view.Marks().GetMark(Find(labels)); };
  EXPECT_EQ(mark("X|One|Uno"), Mark::Marked);
  EXPECT_EQ(mark("X|One|Dos"), Mark::None);
  EXPECT_EQ(mark("X|One|Cuatro"), Mark::None);
  EXPECT_EQ(mark("X"), Mark::Partly);
  EXPECT_EQ(mark("Y|Two|Tres"), Mark::Marked);
  EXPECT_EQ(mark("Y"), Mark::Marked);
  EXPECT_EQ(view.Marks().GetMark(volume()), Mark::Marked);  // the loose song
}

// A folder whose times stand in the future is read again a few times at most: a clock
// running ahead never keeps the watch reading for ever.
TEST_F(SavedTreeTest, AFolderDatedInTheFutureIsReadAgainAFewTimesOnly) {
  Song("a/01.mp3");
  Scan();
  LibraryWatch watch(view);
  watch.Follow();
  Song("a/02.mp3");
  const std::int64_t future = platform::WallClockNs() / kSecondNs + 3600;
  const timespec times[2] = {{future, 0}, {future, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a").c_str(), times, 0), 0);
  watch.Gather();
  EXPECT_TRUE(watch.Apply());
  EXPECT_EQ(Canonical(view), FreshScan());
}

// A folder made holding a link to a folder: what the link leads to is read after
// everything else, so the library is scanned.
TEST_F(SavedTreeTest, ALinkInAFolderMadeMeansAScan) {
  Song("a/01.mp3");
  Song("b/02.mp3");
  Scan();
  SaveSettled();
  std::filesystem::create_directories(dir / "a/new");
  std::filesystem::create_directory_symlink(dir / "b", dir / "a/new/link");
  const auto next = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*next, view.PathList()), TreeSource::Scanned);
  EXPECT_EQ(Canonical(*next), FreshScan());
}

TEST_F(SavedTreeTest, TimesThatCannotBeTrustedAreReadAgain) {
  Song("a/01.mp3");
  Song("b/02.mp3");
  Scan("a;b");
  // Folders changed less than two seconds before the scan began: a change made while
  // they were read may have kept their times.
  EXPECT_EQ(ChangedFolders(view.FolderStamps()).size(), 2u);
  EXPECT_TRUE(ChangedFolders(Settled(view.FolderStamps())).empty());
  // A time in the future.
  const std::int64_t future = platform::WallClockNs() / kSecondNs + 3600;
  const timespec times[2] = {{future, 0}, {future, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "b").c_str(), times, 0), 0);
  Scan("a;b");
  EXPECT_EQ(ChangedFolders(Settled(view.FolderStamps())),
            std::vector<std::string>{dir / "b/"});
  // A catalogue dated in the future, in a folder whose own times are fine.
  Write("a/album.ini", "[Album:One]\nArtist=X\nT1=01.mp3, Uno\n");
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a/album.ini").c_str(), times, 0), 0);
  Scan("a;b");
  EXPECT_EQ(ChangedFolders(Settled(view.FolderStamps())), (std::vector<std::string>{dir / "a/", dir / "b/"}));
}

TEST_F(SavedTreeTest, DamagedForeignAndOtherLibrariesFilesAreNoSavedTree) {
  Write("a/album.ini", "[Album:One]\nArtist=X\nT1=01.mp3, Uno\n");
  Song("a/01.mp3");
  Scan("a");
  SaveSettled();
  const std::string file = SavedFile();
  const SavedTreeKey key = KeyOf(view, view.PathList());
  const std::string bytes = ReadFile(file);
  ASSERT_NE(LoadTree(file, key), nullptr);
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    WriteFile(file, bytes.substr(0, length));
    EXPECT_EQ(LoadTree(file, key), nullptr) << "cut at " << length;
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::string flipped = bytes;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
    WriteFile(file, flipped);
    EXPECT_EQ(LoadTree(file, key), nullptr) << "flipped at " << at;
  }
  // Cut or changed bytes under a checksum that fits them, as a hostile file would have.
  const std::string body = bytes.substr(0, bytes.size() - 8);
  for (std::size_t length = 0; length < body.size(); ++length) {
    WriteFile(file, Sealed(body.substr(0, length)));
    EXPECT_EQ(LoadTree(file, key), nullptr) << "cut at " << length;
  }
  ASSERT_EQ(Sealed(body), bytes);
  {  // the same with the top closed, whose children nothing else asks for
    ExpandItem(view.Top(), false);
    SaveSettled();
    const std::string closed = ReadFile(file);
    ASSERT_NE(closed, bytes);
    for (std::size_t length = 0; length + 8 < closed.size(); ++length) {
      WriteFile(file, Sealed(closed.substr(0, length)));
      EXPECT_EQ(LoadTree(file, key), nullptr) << "cut closed at " << length;
    }
    ExpandItem(view.Top(), true);
    SaveSettled();
    ASSERT_EQ(ReadFile(file), bytes);
  }
  std::string otherVersion = body;
  otherVersion[std::string_view("melodeck saved tree\n").size()] = 1;  // the format before sizes
  WriteFile(file, Sealed(otherVersion));
  EXPECT_EQ(LoadTree(file, key), nullptr);
  WriteFile(file, Sealed(body + "x"));
  EXPECT_EQ(LoadTree(file, key), nullptr);
  WriteFile(file, bytes + "x");
  EXPECT_EQ(LoadTree(file, key), nullptr);
  WriteFile(file, "melodeck play times 1\n");
  EXPECT_EQ(LoadTree(file, key), nullptr);
  WriteFile(file, bytes);
  const std::vector<std::function<void(SavedTreeKey&)>> otherLibraries = {
      [](SavedTreeKey& other) { other.pathList += ";"; },
      [](SavedTreeKey& other) { other.displayMode = DisplayMode::FileNames; },
      [](SavedTreeKey& other) { other.settingsFile += "x"; },
      [](SavedTreeKey& other) { other.readCatalogues = false; }};
  for (const auto& change : otherLibraries) {
    SavedTreeKey other = key;
    change(other);
    EXPECT_NE(SavedTreeFile(other), file);
    EXPECT_EQ(LoadTree(file, other), nullptr) << other.Text();
  }
  // A damaged file gives way to a scan, which saves the tree anew.
  WriteFile(file, bytes.substr(0, bytes.size() / 2));
  const auto next = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*next, view.PathList()), TreeSource::Scanned);
  EXPECT_EQ(DumpTree(*next, next->Top()), DumpTree(view, view.Top()));
  EXPECT_NE(LoadTree(file, key), nullptr);
  // An empty library's tree, its top closed, is one too.
  std::filesystem::create_directories(dir / "empty");
  Scan("empty");
  SaveSettled();
  EXPECT_NE(LoadTree(SavedFile(), KeyOf(view, view.PathList())), nullptr);
}

// Whatever loads is exactly what saving its tree writes: a byte changed anywhere, even
// under a checksum that fits, is refused or read for just what it says.
TEST_F(SavedTreeTest, AFileThatLoadsIsWhatSavingItsTreeWrites) {
  Write("a/album.ini", "[Album:One]\nArtist=X\nT1=01.mp3, Uno\nT2=gone.mp3\n\n[Album:ONE]\nArtist=x\nT1=02.mp3\n");
  Song("a/01.mp3");
  Song("a/02.mp3");
  Song("b/loose.mp3");
  Scan("a;b;missing");
  view.Marks().ToggleMark(Find("X|One|Uno"));  // a node both marked and selected
  SaveSettled();
  const std::string file = SavedFile();
  const SavedTreeKey key = KeyOf(view, view.PathList());
  const std::string bytes = ReadFile(file);
  const std::string body = bytes.substr(0, bytes.size() - 8);
  const std::string again = cache / "again";
  int loaded = 0;
  for (std::size_t at = std::string_view("melodeck saved tree\n").size(); at < body.size(); ++at) {
    for (const int value : {0x00, 0x01, 0x02, 0x03, 0x08, 0x7F, 0x80, 0xFF}) {
      std::string changed = body;
      changed[at] = static_cast<char>(value);
      if (changed == body) continue;
      WriteFile(file, Sealed(changed));
      const auto tree = LoadTree(file, key);
      if (!tree) continue;
      ++loaded;
      tree->model.ForEachInSubtree(tree->top.m_hItem, [&](const TreeModel::NodeView& node) {
        ASSERT_LE(static_cast<int>(node.kind), static_cast<int>(NodeKind::LooseSong)) << "byte " << at;
        ASSERT_LE(static_cast<int>(node.mark), static_cast<int>(Mark::Missing)) << "byte " << at;
        ASSERT_LE(static_cast<int>(tree->model.Facts(node.handle).drive), static_cast<int>(platform::DriveType::CdRom));
      });
      ASSERT_TRUE(SaveTree(again, key, tree->top, tree->labelledIn, tree->folders));
      ASSERT_EQ(ReadFile(again), Sealed(changed)) << "byte " << at << " as " << value;
    }
  }
  EXPECT_GT(loaded, 100);  // names and times may hold anything
}

// Only the cache folder is written, one file per library, replaced whole; a cache that
// cannot be written costs the next start its head start, nothing else.
TEST_F(SavedTreeTest, OnlyTheCacheFolderIsWrittenAndAFailedSaveLosesNothing) {
  Song("a/01.mp3");
  Scan("a");
  const auto listing = [](const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) names.push_back(entry.path());
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto library = listing(dir.path());
  platform::FailFileStepAt(platform::FileStep::Write, 1);
  const auto failed = NextRun();
  EXPECT_EQ(RefreshFromSavedTree(*failed, view.PathList()), TreeSource::Scanned);
  platform::ClearFileFaults();
  EXPECT_EQ(DumpTree(*failed, failed->Top()), DumpTree(view, view.Top()));
  EXPECT_FALSE(platform::PathExists(SavedFile()));
  for (int run = 0; run < 3; ++run) {
    const auto next = NextRun();
    RefreshFromSavedTree(*next, view.PathList());
  }
  const std::string name = std::filesystem::path(SavedFile()).filename();
  EXPECT_EQ(listing(cache.path()), (std::vector<std::string>{cache / "melodeck", cache / ("melodeck/" + name)}));
  EXPECT_EQ(listing(dir.path()), library);
}

}  // namespace

namespace {

// Random changes another program makes between two runs: after each, the next run's
// tree, started from the saved one, equals a fresh scan.
class OutsideChangeSequenceTest : public SavedTreeTest, public ::testing::WithParamInterface<unsigned> {
 protected:
  std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); }
  template <typename T>
  const T& PickFrom(const std::vector<T>& items) { return items[Pick(items.size())]; }
  // The library's folders and MP3 files as they are now, hidden ones left out.
  std::vector<std::string> Folders() {
    std::vector<std::string> folders{""};
    for (auto it = std::filesystem::recursive_directory_iterator(dir.path()); it != decltype(it)(); ++it) {
      if (it->is_directory() && !it->is_symlink()) {
        folders.push_back(std::filesystem::relative(it->path(), dir.path()).string() + "/");
      } else if (it->is_symlink()) {
        it.disable_recursion_pending();
      }
    }
    return folders;
  }
  std::vector<std::string> Songs() {
    std::vector<std::string> songs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
      if (entry.is_regular_file() && entry.path().extension() == ".mp3") {
        songs.push_back(std::filesystem::relative(entry.path(), dir.path()));
      }
    }
    return songs;
  }
  std::string Catalogue(const std::string& folder) {
    static const std::vector<std::string> artists = {"Abba", "ABBA", "Queen", "Björk"};
    static const std::vector<std::string> albums = {"Gold", "GOLD", "Live", "Arrival"};
    static const std::vector<std::string> files = {"01", "02", "03", "Gone"};
    std::string text;
    for (std::size_t section = Pick(3); section < 3; ++section) {
      text += "[Album:" + PickFrom(albums) + "]\nArtist=" + PickFrom(artists) + "\n";
      for (std::size_t song = 1, count = Pick(4); song <= count; ++song) {
        text += "T" + std::to_string(song) + "=" + PickFrom(files) + ".mp3, Song " + std::to_string(song) + "\n";
      }
      text += "\n";
    }
    (void)folder;
    return text;
  }
  // One change; says what it was. A library reached partly by links is scanned whole
  // after every change, so links come late in a sequence.
  std::string Change(bool links) {
    const std::vector<std::string> folders = Folders();
    const std::string folder = PickFrom(folders);
    static const std::vector<std::string> names = {"01", "02", "03", "loose", "LOOSE"};
    switch (Pick(9)) {
      case 0: {
        const std::string song = folder + PickFrom(names) + ".mp3";
        Song(song);
        return "song " + song + " written";
      }
      case 1: {
        const auto songs = Songs();
        if (songs.empty()) return "nothing";
        const std::string song = PickFrom(songs);
        std::filesystem::remove(dir / song);
        return "song " + song + " removed";
      }
      case 2:
        Write(folder + "album.ini", Catalogue(folder));
        return "catalogue of " + folder + " written";
      case 3:
        std::filesystem::remove(dir / (folder + "album.ini"));
        return "catalogue of " + folder + " removed";
      case 4: {
        const std::string made = folder + "sub" + std::to_string(Pick(3)) + "/";
        if (std::filesystem::is_symlink(dir / made.substr(0, made.size() - 1))) return "nothing";
        Song(made + PickFrom(names) + ".mp3");
        return "folder " + made + " made";
      }
      case 5: {
        if (folder.empty()) return "nothing";
        std::filesystem::remove_all(dir / folder);
        return "folder " + folder + " removed";
      }
      case 6: {
        const auto songs = Songs();
        if (songs.empty()) return "nothing";
        const std::string song = PickFrom(songs);
        const std::filesystem::path path = dir / song;
        std::string upper = path.stem().string();
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::filesystem::rename(path, path.parent_path() / (upper + ".MP3"));
        return "song " + song + " renamed in upper case";
      }
      case 7: {
        if (!links || folder.empty() || folder.find('/') + 1 != folder.size()) return "nothing";
        const std::string target = dir / folder;
        const std::string moved = dir / (".moved" + std::to_string(++m_moved));
        std::filesystem::rename(target, moved);
        std::filesystem::create_directory_symlink(moved, target.substr(0, target.size() - 1));
        return "folder " + folder + " swapped for a link";
      }
      default: {
        const std::string file = dir / (folder + "album.ini");
        if (!platform::PathExists(file)) return "nothing";
        std::string bytes = ReadFile(file);
        std::reverse(bytes.begin(), bytes.end());
        WriteFile(file, bytes);
        return "catalogue of " + folder + " reversed";
      }
    }
  }

  std::mt19937 random{GetParam()};
  int m_moved = 0;
};

TEST_P(OutsideChangeSequenceTest, EachNextRunShowsWhatAScanShows) {
  Write("a/album.ini", "[Album:Gold]\nArtist=Abba\nT1=01.mp3, One\n");
  Song("a/01.mp3");
  Song("b/loose.mp3");
  Scan();
  SaveSettled();
  std::map<TreeSource, int> sources;
  std::string steps;
  for (int step = 0; step < 30; ++step) {
    steps += Change(step >= 20) + "\n";
    const auto next = NextRun();
    const TreeSource source = RefreshFromSavedTree(*next, view.PathList());
    ++sources[source];
    ASSERT_EQ(Canonical(*next), FreshScan()) << steps;
    // In the scan's own order too, the top node's children included.
    const auto fresh = NextRun();
    fresh->Refresh(view.PathList());
    ASSERT_EQ(DumpTree(*next, next->Top()), DumpTree(*fresh, fresh->Top())) << steps;
    // The tree as this run left it, settled, is what the next run starts from.
    const SavedTreeKey key = KeyOf(*next, next->PathList());
    ASSERT_TRUE(SaveTree(SavedTreeFile(key), key, next->Top(), next->DisplayMode(), Settled(next->FolderStamps())));
  }
  // Until a link appears nothing needs the whole library scanned again.
  EXPECT_GT(sources[TreeSource::SavedAndReadAgain], 5) << steps;
  EXPECT_LT(sources[TreeSource::Scanned], 10) << steps;
}

INSTANTIATE_TEST_SUITE_P(Seeds, OutsideChangeSequenceTest, ::testing::Range(1u, 21u));

}  // namespace

namespace {

// While the library is watched, each change other programs make shows by itself: the
// tree then equals a fresh scan, in the scan's own order.
class WatchSequenceTest : public OutsideChangeSequenceTest {
 protected:
  // Brings the tree up to date with what the watch saw, as the window does; true when
  // the folders were read again, false when the library had to be scanned.
  bool Follow(LibraryWatch& watch) {
    watch.Gather();  // a local file system reports a change before the call making it returns
    if (watch.Apply()) return true;
    view.Refresh(view.PathList());
    watch.Follow();
    return false;
  }
  std::string FreshDump() {
    const auto fresh = NextRun();
    fresh->Refresh(view.PathList());
    return DumpTree(*fresh, fresh->Top());
  }
};

TEST_P(WatchSequenceTest, EachChangeShowsByItself) {
  Write("a/album.ini", "[Album:Gold]\nArtist=Abba\nT1=01.mp3, One\n");
  Song("a/01.mp3");
  Song("b/loose.mp3");
  Scan();
  LibraryWatch watch(view);
  watch.Follow();
  // The selection stays on its node while the folder it came from is read again.
  ExpandItem(Find("Abba|Gold"), true);
  view.Tree()->State().SelectItem(Find("Abba|Gold|One").m_hItem);
  Song("a/02.mp3");
  ASSERT_TRUE(Follow(watch));
  EXPECT_EQ(view.Item(view.Tree()->State().GetSelection()), Find("Abba|Gold|One"));
  EXPECT_TRUE(view.Tree()->State().IsExpanded(Find("Abba|Gold").m_hItem));
  std::string steps;
  int readAgain = 0;
  for (int step = 0; step < 25; ++step) {
    steps += Change(step >= 18) + "\n";
    readAgain += Follow(watch) ? 1 : 0;
    ASSERT_EQ(DumpTree(view, view.Top()), FreshDump()) << steps;
  }
  EXPECT_GT(readAgain, 10) << steps;
}

// F5 while watched compares only the stamps the watch cannot vouch for, and still
// shows every change: alone, with the watch's own batches in between, or made between
// the check and the start of the watch that follows it.
TEST_P(WatchSequenceTest, EachChangeShowsAfterF5) {
  Write("a/album.ini", "[Album:Gold]\nArtist=Abba\nT1=01.mp3, One\n");
  Song("a/01.mp3");
  Song("b/loose.mp3");
  Scan();
  LibraryWatch watch(view);
  std::string steps;
  // As the window does it: the check, then the watch started for the tree as it is now,
  // the folders read before their watch began compared once more, the changed ones read
  // again with the watch's batch.
  const auto f5 = [&](bool changeBetween) {
    const std::vector<FolderStamp> stamps = watch.Unsure();
    watch.Follow();
    const std::int64_t started = platform::WallClockNs();
    const std::vector<std::string> changed = ChangedFolders(stamps);
    watch.Checked(stamps, changed, started);
    if (!changed.empty() && !view.ReadFoldersAgain(changed)) view.Refresh(view.PathList());
    if (changeBetween) steps += Change(false) + " (between the check and the watch's start)\n";
    std::vector<FolderStamp> unsure = view.FolderStamps();
    watch.Follow(unsure, view.PathList());
    unsure = watch.Unsure(unsure);
    const std::int64_t confirmed = platform::WallClockNs();
    const std::vector<std::string> suspects = ChangedFolders(unsure);
    watch.Checked(unsure, suspects, confirmed);
    watch.Suspect(suspects);
    Follow(watch);
    return stamps.size();
  };
  EXPECT_EQ(f5(false), view.FolderStamps().size());  // read before any watch began
  for (int step = 0; step < 25; ++step) {
    steps += Change(step >= 18) + "\n";
    if (Pick(3) == 0) {
      steps += "(the watch's batch)\n";
      Follow(watch);
    } else {
      f5(Pick(2) == 0);
    }
    ASSERT_EQ(DumpTree(view, view.Top()), FreshDump()) << steps;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, WatchSequenceTest, ::testing::Range(1u, 9u));

// What F5 compares: folders read before their watch began until a check finds them
// unchanged, folders changes came from, and folders no watch reports on.
TEST_F(SavedTreeTest, F5ComparesWhatTheWatchCannotVouchFor) {
  // The library lies in the test's own folder: the folder it lies in is watched too, and
  // /tmp changes all the time.
  Write("lib/a/album.ini", "[Album:Gold]\nArtist=Abba\nT1=01.mp3, One\n");
  Song("lib/a/01.mp3");
  Song("lib/b/loose.mp3");
  Song("lib/nas/far.mp3");
  volumes.Add(dir / "lib/nas/", "NAS", platform::DriveType::Network);
  Scan("lib");
  LibraryWatch watch(view);
  const auto folders = [](const std::vector<FolderStamp>& stamps) {
    std::vector<std::string> names;
    for (const FolderStamp& stamp : stamps) names.push_back(stamp.folder);
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> all = folders(view.FolderStamps());
  EXPECT_EQ(folders(watch.Unsure()), all);
  const std::int64_t beforeWatch = platform::WallClockNs();
  watch.Follow();
  EXPECT_EQ(folders(watch.Unsure()), all);  // read before their watches began
  // A check begun before the watches were on vouches for nothing.
  watch.Checked(view.FolderStamps(), {}, beforeWatch);
  EXPECT_EQ(folders(watch.Unsure()), all);
  watch.Checked(view.FolderStamps(), {dir / "lib/a/"}, platform::WallClockNs());
  EXPECT_EQ(folders(watch.Unsure()), (std::vector<std::string>{dir / "lib/a/", dir / "lib/nas/"}));
  watch.Checked(view.FolderStamps(), {}, platform::WallClockNs());
  EXPECT_EQ(folders(watch.Unsure()), std::vector<std::string>{dir / "lib/nas/"});

  Song("lib/b/new.mp3");
  EXPECT_EQ(folders(watch.Unsure()), (std::vector<std::string>{dir / "lib/b/", dir / "lib/nas/"}));
  const auto inOrder = [&] {
    std::vector<std::string> names;
    for (const FolderStamp& stamp : view.FolderStamps()) names.push_back(stamp.folder);
    return names;
  };
  const std::vector<std::string> order = inOrder();
  watch.Gather();
  ASSERT_TRUE(watch.Apply());  // read again while watched: vouched for
  EXPECT_EQ(inOrder(), order);  // and in its place: the watch follows the same list
  EXPECT_EQ(folders(watch.Unsure()), std::vector<std::string>{dir / "lib/nas/"});


  // Stamps dated after now, taken by a clock that ran ahead (in an earlier run, say),
  // prove nothing however long the folders have been watched.
  std::vector<FolderStamp> ahead = view.FolderStamps();
  for (FolderStamp& stamp : ahead) stamp.readAtNs = platform::WallClockNs() + 3600 * kSecondNs;
  const SavedTreeKey key = KeyOf(view, view.PathList());
  ASSERT_TRUE(SaveTree(SavedTreeFile(key), key, view.Top(), view.DisplayMode(), ahead));
  view.AdoptSavedTree(*LoadTree(SavedTreeFile(key), key), view.PathList());
  EXPECT_EQ(folders(watch.Unsure()), all);
}

// The next start checks the saved tree while the window puts it on show, and watches
// its folders afterwards (on a thread, from the stamps alone): they are compared once
// more after their watches began, so a change made in between shows too, and what
// changes later is read again by the watch alone.
TEST_F(SavedTreeTest, ASavedTreeIsWatchedOnceCheckedAndNothingSlipsBetween) {
  Write("lib/a/album.ini", "[Album:Gold]\nArtist=Abba\nT1=01.mp3, One\n");
  Song("lib/a/01.mp3");
  Song("lib/b/loose.mp3");
  Scan("lib");
  SaveSettled();
  const auto next = NextRun();
  const SavedTreeKey key = KeyOf(*next, view.PathList());
  const std::unique_ptr<SavedTree> saved = LoadTree(SavedTreeFile(key), key);
  ASSERT_TRUE(saved);
  LibraryWatch watch(*next);
  const std::int64_t checkBegan = platform::WallClockNs();
  next->AdoptSavedTree(*saved, view.PathList());
  const std::vector<FolderStamp> all = next->FolderStamps();
  watch.Checked(all, ChangedFolders(all), checkBegan);
  EXPECT_EQ(watch.Unsure().size(), all.size());  // no watch yet: the check vouches for nothing

  Song("lib/b/between.mp3");  // after the check, before the watch
  watch.Follow(all, view.PathList());
  const std::vector<FolderStamp> unsure = watch.Unsure(all);
  EXPECT_EQ(unsure.size(), all.size());
  const std::int64_t confirmBegan = platform::WallClockNs();
  const std::vector<std::string> changed = ChangedFolders(unsure);
  EXPECT_EQ(changed, std::vector<std::string>{dir / "lib/b/"});
  watch.Checked(unsure, changed, confirmBegan);
  watch.Suspect(changed);
  ASSERT_TRUE(watch.Apply());
  EXPECT_EQ(Canonical(*next), FreshScan());
  EXPECT_TRUE(watch.Unsure().empty());
  EXPECT_TRUE(watch.Unwatched().empty());

  Song("lib/b/later.mp3");
  ASSERT_TRUE(watch.Gather());
  ASSERT_TRUE(watch.Apply());
  EXPECT_EQ(Canonical(*next), FreshScan());
  EXPECT_TRUE(watch.Unsure().empty());
}

// A library folder removed and made again, or a link to one pointed elsewhere, is
// followed; past the limit of watches the folders left are named for checking.
TEST_F(SavedTreeTest, TheWatchFollowsLibraryFoldersAndKnowsItsLimit) {
  Song("lib/a/01.mp3");
  Song("other/b/02.mp3");
  std::filesystem::create_directory_symlink(dir / "lib", dir / "link");
  Scan("link");
  LibraryWatch watch(view);
  watch.Follow();
  EXPECT_TRUE(watch.Unwatched().empty());
  const auto follow = [&] {
    watch.Gather();
    if (!watch.Apply()) {
      view.Refresh(view.PathList());
      watch.Follow();
    }
    return Canonical(view);
  };
  std::filesystem::remove(dir / "link");
  std::filesystem::create_directory_symlink(dir / "other", dir / "link");
  EXPECT_EQ(follow(), FreshScan());
  EXPECT_TRUE(Find(Volume() + "|link|b").IsNull() == false);
  Song("other/b/03.mp3");
  EXPECT_EQ(follow(), FreshScan());
  std::filesystem::remove_all(dir / "other");
  EXPECT_EQ(follow(), FreshScan());
  Song("other/c/04.mp3");
  EXPECT_EQ(follow(), FreshScan());
  EXPECT_FALSE(Find(Volume() + "|link|c").IsNull());

  LibraryWatch limited(view);
  limited.SetLimit(1);
  limited.Follow();
  EXPECT_TRUE(limited.LimitReached());
  EXPECT_EQ(limited.Unwatched().size(), view.FolderStamps().size() - 1);

  // A network drive reports no changes made elsewhere: its folders are named instead.
  volumes.Add(dir / "link/", "NAS", platform::DriveType::Network);
  LibraryWatch networked(view);
  networked.Follow();
  EXPECT_EQ(networked.Unwatched().size(), view.FolderStamps().size());
  EXPECT_FALSE(networked.LimitReached());
}

}  // namespace
