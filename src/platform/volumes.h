// The volume a path lies on: its mount point, label and kind of drive. The service is
// replaceable so tests can fake volumes and labels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class DriveType : std::uint8_t { Fixed, Removable, Network, CdRom };

struct VolumeInfo {
  std::string mountPoint;  // ends in "/"
  std::string label;       // the file system label; empty when it has none
  DriveType type = DriveType::Fixed;
  // False where changes can come from elsewhere unseen by a folder watch: network
  // drives, and FUSE mounts other than local disks' (ntfs-3g's "fuseblk").
  bool reportsChanges = true;
};

class VolumeService {
 public:
  virtual ~VolumeService() = default;
  // The volume holding the path: the longest mount point that contains it.
  virtual VolumeInfo VolumeOf(const std::string& path) = 0;
  // Gives the volume mounted at mountPoint a new label; false when that cannot be done.
  virtual bool SetLabel(const std::string& mountPoint, const std::string& label) = 0;
};

// The system's volumes as a mount table in the form of /proc/self/mountinfo lists them,
// labelled by the links to their devices in the label folder (tests hand in a table
// and a folder of their own).
std::unique_ptr<VolumeService> MakeSystemVolumes(const std::string& mountTable,
                                                 const std::string& labelFolder = "/dev/disk/by-label");

// The service in use: the system's unless a replacement was installed.
VolumeService& Volumes();
// Installs a replacement (null restores the system's); the caller keeps ownership.
void SetVolumeService(VolumeService* service);

// The text a volume node shows: "LABEL (mount point)", or the mount point alone.
std::string VolumeDisplayName(const VolumeInfo& volume);

}  // namespace platform
