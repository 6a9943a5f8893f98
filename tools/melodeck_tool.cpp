// melodeck-tool: the command-line companion of Melodeck for scripts and support.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/process.h"
#include "res/command_line.h"

namespace {

constexpr const char* kUsage =
    "Usage: melodeck-tool profile get|put FILE [options]\n"
    "  or:  melodeck-tool header FILE...\n"
    "  or:  melodeck-tool tags FILE...\n"
    "  or:  melodeck-tool tree [--cache] [--files] [--settings FILE] PATHLIST\n"
    "  or:  melodeck-tool edit [--files] [--settings FILE] PATHLIST < SCRIPT\n"
    "  or:  melodeck-tool watch [--files] [--settings FILE] [--seconds N] PATHLIST\n"
    "\n"
    "  profile  reads or writes a key of an INI file as Melodeck does\n"
    "  header   prints the MPEG audio header and the play time of each file\n"
    "  tags     prints what the ID3 and APE tags of each file say, and the size of\n"
    "           the cover picture it carries\n"
    "  tree     prints the library tree a Refresh of PATHLIST shows; with --cache\n"
    "           from the tree Melodeck saved, when the disk still agrees with it\n"
    "  edit     carries out the renames, deletes, display switches and refreshes\n"
    "           of SCRIPT, then prints the tree\n"
    "  watch    prints the tree, then \"--\" and the tree again after each settled\n"
    "           batch of changes on disk, for N seconds or until interrupted\n"
    "\n"
    "Without --settings, Melodeck.ini in the current folder or else in\n"
    "$XDG_CONFIG_HOME/melodeck/ holds the settings.\n";

}  // namespace

int main(int argc, char** argv) {
  platform::KeepStandardStreamsOpen();
  if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "--version")) {
    return *res::HandleCommonOptions(2, argv, "melodeck-tool", kUsage, {});
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  if (!args.empty() && args[0] == "profile") return RunProfileCommand(rest);
  if (!args.empty() && args[0] == "header") return RunHeaderCommand(rest);
  if (!args.empty() && args[0] == "tags") return RunTagsCommand(rest);
  if (!args.empty() && args[0] == "tree") return RunTreeCommand(rest);
  if (!args.empty() && args[0] == "edit") return RunEditCommand(rest);
  if (!args.empty() && args[0] == "watch") return RunWatchCommand(rest);
  std::cerr << (args.empty() ? std::string("melodeck-tool: no command given\n")
                             : "melodeck-tool: unknown command " + args[0] + "\n")
            << kUsage;
  return 2;
}
