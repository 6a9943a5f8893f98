// Every file below a folder as it is on disk, to compare before and after an edit.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

namespace testing_support {

struct DiskFile {
  std::string bytes;  // a symbolic link: "link:" and its target
  ino_t inode = 0;
};
// By path relative to the folder; regular files and links only.
using Disk = std::map<std::string, DiskFile>;

Disk Snapshot(const std::string& root);

}  // namespace testing_support
