// melodeck-tool tree [--files] [--settings FILE] PATHLIST: the library tree a Refresh with that path
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
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--files") {
      parsed.files = true;
    } else if (args[i] == "--settings" && i + 1 < args.size()) {
      parsed.settingsFile = args[++i];
    } else {
      rest.push_back(args[i]);
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
  const catalogue::SettingsLocation settings =
      catalogue::FindSettings(arguments.settingsFile, catalogue::StartupDirectory());
  view.SetSettingsPaths({settings.playlistFolder, settings.file});
  while (platform::Ui().PumpOne()) {
  }
  if (arguments.files) view.SetDisplayMode(tree::DisplayMode::FileNames);
  view.Refresh(arguments.pathList);
}

int RunTreeCommand(const std::vector<std::string>& args) {
  const auto arguments = ParseTreeArguments(args, "usage: melodeck-tool tree [--files] [--settings FILE] PATHLIST\n");
  if (!arguments) return 2;
  STreeView view;
  RefreshAsMelodeck(view, *arguments);
  WriteTree(std::cout, view, view.Top());
  return 0;
}
