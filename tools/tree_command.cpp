// melodeck-tool tree [--files] PATHLIST: the library tree a Refresh with that path
// list shows, depth first, one node per line.
#include <iostream>

#include "catalogue/settings.h"
#include "commands.h"
#include "tree/stree_view.h"

namespace {

const char* KindName(int kind) {
  static const char* const kNames[] = {"top", "volume", "folder", "artist", "album", "song", "other"};
  return kNames[kind];
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

void Print(STreeView& view, const TreeItem& item, int depth) {
  std::cout << std::string(static_cast<size_t>(depth) * 2, ' ') << KindName(view.GetNodeKind(item)) << ' '
            << Quoted(item.Label());
  if (const auto data = item.Data()) std::cout << " data=" << Quoted(*data);
  if (const int mark = view.GetMark(item)) std::cout << " mark=" << mark;
  std::cout << '\n';
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) Print(view, child, depth + 1);
}

}  // namespace

int RunTreeCommand(const std::vector<std::string>& args) {
  bool files = false;
  std::vector<std::string> rest;
  for (const std::string& arg : args) {
    if (arg == "--files") {
      files = true;
    } else {
      rest.push_back(arg);
    }
  }
  if (rest.size() != 1) {
    std::cerr << "usage: melodeck-tool tree [--files] PATHLIST\n";
    return 2;
  }
  const std::string startup = catalogue::StartupDirectory();
  STreeView view;
  view.SetSettingsPaths(startup, catalogue::SettingsFilePath(startup));
  view.OnInitialUpdate();  // its posted Refresh is never pumped: the one below stands for it
  if (files) view.m_nDisplayMode = 1;
  view.Refresh(rest.front());
  Print(view, view.m_itemTop, 0);
  return 0;
}
