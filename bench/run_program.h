// Runs a program as the benchmarks time it: wall and CPU time, peak memory, and a
// time limit for inputs that would keep it busy for ever.
#pragma once

#include <string>
#include <vector>

struct Run {
  double wall = 0;
  double cpu = 0;           // user + sys
  long peakKilobytes = 0;
  bool finished = true;     // false: killed at the time limit
};

// Runs the program with its standard output going to outputPath; killed after
// limitSeconds when that is above 0.
Run RunProgram(const std::vector<std::string>& args, const std::string& outputPath = "/dev/null",
               double limitSeconds = 0);
