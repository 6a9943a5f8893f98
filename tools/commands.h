// The subcommands of melodeck-tool. Each takes the arguments after its own name and
// returns the exit status: 0 when the call ran, 2 for a usage error.
#pragma once

#include <optional>
#include <string>
#include <vector>

int RunProfileCommand(const std::vector<std::string>& args);
int RunHeaderCommand(const std::vector<std::string>& files);
int RunTreeCommand(const std::vector<std::string>& args);
int RunEditCommand(const std::vector<std::string>& args);
int RunWatchCommand(const std::vector<std::string>& args);
int RunTagsCommand(const std::vector<std::string>& files);

class STreeView;

// "[--files] PATHLIST" of the tree and edit commands; nothing (after printing the
// usage text) when the arguments are not that.
struct TreeArguments {
  bool files = false;
  std::string settingsFile;  // --settings FILE; found as Melodeck finds it without one
  std::string pathList;
};
std::optional<TreeArguments> ParseTreeArguments(const std::vector<std::string>& args, const char* usage);
// The Refresh Melodeck makes at its start, with the settings Melodeck would use; from
// the tree Melodeck saved, checked against the disk, when asked.
void RefreshAsMelodeck(STreeView& view, const TreeArguments& arguments, bool fromSavedTree = false);

// Bytes 0x20..0x7E except "\" as themselves, "\" as "\\", every other byte as \xHH.
std::string EscapeBytes(const std::string& bytes);
