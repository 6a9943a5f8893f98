#include "nested_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

void MakeNestedFolders(const std::string& parent, int depth, const std::string& bytes) {
  int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < depth; ++i) {
    ::mkdirat(fd, "d", 0755);
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  const int song = ::openat(fd, "deep.mp3", O_WRONLY | O_CREAT, 0644);
  if (::write(song, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) ::unlinkat(fd, "deep.mp3", 0);
  ::close(song);
  ::close(fd);
}

void RemoveNestedFolders(const std::string& parent) {
  const int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY);
  // Each round lifts the tree below the top "d" up by one level.
  while (::renameat(fd, "d/d", fd, "next") == 0) {
    ::unlinkat(fd, "d/deep.mp3", 0);
    ::unlinkat(fd, "d", AT_REMOVEDIR);
    ::renameat(fd, "next", fd, "d");
  }
  ::unlinkat(fd, "d/deep.mp3", 0);
  ::unlinkat(fd, "d", AT_REMOVEDIR);
  ::close(fd);
}

}  // namespace testing_support
