#include "platform/file_faults.h"

#include <array>
#include <atomic>
#include <cstddef>

namespace platform {
namespace {

struct Fault {
  std::atomic<int> remaining = 0;  // calls until the failing one; 0 when none is due
  std::atomic<int> further = 0;    // calls failing after it
};

constexpr std::size_t kSteps = static_cast<std::size_t>(FileStep::kCount);

std::array<Fault, kSteps>& Faults() {
  static std::array<Fault, kSteps> faults;
  return faults;
}

// Takes one from the counter unless it is 0; returns what it held.
int CountDown(std::atomic<int>& counter) {
  int held = counter.load();
  while (held > 0 && !counter.compare_exchange_weak(held, held - 1)) {
  }
  return held;
}

}  // namespace

void FailFileStepAt(FileStep step, int nthCall, int count) {
  Fault& fault = Faults()[static_cast<std::size_t>(step)];
  fault.further = nthCall > 0 ? count - 1 : 0;
  fault.remaining = nthCall;
}

void ClearFileFaults() {
  for (Fault& fault : Faults()) {
    fault.remaining = 0;
    fault.further = 0;
  }
}

bool FileStepFails(FileStep step) {
  Fault& fault = Faults()[static_cast<std::size_t>(step)];
  const int remaining = CountDown(fault.remaining);
  if (remaining > 0) return remaining == 1;
  return CountDown(fault.further) > 0;
}

}  // namespace platform
