#include "dialogs/settings_dialog.h"

#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/process.h"
#include "platform/ui_hooks.h"
#include "res/texts.h"

namespace {

// The decoder names an existing file or folder, or (as Linux users name players) its
// first word is a program on the PATH.
bool DecoderExists(const std::string& decoder) {
  if (decoder.empty()) return false;
  if (platform::PathExists(decoder)) return true;
  const std::vector<std::string> argv = platform::PlayerCommandLine(decoder, "");
  const std::string program = argv.front().empty() ? "" : platform::FindProgram(argv.front());
  return !program.empty() && platform::PathExists(program);
}

}  // namespace

bool CSettingsDlg::OnBrowse() {
  platform::FileDialogRequest request;
  request.title = res::caption::kChooseDecoder;
  request.initialPath = m_strDecoder;
  request.filters = {{res::caption::kExecutableFiles, "*"}, {res::caption::kAllFiles, "*"}};
  request.executablesFirst = true;
  const auto chosen = platform::Ui().FileDialog(request);
  if (!chosen) return false;
  m_strDecoder = *chosen;
  return true;
}

bool CSettingsDlg::OnOK() {
  if (!DecoderExists(m_strDecoder)) {
    platform::Ui().MessageBox(res::msg::kNoSuchDecoder, res::caption::kError,
                              platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

void LoadSettings(const std::string& settingsFile, CSettingsDlg& dialog) {
  const catalogue::SettingsValues values = catalogue::ReadSettingsForDialog(settingsFile);
  dialog.m_strDecoder = values.decoder;
  dialog.m_strPlaylist = values.playlistFile;
  dialog.m_bLongFilenames = values.longFilenames;
  dialog.m_bReadAlbumIni = values.readAlbumIni;
}

void SaveSettings(const std::string& settingsFile, const CSettingsDlg& dialog) {
  catalogue::WriteSettings(settingsFile, {dialog.m_strDecoder, dialog.m_strPlaylist, dialog.m_bLongFilenames != 0,
                                          dialog.m_bReadAlbumIni != 0});
}
