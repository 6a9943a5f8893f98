#include "res/strings.h"

#include <map>

#include "res/resource_ids.h"

namespace res {

const std::map<unsigned, std::string>& StringTable() {
  static const std::map<unsigned, std::string> kPrompts = {
      {ID_PLAY_ORDER, "Play selected songs in own order\nPlay order"},
      {ID_REFRESH, "Scan the path and refresh the tree\nRefresh"},
      {ID_RESCAN_ALL, "Scan every folder of the path anew\nRescan everything"},
      {ID_PATH_BOX, "Path to scan for album.ini and mp3 files in\nPath to scan"},
      {ID_SETTINGS, "Change miscellaneous program settings"},
      {ID_ADD_FOLDER, "Choose a folder and add it to the path to scan\nAdd folder"},
      {ID_FIND, "Show only the nodes whose names contain the text\nFilter"},
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
  return kPrompts;
}

std::string CommandPrompt(unsigned id) {
  const auto it = StringTable().find(id);
  return it == StringTable().end() ? std::string() : it->second;
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

std::string WhatsThisText(unsigned id) {
  static const std::map<unsigned, std::string> kTexts = {
      {ID_PATH_BOX,
       "The folders of your library: one or more, separated by \";\". F5, Enter or the Refresh button scans "
       "exactly the text shown here; the list holds the paths scanned before."},
      {ID_REFRESH, "Checks every folder of the tree against the disk and reads again those that changed; a path "
                   "box holding other folders is scanned anew. Shift+F5 scans everything anew."},
      {ID_ADD_FOLDER, "Opens a folder chooser; the folder you choose is added to the path box and scanned."},
      {ID_FIND, "Type part of a name: the tree shows only the artists, albums, songs and folders that contain "
                "it, with what leads to them. Esc clears the filter."},
      {ID_PLAY_ORDER, "Lists the marked artists, albums and songs so you can arrange their order, then plays them."},
      {ID_FILE_NEW, "Adds an album to an album.ini: name it and choose its songs among the folder's files."},
      {kLibraryTreeHelp,
       "Your library: artists with their albums and songs, and volume and folder nodes for the MP3 files no "
       "album.ini lists. Ctrl+click marks a node for playing; a right click opens its menu; F2 renames it."},
      {IDC_CATEGORY, "The category of the selected album or song. Changes are written to its album.ini when you "
                     "select another node or leave Melodeck."},
      {IDC_CATEGORY_READONLY, "The category of the selected node; it cannot be changed here."},
      {IDC_YEAR, "The year of the selected album or song, a number. Written to album.ini like the category."},
      {IDC_ARTIST, "The artist of the selected album, or a song's own artist (written to its album.ini entry)."},
      {IDC_PLAYTIME, "The play time of the selected node's songs (minutes:seconds); in parentheses, of the marked "
                     "songs among them."},
      {IDC_BITRATE, "Bitrate, channels and sampling frequency of the selected song, read from its MP3 header."},
      {IDC_TAGS, "What the selected song's own tags (ID3 or APE) say: artist, title, album and track. Read only: "
                 "the catalogue's data is edited above."},
      {IDC_SIZE, "Megabytes of the selected node's songs; in parentheses, of all marked songs in the library, "
                 "wherever they are."},
  };
  const auto it = kTexts.find(id);
  return it == kTexts.end() ? StatusText(id) : it->second;
}

}  // namespace res
