// Runs a test step in a child process, for steps that change what a process has (its
// limits, its standard streams) or that might never return.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

// The exit status of a child that runs step and exits with what it returns; -1 when
// the child did not exit normally (a signal ended it).
template <typename Step>
int ExitStatusInChild(Step step) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(step());
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace testing_support
