#include "catalogue/settings.h"

#include <filesystem>

#include "text/gstring.h"
#include "platform/filesystem.h"
#include "platform/path_list.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/xdg.h"

namespace catalogue {
namespace {

std::string Read(const std::string& file, const char* key, const char* defaultValue) {
  return platform::ProfileGetString(file, kSettingsSection, key, defaultValue);
}

bool IsWord(const std::string& value, const char* word) { return platform::EqualsNoCase(value, word); }

}  // namespace

std::string StartupDirectory() {
  GString directory = platform::CurrentDirectory();
  directory.AddBackslash();
  return directory;
}

SettingsLocation FindSettings(const std::string& givenFile, const std::string& currentDirectory) {
  if (!givenFile.empty()) {
    const std::string file = givenFile.starts_with('/') ? givenFile : currentDirectory + givenFile;
    return {file, GString(file).FolderPart(true)};
  }
  const std::string portable = currentDirectory + kSettingsFileName;
  if (platform::PathExists(portable)) return {portable, currentDirectory};
  return {platform::ConfigFolder() + kSettingsFileName, platform::CacheFolder()};
}

void MakeSettingsFolders(const SettingsLocation& location) {
  std::error_code ignored;  // a folder that cannot be made shows as the write's own failure
  std::filesystem::create_directories(std::string(GString(location.file).FolderPart(true)), ignored);
  std::filesystem::create_directories(location.playlistFolder, ignored);
}

std::string PlaylistPath(const std::string& playlistValue, const std::string& playlistFolder) {
  return playlistValue.starts_with('/') ? playlistValue : playlistFolder + playlistValue;
}

SettingsValues ReadSettingsForDialog(const std::string& file) {
  SettingsValues values;
  values.decoder = Read(file, "Decoder", "");
  values.playlistFile = Read(file, "Playlistfile", "Melodeck.m3u");
  values.longFilenames = IsWord(Read(file, "LongFilenames", "yes"), "YES");
  values.readAlbumIni = IsWord(Read(file, "ReadAlbumIni", "yes"), "YES");
  return values;
}

bool WriteSettings(const std::string& file, const SettingsValues& values) {
  const auto write = [&](const char* key, const std::string& value) {
    return platform::ProfileWrite(file, kSettingsSection, key, value.c_str()) == 1;
  };
  bool ok = write("Decoder", values.decoder);
  ok = write("Playlistfile", values.playlistFile) && ok;
  ok = write("LongFilenames", values.longFilenames ? "Yes" : "No") && ok;
  ok = write("ReadAlbumIni", values.readAlbumIni ? "Yes" : "No") && ok;
  return ok;
}

PlaySettings ReadTreePlaySettings(const std::string& file, const std::string& playlistFolder) {
  PlaySettings settings;
  settings.longFilenames = IsWord(Read(file, "LongFilenames", "yes"), "YES");
  settings.decoder = std::string(platform::TrimBlanks(Read(file, "Decoder", "")));
  settings.playlistPath = PlaylistPath(Read(file, "Playlistfile", "Melodeck.m3u"), playlistFolder);
  return settings;
}

PlaySettings ReadPlayOrderSettings(const std::string& file, const std::string& playlistFolder) {
  PlaySettings settings = ReadTreePlaySettings(file, playlistFolder);
  settings.longFilenames = !IsWord(Read(file, "LongFilenames", "yes"), "NO");
  return settings;
}

bool ReadScanAlbumIni(const std::string& file) { return IsWord(Read(file, "ReadAlbumIni", "yes"), "YES"); }

std::string ReadInitialScanPath(const std::string& file) {
  return platform::ProfileGetString(file, kFoldersSection, "1", "");
}

std::string UpdatePathHistory(PathHistoryList& list, const std::string& file) {
  GString scanPath = list.Text();
  scanPath.Trim(" \t");

  list.Clear();
  for (int n = 1; n <= kPathHistorySize; ++n) {
    const std::string value = platform::ProfileGetString(file, kFoldersSection, std::to_string(n), "");
    if (value.empty()) break;
    list.Append(value);
  }
  if (scanPath.empty()) return scanPath;

  for (int i = 0; i < list.Count(); ++i) {
    if (platform::SamePathList(list.Item(i), scanPath)) {
      list.Remove(i);
      break;
    }
  }
  list.Insert(0, scanPath);
  list.Select(0);
  while (list.Count() > kPathHistorySize) list.Remove(kPathHistorySize);
  for (int i = 0; i < list.Count(); ++i) {
    platform::ProfileWrite(file, kFoldersSection, std::to_string(i + 1).c_str(), list.Item(i).c_str());
  }
  return scanPath;
}

}  // namespace catalogue
