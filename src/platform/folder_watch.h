// Folders watched for what other programs change in them (inotify): entries made,
// removed or renamed, files written, and the folder itself removed or moved.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

class FolderWatch {
 public:
  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // The descriptor to wait on (poll, a socket notifier): readable when changes came.
  int Descriptor() const { return m_fd; }
  // Watches the folder (ending in "/"), following a link. False when it cannot: gone,
  // or the system's limit of watches reached, which LimitReached() then tells.
  bool Add(const std::string& folder);
  // Add for each folder in turn, the system asked on two threads: thousands of watches
  // begin in half the time. Which of them are watched now, in the order given.
  std::vector<bool> AddAll(const std::vector<std::string>& folders);
  void Remove(const std::string& folder);
  bool Watches(const std::string& folder) const { return m_byFolder.contains(folder); }
  std::vector<std::string> Folders() const;
  std::size_t Count() const { return m_byFolder.size(); }
  bool LimitReached() const { return m_limitReached; }
  // The folders that changed since the last call, read without waiting; each once. A
  // folder moved away or removed is no longer watched.
  std::vector<std::string> TakeChanged();

  // For tests: a lower limit of watches than the system's.
  void SetLimit(std::size_t limit) { m_limit = limit; }

 private:
  int m_fd = -1;
  std::unordered_map<std::string, int> m_byFolder;
  std::unordered_map<int, std::string> m_byWatch;
  std::size_t m_limit = static_cast<std::size_t>(-1);
  bool m_limitReached = false;
};

}  // namespace platform
