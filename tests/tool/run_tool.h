// Runs melodeck-tool with arguments (each passed as one word) and captures its output.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
  int status = -1;
  std::string out;
};

// input is what the tool reads on its standard input.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& workingDirectory = "",
                const std::string& input = "");
