#include "tree/library_watch.h"

#include <unordered_set>

#include "platform/path_list.h"
#include "platform/volumes.h"
#include "tree/saved_tree.h"
#include "tree/scan_context.h"
#include "tree/stree_view.h"

namespace tree {
namespace {

// How long before its reading a folder's change may have gone unseen by the watch that
// began just after: the file system's clock ticks a few milliseconds apart.
constexpr std::int64_t kJustReadNs = 50'000'000;

}  // namespace

void LibraryWatch::Follow() {
  std::unordered_set<std::string> wanted;
  m_unwatched.clear();
  m_libraryFoldersIn.clear();
  const auto watch = [&](const std::string& folder) {
    if (!wanted.insert(folder).second || m_watch.Watches(folder)) return true;
    if (platform::Volumes().VolumeOf(folder).type == platform::DriveType::Network) return false;
    return m_watch.Add(folder);
  };
  for (const FolderStamp& stamp : m_view.FolderStamps()) {
    if (stamp.stamp && !watch(stamp.folder)) m_unwatched.push_back(stamp.folder);
  }
  for (const std::string& folder : platform::LibraryFolders(m_view.PathList())) {
    const std::string above = platform::ParentFolder(folder);
    if (above.empty()) continue;
    m_libraryFoldersIn[above].push_back(folder);
    watch(above);
  }
  std::size_t kept = 0;
  for (const std::string& folder : wanted) kept += m_watch.Watches(folder) ? 1 : 0;
  if (m_watch.Count() > kept) {  // watches of folders the tree no longer holds
    for (const std::string& folder : m_watch.Folders()) {
      if (!wanted.contains(folder)) m_watch.Remove(folder);
    }
  }
}

bool LibraryWatch::Gather() {
  const std::vector<std::string> changed = m_watch.TakeChanged();
  m_batch.insert(m_batch.end(), changed.begin(), changed.end());
  return !changed.empty();
}

bool LibraryWatch::Apply() {
  // The folders the changes came from, a change in the folder a library folder lies in
  // standing for that library folder; of those, the ones whose stamps no longer hold
  // (a song rewritten changes no listing).
  std::unordered_set<std::string> touched;
  for (const std::string& folder : m_batch) {
    touched.insert(folder);
    if (const auto found = m_libraryFoldersIn.find(folder); found != m_libraryFoldersIn.end()) {
      touched.insert(found->second.begin(), found->second.end());
    }
  }
  m_batch.clear();
  std::vector<FolderStamp> stamps;
  for (const FolderStamp& stamp : m_view.FolderStamps()) {
    if (touched.contains(stamp.folder)) stamps.push_back(stamp);
  }
  const std::int64_t started = platform::WallClockNs();
  // An event follows its change: a stamp taken a moment or more before it differs,
  // unless the change fell within the same tick of the file system's clock.
  std::vector<std::string> changed = ChangedFolders(stamps, nullptr, kJustReadNs);
  // Folders read now are watched only afterwards: one changed in between, its times
  // within a moment of its reading, is read again (a few rounds at most: a clock
  // running ahead would keep it untrusted for ever).
  for (int round = 0; round < 5 && !changed.empty(); ++round) {
    if (!m_view.ReadFoldersAgain(changed)) return false;
    Follow();
    stamps.clear();
    for (const FolderStamp& stamp : m_view.FolderStamps()) {
      if (stamp.readAtNs >= started) stamps.push_back(stamp);
    }
    changed = ChangedFolders(stamps, nullptr, kJustReadNs);
  }
  return true;
}

}  // namespace tree
