// The string table: status-bar prompts and tooltips of the commands, written as
// "prompt\ntooltip".
#pragma once

#include <map>
#include <string>

namespace res {

// The application's string table: the prompts of the commands by id.
const std::map<unsigned, std::string>& StringTable();
// The prompt of the command: the status-bar text, "\n", the tooltip; "" when none.
std::string CommandPrompt(unsigned id);
// The status-bar part and the tooltip part of a prompt.
std::string StatusText(unsigned id);
std::string ToolTipText(unsigned id);
// What's This text of a command or control: what it is for and how it is used.
// Commands without a text of their own answer with their status-bar prompt.
std::string WhatsThisText(unsigned id);
// The id under which the library tree's What's This text is kept.
inline constexpr unsigned kLibraryTreeHelp = 59648;

}  // namespace res
