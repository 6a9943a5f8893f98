#include "library_fixture.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "mp3_frames.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tree/tree_dump.h"
#include "tree/details_presenter.h"

namespace testing_support {

LibraryFixture::LibraryFixture() {
  volumes.Add(dir.path(), "MUSIC", platform::DriveType::Removable);
  view.Details().SetDataPage(&page);
  view.SetSettingsPaths({settingsDir.path(), settingsDir / "Melodeck.ini"});
  while (platform::Ui().PumpOne()) {
  }
}

void LibraryFixture::Song(const std::string& relative, int frames) { Write(relative, SilentMp3Frames(frames)); }

void LibraryFixture::Setting(const std::string& key, const std::string& value) {
  platform::ProfileWrite(settingsDir / "Melodeck.ini", "Settings", key.c_str(), value.c_str());
}

void LibraryFixture::Scan(const std::string& pathList) {
  std::string list;
  std::istringstream parts(pathList.empty() ? dir.path() : pathList);
  for (std::string part; std::getline(parts, part, ';');) {
    if (!list.empty()) list += ';';
    const bool relative = !part.empty() && part.find_first_not_of(' ') != std::string::npos &&
                          part[part.find_first_not_of(' ')] != '/';
    list += relative ? dir / part.substr(part.find_first_not_of(' ')) : part;
  }
  view.Refresh(list);
}

std::string LibraryFixture::Tree() {
  std::string text = DumpTree(view, view.Top());
  for (size_t at; (at = text.find(dir.path())) != std::string::npos;) text.replace(at, dir.path().size(), "<lib>/");
  return text;
}

namespace {

// The node's line with its labels from the top down, then its children's blocks:
// in the tree's order below volumes and folders, sorted elsewhere.
std::string CanonicalBlock(STreeView& view, const TreeItem& item, const std::string& path) {
  const std::string line = DumpTree(view, item);
  std::string own = line.substr(0, line.find('\n'));
  if (tree::KindOf(item) == tree::NodeKind::Artist) own = platform::UpperUtf8(own);
  const std::string here = path + "/" + own.substr(own.find_first_not_of(' '));
  std::vector<std::string> blocks;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    blocks.push_back(CanonicalBlock(view, child, here));
  }
  const tree::NodeKind kind = tree::KindOf(item);
  if (kind != tree::NodeKind::Volume && kind != tree::NodeKind::Folder) std::sort(blocks.begin(), blocks.end());
  std::string text = here + "\n";
  for (const std::string& block : blocks) text += block;
  return text;
}

}  // namespace

std::string LibraryFixture::Canonical(STreeView& view) {
  return view.Top().IsNull() ? std::string() : CanonicalBlock(view, view.Top(), "");
}

std::string LibraryFixture::SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (const std::string& line : lines) sorted += line + "\n";
  return sorted;
}

std::string LibraryFixture::FreshScan() {
  STreeView fresh;
  fresh.SetSettingsPaths({view.Settings().playlistFolder, view.Settings().file});
  while (platform::Ui().PumpOne()) {
  }
  fresh.SetDisplayMode(view.DisplayMode());
  fresh.Refresh(view.PathList());
  return Canonical(fresh);
}

TreeItem LibraryFixture::Find(const std::string& labels) {
  TreeItem node = view.Top();
  std::istringstream parts(labels);
  for (std::string label; std::getline(parts, label, '|');) {
    TreeItem child = node.FirstChild();
    while (!child.IsNull() && child.Label() != label) child = child.NextSibling();
    if (child.IsNull()) {
      ADD_FAILURE() << "no node " << label << " in " << labels;
      return {};
    }
    node = child;
  }
  return node;
}

}  // namespace testing_support
