// Timing helpers for the benchmarks: the best of several runs, in seconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>

inline double BestSeconds(int runs, const std::function<void()>& work) {
  double best = 1e100;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}
