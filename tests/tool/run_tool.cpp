#include "run_tool.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

ToolRun RunTool(const std::vector<std::string>& args, const std::string& workingDirectory) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  std::vector<std::string> argv = {MELODECK_TOOL};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (auto& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeFds[1], 1);
    if (const int null = ::open("/dev/null", O_WRONLY); null >= 0) ::dup2(null, 2);  // usage texts
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
    ::execv(pointers[0], pointers.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  ToolRun run;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<size_t>(got));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
