// A library in a fresh folder with a tree view over it: fake volumes, recorded UI,
// an in-memory details page and a settings file of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_volumes.h"
#include "memory_prop_data.h"
#include "recording_ui_hooks.h"
#include "temp_dir.h"
#include "tree/stree_view.h"

namespace testing_support {

class LibraryFixture : public ::testing::Test {
 protected:
  LibraryFixture();

  // Files below the library folder.
  void Write(const std::string& relative, const std::string& bytes) { WriteFile(dir / relative, bytes); }
  // An MP3 file of the given number of real frames (417 bytes each).
  void Song(const std::string& relative, int frames = 2);
  // The label of the volume node the library lies on.
  std::string Volume() const { return "MUSIC (" + dir.path() + ")"; }
  // A settings key in the library's own "Melodeck.ini".
  void Setting(const std::string& key, const std::string& value);

  // Refreshes with the path list; a path not starting with "/" is below the library.
  void Scan(const std::string& pathList = "");
  // The tree as melodeck-tool prints it, with the library folder written as "<lib>/".
  std::string Tree();
  // The tree as one line per node with its labels from the top down: the children of
  // volumes and folders in their order, other siblings sorted. An artist whose sections
  // spell the name in several letter cases is labelled as the first catalogue scanned
  // spells it, which depends on the order too: artist labels are compared upper-cased.
  static std::string Canonical(STreeView& view);
  // The lines of a text sorted: a tree in that form without any sibling order.
  static std::string SortedLines(const std::string& text);
  // The tree a fresh Refresh of the last path list shows, in the same display mode,
  // in that form; the view itself is left as it is.
  std::string FreshScan();
  // The node reached from the top node by labels separated by "|".
  TreeItem Find(const std::string& labels);

  TempDir dir;
  TempDir settingsDir;
  FakeVolumes volumes;
  RecordingUiHooks ui;
  MemoryPropData page;
  STreeView view;
};

}  // namespace testing_support
