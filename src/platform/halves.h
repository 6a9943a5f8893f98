// Work on many items split over two threads: system calls on thousands of folders (a
// stat, a watch) take half the time on two cores.
#pragma once

#include <cstddef>
#include <thread>

namespace platform {

// Below this many items a second thread costs more than it saves.
inline constexpr std::size_t kTwoThreadsFrom = 2048;

// Calls work(begin, end) for [0, count / 2) on a thread of its own and for
// [count / 2, count) on the calling one, or once for all when count is below
// kTwoThreadsFrom. Returns once both halves are done.
template <class Work>
void InHalves(std::size_t count, const Work& work) {
  if (count < kTwoThreadsFrom) {
    work(std::size_t{0}, count);
    return;
  }
  const std::size_t middle = count / 2;
  std::thread first([&] { work(std::size_t{0}, middle); });
  work(middle, count);
  first.join();
}

}  // namespace platform
