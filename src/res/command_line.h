// The options every program of Melodeck answers the same way: "--help" prints the
// usage text, "--version" the version, both exit 0; an option the program does not
// know prints the usage text to standard error and exits 2.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>

namespace res {

inline constexpr std::string_view kVersion = "1.50";

// The exit status when the program is to stop now; nothing when it goes on.
// knownOptions are the options (starting with "-") the program itself takes; more
// than maxArguments other arguments (when it is not negative) is a usage error too.
std::optional<int> HandleCommonOptions(int argc, const char* const* argv, std::string_view program,
                                       std::string_view usage, std::initializer_list<std::string_view> knownOptions,
                                       int maxArguments = -1);

}  // namespace res
