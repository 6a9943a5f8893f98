// A disk shared with other programs and made by hand: links that point anywhere,
// catalogues that cannot be read or that Windows saved as UTF-16, library folders
// nested in each other. Nothing the user did not ask to lose is lost, and the tree
// shows what a fresh scan shows.
#include <unistd.h>

#include <filesystem>

#include "library_fixture.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "tree/node_deleter.h"

using testing_support::ReadFile;

namespace {

class HostileDiskTest : public testing_support::LibraryFixture {
 protected:
  void Delete(const std::string& labels) {
    ui.messageAnswers = {platform::IDYES};
    CNodeDeleter(&view, view.Top()).Delete(Find(labels)).Report();
  }
  void Link(const std::string& target, const std::string& relative) {
    std::filesystem::create_directory_symlink(target, dir / relative);
  }
  bool OnDisk(const std::string& relative) { return platform::PathExists(dir / relative); }
  std::string Volume() { return "MUSIC (" + dir.path() + ")"; }
  // UTF-16 LE with its mark, as Windows saves "Unicode" text.
  static std::string Utf16(std::string_view text) {
    std::string out = "\xFF\xFE";
    for (const char c : text) out += std::string{c, '\0'};
    return out;
  }
};

TEST_F(HostileDiskTest, AFolderDeleteNeverGoesThroughALink) {
  testing_support::TempDir outside;
  testing_support::WriteFile(outside / "o.mp3", "not ours");
  Song("lib/A/a.mp3");
  Song("lib/B/b.mp3");
  Link("../B", "lib/A/toB");
  Link(outside.path(), "lib/A/toOutside");
  Scan("lib");
  ASSERT_FALSE(Find(Volume() + "|lib|A|toB|b").IsNull());
  Delete(Volume() + "|lib|A");
  EXPECT_FALSE(OnDisk("lib/A/a.mp3"));
  EXPECT_TRUE(OnDisk("lib/B/b.mp3"));
  EXPECT_TRUE(platform::PathExists(outside / "o.mp3"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "lib/A/toB"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() + "lib/A/toB is a link: neither it nor what it points "
            "to was deleted.\n" + dir.path() + "lib/A/toOutside is a link: neither it nor what it points to was deleted.");
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(HostileDiskTest, AFolderReplacedByALinkAfterTheScanIsNotGoneThrough) {
  testing_support::TempDir elsewhere;
  testing_support::WriteFile(elsewhere / "a.mp3", "not ours");
  Song("lib/A/a.mp3");
  Song("lib/A/sub/s.mp3");
  Scan("lib");
  std::filesystem::rename(dir / "lib/A", dir / "lib/old");
  std::filesystem::create_directory_symlink(elsewhere.path(), dir / "lib/A");
  Delete(Volume() + "|lib|A");
  EXPECT_TRUE(platform::PathExists(elsewhere / "a.mp3"));
  EXPECT_TRUE(OnDisk("lib/old/a.mp3"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() + "lib/A is a link: neither it nor what it points "
            "to was deleted.");
  // A subfolder swapped for a link is kept the same way.
  std::filesystem::remove(dir / "lib/A");
  std::filesystem::rename(dir / "lib/old", dir / "lib/A");
  Scan("lib");
  testing_support::TempDir moved;
  std::filesystem::rename(dir / "lib/A/sub", moved / "sub");
  std::filesystem::create_directory_symlink(elsewhere.path(), dir / "lib/A/sub");
  Delete(Volume() + "|lib|A");
  EXPECT_FALSE(OnDisk("lib/A/a.mp3"));
  EXPECT_TRUE(platform::PathExists(elsewhere / "a.mp3"));
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(HostileDiskTest, AFolderDeleteKeepsEverySongBesideACatalogueItCannotRead) {
  Song("u16/listed.mp3");
  Song("u16/loose.mp3");
  Write("u16/album.ini", Utf16("[Album:Wide]\r\nArtist=W\r\nT1=listed.mp3, Listed\r\n"));
  Song("big/x.mp3");
  Write("big/album.ini", "[Album:Big]\nArtist=B\nT1=x.mp3, X\n");
  std::filesystem::resize_file(dir / "big/album.ini", platform::kMaxProfileSize + 1);
  Song("locked/y.mp3");
  Song("locked/z.mp3");
  Write("locked/album.ini", "[Album:Locked]\nArtist=L\nT1=y.mp3, Y\n");
  Scan();
  // The UTF-16 catalogue reads as Windows reads it: its song is an album song.
  EXPECT_FALSE(Find("W|Wide|Listed").IsNull());
  Delete(Volume() + "|u16");
  EXPECT_TRUE(OnDisk("u16/listed.mp3"));
  EXPECT_FALSE(OnDisk("u16/loose.mp3"));
  Delete(Volume() + "|big");
  EXPECT_TRUE(OnDisk("big/x.mp3"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() +
                                "big/album.ini could not be read: every mp3 file in its folder was kept, as it may list them.");
  // One the user may not read (root may read anything: the file layer is told to fail).
  platform::FailFileStepAt(platform::FileStep::Read, 1);
  Delete(Volume() + "|locked");
  platform::ClearFileFaults();
  EXPECT_TRUE(OnDisk("locked/z.mp3"));
  EXPECT_EQ(ui.Last().text, "Some files were kept:\n" + dir.path() +
                                "locked/album.ini could not be read: every mp3 file in its folder was kept, as it may list them.");
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(HostileDiskTest, AFolderAboveTheLibraryHoldsOnlyWhatLiesInTheLibrary) {
  Song("x/lib/in.mp3");
  Song("x/outside.mp3");
  Scan("x/lib");
  Delete(Volume() + "|x");
  EXPECT_FALSE(OnDisk("x/lib/in.mp3"));
  EXPECT_TRUE(OnDisk("x/outside.mp3"));
  EXPECT_EQ(Tree().find("outside"), std::string::npos);
  EXPECT_EQ(Canonical(view), FreshScan());
}

}  // namespace
