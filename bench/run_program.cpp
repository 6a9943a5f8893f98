#include "run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <thread>

Run RunProgram(const std::vector<std::string>& args, const std::string& outputPath, double limitSeconds) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  int status = 0;
  rusage usage{};
  Run run;
  while (::wait4(child, &status, limitSeconds > 0 ? WNOHANG : 0, &usage) == 0) {
    if (elapsed() > limitSeconds) {
      ::kill(child, SIGKILL);
      ::wait4(child, &status, 0, &usage);
      run.finished = false;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.wall = elapsed();
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
  run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.peakKilobytes = usage.ru_maxrss;
  if (run.finished && (!WIFEXITED(status) || WEXITSTATUS(status) != 0)) std::cerr << "failed: " << args.front() << '\n';
  return run;
}
