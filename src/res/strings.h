// The string table: status-bar prompts and tooltips of the commands, written as
// "prompt\ntooltip".
#pragma once

#include <string>

namespace res {

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

// The prompt of the command: the status-bar text, "\n", the tooltip; "" when none.
std::string CommandPrompt(unsigned id);
// The status-bar part and the tooltip part of a prompt.
std::string StatusText(unsigned id);
std::string ToolTipText(unsigned id);

}  // namespace res
