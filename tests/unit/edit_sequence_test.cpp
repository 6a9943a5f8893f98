// Seeded random libraries and seeded random sequences of renames, deletes, display
// mode switches and refreshes. After every step the disk and the tree are checked:
// no listed song file is lost, catalogue lines no step may touch stay byte for byte,
// no temporary file is left, and the tree is what a fresh scan shows.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "catalogue/album_catalogue.h"
#include "disk_snapshot.h"
#include "library_fixture.h"
#include "mp3_frames.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tree/node_deleter.h"
#include "platform/path_list.h"
#include "tree/library_editor.h"

namespace fs = std::filesystem;
using namespace tree;

namespace {

using testing_support::Disk;
using testing_support::Snapshot;

bool IsCatalogue(const std::string& path) {
  return platform::EqualsNoCase(fs::path(path).filename().string(), catalogue::kCatalogueName);
}

// Catalogue lines that no rename and no delete of a song may change: everything but
// headers, "Artist" lines and song keys. A section delete takes some of them away.
std::multiset<std::string> UntouchableLines(const Disk& disk) {
  std::multiset<std::string> lines;
  for (const auto& [path, file] : disk) {
    if (!IsCatalogue(path)) continue;
    const std::string text = platform::ProfileDocument::Parse(file.bytes)->Raw();  // UTF-16 decoded
    size_t begin = 0;
    while (begin < text.size()) {
      size_t end = text.find('\n', begin);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(begin, end - begin);
      begin = end + 1;
      const std::string trimmed(platform::TrimBlanks(line));
      const std::string key = platform::UpperUtf8(trimmed.substr(0, trimmed.find('=')));
      const bool songKey = key.size() > 1 && key[0] == 'T' && key.find_first_not_of("0123456789", 1) == std::string::npos;
      if (trimmed.starts_with('[') || key == "ARTIST" || songKey) continue;
      lines.insert(line);
    }
  }
  return lines;
}

// Every catalogue's sections with the artist they name, "SECTION|ARTIST" upper-cased and
// trimmed (an artist rename takes names that differ only in blanks along).
std::multiset<std::string> SectionArtists(const Disk& disk) {
  std::multiset<std::string> sections;
  for (const auto& [path, file] : disk) {
    if (!IsCatalogue(path)) continue;
    const auto doc = platform::ProfileDocument::Parse(file.bytes);
    for (const std::string& section : doc->SectionNames()) {
      sections.insert(platform::UpperUtf8(section) + "|" +
                      platform::UpperUtf8(platform::TrimBlanks(doc->Value(section, "Artist").value_or(""))));
    }
  }
  return sections;
}

// Inodes of the song files the catalogues list, as a scan reads them.
std::set<ino_t> ListedSongInodes(const std::string& root) {
  std::set<ino_t> inodes;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it); it.increment(error)) {
    if (!it->is_directory(error) || it->is_symlink(error)) continue;
    const std::string folder = it->path().string() + "/";
    const auto entries = platform::ListDirectory(folder);
    if (!entries) continue;
    const platform::DirEntry* catalogueEntry = catalogue::CatalogueEntry(*entries);
    if (!catalogueEntry) continue;
    for (const std::string& title : catalogue::ListedFileTitles(*platform::ProfileOpen(folder + catalogueEntry->name))) {
      for (const auto& entry : *entries) {
        if (platform::UpperUtf8(GString(entry.name).FileNamePart(false)) != title || entry.directory) continue;
        struct stat st {};
        if (::lstat((folder + entry.name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) inodes.insert(st.st_ino);
      }
    }
  }
  return inodes;
}

// Lines only the tree shows ("-") and lines only a fresh scan shows ("+").
std::string Difference(const std::string& shown, const std::string& fresh) {
  const auto lines = [](const std::string& text) {
    std::multiset<std::string> set;
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) set.insert(text.substr(begin, end - begin));
    return set;
  };
  const auto a = lines(shown);
  const auto b = lines(fresh);
  std::vector<std::string> onlyA, onlyB;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(onlyA));
  std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(onlyB));
  std::string text;
  for (const auto& line : onlyA) text += "- " + line + "\n";
  for (const auto& line : onlyB) text += "+ " + line + "\n";
  if (text.empty()) text = "the same nodes in another order; shown:\n" + shown + "a fresh scan:\n" + fresh;
  return text;
}

class EditSequenceTest : public testing_support::LibraryFixture, public ::testing::WithParamInterface<unsigned> {
 protected:
  std::mt19937 rng{GetParam()};
  std::string m_focus;  // the folder another program changed last, while the tree is stale

  size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(rng); }
  template <typename T>
  const T& PickFrom(const std::vector<T>& items) {
    return items[Pick(items.size())];
  }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

  // A catalogue section; files may be missing, shared with another section, or named
  // without extension or with a folder part.
  std::string Section(const std::string& artist, const std::string& album, int songs, bool windows) {
    std::string text = "[Album:" + album + "]\n";
    text += artist.starts_with(' ') ? "Artist=\"" + artist + "\"\n" : "Artist=" + artist + "\n";
    if (Chance(50)) text += "Category=Rock\n";
    if (Chance(30)) text += "; a comment the rewrites keep\n";
    for (int n = 1; n <= songs; ++n) {
      const std::string title = std::to_string(Pick(9));
      std::string file = "0" + title;
      const int form = static_cast<int>(Pick(10));
      std::string field = form == 0 ? file : form == 1 ? "sub\\" + file + ".mp3" : file + ".mp3";
      std::string entry = field;
      if (form != 2) entry += ", " + (Chance(20) ? file : (windows ? "S\xE5ng " : "Song ") + title);
      if (Chance(15)) entry += ", Pop, 1990, Guest, extra";
      text += "T" + std::to_string(n) + "=" + entry + "\n";
    }
    return text + "\n";
  }

  void MakeLibrary() {
    const std::vector<std::string> artists = {"The Band", "the band", "Band", "Someone", "Genesis", " Genesis "};
    const std::vector<std::string> albums = {"Live", "Live at Home", "Best", "Best Of", "\xC5\x81\xC3\xB3""d\xC5\xBA"};
    std::set<std::string> used;  // an artist's album names are unique across the library
    for (const std::string folder : {"rock", "rock2", "Rock Live", "jazz/inner"}) {
      const bool windows = Chance(40);
      std::string catalogue = Chance(30) ? "; catalogue of " + folder + "\n" : "";
      std::set<std::string> sections;  // and a catalogue's section names are unique
      for (int s = 1 + static_cast<int>(Pick(3)); s > 0; --s) {
        const std::string artist = PickFrom(artists);
        std::string album = PickFrom(albums);
        if (windows && album.starts_with('\xC5')) album = "Best";
        if (!sections.insert(platform::UpperUtf8(album)).second) continue;
        if (!used.insert(platform::UpperUtf8(artist) + "|" + platform::UpperUtf8(album)).second) continue;
        catalogue += Section(artist, album, 1 + static_cast<int>(Pick(5)), windows);
      }
      if (windows) {
        std::string crlf;
        for (const char c : catalogue) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        catalogue = crlf;
      }
      // Windows' "Unicode" text: UTF-16 with its mark, in either byte order.
      if (!windows && Chance(20)) {
        const bool bigEndian = Chance(50);
        catalogue = (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + platform::EncodeUtf16(catalogue, bigEndian);
      }
      Write(folder + "/" + (Chance(30) ? "ALBUM.INI" : "album.ini"), catalogue);
      for (int n = 0; n < 9; ++n) {
        if (Chance(75)) Song(folder + "/0" + std::to_string(n) + (Chance(20) ? ".MP3" : ".mp3"), 1);
      }
    }
    for (const std::string loose : {"loose/a.mp3", "loose/b.mp3", "loose2/Twin.mp3", "loose2/twin.mp3",
                                    "loose2/deep/c.mp3", "loose2/deeper/d.mp3"}) {
      if (Chance(80)) Song(loose, 1);
    }
    testing_support::MakeDirs(dir / "loose");
    fs::create_symlink("b.mp3", dir / "loose/link.mp3");  // a link to a song file
    testing_support::MakeDirs(dir / "loose2");
    fs::create_directory_symlink("../rock", dir / "loose2/toRock");  // a link to a folder of the library
    Song("jazz/outside.mp3", 1);
    if (Chance(30)) Setting("ReadAlbumIni", "no");
    // The whole folder; a library folder inside another; or folders below one that
    // holds a file outside the library.
    const int list = static_cast<int>(Pick(3));
    Scan(list == 0 ? "" : list == 1 ? dir.path() + ";jazz/inner" : "jazz/inner;rock;rock2;Rock Live;loose;loose2");
  }

  // Another program changes the disk: rewrites a catalogue (a section given to another
  // artist, titles changed), swaps a folder for a link to where it went, or removes a
  // song file.
  std::string OutsideChange() {
    const Disk disk = Snapshot(dir.path());
    std::vector<std::string> catalogues, songs;
    for (const auto& [path, file] : disk) {
      (IsCatalogue(path) ? catalogues : songs).push_back(path);
    }
    const int what = static_cast<int>(Pick(3));
    if (what == 0 && !catalogues.empty()) {
      const std::string path = dir / PickFrom(catalogues);
      std::string raw;
      if (!platform::ReadWholeFile(path, raw)) return "nothing";
      const auto doc = platform::ProfileDocument::Parse(std::move(raw));
      std::string text = doc->Raw();
      const bool artist = Chance(50);
      const std::string from = artist ? "Artist=" : "Song ", to = artist ? "Artist=Impostor\nX=" : "Lied ";
      if (const size_t at = text.find(from); at != std::string::npos) text.replace(at, from.size(), to);
      if (const auto bytes = doc->FileBytes(text)) testing_support::WriteFile(path, *bytes);
      m_focus = path.substr(0, path.rfind('/') + 1);
      return "another program rewrites " + path.substr(dir.path().size());
    }
    if (what == 1) {
      const std::string folder = PickFrom(std::vector<std::string>{"rock2", "Rock Live", "loose", "jazz/inner"});
      // A library folder the path list names may be a link; one below it may not.
      const auto roots = platform::LibraryFolders(view.PathList());
      if (!fs::is_directory(dir / folder) || fs::is_symlink(dir / folder) ||
          std::find(roots.begin(), roots.end(), dir / (folder + "/")) != roots.end()) {
        return "nothing";
      }
      fs::rename(dir / folder, dir / (folder + "-moved"));
      fs::create_directory_symlink(fs::path(folder + "-moved").filename(), dir / folder);
      m_focus = dir / (folder + "/");
      return "another program swaps " + folder + " for a link";
    }
    if (songs.empty()) return "nothing";
    const std::string song = PickFrom(songs);
    fs::remove(dir / song);
    m_focus = dir / song.substr(0, song.rfind('/') + 1);
    return "another program removes " + song;
  }

  std::vector<TreeItem> Nodes() {
    std::vector<TreeItem> nodes;
    std::vector<TreeItem> pending{view.Top()};
    while (!pending.empty()) {
      const TreeItem node = pending.back();
      pending.pop_back();
      nodes.push_back(node);
      for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child);
    }
    return nodes;
  }

  std::string NewName(const std::vector<TreeItem>& nodes) {
    static const std::vector<std::string> kNames = {
        "Live", "Live at Home", "live", "LIVE AT HOME", "loose", "loose2", "Twin", "twin", "01", "02.mp3",
        "x,y", "a/b", "..", ".hidden", "-label", "\xC5\x81", "\xC5\x82", "Genesis", "the BAND", "new.name.mp3",
        "  spaced  ", "", "Title, Pop", "S\xC3\xA5ng"};
    if (Chance(60)) return PickFrom(kNames);
    std::string label(PickFrom(nodes).Label());
    if (Chance(30)) label = platform::UpperUtf8(label);
    if (Chance(20)) label += "2";
    return label;
  }

  // Labels from a child of the top node down, for the failure report.
  static std::string PathOf(const TreeItem& node) {
    std::string path;
    for (TreeItem at = node; !at.IsNull() && !at.Parent().IsNull(); at = at.Parent()) {
      path = std::string(at.Label()) + (path.empty() ? "" : "|") + path;
    }
    return path;
  }

  // What a step acted on: the artist the tree showed for the node (upper-cased; empty
  // for other nodes), and the folder below which a delete may remove files.
  struct Target {
    std::string artist;
    std::string folder;
  };
  Target TargetOf(const TreeItem& node) {
    Target target;
    const NodeKind kind = tree::KindOf(node);
    const bool album = kind == NodeKind::Album || kind == NodeKind::DuplicateAlbum;
    TreeItem artist = kind == NodeKind::Artist ? node : album ? node.Parent() : node.Parent().Parent();
    if (kind == NodeKind::LooseSong) artist = {};
    if (!artist.IsNull() && tree::KindOf(artist) == NodeKind::Artist) target.artist = platform::UpperUtf8(platform::TrimBlanks(artist.Label()));
    if (kind == NodeKind::Folder) target.folder = std::string(node.Data().value_or(""));
    if (kind == NodeKind::LooseSong) target.folder = std::string(node.Data().value_or(""));
    return target;
  }

  // Nodes that stand for what lies in the folder: albums of its catalogue, their
  // artists and songs, its loose songs.
  std::vector<TreeItem> NodesOf(const std::vector<TreeItem>& nodes, const std::string& folder) {
    std::vector<TreeItem> found;
    for (const TreeItem& node : nodes) {
      const auto data = [](const TreeItem& n) { return std::string(n.Data().value_or("")); };
      const bool album = tree::KindOf(node) == NodeKind::Album && data(node) == folder;
      const bool inFolder = data(node).starts_with(folder) && tree::KindOf(node) != NodeKind::Album;
      const bool ofAlbum = !node.Parent().IsNull() && tree::KindOf(node.Parent()) == NodeKind::Album && data(node.Parent()) == folder;
      const bool artist = tree::KindOf(node) == NodeKind::Artist &&
                          std::any_of(nodes.begin(), nodes.end(), [&](const TreeItem& a) {
                            return a.Parent() == node && data(a) == folder;
                          });
      if (album || inFolder || ofAlbum || artist) found.push_back(node);
    }
    return found;
  }

  // One random step; returns what it did, for the report. After another program
  // changed a folder, the steps mostly act on what the tree still shows of it.
  std::string Step(bool& changesAllowed, bool& songFileDeleted, bool& outside, Target& target) {
    const auto nodes = Nodes();
    const auto focused = m_focus.empty() ? std::vector<TreeItem>{} : NodesOf(nodes, m_focus);
    const TreeItem node = !focused.empty() && Chance(80) ? PickFrom(focused) : PickFrom(nodes);
    target = TargetOf(node);
    const int what = static_cast<int>(Pick(100));
    ui.messages.clear();
    if (what < 40) {
      const std::string text = NewName(nodes);
      const std::string description = "rename " + PathOf(node) + " to \"" + text + "\"";
      const bool done = view.Editor().Rename(node, text);
      changesAllowed = done;
      return description + (done ? "" : " (refused)");
    }
    if (what < 78) {
      const bool yes = Chance(85);
      ui.messageAnswers = {yes ? platform::IDYES : platform::IDNO};
      songFileDeleted = tree::KindOf(node) == NodeKind::LooseSong;
      const std::string description = "delete " + PathOf(node) + (yes ? "" : " (answered no)");
      CNodeDeleter(&view, view.Top()).Delete(node).Report();
      changesAllowed = yes;
      return description;
    }
    if (what < 83) {
      changesAllowed = false;
      if (Chance(50)) {
        view.ShowSongTitles();
        return "show song names";
      }
      view.ShowFileNames();
      return "show file names";
    }
    if (what < 88) {
      changesAllowed = false;
      view.Refresh(view.PathList());
      return "refresh";
    }
    if (what >= 94) {
      outside = true;
      return OutsideChange();
    }
    // Read-only files make edits refuse; the next toggle may make them writable again.
    const Disk disk = Snapshot(dir.path());
    auto it = disk.begin();
    std::advance(it, static_cast<long>(Pick(disk.size())));
    const std::string path = dir / it->first;
    struct stat st {};
    ::lstat(path.c_str(), &st);
    if (S_ISREG(st.st_mode)) ::chmod(path.c_str(), (st.st_mode & 0222) ? 0444 : 0644);
    changesAllowed = false;
    return "toggle read-only " + it->first;
  }
};

TEST_P(EditSequenceTest, EveryStepKeepsSongsCataloguesAndTreeInStepWithTheDisk) {
  MakeLibrary();
  if (std::getenv("SHOW_LIBRARY")) {
    std::cout << Tree();
    for (const auto& [path, file] : Snapshot(dir.path())) {
      if (IsCatalogue(path)) std::cout << path << ":\n" << file.bytes << "\n";
    }
  }
  std::vector<std::string> done;
  bool staleTree = false;  // the disk changed behind the tree's back
  int stale = 0;           // steps left before the tree is compared again
  for (int step = 0; step < 50; ++step) {
    const Disk before = Snapshot(dir.path());
    const std::set<ino_t> listedBefore = ListedSongInodes(dir.path());
    bool changesAllowed = true;
    bool songFileDeleted = false;
    bool outside = false;
    Target target;
    done.push_back(Step(changesAllowed, songFileDeleted, outside, target));
    if (outside) {
      stale = 3;
      staleTree = true;
      continue;
    }
    const std::string report = "seed " + std::to_string(GetParam()) + ", step " + std::to_string(step) + ":\n" +
                               [&] {
                                 std::string text;
                                 for (const auto& line : done) text += "  " + line + "\n";
                                 return text;
                               }();
    const Disk after = Snapshot(dir.path());

    // No listed song file is gone (a rename keeps its inode); a deleted unlisted file may
    // have been listed when the catalogues are not read.
    std::set<ino_t> present;
    for (const auto& [path, file] : after) present.insert(file.inode);
    for (const ino_t inode : listedBefore) {
      EXPECT_TRUE(present.contains(inode) || songFileDeleted) << report << "a listed song file is gone";
    }
    // Catalogue lines that the edits do not own stay as they were.
    const auto untouchedBefore = UntouchableLines(before);
    const auto untouchedAfter = UntouchableLines(after);
    EXPECT_TRUE(std::includes(untouchedBefore.begin(), untouchedBefore.end(), untouchedAfter.begin(), untouchedAfter.end()))
        << report << "a catalogue line that no edit owns changed";
    // Sections of artists the step did not act on stay as they were.
    const auto sectionsBefore = SectionArtists(before);
    const auto sectionsAfter = SectionArtists(after);
    std::vector<std::string> changedSections;
    std::set_difference(sectionsBefore.begin(), sectionsBefore.end(), sectionsAfter.begin(), sectionsAfter.end(),
                        std::back_inserter(changedSections));
    for (const std::string& section : changedSections) {
      EXPECT_TRUE(!target.artist.empty() && section.ends_with("|" + target.artist))
          << report << "a section of another artist changed: " << section;
    }
    // A delete removes files inside the folder it was given, never elsewhere.
    if (done.back().starts_with("delete ") && !done.back().ends_with("(answered no)")) {
      for (const auto& [path, file] : before) {
        const bool inside = !target.folder.empty() && (dir / path).starts_with(target.folder);
        EXPECT_TRUE(after.contains(path) || inside || IsCatalogue(path))
            << report << "a delete removed " << path << ", outside " << target.folder;
      }
    }
    if (!changesAllowed) {
      EXPECT_EQ(before.size(), after.size()) << report << "a refused step changed the files";
    }
    for (const auto& [path, file] : after) {
      const std::string name = fs::path(path).filename().string();
      EXPECT_FALSE(name.ends_with(".tmp") || name == "album~.ini") << report << "temporary file " << path;
      if (!changesAllowed && before.contains(path)) {
        EXPECT_EQ(before.at(path).bytes, file.bytes) << report << "a refused step changed " << path;
      }
    }
    // An edit on a stale tree brings its own folders up to date, not the rest: the tree
    // is compared once a Refresh has read everything anew.
    if (stale > 0 && --stale > 0) continue;
    if (staleTree) view.Refresh(view.PathList());
    staleTree = false;
    m_focus.clear();
    const std::string shown = Canonical(view);
    const std::string fresh = FreshScan();
    ASSERT_TRUE(shown == fresh) << report << "the tree is not what a fresh scan shows:\n" << Difference(shown, fresh);
    if (HasFailure()) return;
  }
}

// 40 libraries of 50 steps each; MELODECK_SEQUENCE_SEEDS=N runs N libraries instead.
unsigned SeedCount() {
  const char* count = std::getenv("MELODECK_SEQUENCE_SEEDS");
  return count ? static_cast<unsigned>(std::strtoul(count, nullptr, 10)) : 40u;
}

INSTANTIATE_TEST_SUITE_P(Seeds, EditSequenceTest, ::testing::Range(1u, 1u + SeedCount()));

}  // namespace
