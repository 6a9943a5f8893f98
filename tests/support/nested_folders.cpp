#include "nested_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

namespace {

void WriteAt(int folder, const char* name, const std::string& bytes) {
  const int song = ::openat(folder, name, O_WRONLY | O_CREAT, 0644);
  if (::write(song, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) ::unlinkat(folder, name, 0);
  ::close(song);
}

}  // namespace

void MakeNestedFolders(const std::string& parent, int depth, const std::string& bytes, bool besides) {
  int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < depth; ++i) {
    ::mkdirat(fd, "d", 0755);
    if (besides) {
      ::mkdirat(fd, "e", 0755);
      const int beside = ::openat(fd, "e", O_RDONLY | O_DIRECTORY);
      WriteAt(beside, "x.mp3", bytes);
      ::close(beside);
    }
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  WriteAt(fd, "deep.mp3", bytes);
  ::close(fd);
}

void RemoveNestedFolders(const std::string& parent) {
  const int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY);
  ::unlinkat(fd, "e/x.mp3", 0);
  ::unlinkat(fd, "e", AT_REMOVEDIR);
  // Each round lifts the tree below the top "d" up by one level.
  while (::renameat(fd, "d/d", fd, "next") == 0) {
    ::unlinkat(fd, "d/deep.mp3", 0);
    ::unlinkat(fd, "d/e/x.mp3", 0);
    ::unlinkat(fd, "d/e", AT_REMOVEDIR);
    ::unlinkat(fd, "d", AT_REMOVEDIR);
    ::renameat(fd, "next", fd, "d");
  }
  ::unlinkat(fd, "d/deep.mp3", 0);
  ::unlinkat(fd, "d", AT_REMOVEDIR);
  ::close(fd);
}

}  // namespace testing_support
