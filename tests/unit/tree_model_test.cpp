// The tree model: structure, handles, notifications, sorting and lookups.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tree/kept_marks.h"
#include "tree/tree_model.h"

using namespace tree;

namespace {

// Records what the model reports, as "event label" lines.
class Recorder : public TreeObserver, public TreeNotifications {
 public:
  explicit Recorder(TreeModel& model) : m_model(model) {}
  void OnInserting(Handle parent, std::size_t row) override { Log(("inserting at " + std::to_string(row)).c_str(), parent); }
  void OnInserted(Handle item) override { Log("inserted", item); }
  void OnRemoving(Handle item) override { Log("removing", item); }
  void OnRemoved(Handle parent) override { Log("removed from", parent); }
  void OnChanged(Handle item) override { Log("changed", item); }
  void OnReordering(Handle parent) override { Log("sorting", parent); }
  void OnReordered(Handle parent) override { Log("sorted", parent); }
  void OnBatchBegin() override { events.push_back("batch"); }
  void OnBatchEnd() override { events.push_back("batch end"); }
  void OnModelGone() override { events.push_back("gone"); }
  void OnExpandedChanged(Handle item, bool expanded) override { Log(expanded ? "expanded" : "collapsed", item); }
  void OnSelectionChanged(Handle item) override { Log("selection", item); }
  bool OnSelChanging(Handle, Handle newItem) override {
    Log("selchanging", newItem);
    return allowSelection;
  }
  void OnSelChanged(Handle, Handle newItem) override { Log("selchanged", newItem); }

  std::vector<std::string> events;
  bool allowSelection = true;

 private:
  void Log(const char* what, Handle item) {
    events.push_back(std::string(what) + " " + std::string(item ? m_model.GetLabel(item) : "-"));
  }
  TreeModel& m_model;
};

std::vector<std::string> Labels(const TreeModel& model, Handle parent) {
  std::vector<std::string> labels;
  for (Handle child = model.GetChild(parent); child; child = model.GetNextSibling(child)) {
    labels.emplace_back(model.GetLabel(child));
  }
  return labels;
}

TEST(TreeModelTest, BuildsAndNavigates) {
  TreeModel model;
  const Handle top = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
  const Handle a = model.InsertItem(top, "A", NodeKind::Artist);
  const Handle b = model.InsertItem(top, "B", NodeKind::Artist);
  const Handle album = model.InsertItem(a, "Album", NodeKind::Album);
  EXPECT_EQ(model.GetRoot(), top);
  EXPECT_EQ(model.GetChild(top), a);
  EXPECT_EQ(model.GetNextSibling(a), b);
  EXPECT_EQ(model.GetNextSibling(b), kNullHandle);
  EXPECT_EQ(model.GetParent(album), a);
  EXPECT_EQ(model.GetParent(top), kNullHandle);
  EXPECT_EQ(model.ChildAt(top, 1), b);
  EXPECT_EQ(model.RowOf(b), 1u);
  EXPECT_EQ(model.ChildCount(top), 2u);
  EXPECT_EQ(model.Count(), 4u);
  EXPECT_EQ(model.GetKind(album), NodeKind::Album);
  EXPECT_FALSE(model.GetData(album).has_value());
  model.SetData(b, std::string_view());  // an empty data text is one, even the model's first
  EXPECT_EQ(model.GetData(b), "");
  model.SetData(album, "/music/");
  EXPECT_EQ(model.GetData(album), "/music/");
  model.SetData(album, std::string_view());
  EXPECT_EQ(model.GetData(album), "");
  model.SetData(album, std::nullopt);
  EXPECT_FALSE(model.GetData(album).has_value());
}

TEST(TreeModelTest, DeletedHandlesNeverComeBack) {
  TreeModel model;
  const Handle top = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
  const Handle a = model.InsertItem(top, "A", NodeKind::Artist);
  const Handle song = model.InsertItem(model.InsertItem(a, "Album", NodeKind::Album), "Song", NodeKind::AlbumSong);
  const Handle b = model.InsertItem(top, "B", NodeKind::Artist);
  model.DeleteItem(a);
  EXPECT_FALSE(model.IsValid(a));
  EXPECT_FALSE(model.IsValid(song));
  EXPECT_EQ(model.GetLabel(song), "");
  EXPECT_EQ(model.RowOf(b), 0u);
  EXPECT_EQ(model.Count(), 2u);
  // The slots are reused, under new handles.
  const Handle c = model.InsertItem(top, "C", NodeKind::Artist);
  const Handle d = model.InsertItem(top, "D", NodeKind::Artist);
  EXPECT_NE(c, a);
  EXPECT_NE(d, song);
  EXPECT_FALSE(model.IsValid(a));
  EXPECT_EQ(Labels(model, top), (std::vector<std::string>{"B", "C", "D"}));
  // A stale handle changes nothing and says so.
  EXPECT_FALSE(model.State().Expand(a, ExpandAction::Expand));
  EXPECT_FALSE(model.State().IsExpanded(a));
  EXPECT_FALSE(model.State().IsExpanded(c));
  EXPECT_TRUE(model.State().SelectItem(c));
  EXPECT_FALSE(model.State().SelectItem(a));
  EXPECT_EQ(model.State().GetSelection(), c);
  EXPECT_TRUE(model.State().SelectItem(kNullHandle));  // nothing selected
  EXPECT_EQ(model.State().GetSelection(), kNullHandle);
}

TEST(TreeModelTest, TellsObserverAndOwner) {
  TreeModel model;
  Recorder recorder(model);
  model.SetObserver(&recorder);
  model.State().SetNotifications(&recorder);
  const Handle top = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
  const Handle a = model.InsertItem(top, "A", NodeKind::Artist);
  EXPECT_FALSE(model.State().Expand(a, ExpandAction::Expand));  // no children: nothing at all
  EXPECT_TRUE(model.State().Expand(top, ExpandAction::Toggle));
  EXPECT_FALSE(model.State().Expand(top, ExpandAction::Expand));
  EXPECT_TRUE(model.State().Expand(top, ExpandAction::CollapseReset));
  model.SetMark(a, Mark::Marked);
  model.SetMark(a, Mark::Marked);  // no change, no report
  EXPECT_TRUE(model.State().SelectItem(a));
  recorder.allowSelection = false;
  EXPECT_FALSE(model.State().SelectItem(top));
  EXPECT_EQ(model.State().GetSelection(), a);
  model.DeleteItem(a);
  EXPECT_EQ(model.State().GetSelection(), kNullHandle);
  {
    const TreeModel::Batch batch(model);
    model.InsertItem(top, "Quiet", NodeKind::Artist);
    model.SortChildren(top);
  }
  EXPECT_EQ(recorder.events,
            (std::vector<std::string>{"inserting at 0 -", "inserted Artists", "inserting at 0 Artists", "inserted A",
                                      "expanded Artists", "collapsed Artists", "changed A", "selchanging A", "selection A",
                                      "selchanged A", "selchanging Artists", "removing A", "removed from Artists",
                                      "selection -", "batch", "batch end"}));
  model.SetObserver(nullptr);  // the recorder goes first
}

// A view of a model that goes first hears of it, and asks it nothing afterwards.
TEST(TreeModelTest, TheObserverHearsWhenTheModelGoes) {
  std::optional<TreeModel> model(std::in_place);
  Recorder recorder(*model);
  model->SetObserver(&recorder);
  model->InsertItem(kNullHandle, "Artists", NodeKind::Top);
  model.reset();
  EXPECT_EQ(recorder.events.back(), "gone");
}

TEST(TreeModelTest, SortsByLabelAsListingsAreOrdered) {
  TreeModel model;
  const Handle top = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
  for (const char* label : {"beta", "Alpha", "_under", "Ärlig", "alpha", "Gamma"}) model.InsertItem(top, label, NodeKind::Artist);
  model.SortChildren(top, 4);
  EXPECT_EQ(Labels(model, top), (std::vector<std::string>{"Alpha", "beta", "_under", "Ärlig", "alpha", "Gamma"}));
  model.SortChildren(top);
  EXPECT_EQ(Labels(model, top), (std::vector<std::string>{"Alpha", "alpha", "beta", "Gamma", "_under", "Ärlig"}));
  EXPECT_EQ(model.RowOf(model.FindChildByLabel(top, "GAMMA")), 3u);

  // A new order takes every child once; one that leaves a child out changes nothing,
  // and the order they have already is no change either.
  std::vector<Handle> order;
  for (Handle child = model.GetChild(top); child != kNullHandle; child = model.GetNextSibling(child)) {
    order.insert(order.begin(), child);
  }
  const std::uint64_t version = model.ContentVersion();
  model.ReorderChildren(top, std::vector<Handle>(order.begin() + 1, order.end()));
  EXPECT_EQ(Labels(model, top), (std::vector<std::string>{"Alpha", "alpha", "beta", "Gamma", "_under", "Ärlig"}));
  model.ReorderChildren(top, std::vector<Handle>(order.rbegin(), order.rend()));
  EXPECT_EQ(model.ContentVersion(), version);
  model.ReorderChildren(top, order);
  EXPECT_EQ(Labels(model, top), (std::vector<std::string>{"Ärlig", "_under", "Gamma", "beta", "alpha", "Alpha"}));
  EXPECT_EQ(model.RowOf(model.FindChildByLabel(top, "beta")), 3u);

  // The roots reorder as well; a node gone has no children to reorder.
  const Handle second = model.InsertItem(kNullHandle, "Second", NodeKind::Top);
  model.ReorderChildren(kNullHandle, {second, top});
  EXPECT_EQ(model.GetRoot(), second);
  model.DeleteItem(second);
  model.ReorderChildren(second, {});
  EXPECT_EQ(model.GetRoot(), top);
}

TEST(TreeModelTest, FindsChildrenWithoutCaseAmongThousands) {
  TreeModel model;
  const Handle top = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
  std::vector<Handle> artists;
  for (int i = 0; i < 3000; ++i) artists.push_back(model.InsertItem(top, "Artist " + std::to_string(i), NodeKind::Artist));
  const Handle aasa = model.InsertItem(top, "Åsa", NodeKind::Artist);
  EXPECT_EQ(model.FindChildByLabel(top, "artist 2999"), artists[2999]);
  EXPECT_EQ(model.FindChildByLabel(top, "åSA"), aasa);
  EXPECT_EQ(model.FindChildByLabel(top, "nobody"), kNullHandle);
  // The index follows inserts, relabels and deletes.
  const Handle late = model.InsertItem(top, "Late", NodeKind::Artist);
  EXPECT_EQ(model.FindChildByLabel(top, "LATE"), late);
  model.SetLabel(late, "Renamed");
  EXPECT_EQ(model.FindChildByLabel(top, "late"), kNullHandle);
  EXPECT_EQ(model.FindChildByLabel(top, "renamed"), late);
  model.DeleteItem(artists[5]);
  EXPECT_EQ(model.FindChildByLabel(top, "Artist 5"), kNullHandle);
  // Two children of the same label: the first in child order.
  const Handle twin = model.InsertItem(top, "ARTIST 7", NodeKind::Artist);
  EXPECT_EQ(model.FindChildByLabel(top, "artist 7"), artists[7]);
  model.DeleteItem(artists[7]);
  EXPECT_EQ(model.FindChildByLabel(top, "artist 7"), twin);
}

}  // namespace

TEST(TreeModelTest, TextsStayWhatWasStoredThroughGrowthEditsAndCompaction) {
  TreeModel model;
  const Handle root = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
  const std::string huge(200000, 'x');  // longer than a block of the text store
  std::vector<Handle> songs;
  for (int i = 0; i < 20000; ++i) {
    const Handle song = model.InsertItem(root, "song " + std::to_string(i), NodeKind::AlbumSong);
    model.SetData(song, i % 2 ? std::string_view("/music/folder/") : std::string_view("title " + std::to_string(i)));
    songs.push_back(song);
  }
  const Handle big = model.InsertItem(root, huge, NodeKind::AlbumSong);
  model.SetData(big, std::string_view());
  model.SetLabel(songs[5], "renamed");
  model.SetData(songs[6], std::nullopt);
  // A NUL ends a label or data text, as it ends a C string.
  model.SetLabel(songs[7], std::string_view("cut\0here", 8));
  model.DeleteItem(songs[8]);

  const auto check = [&] {
    EXPECT_EQ(model.GetLabel(songs[0]), "song 0");
    EXPECT_EQ(model.GetData(songs[0]), "title 0");
    EXPECT_EQ(model.GetData(songs[19999]), "/music/folder/");
    EXPECT_EQ(model.GetLabel(songs[5]), "renamed");
    EXPECT_EQ(model.GetData(songs[6]), std::nullopt);
    EXPECT_EQ(model.GetLabel(songs[7]), "cut");
    EXPECT_EQ(model.GetLabel(big), huge);
    EXPECT_EQ(model.GetData(big), "");  // empty data is data, unlike none
    EXPECT_FALSE(model.IsValid(songs[8]));
  };
  check();
  EXPECT_EQ(model.Count(), 20001u);
  model.CompactTexts();
  check();
  const Handle later = model.InsertItem(root, "after", NodeKind::AlbumSong);
  model.SetData(later, "/music/folder/");
  EXPECT_EQ(model.GetData(later), "/music/folder/");
  check();
}

// Marks kept across a tree made anew follow an artist the user renamed, and only the
// artist: a volume bearing the same label keeps its own.
TEST(KeptMarksTest, ARenamedArtistTakesOnlyItsOwnMarks) {
  const auto build = [](TreeModel& model, const char* artist) {
    const Handle top = model.InsertItem(kNullHandle, "Artists", NodeKind::Top);
    const Handle album = model.InsertItem(model.InsertItem(top, artist, NodeKind::Artist), "Album", NodeKind::Album);
    const Handle folder = model.InsertItem(model.InsertItem(top, "X", NodeKind::Volume), "f", NodeKind::Folder);
    return std::vector<Handle>{top, model.InsertItem(album, "S", NodeKind::AlbumSong),
                               model.InsertItem(folder, "S", NodeKind::LooseSong)};
  };
  TreeModel before;
  const auto old = build(before, "X");
  for (const Handle song : {old[1], old[2]}) {
    before.SetMark(song, Mark::Marked);
    for (Handle up = before.GetParent(song); up != old[0]; up = before.GetParent(up)) before.SetMark(up, Mark::Partly);
  }
  before.SetMark(old[0], Mark::Partly);
  KeptMarks kept(before, old[0]);
  kept.RenameArtist("X", "Y");
  TreeModel after;
  const auto made = build(after, "Y");
  kept.ApplyTo(after, made[0]);
  EXPECT_EQ(after.GetMark(made[1]), Mark::Marked);
  EXPECT_EQ(after.GetMark(made[2]), Mark::Marked);
}
