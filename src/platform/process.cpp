#include "platform/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/file_faults.h"
#include "platform/filesystem.h"
#include "platform/text.h"
#include "res/texts.h"

namespace platform {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

// Resolved before forking, so the child only calls async-signal-safe functions.
std::string FindProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

namespace {

std::vector<char*> ArgvPointers(std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (std::string& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  return pointers;
}

void RedirectToNull() {
  const int null = ::open("/dev/null", O_RDWR);
  if (null < 0) return;
  ::dup2(null, 0);
  ::dup2(null, 1);
  ::dup2(null, 2);
  if (null > 2) ::close(null);
}

bool ReadAll(int fd, void* data, size_t size) {
  auto* bytes = static_cast<char*>(data);
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, bytes + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::vector<std::string> PlayerCommandLine(const std::string& decoderText, const std::string& argument) {
  const std::string decoder(TrimBlanks(decoderText));
  std::vector<std::string> argv;
  if (decoder.empty()) {
    argv.emplace_back();  // no program: the start fails instead of running the argument
  } else if (PathExists(decoder)) {
    argv.push_back(decoder);
  } else {
    // A program path with blanks stands in double quotes: "/opt/my player/play" --flag
    std::string rest = decoder;
    if (const size_t close = decoder.find('"', 1); decoder.starts_with('"') && close != std::string::npos) {
      argv.push_back(decoder.substr(1, close - 1));
      rest = decoder.substr(close + 1);
    }
    std::istringstream words(rest);
    for (std::string word; words >> word;) argv.push_back(word);
  }
  argv.push_back(argument);
  return argv;
}

bool StartDetached(const std::vector<std::string>& args, std::string& error) {
  if (args.empty() || args.front().empty()) {
    error = res::msg::kNoProgram;
    return false;
  }
  const std::string program = FindProgram(args.front());
  if (program.empty() || !IsExecutableFile(program)) {
    error = res::Fill(res::msg::kCannotStartBecause,
                      {args.front(), program.empty() || !PathExists(program) ? res::msg::kNoSuchProgram
                                                                             : res::msg::kNotExecutable});
    return false;
  }
  std::vector<std::string> argv = args;
  std::vector<char*> pointers = ArgvPointers(argv);

  // The grandchild reports a failed exec through a pipe closed on success.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    return false;
  }
  const pid_t child = FileStepFails(FileStep::Fork) ? (errno = EAGAIN, -1) : ::fork();
  if (child < 0) {
    error = std::strerror(errno);
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = FileStepFails(FileStep::Fork) ? -1 : ::fork();
    if (grandchild == 0) {
      RedirectToNull();
      ::execv(program.c_str(), pointers.data());
      const int code = errno;
      [[maybe_unused]] const ssize_t sent = ::write(report[1], &code, sizeof code);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int code = 0;
  const bool failed = ReadAll(report[0], &code, sizeof code);
  ::close(report[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    error = res::Fill(res::msg::kCannotStart, {args.front()});
    return false;
  }
  if (failed) {
    error = res::Fill(res::msg::kCannotStartBecause, {args.front(), std::strerror(code)});
    return false;
  }
  return true;
}

void KeepStandardStreamsOpen() {
  for (int stream = 0; stream <= 2; ++stream) {
    if (::fcntl(stream, F_GETFD) != -1) continue;  // open
    const int null = ::open("/dev/null", O_RDWR);  // the lowest free number: this stream's
    if (null > 2) ::close(null);
  }
}

int RunAndWait(const std::vector<std::string>& args) {
  if (args.empty()) return -1;
  const std::string program = FindProgram(args.front());
  if (program.empty()) return -1;
  std::vector<std::string> argv = args;
  std::vector<char*> pointers = ArgvPointers(argv);
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    RedirectToNull();
    ::execv(program.c_str(), pointers.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform
