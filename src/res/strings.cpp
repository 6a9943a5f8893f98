#include "res/strings.h"

#include <map>

#include "res/resource_ids.h"

namespace res {

std::string CommandPrompt(unsigned id) {
  static const std::map<unsigned, std::string> kPrompts = {
      {ID_PLAY_ORDER, "Play selected songs in own order\nPlay order"},
      {ID_REFRESH, "Scan the path and refresh the tree\nRefresh"},
      {ID_PATH_BOX, "Path to scan for album.ini and mp3 files in\nPath to scan"},
      {ID_SETTINGS, "Change miscellaneous program settings"},
      {ID_FILE_NEW, "Create a new album\nNew album"},
      {ID_APP_EXIT, "Exit the Melodeck\nExit"},
      {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
      {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
      {ID_WINDOW_SPLIT, "Split the active window into panes\nSplit"},
      {ID_SHOW_SONGNAMES, "Show the titles of album songs"},
      {ID_SHOW_FILENAMES, "Show the file names of album songs"},
      {ID_HELP_INDEX, "List Help topics\nHelp Topics"},
      {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
      {ID_CONTEXT_HELP, "Display help for clicked on buttons, menus and windows\nHelp"},
  };
  const auto it = kPrompts.find(id);
  return it == kPrompts.end() ? std::string() : it->second;
}

std::string StatusText(unsigned id) {
  const std::string prompt = CommandPrompt(id);
  return prompt.substr(0, prompt.find('\n'));
}

std::string ToolTipText(unsigned id) {
  const std::string prompt = CommandPrompt(id);
  const auto newline = prompt.find('\n');
  return newline == std::string::npos ? std::string() : prompt.substr(newline + 1);
}

}  // namespace res
