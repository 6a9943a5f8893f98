// Volumes for tests: mount points, labels and drive types as the test declares them.
#pragma once

#include <map>
#include <string>

#include "platform/volumes.h"

namespace testing_support {

class FakeVolumes : public platform::VolumeService {
 public:
  // Installs itself for its lifetime. Paths on no declared volume lie on "/".
  FakeVolumes();
  ~FakeVolumes() override;

  void Add(const std::string& mountPoint, const std::string& label,
           platform::DriveType type = platform::DriveType::Fixed);

  platform::VolumeInfo VolumeOf(const std::string& path) override;
  bool SetLabel(const std::string& mountPoint, const std::string& label) override;

  bool labelsWritable = true;

 private:
  std::map<std::string, platform::VolumeInfo> m_volumes;  // by mount point with "/"
};

}  // namespace testing_support
