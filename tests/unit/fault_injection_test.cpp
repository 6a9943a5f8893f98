// Every catalogue rewrite and the song-file-then-entry rename, with a write, a flush,
// the rename into place or the file move failing at its first, second or third call:
// each file is left as it was or complete as the edit makes it, the user is told when
// the edit did not go through, no temporary file stays, and the tree shows the disk.
#include <algorithm>
#include <filesystem>
#include <functional>

#include "disk_snapshot.h"
#include "library_fixture.h"
#include "platform/file_faults.h"
#include "tree/node_deleter.h"
#include "tree/library_editor.h"

using namespace tree;
using testing_support::Disk;
using testing_support::Snapshot;

namespace {

struct Edit {
  const char* name;
  std::function<void(testing_support::LibraryFixture&)> run;
};

class FaultInjectionTest : public testing_support::LibraryFixture, public ::testing::WithParamInterface<int> {
 protected:
  void TearDown() override { platform::ClearFileFaults(); }

  void MakeLibrary() {
    std::filesystem::remove_all(dir.path() + "a");
    std::filesystem::remove_all(dir.path() + "b");
    Write("a/album.ini",
          "; made on Windows\r\n[Album:Old]\r\nArtist=The Band\r\nT1=01.mp3, One\r\nT2=02.mp3, Two, Pop, 1990, X, extra\r\n"
          "\r\n[Album:Other]\r\nArtist=Someone\r\nT1=03.mp3, Thr\xE9\xE9\r\n");
    Write("b/album.ini", "[Album:B]\nArtist=The Band\nT1=04.mp3, Four\n");
    for (const char* song : {"a/01.mp3", "a/02.mp3", "a/03.mp3", "b/04.mp3"}) Song(song, 1);
    view.SetDisplayMode(tree::DisplayMode::SongTitles);
    Scan();
    ui.messages.clear();
  }

  void Rename(const std::string& labels, const std::string& text) {
    const TreeItem node = Find(labels);
    view.Tree()->State().SelectItem(node.m_hItem);
    std::string start;
    if (view.Editor().BeginRename(node, start)) view.Editor().EndRename(node, text.c_str());
  }
  void Delete(const std::string& labels) {
    ui.messageAnswers = {platform::IDYES};
    CNodeDeleter(&view, view.Top()).Delete(Find(labels)).Report();
  }

  bool ErrorShown() const {
    return std::any_of(ui.messages.begin(), ui.messages.end(), [](const auto& m) { return m.caption == "Error"; });
  }

  std::vector<Edit> Edits() {
    return {
        {"album rename", [this](auto&) { Rename("The Band|Old", "New"); }},
        {"song file rename", [this](auto&) {
           view.ShowFileNames();
           Rename("The Band|Old|01", "uno");
         }},
        {"song title rename", [this](auto&) { Rename("The Band|Old|Two", "Dos"); }},
        {"artist rename", [this](auto&) { Rename("The Band", "Band X"); }},
        {"song entry delete", [this](auto&) { Delete("The Band|Old|One"); }},
        {"album delete", [this](auto&) { Delete("Someone|Other"); }},
        {"artist delete", [this](auto&) { Delete("The Band"); }},
        {"album details", [this](auto&) {
           view.Tree()->State().SelectItem(Find("The Band|Old").m_hItem);
           page.categoryText = "Jazz";
           view.Tree()->State().SelectItem(view.Top().m_hItem);
         }},
    };
  }
};

TEST_P(FaultInjectionTest, AFailedStepLeavesEveryFileWholeAndTheUserIsTold) {
  const Edit edit = Edits()[static_cast<size_t>(GetParam())];
  MakeLibrary();
  const Disk before = Snapshot(dir.path());
  edit.run(*this);
  ASSERT_FALSE(ErrorShown()) << edit.name << " fails without a fault";
  const Disk done = Snapshot(dir.path());
  ASSERT_NE(before.size() == done.size() && std::equal(before.begin(), before.end(), done.begin(),
                                                      [](const auto& a, const auto& b) { return a.second.bytes == b.second.bytes; }),
            true)
      << edit.name << " changes nothing";

  for (const auto step : {platform::FileStep::Write, platform::FileStep::Fsync, platform::FileStep::Rename,
                          platform::FileStep::Move}) {
    for (int call = 1; call <= 3; ++call) {
      MakeLibrary();
      platform::FailFileStepAt(step, call);
      edit.run(*this);
      platform::ClearFileFaults();
      const std::string where = std::string(edit.name) + ", step " + std::to_string(static_cast<int>(step)) +
                                ", call " + std::to_string(call);
      const Disk after = Snapshot(dir.path());
      bool complete = true;
      for (const auto& [path, file] : after) {
        EXPECT_FALSE(path.ends_with(".tmp")) << where << ": temporary file " << path;
        const bool asBefore = before.contains(path) && before.at(path).bytes == file.bytes;
        const bool asDone = done.contains(path) && done.at(path).bytes == file.bytes;
        EXPECT_TRUE(asBefore || asDone) << where << ": " << path << " is neither the old nor the new file";
        complete &= asDone;
      }
      complete &= after.size() == done.size();
      if (!complete) {
        EXPECT_TRUE(ErrorShown()) << where << ": the edit did not go through and nobody was told";
      }
      EXPECT_EQ(Canonical(view), FreshScan()) << where;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Edits, FaultInjectionTest, ::testing::Range(0, 8));

}  // namespace
