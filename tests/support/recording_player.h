// A player for tests: a shell script that writes each argument it got on a line of
// its own into args.txt beside it.
#pragma once

#include <string>

#include "temp_dir.h"

namespace testing_support {

// Creates the script in dir under the name and returns its path.
std::string MakeRecordingPlayer(const TempDir& dir, const std::string& name);
// Waits up to five seconds for the player to have run; its arguments, one a line.
std::string WaitForPlayerArgs(const TempDir& dir);

}  // namespace testing_support
