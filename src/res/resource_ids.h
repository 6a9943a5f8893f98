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
inline constexpr unsigned ID_ADD_FOLDER = 1051;
inline constexpr unsigned ID_FIND = 1052;
inline constexpr unsigned ID_RESCAN_ALL = 1053;
// The main window's filter box and the empty tree's hint.
inline constexpr int IDC_FILTER_BOX = 1060;
inline constexpr int IDC_EMPTY_HINT = 1061;
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
inline constexpr int IDC_TAGS = 1012;

// Windows and dialogs.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDD_PLAY_ORDER = 130;
inline constexpr int IDD_SETTINGS = 132;
inline constexpr int IDD_ADD_ALBUM = 134;
inline constexpr int IDD_DATA_PAGE = 137;

// Buttons every dialog has.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// About box.
inline constexpr int IDC_WEB_ADDRESS = 1001;
inline constexpr int IDC_MAIL_ADDRESS = 1002;
inline constexpr int IDC_SETTINGS_FILE = 1003;

// Play order: the shuffle and mix checks, the Up and Down buttons of the artist,
// album and song lists (each group in that order), the lists, their titles and the
// label over a mixed list.
inline constexpr int IDC_SHUFFLE = 1011;
inline constexpr int IDC_SHUFFLE_SONGS = 1012;
inline constexpr int IDC_SHUFFLE_ALBUMS = 1013;
inline constexpr int IDC_SHUFFLE_ARTISTS = 1014;
inline constexpr int IDC_MIX_ALBUMS = 1015;
inline constexpr int IDC_MIX_SONGS = 1016;
inline constexpr int IDC_ARTISTS = 1017;
inline constexpr int IDC_ALBUMS = 1018;
inline constexpr int IDC_SONGS = 1019;
inline constexpr int IDC_UP_FIRST = 1020;    // artists' Up; albums' and songs' follow
inline constexpr int IDC_DOWN_FIRST = 1023;  // artists' Down; albums' and songs' follow
inline constexpr int IDC_LIST_TITLE_FIRST = 1026;
inline constexpr int IDC_MIX_LABEL = 1029;

// Settings.
inline constexpr int IDC_DECODER = 1029;
inline constexpr int IDC_LONG_FILENAMES = 1030;
inline constexpr int IDC_BROWSE = 1031;
inline constexpr int IDC_READ_ALBUM_INI = 1032;
inline constexpr int IDC_PLAYLIST_FILE = 1033;

// Add album (IDC_BROWSE too).
inline constexpr int IDC_ARTIST_COMBO = 1035;
inline constexpr int IDC_ALBUM_FILE = 1036;
inline constexpr int IDC_ALBUM_NAME = 1037;
inline constexpr int IDC_CATEGORY_COMBO = 1038;
inline constexpr int IDC_ALBUM_YEAR = 1039;
inline constexpr int IDC_SONG_LIST = 1040;

}  // namespace res
