// The string table: status-bar prompts and tooltips of the commands, written as
// "prompt\ntooltip".
#pragma once

#include <string>

namespace res {

// The prompt of the command: the status-bar text, "\n", the tooltip; "" when none.
std::string CommandPrompt(unsigned id);
// The status-bar part and the tooltip part of a prompt.
std::string StatusText(unsigned id);
std::string ToolTipText(unsigned id);

}  // namespace res
