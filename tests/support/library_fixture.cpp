#include "library_fixture.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "mp3_frames.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tree/tree_dump.h"

namespace testing_support {

LibraryFixture::LibraryFixture() {
  volumes.Add(dir.path(), "MUSIC", platform::DriveType::Removable);
  view.SetDataPage(&page);
  view.SetSettingsPaths(settingsDir.path(), settingsDir / "Melodeck.ini");
  view.OnInitialUpdate();
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

void CanonicalLines(STreeView& view, const TreeItem& item, const std::string& path, std::vector<std::string>& lines) {
  const std::string line = DumpTree(view, item);
  std::string own = line.substr(0, line.find('\n'));
  if (view.GetNodeKind(item) == tree::kArtistNode) own = platform::UpperUtf8(own);
  const std::string here = path + "/" + own.substr(own.find_first_not_of(' '));
  lines.push_back(here);
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    CanonicalLines(view, child, here, lines);
  }
}

}  // namespace

std::string LibraryFixture::Canonical(STreeView& view) {
  std::vector<std::string> lines;
  if (!view.Top().IsNull()) CanonicalLines(view, view.Top(), "", lines);
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string LibraryFixture::FreshScan() {
  STreeView fresh;
  fresh.SetSettingsPaths(view.PlaylistFolder(), view.SettingsFile());
  fresh.OnInitialUpdate();
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
