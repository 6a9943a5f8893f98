#include "run_tool.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

ToolRun RunTool(const std::vector<std::string>& args, const std::string& workingDirectory, const std::string& input,
                const std::function<void(pid_t)>& meanwhile) {
  // The input comes from an unlinked file, so neither side waits for the other.
  char inputPath[] = "/tmp/melodeck-tool-input-XXXXXX";
  const int inputFd = ::mkstemp(inputPath);
  if (inputFd < 0) return {};
  ::unlink(inputPath);
  if (::write(inputFd, input.data(), input.size()) != static_cast<ssize_t>(input.size()) || ::lseek(inputFd, 0, SEEK_SET) != 0) {
    ::close(inputFd);
    return {};
  }
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    ::close(inputFd);
    return {};
  }
  std::vector<std::string> argv = {MELODECK_TOOL};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (auto& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(inputFd, 0);
    ::dup2(pipeFds[1], 1);
    if (const int null = ::open("/dev/null", O_WRONLY); null >= 0) ::dup2(null, 2);  // usage texts
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    if (!workingDirectory.empty()) {
      if (::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
      // The user's own settings stay out of the test: the folder's "config" stands for them.
      ::setenv("XDG_CONFIG_HOME", (workingDirectory + "/config").c_str(), 1);
    }
    ::execv(pointers[0], pointers.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  ::close(inputFd);
  if (meanwhile) meanwhile(child);
  ToolRun run;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<size_t>(got));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
