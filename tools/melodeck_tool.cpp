// melodeck-tool: the command-line companion of Melodeck for scripts and support.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "profile") return RunProfileCommand({args.begin() + 1, args.end()});
  std::cerr << "usage: melodeck-tool profile get|put FILE [options]\n";
  return 2;
}
