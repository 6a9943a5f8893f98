// The MP3 header search against the floor: reading the same file once with plain
// block reads, in the same process, with the file in the page cache. Then play times
// over real-size files, and the play-time cache.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "catalogue/mp3_header.h"
#include "catalogue/play_time_cache.h"
#include "mp3_frames.h"
#include "temp_dir.h"
#include "res/command_line.h"

namespace {

std::size_t ReadInBlocks(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::vector<char> block(1 << 16);
  std::size_t total = 0;
  for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), file)) > 0;) total += got;
  std::fclose(file);
  return total;
}

double Ratio(const std::string& name, const std::string& path, bool expectHeader) {
  ReadInBlocks(path);  // warm the page cache
  const double floor = BestSeconds(5, [&] { ReadInBlocks(path); });
  const double search = BestSeconds(5, [&] {
    GMp3Header header(path.c_str());
    if (header.Found() != expectHeader) std::cerr << "unexpected result for " << name << '\n';
  });
  const double ratio = search / floor;
  std::printf("%-40s search %8.2f ms  block read %8.2f ms  ratio %.2f\n", name.c_str(), search * 1e3, floor * 1e3, ratio);
  return ratio;
}

// A first frame holding a Xing tag with the frame count of what follows.
std::string XingFrame(int frames) {
  std::string frame = testing_support::SilentMp3Frames(1);
  frame.replace(36, 4, "Xing");
  const std::uint32_t values[2] = {1, static_cast<std::uint32_t>(frames)};
  for (int v = 0; v < 2; ++v) {
    for (int i = 0; i < 4; ++i) frame[static_cast<size_t>(40 + 4 * v + i)] = static_cast<char>(values[v] >> (24 - 8 * i));
  }
  return frame;
}

// Drops the page cache when this process may (as root).
bool DropCaches() {
  ::sync();
  std::FILE* drop = std::fopen("/proc/sys/vm/drop_caches", "w");
  if (!drop) return false;
  const bool written = std::fputs("3\n", drop) >= 0;
  return std::fclose(drop) == 0 && written;
}

// Play times over 200 files of about 4 MB: half constant bitrate, half variable with a
// Xing tag, every fifth of those without one. Files per second cold (when the page
// cache can be dropped) and warm, and the time of a cache hit.
void PlayTimes(const testing_support::TempDir& dir) {
  std::vector<std::string> files;
  constexpr int kFiles = 200;
  constexpr int kFrames = 4 * 1024 * 1024 / 417;
  std::string cbr = testing_support::SilentMp3Frames(kFrames);
  std::string vbr;
  for (int i = 0; vbr.size() < cbr.size(); ++i) {
    vbr += testing_support::SilentMp3Frames(50, {i % 2 ? 192 : 96, 44100, 1});
  }
  const int vbrFrames = static_cast<int>(vbr.size() / 417);  // near enough for the bench
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = dir / ("song" + std::to_string(i) + ".mp3");
    if (i % 2 == 0) {
      testing_support::WriteFile(path, cbr);
    } else {
      testing_support::WriteFile(path, i % 10 == 1 ? vbr : XingFrame(vbrFrames) + vbr);
    }
    files.push_back(path);
  }
  const auto readAll = [&] {
    for (const std::string& file : files) {
      GMp3Header header(file.c_str());
      header.PlayTimeMs();
    }
  };
  readAll();  // warm
  const double warm = BestSeconds(3, readAll);
  std::string cold = "n/a";
  if (DropCaches()) {
    const double seconds = BestSeconds(1, readAll);
    cold = std::to_string(static_cast<long>(kFiles / seconds));
  }
  catalogue::PlayTimeCache cache(dir / "playtimes");
  for (const std::string& file : files) catalogue::ReadPlayTime(cache, file);
  const double hits = BestSeconds(3, [&] {
    for (const std::string& file : files) catalogue::ReadPlayTime(cache, file);
  });
  std::printf("playtime_files_per_s_cold=%s playtime_files_per_s_warm=%.0f cache_hit_us=%.1f\n", cold.c_str(),
              kFiles / warm, hits / kFiles * 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage = "usage: header_bench\nTimes the MP3 header search against plain block reads.\n";
  if (const auto status = res::HandleCommonOptions(argc, argv, "header_bench", kUsage, {}, 0)) return *status;
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "late.mp3", std::string(5 << 20, '\0') + testing_support::SilentMp3Frames(4));
  testing_support::WriteFile(dir / "none.mp3", std::string(50 << 20, '\0'));
  const double late = Ratio("5 MB before the first header", dir / "late.mp3", true);
  const double none = Ratio("50 MB without a header", dir / "none.mp3", false);
  std::printf("header search ratio (target at most 1.5): %.2f\n", std::max(late, none));
  PlayTimes(dir);
  return 0;
}
