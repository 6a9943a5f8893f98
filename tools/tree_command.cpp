// melodeck-tool tree [--files] PATHLIST: the library tree a Refresh with that path
// list shows, depth first, one node per line.
#include <iostream>

#include "catalogue/settings.h"
#include "commands.h"
#include "platform/ui_hooks.h"
#include "tree/stree_view.h"
#include "tree/tree_dump.h"

std::optional<TreeArguments> ParseTreeArguments(const std::vector<std::string>& args, const char* usage) {
  TreeArguments parsed;
  std::vector<std::string> rest;
  for (const std::string& arg : args) {
    if (arg == "--files") {
      parsed.files = true;
    } else {
      rest.push_back(arg);
    }
  }
  if (rest.size() != 1) {
    std::cerr << usage;
    return std::nullopt;
  }
  parsed.pathList = rest.front();
  return parsed;
}

void RefreshAsMelodeck(STreeView& view, const TreeArguments& arguments) {
  const std::string startup = catalogue::StartupDirectory();
  view.SetSettingsPaths(startup, catalogue::SettingsFilePath(startup));
  view.OnInitialUpdate();  // its posted Refresh is dropped: the one below stands for it
  while (platform::Ui().PumpOne()) {
  }
  if (arguments.files) view.SetDisplayMode(tree::DisplayMode::FileNames);
  view.Refresh(arguments.pathList);
}

int RunTreeCommand(const std::vector<std::string>& args) {
  const auto arguments = ParseTreeArguments(args, "usage: melodeck-tool tree [--files] PATHLIST\n");
  if (!arguments) return 2;
  STreeView view;
  RefreshAsMelodeck(view, *arguments);
  WriteTree(std::cout, view, view.Top());
  return 0;
}
