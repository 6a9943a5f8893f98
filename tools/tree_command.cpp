// melodeck-tool tree [--files] PATHLIST: the library tree a Refresh with that path
// list shows, depth first, one node per line.
#include <iostream>

#include "catalogue/settings.h"
#include "commands.h"
#include "tree/stree_view.h"
#include "tree/tree_dump.h"


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
  std::cout << DumpTree(view, view.m_itemTop);
  return 0;
}
