#include "recording_player.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/filesystem.h"

namespace testing_support {

std::string MakeRecordingPlayer(const TempDir& dir, const std::string& name) {
  const std::string script = dir / name;
  WriteFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + dir.path() +
                        "args.tmp\"\nmv \"" + dir.path() + "args.tmp\" \"" + dir.path() + "args.txt\"\n");
  ::chmod(script.c_str(), 0755);
  return script;
}

std::string WaitForPlayerArgs(const TempDir& dir) {
  for (int i = 0; i < 500 && !platform::PathExists(dir / "args.txt"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ReadFile(dir / "args.txt");
}

}  // namespace testing_support
