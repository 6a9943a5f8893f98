// What attacks on the program found, timed: a mesh of folders linking to each other,
// folders nested thousands deep, one catalogue of 100,000 sections, a play-time cache
// of gigabytes, MP3 files of stacked empty tags or false headers, and a catalogue line
// of 10 MB painted in the tree. Each case prints its time and peak memory; a case that
// does not end within its limit is killed and says so.
// Usage: attack_bench [--tool PATH]   (PATH: another melodeck-tool to time the cases it
// runs; the cases timed inside this program, the cache and the label, are left out)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "catalogue/play_time_cache.h"
#include "library_model.h"
#include "mp3_frames.h"
#include "nested_folders.h"
#include "res/command_line.h"
#include "run_program.h"
#include "temp_dir.h"
#include "tree/tree_model.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::WriteFile;

std::string g_tool = MELODECK_TOOL;

void Print(const char* name, const Run& run, const std::string& extra = {}) {
  std::printf("%s seconds=%.2f peak_mb=%.0f%s%s\n", name, run.wall, static_cast<double>(run.peakKilobytes) / 1024.0,
              run.finished ? "" : " (killed at the limit)", extra.c_str());
  std::fflush(stdout);
}

long Lines(const std::string& file) {
  std::ifstream in(file);
  long lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

// melodeck-tool tree on the folder, with its node count.
void Tree(const char* name, const std::string& folder, double limit) {
  const std::string out = folder + "/../tree.txt";
  const Run run = RunProgram({g_tool, "tree", folder}, out, limit);
  Print(name, run, " nodes=" + std::to_string(Lines(out)));
}

// Runs work in a child process, for its time and peak memory.
Run InChild(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    work();
    ::_exit(0);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  Run run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

void Mesh(int folders) {
  TempDir dir;
  for (int i = 0; i < folders; ++i) {
    const std::string folder = dir / ("lib/m" + std::to_string(i) + "/");
    for (int s = 0; s < 10; ++s) WriteFile(folder + "s" + std::to_string(s) + ".mp3", "x");
    for (int j = 0; j < folders; ++j) {
      if (j != i) fs::create_directory_symlink("../m" + std::to_string(j), folder + "l" + std::to_string(j));
    }
  }
  Tree(("mesh_" + std::to_string(folders)).c_str(), dir / "lib", 60);
}

void Nested(int depth) {
  TempDir dir;
  fs::create_directories(dir / "lib");
  testing_support::MakeNestedFolders(dir / "lib", depth, "");
  Tree(("nested_" + std::to_string(depth)).c_str(), dir / "lib", 120);
  testing_support::RemoveNestedFolders(dir / "lib");
}

void BigCatalogue(int sections) {
  TempDir dir;
  {
    std::string catalogue;
    for (int i = 0; i < sections; ++i) {
      catalogue += "[Album:A" + std::to_string(i) + "]\nArtist=Artist " + std::to_string(i % 500) + "\nT1=s" +
                   std::to_string(i) + ".mp3, Song\n\n";
    }
    WriteFile(dir / "lib/album.ini", catalogue);
  }
  Tree(("catalogue_sections_" + std::to_string(sections)).c_str(), dir / "lib", 120);
}

void HugeCache(int gigabytes) {
  TempDir dir;
  WriteFile(dir / "playtimes", "melodeck play times 1\n");
  fs::resize_file(dir / "playtimes", static_cast<std::uintmax_t>(gigabytes) << 30);  // sparse
  const Run run = InChild([&] { catalogue::PlayTimeCache cache(dir / "playtimes"); });
  Print(("playtime_cache_" + std::to_string(gigabytes) + "gb").c_str(), run);
}

void HostileHeader(const char* name, const std::string& unit, int megabytes) {
  TempDir dir;
  {
    // Gone before the tool starts: a child's peak counts what it was forked with.
    std::string bytes;
    while (bytes.size() < (static_cast<size_t>(megabytes) << 20)) bytes += unit;
    WriteFile(dir / "hostile.mp3", bytes + testing_support::SilentMp3Frames(3));
  }
  Print((std::string(name) + "_" + std::to_string(megabytes) + "mb").c_str(),
        RunProgram({g_tool, "header", dir / "hostile.mp3"}, "/dev/null", 120));
}

void LongLabel() {
  tree::TreeModel tree;
  const tree::Handle top = tree.InsertItem(tree::kNullHandle, "Artists", tree::NodeKind::Top);
  tree.InsertItem(top, std::string(10 << 20, 't'), tree::NodeKind::AlbumSong);
  LibraryModel model(tree);
  QTreeView view;
  view.setModel(&model);
  view.resize(800, 600);
  view.expandAll();
  QElapsedTimer clock;
  clock.start();
  view.grab();
  std::printf("label_10mb_paint_s=%.3f\n", static_cast<double>(clock.nsecsElapsed()) * 1e-9);
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: attack_bench [--tool PATH]\n"
      "Times hostile inputs: link meshes, deep folders, huge catalogues, caches and headers, a long label.\n";
  if (argc >= 3 && std::string(argv[1]) == "--tool") {
    g_tool = argv[2];
    argv[2] = argv[0];
    argc -= 2;
    argv += 2;
  }
  if (const auto status = res::HandleCommonOptions(argc, argv, "attack_bench", kUsage, {}, 0)) return *status;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  for (const int folders : {8, 9, 10}) Mesh(folders);
  for (const int depth : {5000, 30000}) Nested(depth);
  for (const int sections : {20000, 50000, 100000}) BigCatalogue(sections);
  const bool ownCode = g_tool == MELODECK_TOOL;
  if (ownCode) {
    for (const int gigabytes : {1, 2}) HugeCache(gigabytes);
  }
  const std::string emptyTag("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
  const std::string falseHeader = std::string("\xFF\xE3\x18\xC4", 4) + std::string(60, 'x');
  for (const int megabytes : {10, 64}) {
    HostileHeader("stacked_tags", emptyTag, megabytes);
    HostileHeader("false_headers", falseHeader, megabytes);
  }
  if (ownCode) LongLabel();
  return 0;
}
