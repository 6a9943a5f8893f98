// CSettingsDlg: the decoder, the playlist file name and the two switches of the
// "Settings" section. The Qt dialog shows these members and calls the handlers.
#pragma once

#include <cstddef>

#include "text/gstring.h"

class CSettingsDlg {
 public:
  static constexpr std::size_t kMaxLength = 100;  // of the decoder and the playlist name

  // "...": an open-file dialog for the decoder; true when one was chosen.
  bool OnBrowse();
  // OK: refused (with a message) while the decoder names nothing that exists.
  bool OnOK();

  GString m_strDecoder;
  int m_bLongFilenames = 0;
  int m_bReadAlbumIni = 0;
  GString m_strPlaylist;
};

// Fills the dialog from the settings file, runs it, and writes the four keys back when
// it was left with OK. run returns true for OK.
template <typename Run>
void OnSettings(const std::string& settingsFile, CSettingsDlg& dialog, Run run);

// The settings as the dialog edits them, read from and written to the file.
void LoadSettings(const std::string& settingsFile, CSettingsDlg& dialog);
void SaveSettings(const std::string& settingsFile, const CSettingsDlg& dialog);

template <typename Run>
void OnSettings(const std::string& settingsFile, CSettingsDlg& dialog, Run run) {
  LoadSettings(settingsFile, dialog);
  if (run()) SaveSettings(settingsFile, dialog);
}
