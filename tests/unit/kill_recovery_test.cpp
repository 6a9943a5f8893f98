// An edit of several steps killed between any two of them: the next scan finishes it,
// so every song's file and catalogue entry agree and no catalogue is half renamed.

#include <filesystem>
#include <functional>

#include "catalogue/edit_journal.h"
#include "in_child.h"
#include "library_fixture.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "tree/node_deleter.h"
#include "tree/library_editor.h"

using testing_support::ReadFile;

namespace {

class KillRecoveryTest : public testing_support::LibraryFixture {
 protected:
  // The library in a folder of its own for each kill.
  void MakeLibrary(const std::string& root) {
    Write(root + "/a/album.ini", "[Album:Live]\nArtist=The Band\nT1=1.mp3, One\nT2=2.mp3, Two\n");
    Write(root + "/b/album.ini", "[Album:Other]\nArtist=The Band\nT1=3.mp3, Three\n\n[Album:Keep]\nArtist=Else\n");
    for (const char* song : {"/a/1.mp3", "/a/2.mp3", "/b/3.mp3"}) Song(root + song);
    Scan(root);
  }
  bool Rename(const std::string& labels, const char* text) {
    return view.Editor().Rename(Find(labels), text);
  }
  // Runs the edit in a child killed before its step-th step; true when it was killed.
  static bool KilledAt(int step, const std::function<void()>& edit) {
    return testing_support::ExitStatusInChild([&] {
             platform::FailFileStepAt(platform::FileStep::EditStep, step);
             edit();
             return 0;
           }) == -1;
  }
  // After the next scan: the disk as the whole edit leaves it, and no note left.
  void ExpectFinished(const std::string& root, const std::map<std::string, std::string>& catalogues,
                      const std::vector<std::string>& songs) {
    Scan(root);
    for (const auto& [file, bytes] : catalogues) EXPECT_EQ(ReadFile(dir / (root + file)), bytes) << root << file;
    for (const std::string& song : songs) EXPECT_TRUE(platform::PathExists(dir / (root + song))) << root << song;
    EXPECT_EQ(Tree().find("mark=3"), std::string::npos) << Tree();
    EXPECT_TRUE(std::filesystem::is_empty(cache / "melodeck/journal"));
  }

  testing_support::TempDir cache;
  testing_support::ScopedEnv cacheHome{"XDG_CACHE_HOME", cache.path()};
};

TEST_F(KillRecoveryTest, ASongRenameKilledBetweenFileAndEntryIsFinished) {
  int kills = 0;
  for (int step = 1; step <= 4; ++step) {
    const std::string root = "k" + std::to_string(step);
    MakeLibrary(root);
    view.ShowFileNames();
    kills += KilledAt(step, [&] { Rename("The Band|Live|1", "uno"); });
    ExpectFinished(root, {{"/a/album.ini", "[Album:Live]\nArtist=The Band\nT1=uno.mp3, One\nT2=2.mp3, Two\n"}},
                   {"/a/uno.mp3", "/a/2.mp3"});
    EXPECT_FALSE(platform::PathExists(dir / (root + "/a/1.mp3")));
    view.ShowSongTitles();
  }
  EXPECT_EQ(kills, 3);  // before the move, before the entry, before the note goes
}

TEST_F(KillRecoveryTest, AnArtistRenameOrDeleteKilledBetweenCataloguesIsFinished) {
  int kills = 0;
  for (int step = 1; step <= 4; ++step) {
    const std::string root = "r" + std::to_string(step);
    MakeLibrary(root);
    kills += KilledAt(step, [&] { Rename("The Band", "Les Band"); });
    ExpectFinished(root,
                   {{"/a/album.ini", "[Album:Live]\nArtist=Les Band\nT1=1.mp3, One\nT2=2.mp3, Two\n"},
                    {"/b/album.ini", "[Album:Other]\nArtist=Les Band\nT1=3.mp3, Three\n\n[Album:Keep]\nArtist=Else\n"}},
                   {"/a/1.mp3", "/b/3.mp3"});
  }
  for (int step = 1; step <= 4; ++step) {
    const std::string root = "d" + std::to_string(step);
    MakeLibrary(root);
    kills += KilledAt(step, [&] {
      ui.messageAnswers = {platform::IDYES};
      CNodeDeleter(&view, view.Top()).Delete(Find("The Band")).Report();
    });
    ExpectFinished(root, {{"/b/album.ini", "[Album:Keep]\nArtist=Else\n"}}, {"/a/1.mp3", "/b/3.mp3"});
    EXPECT_FALSE(platform::PathExists(dir / (root + "/a/album.ini")));
  }
  EXPECT_EQ(kills, 6);
}

TEST_F(KillRecoveryTest, NotesOfRunningEditsAndCatalogueChangedSinceAreLeftAlone) {
  MakeLibrary("x");
  const std::string file = dir / "x/a/album.ini";
  const std::string before = ReadFile(file);
  {
    // An edit in progress holds its note: a scan meanwhile leaves it.
    const catalogue::EditJournal running({catalogue::JournalStep::Replace(file, before, "[Album:New]\nArtist=N\n")});
    ASSERT_TRUE(running.Started());
    Scan("x");
    EXPECT_EQ(ReadFile(file), before);
  }
  // A file another program changed since the note was written is not replaced.
  Write("x/a/album.ini", "[Album:Theirs]\nArtist=T\n");
  catalogue::FinishStep(catalogue::JournalStep::Replace(file, before, "[Album:New]\nArtist=N\n"));
  EXPECT_EQ(ReadFile(file), "[Album:Theirs]\nArtist=T\n");
}

// A note cut short while it was written belongs to an edit that had not begun: the
// next scan drops it and changes nothing, wherever the cut fell.
TEST_F(KillRecoveryTest, ANoteCutShortIsDroppedAndChangesNothing) {
  MakeLibrary("x");
  const std::string file = dir / "x/a/album.ini";
  const std::string before = ReadFile(file);
  const std::string moved = dir / "x/a/1.mp3";
  const std::string whole = std::string("melodeck journal 1\nM") + std::to_string(moved.size()) + ":" + moved +
                            std::to_string(moved.size() + 1) + ":" + moved + "x0:0:0:0:0:\nend\n";
  const size_t oneShortOfFirstPath = std::string("melodeck journal 1\nM").size() + std::to_string(moved.size()).size() + 1 +
                                     moved.size() - 1;
  for (const size_t cut : {whole.size() - 4, whole.size() / 2, std::string("melodeck journal 1\nM12:").size() + 3,
                           oneShortOfFirstPath}) {
    std::filesystem::create_directories(cache / "melodeck/journal");
    testing_support::WriteFile(cache / "melodeck/journal/edit-cut", whole.substr(0, cut));
    Scan("x");
    EXPECT_TRUE(platform::PathExists(moved)) << cut;
    EXPECT_FALSE(platform::PathExists(moved + "x")) << cut;
    EXPECT_EQ(ReadFile(file), before) << cut;
    EXPECT_TRUE(std::filesystem::is_empty(cache / "melodeck/journal")) << cut;
  }
  // A length with no digits, or with more digits than any note writes: damage, dropped.
  std::string noDigits = whole;
  noDigits.replace(noDigits.find("x0:") + 1, 2, ":");
  std::string longLength = whole;
  longLength.insert(longLength.find(std::to_string(moved.size() + 1) + ":"), std::string(12, '0'));
  // A note that lost its last fields ends where its step should have gone on.
  std::string lostFields = whole;
  lostFields.erase(lostFields.find("x0:") + 1, std::string("0:0:0:0:0:").size());
  // A length with a letter among its digits, which a sum of digit values would read as it.
  std::string letterLength = whole;
  const std::string length = std::to_string(moved.size());
  letterLength.replace(letterLength.find(length + ":"), length.size(),
                       std::to_string(moved.size() / 10 - 1) + static_cast<char>('0' + 10 + moved.size() % 10));
  // A step with no length at all before the whole one: the note is damaged throughout.
  const std::string brokenFirstStep = "melodeck journal 1\nM\n" + whole.substr(whole.find('\n') + 1);
  for (const std::string& damaged : {noDigits, longLength, lostFields, letterLength, brokenFirstStep}) {
    testing_support::WriteFile(cache / "melodeck/journal/edit-damaged", damaged);
    Scan("x");
    EXPECT_FALSE(platform::PathExists(moved + "x")) << damaged;
    EXPECT_TRUE(std::filesystem::is_empty(cache / "melodeck/journal")) << damaged;
  }
  // The whole note is carried out: the cuts above were what kept it from acting.
  testing_support::WriteFile(cache / "melodeck/journal/edit-whole", whole);
  Scan("x");
  EXPECT_TRUE(platform::PathExists(moved + "x"));
}

}  // namespace
