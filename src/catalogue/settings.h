// The settings file "Melodeck.ini": where it lives, what each reader makes of its
// values, the playlist location and the history of scan paths. Nothing is cached:
// every reader reads the file when it needs a value.
#pragma once

#include <string>

namespace catalogue {

inline constexpr const char* kSettingsFileName = "Melodeck.ini";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kFoldersSection = "Folders";
inline constexpr int kPathHistorySize = 10;

// The process's current directory, ending in "/".
std::string StartupDirectory();

// The settings file in use, and the folder a playlist named without a folder goes to.
struct SettingsLocation {
  std::string file;
  std::string playlistFolder;  // ends in "/"
};
// The settings file given on the command line, when there is one; else "Melodeck.ini"
// in the current directory when one is there (portable use); else "Melodeck.ini" in
// the configuration folder ($XDG_CONFIG_HOME/melodeck/). Playlists go beside a given
// or current-directory file, and to the cache folder with the configuration folder's.
SettingsLocation FindSettings(const std::string& givenFile, const std::string& currentDirectory);
// Makes the folders of a location that are missing, so the first write succeeds.
void MakeSettingsFolders(const SettingsLocation& location);

// Where the playlist goes: an absolute path as it stands, any other name below the
// playlist folder. Beside a settings file in the current folder that is where a
// relative name has always led; with the configuration folder's settings it keeps
// playlists out of whatever folder Melodeck was started in.
std::string PlaylistPath(const std::string& playlistValue, const std::string& playlistFolder);

// The four settings as the settings dialog shows and saves them.
struct SettingsValues {
  std::string decoder;
  std::string playlistFile = "Melodeck.m3u";
  bool longFilenames = true;
  bool readAlbumIni = true;
};
SettingsValues ReadSettingsForDialog(const std::string& settingsFile);
// Writes "Decoder", "Playlistfile", "LongFilenames", "ReadAlbumIni" in that order,
// the switches as "Yes" or "No". Returns false when a write failed.
bool WriteSettings(const std::string& settingsFile, const SettingsValues& values);

// What a play command needs.
struct PlaySettings {
  bool longFilenames = true;
  std::string decoder;  // trimmed of blanks
  std::string playlistPath;
};
// The tree's play commands: long names only when the value is "yes" in any case.
PlaySettings ReadTreePlaySettings(const std::string& settingsFile, const std::string& playlistFolder);
// The play-order dialog's Play: short names only when the value is "no" in any case.
PlaySettings ReadPlayOrderSettings(const std::string& settingsFile, const std::string& playlistFolder);

// The scan reads album.ini files only when "ReadAlbumIni" is "yes" in any case.
bool ReadScanAlbumIni(const std::string& settingsFile);
// The most recent scan path, for the path box at start-up.
std::string ReadInitialScanPath(const std::string& settingsFile);

// The path box's list as the history update sees it.
class PathHistoryList {
 public:
  virtual ~PathHistoryList() = default;
  virtual std::string Text() const = 0;  // the edit text
  virtual void Clear() = 0;
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual void Append(const std::string& text) = 0;
  virtual void Insert(int index, const std::string& text) = 0;
  virtual void Remove(int index) = 0;
  virtual void Select(int index) = 0;  // also shows the entry in the edit field
};
// Reloads the list from the file, moves the trimmed edit text to the top and writes
// the list back (at most ten entries). Returns the trimmed text: the scan path.
std::string UpdatePathHistory(PathHistoryList& list, const std::string& settingsFile);

}  // namespace catalogue
