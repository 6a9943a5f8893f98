#include "res/command_line.h"

#include <algorithm>
#include <iostream>

namespace res {

std::optional<int> HandleCommonOptions(int argc, const char* const* argv, std::string_view program,
                                       std::string_view usage, std::initializer_list<std::string_view> knownOptions,
                                       int maxArguments) {
  int arguments = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::cout << usage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << program << ' ' << kVersion << '\n';
      return 0;
    }
    if (arg.size() > 1 && arg.front() == '-' &&
        std::find(knownOptions.begin(), knownOptions.end(), arg) == knownOptions.end()) {
      std::cerr << program << ": unknown option " << arg << '\n' << usage;
      return 2;
    }
    if (arg.empty() || arg.front() != '-') ++arguments;
  }
  if (maxArguments >= 0 && arguments > maxArguments) {
    std::cerr << usage;
    return 2;
  }
  return std::nullopt;
}

}  // namespace res
