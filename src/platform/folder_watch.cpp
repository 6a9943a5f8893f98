#include "platform/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <unordered_set>

#include "platform/file_faults.h"
#include "platform/halves.h"

namespace platform {
namespace {

// What changes a folder's listing or a file in it, and the folder itself going.
constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_MODIFY |
                                  IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

FolderWatch::FolderWatch() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
  if (m_fd >= 0) ::close(m_fd);
}

bool FolderWatch::Add(const std::string& folder) { return AddAll({folder}).front(); }

std::vector<bool> FolderWatch::AddAll(const std::vector<std::string>& folders) {
  std::vector<bool> added(folders.size(), false);
  if (m_fd < 0) return added;
  // The new folders, as many as the limit leaves room for.
  std::vector<std::size_t> fresh;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (m_byFolder.contains(folders[i])) {
      added[i] = true;
    } else if (m_byFolder.size() + fresh.size() < m_limit) {
      fresh.push_back(i);
    } else {
      m_limitReached = true;
    }
  }
  std::vector<int> watches(fresh.size(), -1);
  std::atomic<bool> full{false};
  InHalves(fresh.size(), [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      watches[i] = FileStepFails(FileStep::Watch) ? (errno = ENOSPC, -1)
                                                  : ::inotify_add_watch(m_fd, folders[fresh[i]].c_str(), kEvents);
      if (watches[i] < 0 && (errno == ENOSPC || errno == ENOMEM)) full.store(true, std::memory_order_relaxed);
    }
  });
  if (full.load()) m_limitReached = true;
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    const int watch = watches[i];
    if (watch < 0) continue;
    const std::string& folder = folders[fresh[i]];
    // Two paths to one folder (a link) share the watch: the last path names it.
    if (const auto other = m_byWatch.find(watch); other != m_byWatch.end()) m_byFolder.erase(other->second);
    m_byFolder[folder] = watch;
    m_byWatch[watch] = folder;
    added[fresh[i]] = true;
  }
  for (std::size_t i = 0; i < folders.size(); ++i) {  // a folder given twice, past the limit the second time
    if (!added[i] && m_byFolder.contains(folders[i])) added[i] = true;
  }
  return added;
}

void FolderWatch::Remove(const std::string& folder) {
  const auto found = m_byFolder.find(folder);
  if (found == m_byFolder.end()) return;
  ::inotify_rm_watch(m_fd, found->second);
  m_byWatch.erase(found->second);
  m_byFolder.erase(found);
}

std::vector<std::string> FolderWatch::Folders() const {
  std::vector<std::string> folders;
  folders.reserve(m_byFolder.size());
  for (const auto& [folder, watch] : m_byFolder) folders.push_back(folder);
  return folders;
}

std::vector<std::string> FolderWatch::TakeChanged() {
  std::vector<std::string> changed;
  if (m_fd < 0) return changed;
  std::unordered_set<std::string> seen;
  alignas(inotify_event) char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // EAGAIN: nothing more for now
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        // Events were lost: every folder may have changed.
        for (const auto& [folder, watch] : m_byFolder) {
          if (seen.insert(folder).second) changed.push_back(folder);
        }
        continue;
      }
      const auto found = m_byWatch.find(event->wd);
      if (found == m_byWatch.end()) continue;
      const std::string folder = found->second;
      if (event->mask & IN_IGNORED) {  // the watch ended with its folder
        m_byFolder.erase(folder);
        m_byWatch.erase(found);
      } else if (event->mask & IN_MOVE_SELF) {
        // The watch would follow the folder to its new name: a folder made under the old
        // name is another one, to be watched anew.
        Remove(folder);
      }
      if (seen.insert(folder).second) changed.push_back(folder);
    }
  }
  return changed;
}

}  // namespace platform
