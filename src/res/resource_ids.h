// Resource ids shared by the core and the desktop program: commands, controls and
// string ids, with the values the catalogue of commands has always used.
#pragma once

namespace res {

// Commands.
inline constexpr unsigned ID_REFRESH = 1041;
inline constexpr unsigned ID_PATH_BOX = 1042;
inline constexpr unsigned ID_PLAY_NOW = 1043;
inline constexpr unsigned ID_PLAY_SELECTED = 1044;
inline constexpr unsigned ID_ADD_ALBUM = 1045;
inline constexpr unsigned ID_DELETE_NODE = 1046;
inline constexpr unsigned ID_RENAME_NODE = 1047;
inline constexpr unsigned ID_SHOW_SONGNAMES = 1049;
inline constexpr unsigned ID_SHOW_FILENAMES = 1050;
inline constexpr unsigned ID_FILE_NEW = 57600;
inline constexpr unsigned ID_PLAY_ORDER = 1010;
inline constexpr unsigned ID_SETTINGS = 1048;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_VIEW_TOOLBAR = 59392;
inline constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
inline constexpr unsigned ID_WINDOW_SPLIT = 57653;
inline constexpr unsigned ID_HELP_INDEX = 57667;
inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_CONTEXT_HELP = 57669;
inline constexpr unsigned ID_NEXT_PANE = 57680;
inline constexpr unsigned ID_PREV_PANE = 57681;

// Controls of the details page.
inline constexpr int IDC_PLAYTIME = 1004;
inline constexpr int IDC_SIZE = 1005;
inline constexpr int IDC_YEAR = 1006;
inline constexpr int IDC_BITRATE = 1007;
inline constexpr int IDC_CATEGORY = 1008;
inline constexpr int IDC_CATEGORY_READONLY = 1009;
inline constexpr int IDC_ARTIST = 1011;

}  // namespace res
