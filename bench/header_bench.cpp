// The MP3 header search against the floor: reading the same file once with plain
// block reads, in the same process, with the file in the page cache.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "catalogue/mp3_header.h"
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
  return 0;
}
