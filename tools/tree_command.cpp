// melodeck-tool tree [--cache] [--files] [--settings FILE] PATHLIST: the library tree a Refresh with
// that path list shows, depth first, one node per line.
#include <algorithm>
#include <iostream>
#include <iterator>

#include "catalogue/settings.h"
#include "commands.h"
#include "platform/ui_hooks.h"
#include "tree/library_marks.h"
#include "tree/saved_tree.h"
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

void RefreshAsMelodeck(STreeView& view, const TreeArguments& arguments, bool fromSavedTree) {
  const catalogue::SettingsLocation settings =
      catalogue::FindSettings(arguments.settingsFile, catalogue::StartupDirectory());
  view.SetSettingsPaths({settings.playlistFolder, settings.file});
  while (platform::Ui().PumpOne()) {
  }
  if (arguments.files) view.SetDisplayMode(tree::DisplayMode::FileNames);
  if (fromSavedTree) {
    tree::RefreshFromSavedTree(view, arguments.pathList);
    // The marks the user left in the window are kept in the saved tree, not printed: a
    // scan's tree has none.
    view.Marks().SetMark(view.Top(), false);
  } else {
    view.Refresh(arguments.pathList);
  }
}

int RunTreeCommand(const std::vector<std::string>& args) {
  // --cache: start from the tree Melodeck saved, checked against the disk, and save it.
  std::vector<std::string> rest;
  std::copy_if(args.begin(), args.end(), std::back_inserter(rest), [](const std::string& arg) { return arg != "--cache"; });
  const auto arguments =
      ParseTreeArguments(rest, "usage: melodeck-tool tree [--cache] [--files] [--settings FILE] PATHLIST\n");
  if (!arguments) return 2;
  STreeView view;
  RefreshAsMelodeck(view, *arguments, rest.size() != args.size());
  WriteTree(std::cout, view, view.Top());
  return 0;
}
