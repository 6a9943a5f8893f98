// The scan against the floor: `scan_floor` (readdir and catalogue reads, in C) and
// `melodeck-tool tree` run as programs on the same library, best of 5 each. Prints
// wall and CPU (user + sys) times, their ratios and the tree's peak memory per node
// above a run on an empty folder.
// Usage: scan_bench [--cold] [LIBRARY]   (without one, the default library is generated)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue/song_tags.h"
#include "library_generator.h"
#include "run_program.h"
#include "res/command_line.h"
#include "temp_dir.h"

namespace {

// Empties the page cache when this process may (as root); false otherwise.
bool DropCaches() {
  ::sync();
  std::ofstream drop("/proc/sys/vm/drop_caches");
  drop << "3\n";
  drop.flush();
  return static_cast<bool>(drop);
}

// Each figure the least of the two.
Run Better(const Run& a, const Run& b) {
  return {std::min(a.wall, b.wall), std::min(a.cpu, b.cpu), std::min(a.peakKilobytes, b.peakKilobytes), true};
}

// The best wall time, CPU time and peak memory of several runs, each the least seen.
Run Best(int runs, const std::vector<std::string>& args, bool cold) {
  Run best{1e100, 1e100, 1L << 40, true};
  for (int i = 0; i < runs; ++i) {
    if (cold) DropCaches();
    best = Better(best, RunProgram(args));
  }
  return best;
}

std::size_t CountLines(const std::string& path) {
  std::ifstream in(path);
  return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: scan_bench [--cold] [LIBRARY]\n"
      "Times melodeck-tool tree on LIBRARY (without one, a generated library) against the floor.\n"
      "  --cold  also times both with the page cache dropped first (needs root)\n";
  if (const auto status = res::HandleCommonOptions(argc, argv, "scan_bench", kUsage, {"--cold"}, 2)) return *status;
  bool cold = false;
  std::string library;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--cold") {
      cold = true;
    } else {
      library = argv[i];
    }
  }
  testing_support::TempDir scratch;
  if (library.empty()) {
    library = scratch / "library/";
    std::cout << "generating the library..." << std::endl;
    const GeneratedLibrary made = GenerateLibrary(library, LibraryShape{});
    std::cout << made.files << " files in " << made.folders << " folders" << std::endl;
  }
  if (library.back() != '/') library += '/';
  const std::string empty = scratch / "empty/";
  std::filesystem::create_directories(empty);

  const std::vector<std::string> floorArgs = {SCAN_FLOOR, library};
  const std::vector<std::string> treeArgs = {MELODECK_TOOL, "tree", library};
  RunProgram(floorArgs);  // warms the page cache
  const std::string listing = scratch / "tree.txt";
  RunProgram(treeArgs, listing);
  const std::size_t nodes = CountLines(listing);

  // Runs take turns, so a busy spell of the machine weighs on both alike.
  Run floor = Best(1, floorArgs, false);
  Run tree = Best(1, treeArgs, false);
  for (int i = 1; i < 5; ++i) {
    floor = Better(floor, Best(1, floorArgs, false));
    tree = Better(tree, Best(1, treeArgs, false));
  }
  const Run none = Best(5, {MELODECK_TOOL, "tree", empty}, false);
  const double bytesPerNode =
      static_cast<double>(tree.peakKilobytes - none.peakKilobytes) * 1024.0 / static_cast<double>(nodes);
  std::printf("nodes %zu\n", nodes);
  std::printf("floor: wall %.3f s, cpu %.3f s\n", floor.wall, floor.cpu);
  std::printf("tree:  wall %.3f s, cpu %.3f s, peak %ld KiB (empty run %ld KiB)\n", tree.wall, tree.cpu,
              tree.peakKilobytes, none.peakKilobytes);
  if (cold) {
    if (DropCaches()) {
      const Run coldFloor = Best(3, floorArgs, true);
      const Run coldTree = Best(3, treeArgs, true);
      std::printf("cold_floor_wall_s=%.3f cold_floor_cpu_s=%.3f cold_tree_wall_s=%.3f cold_tree_cpu_s=%.3f\n",
                  coldFloor.wall, coldFloor.cpu, coldTree.wall, coldTree.cpu);
    } else {
      std::printf("cold: the page cache cannot be dropped (not root)\n");
    }
  }
  // The tags of every song of the library, read again once the page cache holds them.
  std::vector<std::string> songs;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(library)) {
    if (entry.is_regular_file() && entry.path().extension() == ".mp3") songs.push_back(entry.path().string());
  }
  std::size_t tagged = 0;
  double tagsSeconds = 1e100;
  for (int pass = 0; pass < 3; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    tagged = 0;
    for (const std::string& song : songs) tagged += catalogue::ReadSongTags(song) ? 1 : 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (pass > 0) tagsSeconds = std::min(tagsSeconds, seconds);
  }
  std::printf("tags_files=%zu tags_read=%zu tags_files_per_s_warm=%.0f\n", songs.size(), tagged,
              static_cast<double>(songs.size()) / tagsSeconds);
  // One catalogue of 100,000 songs: its song keys are read in one pass.
  const std::string big = scratch / "big/";
  std::string catalogue = "[Album:Everything]\nArtist=Everyone\n";
  constexpr int kBigSongs = 100000;
  for (int n = 1; n <= kBigSongs; ++n) {
    catalogue += "T" + std::to_string(n) + "=song" + std::to_string(n) + ".mp3, Song " + std::to_string(n) + "\n";
  }
  testing_support::WriteFile(big + "album.ini", catalogue);
  const Run bigScan = Best(3, {MELODECK_TOOL, "tree", big}, false);
  std::printf("big_catalogue_songs=%d big_catalogue_scan_s=%.3f\n", kBigSongs, bigScan.wall);
  std::printf("floor_cpu_s=%.3f tree_cpu_s=%.3f cpu_ratio=%.2f wall_ratio=%.2f bytes_per_node=%.0f\n", floor.cpu,
              tree.cpu, tree.cpu / floor.cpu, tree.wall / floor.wall, bytesPerNode);
  return 0;
}
