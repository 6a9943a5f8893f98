#include "platform/file_faults.h"

#include <array>
#include <cstddef>

namespace platform {
namespace {

struct Fault {
  int remaining = 0;  // calls until the failing one; 0 when none is due
};

constexpr std::size_t kSteps = static_cast<std::size_t>(FileStep::kCount);

std::array<Fault, kSteps>& Faults() {
  static std::array<Fault, kSteps> faults;
  return faults;
}

}  // namespace

void FailFileStepAt(FileStep step, int nthCall) { Faults()[static_cast<std::size_t>(step)].remaining = nthCall; }

void ClearFileFaults() { Faults() = {}; }

bool FileStepFails(FileStep step) {
  Fault& fault = Faults()[static_cast<std::size_t>(step)];
  if (fault.remaining == 0) return false;
  return --fault.remaining == 0;
}

}  // namespace platform
