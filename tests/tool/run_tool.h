// Runs melodeck-tool with arguments (each passed as one word) and captures its output.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ToolRun {
  int status = -1;
  std::string out;
};

// input is what the tool reads on its standard input; meanwhile, when given, is called
// with the tool's process once it runs, before its output is read.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& workingDirectory = "",
                const std::string& input = "", const std::function<void(pid_t)>& meanwhile = {});
