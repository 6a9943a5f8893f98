/* The least any scan of a music library must do: one readdir pass over every folder
 * (the entry type from d_type, no stat) and one read of every album.ini, in one
 * thread. Prints the number of entries seen.
 * Usage: scan_floor FOLDER */
#define _DEFAULT_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

static char buffer[1 << 16];

static void read_whole(const char* path) {
  int fd = open(path, O_RDONLY);
  if (fd < 0) return;
  while (read(fd, buffer, sizeof buffer) > 0) {
  }
  close(fd);
}

static size_t scan(char* path, size_t length) {
  DIR* dir = opendir(path);
  if (!dir) return 0;
  size_t entries = 0;
  struct dirent* entry;
  while ((entry = readdir(dir)) != NULL) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    ++entries;
    size_t nameLength = strlen(name);
    if (length + nameLength + 2 >= 4096) continue;
    memcpy(path + length, name, nameLength + 1);
    if (entry->d_type == DT_DIR) {
      path[length + nameLength] = '/';
      path[length + nameLength + 1] = '\0';
      entries += scan(path, length + nameLength + 1);
    } else if (strcasecmp(name, "album.ini") == 0) {
      read_whole(path);
    }
    path[length] = '\0';
  }
  closedir(dir);
  return entries;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fputs("usage: scan_floor FOLDER\n", stderr);
    return 2;
  }
  static char path[4096];
  snprintf(path, sizeof path - 2, "%s", argv[1]);
  size_t length = strlen(path);
  if (length == 0 || path[length - 1] != '/') {
    path[length++] = '/';
    path[length] = '\0';
  }
  printf("%zu\n", scan(path, length));
  return 0;
}
