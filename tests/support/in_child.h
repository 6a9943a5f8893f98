// Runs a test step in a child process, for steps that change what a process has (its
// limits, its standard streams) or that might never return.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

// The exit status of a child that runs step and exits with what it returns; -1 when
// a signal ended the child, -2 when there was no child.
template <typename Step>
int ExitStatusInChild(Step step) {
  const pid_t child = ::fork();
  if (child < 0) return -2;
  if (child == 0) ::_exit(step());
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testing_support
