// Deleting after a confirmation: files, folders, song entries, albums and artists; the
// tree follows in place and catalogues are rewritten safely.
#include "catalogue/album_catalogue.h"
#include "catalogue/catalogue_rewrite.h"
#include "library_fixture.h"
#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "tree/library_editor.h"
#include "tree/node_deleter.h"

using namespace tree;
using testing_support::MakeReadOnly;
using testing_support::ReadFile;

namespace {

class DeleteTest : public testing_support::LibraryFixture {
 protected:
  void SetUp() override {
    Write("a/album.ini", kShared);
    for (const char* song : {"a/1.mp3", "a/2.mp3", "a/3.mp3", "a/o.mp3"}) Song(song);
    Song("loose/deep/only.mp3");
    Song("loose/two/x.mp3");
    Song("loose/two/y.mp3");
    Scan();
  }
  void Delete(const std::string& labels, int answer = platform::IDYES) {
    ui.messageAnswers = {answer};
    CNodeDeleter(&view, view.Top()).Delete(Find(labels)).Report();
  }
  bool Exists(const std::string& labels) {
    TreeItem node = view.Top();
    std::string rest = labels;
    while (!rest.empty()) {
      const std::string label = rest.substr(0, rest.find('|'));
      rest = rest.find('|') == std::string::npos ? "" : rest.substr(rest.find('|') + 1);
      TreeItem child = node.FirstChild();
      while (!child.IsNull() && child.Label() != label) child = child.NextSibling();
      if (child.IsNull()) return false;
      node = child;
    }
    return true;
  }

  // Two artists share one catalogue; CRLF, a comment and a long line must survive.
  const std::string kShared =
      "[Album:Live]\r\nArtist=The Band\r\nT1=1.mp3, One\r\nT2=2.mp3, Two\r\nT3=3.mp3, Three\r\n\r\n"
      "; keep me " + std::string(2000, 'k') + "\r\n[Album:Other]\r\nArtist=Someone\r\nT1=o.mp3, O\r\nT2=2.mp3, Two again\r\n";
};

TEST_F(DeleteTest, NoChangesNothing) {
  const std::string before = Tree();
  Delete(Volume() + "|loose|deep|only", platform::IDNO);
  Delete("The Band", platform::IDNO);
  EXPECT_EQ(Tree(), before);
  EXPECT_TRUE(platform::PathExists(dir / "loose/deep/only.mp3"));
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kShared);
  EXPECT_EQ(ui.Message(0).text, "The file \"only.mp3\" will be deleted!\n\nAre you sure?");
  EXPECT_EQ(ui.Message(0).caption, "Warning");
  EXPECT_EQ(ui.Message(0).type, platform::MB_YESNO | platform::MB_ICONQUESTION);
}

// Delete as the window and the tool ask for it says whether anything went: not for the
// top node or a volume, not when the user says no, and yes when it is done.
TEST_F(DeleteTest, TheEditorsDeleteSaysWhetherItWasDone) {
  EXPECT_FALSE(view.Editor().Delete(view.Top()));
  EXPECT_FALSE(view.Editor().Delete(Find(Volume())));
  EXPECT_TRUE(ui.messages.empty());  // nothing to ask
  ui.messageAnswers = {platform::IDNO};
  EXPECT_FALSE(view.Editor().Delete(Find(Volume() + "|loose|deep|only")));
  EXPECT_TRUE(platform::PathExists(dir / "loose/deep/only.mp3"));
  ui.messageAnswers = {platform::IDYES};
  EXPECT_TRUE(view.Editor().Delete(Find(Volume() + "|loose|deep|only")));
  EXPECT_FALSE(platform::PathExists(dir / "loose/deep/only.mp3"));
}

TEST_F(DeleteTest, TheLastLooseFileTakesItsEmptyFoldersButNeverTheTop) {
  Delete(Volume() + "|loose|deep|only");
  EXPECT_FALSE(platform::PathExists(dir / "loose/deep/only.mp3"));
  EXPECT_FALSE(Exists(Volume() + "|loose|deep"));
  EXPECT_TRUE(Exists(Volume() + "|loose|two"));
  Delete(Volume() + "|loose|two|x");
  Delete(Volume() + "|loose|two|y");
  EXPECT_FALSE(Exists(Volume()));
  EXPECT_TRUE(view.Tree()->IsValid(view.Top().m_hItem));
}

TEST_F(DeleteTest, ReadOnlyFilesStayAndTheUserIsTold) {
  MakeReadOnly(dir / "loose/two/y.mp3");
  Delete(Volume() + "|loose|two|y");
  EXPECT_EQ(ui.Last().text, "Unable to delete the file!\n\nIs it read only?");
  EXPECT_TRUE(Exists(Volume() + "|loose|two|y"));
  Delete(Volume() + "|loose|two");
  EXPECT_EQ(ui.Message(2).text,
            "The folder \"two\" together with all mp3 files\nin it that does not belong to a album.ini will be "
            "deleted!\n\nAre you sure?");
  EXPECT_EQ(ui.Last().text, "Unable to delete the folder!\n\nAre any mp3 files read only?");
  EXPECT_FALSE(platform::PathExists(dir / "loose/two/x.mp3"));
  EXPECT_FALSE(Exists(Volume() + "|loose|two|x"));
  EXPECT_TRUE(Exists(Volume() + "|loose|two|y"));
}

TEST_F(DeleteTest, FoldersGoWithTheirLooseFilesButKeepListedOnes) {
  Write("loose/deep/album.ini", "[Album:Kept]\nArtist=K\nT1=listed.mp3, L\n");
  Song("loose/deep/listed.mp3");
  Scan();
  Delete(Volume() + "|loose");
  EXPECT_FALSE(platform::PathExists(dir / "loose/deep/only.mp3"));
  EXPECT_TRUE(platform::PathExists(dir / "loose/deep/listed.mp3"));
  EXPECT_TRUE(platform::PathExists(dir / "loose/deep"));
  EXPECT_FALSE(Exists(Volume()));
}

TEST_F(DeleteTest, ASongEntryGoesFromItsOwnSectionAndTheFileBecomesLooseWhenNoSectionListsIt) {
  Delete("The Band|Live|Two");
  EXPECT_EQ(ReadFile(dir / "a/album.ini"),
            "[Album:Live]\r\nArtist=The Band\r\nT1=1.mp3, One\r\nT2=3.mp3, Three\r\n\r\n; keep me " +
                std::string(2000, 'k') + "\r\n[Album:Other]\r\nArtist=Someone\r\nT1=o.mp3, O\r\nT2=2.mp3, Two again\r\n");
  EXPECT_FALSE(Exists("The Band|Live|Two"));
  // "Other" still lists 2.mp3: it is no loose file, and a folder delete keeps it.
  EXPECT_FALSE(Exists(Volume() + "|a|2"));
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.Message(0).text,
            "The song \"Two\" will be deleted from the album!\nThe song file itself will not be deleted.\n\nAre you sure?");
  Delete("Someone|Other|O");
  EXPECT_TRUE(Exists(Volume() + "|a|o"));
  Delete(Volume() + "|a");
  EXPECT_FALSE(platform::PathExists(dir / "a/o.mp3"));
  EXPECT_TRUE(platform::PathExists(dir / "a/2.mp3"));
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(DeleteTest, AReadOnlyCatalogueStopsTheDeletion) {
  MakeReadOnly(dir / "a/album.ini");
  Delete("The Band|Live|Two");
  EXPECT_EQ(ui.Last().text, "Album.ini for \"Live\" is read only.\n\nUnable to delete!");
  EXPECT_TRUE(Exists("The Band|Live|Two"));
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kShared);
}

// An artist whose catalogue cannot be written stays, with all its albums.
TEST_F(DeleteTest, AnArtistInAReadOnlyCatalogueStays) {
  MakeReadOnly(dir / "a/album.ini");
  Delete("The Band");
  EXPECT_TRUE(Exists("The Band|Live|Two"));
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), kShared);
  EXPECT_EQ(Canonical(view), FreshScan());
}

TEST_F(DeleteTest, AnArtistTakesOnlyItsOwnSections) {
  Delete("The Band");
  EXPECT_FALSE(Exists("The Band"));
  // The comment stood inside The Band's section and went with it.
  EXPECT_EQ(ReadFile(dir / "a/album.ini"), "[Album:Other]\r\nArtist=Someone\r\nT1=o.mp3, O\r\nT2=2.mp3, Two again\r\n");
  EXPECT_TRUE(Exists("Someone|Other|O"));
  EXPECT_TRUE(Exists(Volume() + "|a|1"));
  EXPECT_TRUE(Exists(Volume() + "|a|3"));
  EXPECT_EQ(ui.Message(0).text,
            "Delete all albums belonging to \"The Band\"\nThe actual song files will not be deleted.\n\nAre you sure?");
}

TEST_F(DeleteTest, AnAlbumAloneInItsCatalogueTakesTheFile) {
  Delete("Someone|Other");
  EXPECT_FALSE(Exists("Someone"));
  EXPECT_TRUE(platform::PathExists(dir / "a/album.ini"));
  Write("b/album.ini", "[Album:Solo]\nArtist=Solo\nT1=s.mp3, S\n\n[Album:Second]\nArtist=Solo\n");
  Song("b/s.mp3");
  Scan();
  Delete("Solo|Second");
  EXPECT_EQ(view.Tree()->State().GetSelection(), Find("Solo|Solo").m_hItem);
  Delete("Solo|Solo");
  EXPECT_FALSE(platform::PathExists(dir / "b/album.ini"));
  EXPECT_FALSE(Exists("Solo"));
  EXPECT_TRUE(Exists(Volume() + "|b|s"));

  // A catalogue that cannot be read once its album is removed is not known to be
  // empty: it stays.
  Write("c/album.ini", "[Album:Alone]\nArtist=Lone\nT1=l.mp3, L\n");
  Song("c/l.mp3");
  Scan();
  platform::FailFileStepAt(platform::FileStep::Read, 4);  // the look at what is left
  Delete("Lone|Alone");
  platform::ClearFileFaults();
  EXPECT_TRUE(platform::PathExists(dir / "c/album.ini"));
  EXPECT_FALSE(Exists("Lone"));
}

TEST(CatalogueRewriteTest, FailuresLeaveTheCatalogueByteIdentical) {
  testing_support::TempDir dir;
  const std::string file = dir / "album.ini";
  const std::string bytes = "[Album:A]\r\nArtist=X\r\nT1=a.mp3, A\r\nT2=b.mp3, B\r\n";
  testing_support::WriteFile(file, bytes);
  MakeReadOnly(file);
  EXPECT_EQ(catalogue::RenameAlbumSections(file, "A", "B"), catalogue::RewriteResult::ReadOnly);
  EXPECT_EQ(catalogue::RemoveSongEntry(file, "Album:A", "a.mp3", catalogue::kAnyPosition), catalogue::RewriteResult::ReadOnly);
  EXPECT_EQ(catalogue::RemoveArtistSections(file, "X"), catalogue::RewriteResult::ReadOnly);
  EXPECT_EQ(ReadFile(file), bytes);
  // A name a Windows-1252 catalogue cannot hold is refused, not garbled.
  testing_support::WriteFile(dir / "w/album.ini", "[Album:Sk\xE5l]\r\nArtist=X\r\n");
  EXPECT_EQ(catalogue::RenameAlbumSections(dir / "w/album.ini", "skål", "東京"), catalogue::RewriteResult::Unwritable);
  EXPECT_EQ(ReadFile(dir / "w/album.ini"), "[Album:Sk\xE5l]\r\nArtist=X\r\n");
  EXPECT_EQ(catalogue::RenameAlbumSections(dir / "w/album.ini", "SKÅL", "Ö"), catalogue::RewriteResult::Done);
  EXPECT_EQ(ReadFile(dir / "w/album.ini"), "[Album:\xD6]\r\nArtist=X\r\n");
  // The same file listed by two albums: only the album's own entry goes.
  testing_support::WriteFile(dir / "two/album.ini", "[Album:A]\nT1=s.mp3, A\n[Album:B]\nT1=s.mp3, B\nT2=t.mp3, T\n");
  EXPECT_EQ(catalogue::RemoveSongEntry(dir / "two/album.ini", "album:b", "S.MP3", catalogue::kAnyPosition), catalogue::RewriteResult::Done);
  EXPECT_EQ(ReadFile(dir / "two/album.ini"), "[Album:A]\nT1=s.mp3, A\n[Album:B]\nT1=t.mp3, T\n");
}

}  // namespace
