// A Refresh of a large library against the floor: listing the same tree with
// opendir/readdir and reading every catalogue once, in the same process, with the
// page cache warm. Also the peak memory per tree node.
// Usage: scan_bench [LIBRARY]   (without one, the default library is generated first)
#include <dirent.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "bench_timing.h"
#include "library_generator.h"
#include "platform/text.h"
#include "res/command_line.h"
#include "platform/ui_hooks.h"
#include "temp_dir.h"
#include "tree/stree_view.h"

namespace {

// Lists every folder and reads every album.ini; returns the number of entries seen.
std::size_t Floor(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::size_t entries = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    ++entries;
    if (entry->d_type == DT_DIR) {
      entries += Floor(folder + name + "/");
    } else if (platform::EqualsNoCase(name, "album.ini")) {
      std::ifstream in(folder + name, std::ios::binary);
      std::ostringstream contents;
      contents << in.rdbuf();
    }
  }
  ::closedir(dir);
  return entries;
}

long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: scan_bench [LIBRARY]\nTimes a Refresh of LIBRARY (without one, a generated library) against the floor.\n";
  if (const auto status = res::HandleCommonOptions(argc, argv, "scan_bench", kUsage, {}, 1)) return *status;
  testing_support::TempDir scratch;
  std::string library = argc > 1 ? std::string(argv[1]) : scratch / "library/";
  if (library.back() != '/') library += '/';
  if (argc <= 1) {
    std::cout << "generating the library..." << std::endl;
    const GeneratedLibrary made = GenerateLibrary(library, LibraryShape{});
    std::cout << made.files << " files in " << made.folders << " folders" << std::endl;
  }
  Floor(library);  // warm the page cache

  STreeView view;
  view.SetSettingsPaths(scratch.path(), scratch / "Melodeck.ini");
  view.OnInitialUpdate();

  const long rssBefore = StatusKilobytes("VmRSS:");
  view.Refresh(library);
  const long peak = StatusKilobytes("VmHWM:");
  const std::size_t nodes = view.Tree()->Count();

  const auto pump = [] {
    while (platform::Ui().PumpOne()) {
    }
  };
  pump();
  const double floor = BestSeconds(3, [&] { Floor(library); });
  const double scan = BestSeconds(3, [&] { view.Refresh(library); });
  // The library's size, summed in a message posted by the Refresh once the tree shows.
  const double withSize = BestSeconds(3, [&] {
    view.Refresh(library);
    pump();
  });
  std::printf("nodes %zu\n", nodes);
  std::printf("floor (readdir + read catalogues) %8.3f s\n", floor);
  std::printf("Refresh                           %8.3f s\n", scan);
  std::printf("Refresh and the library size pass %8.3f s (ratio %.2f)\n", withSize, withSize / floor);
  std::printf("scan ratio (target at most 2.0): %.2f\n", scan / floor);
  std::printf("peak memory per node (target at most 250 bytes): %.0f bytes\n",
              static_cast<double>(peak - rssBefore) * 1024.0 / static_cast<double>(nodes));

  // One catalogue of 100,000 songs: its song keys are read in one pass.
  const std::string big = scratch / "big/";
  std::string catalogue = "[Album:Everything]\nArtist=Everyone\n";
  constexpr int kBigSongs = 100000;
  for (int n = 1; n <= kBigSongs; ++n) {
    catalogue += "T" + std::to_string(n) + "=song" + std::to_string(n) + ".mp3, Song " + std::to_string(n) + "\n";
  }
  testing_support::WriteFile(big + "album.ini", catalogue);
  const double bigScan = BestSeconds(3, [&] { view.Refresh(big); });
  std::printf("big_catalogue_songs=%d big_catalogue_scan_s=%.3f\n", kBigSongs, bigScan);
  return 0;
}
