#include "fake_volumes.h"

namespace testing_support {

FakeVolumes::FakeVolumes() { platform::SetVolumeService(this); }

FakeVolumes::~FakeVolumes() { platform::SetVolumeService(nullptr); }

void FakeVolumes::Add(const std::string& mountPoint, const std::string& label, platform::DriveType type) {
  std::string key = mountPoint;
  if (key.empty() || key.back() != '/') key += '/';
  m_volumes[key] = {key, label, type, type != platform::DriveType::Network};
}

platform::VolumeInfo FakeVolumes::VolumeOf(const std::string& path) {
  const std::string withSlash = (!path.empty() && path.back() != '/') ? path + "/" : path;
  const platform::VolumeInfo* best = nullptr;
  for (const auto& [mountPoint, info] : m_volumes) {
    if (withSlash.starts_with(mountPoint) && (!best || mountPoint.size() > best->mountPoint.size())) best = &info;
  }
  return best ? *best : platform::VolumeInfo{"/", "", platform::DriveType::Fixed};
}

bool FakeVolumes::SetLabel(const std::string& mountPoint, const std::string& label) {
  const auto it = m_volumes.find(mountPoint);
  if (!labelsWritable || it == m_volumes.end()) return false;
  it->second.label = label;
  return true;
}

}  // namespace testing_support
