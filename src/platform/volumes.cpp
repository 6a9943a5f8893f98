#include "platform/volumes.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <map>
#include <mutex>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/filesystem.h"
#include "platform/process.h"

namespace platform {
namespace {

struct MountEntry {
  std::string mountPoint;  // without trailing "/" except for the root
  std::string fsType;
  std::string source;
  unsigned major = 0, minor = 0;
  DriveType type = DriveType::Fixed;
};

// /proc/self/mountinfo writes blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeOctal(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
      out += static_cast<char>(std::strtol(text.substr(i + 1, 3).c_str(), nullptr, 8));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// udev writes unsafe characters of /dev/disk/by-label names as \xHH.
std::string UnescapeHex(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size()) {
      out += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<MountEntry> ReadMounts(const std::string& mountTable) {
  std::vector<MountEntry> mounts;
  std::ifstream in(mountTable);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint, options, field;
    fields >> id >> parent >> device >> root >> mountPoint >> options;
    while (fields >> field && field != "-") {
    }
    MountEntry entry;
    fields >> entry.fsType >> entry.source;
    entry.mountPoint = UnescapeOctal(mountPoint);
    entry.source = UnescapeOctal(entry.source);
    std::sscanf(device.c_str(), "%u:%u", &entry.major, &entry.minor);
    mounts.push_back(std::move(entry));
  }
  return mounts;
}

bool Contains(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return true;
  return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
         (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

DriveType TypeOf(const MountEntry& mount) {
  static const std::array<std::string, 10> kNetwork = {"nfs",  "nfs4",      "cifs", "smb3", "smbfs",
                                                       "fuse.sshfs", "9p", "afs",  "ceph", "glusterfs"};
  for (const auto& type : kNetwork) {
    if (mount.fsType == type) return DriveType::Network;
  }
  if (mount.fsType == "iso9660" || mount.fsType == "udf") return DriveType::CdRom;
  if (mount.mountPoint.starts_with("/media/") || mount.mountPoint.starts_with("/run/media/")) {
    return DriveType::Removable;
  }
  // A partition's removable flag is its disk's, one folder up in sysfs.
  const std::string block = "/sys/dev/block/" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
  for (const char* flag : {"/removable", "/../removable"}) {
    std::ifstream in(block + flag);
    int removable = 0;
    if (in >> removable) return removable == 1 ? DriveType::Removable : DriveType::Fixed;
  }
  return DriveType::Fixed;
}

std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string result = real;
  std::free(real);
  return result;
}

// The label of the mount's device: the name of the link to it in the label folder.
std::string LabelOf(const MountEntry& mount, const std::string& labelFolder) {
  if (!mount.source.starts_with("/dev/")) return {};
  const std::string device = RealPath(mount.source);
  const auto entries = ListDirectory(labelFolder, ListDetail::NamesAndKinds);
  if (!entries) return {};
  for (const DirEntry& entry : *entries) {
    if (RealPath(labelFolder + "/" + entry.name) == device) return UnescapeHex(entry.name);
  }
  return {};
}

// The labelling tool of each file system that has one.
const char* LabelTool(const std::string& fsType) {
  if (fsType == "ext2" || fsType == "ext3" || fsType == "ext4") return "e2label";
  if (fsType == "vfat" || fsType == "msdos") return "fatlabel";
  if (fsType == "exfat") return "exfatlabel";
  if (fsType == "ntfs" || fsType == "ntfs3" || fsType == "fuseblk") return "ntfslabel";
  if (fsType == "btrfs") return "btrfs filesystem label";
  return nullptr;
}

class SystemVolumes final : public VolumeService {
 public:
  SystemVolumes(std::string mountTable, std::string labelFolder)
      : m_strMountTable(std::move(mountTable)), m_strLabelFolder(std::move(labelFolder)) {}

  // A background scan asks from its own thread: the cached table is guarded.
  VolumeInfo VolumeOf(const std::string& path) override {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const MountEntry* mount = FindMount(path);
    VolumeInfo info;
    info.mountPoint = "/";
    if (!mount) return info;
    info.mountPoint = mount->mountPoint == "/" ? "/" : mount->mountPoint + "/";
    info.label = CachedLabel(*mount);
    info.type = mount->type;
    info.reportsChanges = mount->type != DriveType::Network && mount->fsType != "fuse" && !mount->fsType.starts_with("fuse.");
    return info;
  }

  bool SetLabel(const std::string& mountPoint, const std::string& label) override {
    std::unique_lock<std::mutex> lock(m_mutex);
    const MountEntry* mount = FindMount(mountPoint);
    // A label beginning with "-" would reach the labelling program as an option.
    if (!mount || !mount->source.starts_with("/dev/") || label.starts_with('-')) return false;
    const char* tool = LabelTool(mount->fsType);
    if (!tool) return false;
    std::vector<std::string> argv;
    std::istringstream words(tool);
    for (std::string word; words >> word;) argv.push_back(word);
    argv.push_back(mount->source);
    argv.push_back(label);
    lock.unlock();
    return RunAndWait(argv) == 0;
  }

 private:
  // The mount whose mount point is the longest prefix of the path as it is written,
  // so a folder reached through a link shows under the volume its path names.
  const MountEntry* FindMount(const std::string& path) {
    // A scan asks for thousands of folders: the mount table is read at most once a second.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_readAt > std::chrono::seconds(1) || m_mounts.empty()) {
      m_mounts = ReadMounts(m_strMountTable);
      for (MountEntry& mount : m_mounts) mount.type = TypeOf(mount);
      m_labels.clear();
      m_readAt = now;
    }
    const MountEntry* best = nullptr;
    for (const MountEntry& mount : m_mounts) {
      if (Contains(mount.mountPoint, path) && (!best || mount.mountPoint.size() >= best->mountPoint.size())) {
        best = &mount;
      }
    }
    return best;
  }

  const std::string& CachedLabel(const MountEntry& mount) {
    const auto it = m_labels.find(mount.source);
    if (it != m_labels.end()) return it->second;
    return m_labels.emplace(mount.source, LabelOf(mount, m_strLabelFolder)).first->second;
  }

  std::mutex m_mutex;
  std::string m_strMountTable;
  std::string m_strLabelFolder;
  std::vector<MountEntry> m_mounts;
  std::map<std::string, std::string> m_labels;  // by source device
  std::chrono::steady_clock::time_point m_readAt;
};

VolumeService* g_replacement = nullptr;

}  // namespace

std::unique_ptr<VolumeService> MakeSystemVolumes(const std::string& mountTable, const std::string& labelFolder) {
  return std::make_unique<SystemVolumes>(mountTable, labelFolder);
}

VolumeService& Volumes() {
  static SystemVolumes system("/proc/self/mountinfo", "/dev/disk/by-label");
  return g_replacement ? *g_replacement : system;
}

void SetVolumeService(VolumeService* service) { g_replacement = service; }

std::string VolumeDisplayName(const VolumeInfo& volume) {
  if (volume.label.empty()) return volume.mountPoint;
  return volume.label + " (" + volume.mountPoint + ")";
}

}  // namespace platform
