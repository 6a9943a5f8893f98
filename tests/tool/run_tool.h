// Runs melodeck-tool with arguments (each passed as one word) and captures its output.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
  int status = -1;
  std::string out;
};

ToolRun RunTool(const std::vector<std::string>& args, const std::string& workingDirectory = "");
