#include "disk_snapshot.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/filesystem.h"

namespace testing_support {

namespace fs = std::filesystem;

Disk Snapshot(const std::string& root) {
  Disk disk;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it); it.increment(error)) {
    const std::string path = it->path().string();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    DiskFile file;
    file.inode = st.st_ino;
    if (S_ISLNK(st.st_mode)) {
      file.bytes = "link:" + fs::read_symlink(it->path(), error).string();
    } else if (S_ISREG(st.st_mode)) {
      platform::ReadWholeFile(path, file.bytes);
    } else {
      continue;
    }
    disk[path.substr(root.size())] = std::move(file);
  }
  return disk;
}

}  // namespace testing_support
