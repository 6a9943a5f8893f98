#include "library_fixture.h"

#include <sstream>

#include "mp3_frames.h"
#include "platform/profile.h"
#include "tree/tree_dump.h"

namespace testing_support {

LibraryFixture::LibraryFixture() {
  volumes.Add(dir.path(), "MUSIC", platform::DriveType::Removable);
  view.m_pDataPage = &page;
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
  std::string text = DumpTree(view, view.m_itemTop);
  for (size_t at; (at = text.find(dir.path())) != std::string::npos;) text.replace(at, dir.path().size(), "<lib>/");
  return text;
}

TreeItem LibraryFixture::Find(const std::string& labels) {
  TreeItem node = view.m_itemTop;
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
