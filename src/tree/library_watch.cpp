#include "tree/library_watch.h"

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

bool LibraryWatch::FollowsAlready(const std::vector<FolderStamp>& stamps, const std::string& pathList) const {
  // The same folders, with the same path list, and no watch ended since the last call.
  if (m_watch.Count() != m_followedWatches || m_followedPathList != pathList) return false;
  std::size_t at = 0;
  for (const FolderStamp& stamp : stamps) {
    if (!stamp.stamp) continue;
    if (at == m_followed.size() || m_followed[at] != stamp.folder) return false;
    ++at;
  }
  return at == m_followed.size();
}

void LibraryWatch::Follow() { Follow(m_view.FolderStamps(), m_view.PathList()); }

void LibraryWatch::Follow(const std::vector<FolderStamp>& stamps, const std::string& pathList) {
  if (FollowsAlready(stamps, pathList)) return;
  m_followed.clear();
  for (const FolderStamp& stamp : stamps) {
    if (stamp.stamp) m_followed.push_back(stamp.folder);
  }
  m_followedPathList = pathList;
  m_unwatched.clear();
  m_libraryFoldersIn.clear();
  // The folders of the tree, then the folders the library folders lie in; each once.
  std::unordered_set<std::string> wanted;
  std::vector<std::string> folders;
  std::vector<bool> ofTree;
  const auto want = [&](const std::string& folder, bool inTree) {
    if (!wanted.insert(folder).second) return;
    folders.push_back(folder);
    ofTree.push_back(inTree);
  };
  for (const std::string& folder : m_followed) want(folder, true);
  for (const std::string& folder : platform::LibraryFolders(pathList)) {
    const std::string above = platform::ParentFolder(folder);
    if (above.empty()) continue;
    m_libraryFoldersIn[above].push_back(folder);
    want(above, false);
  }
  // Of those not watched yet, the ones whose file system reports changes, started together.
  std::vector<std::string> fresh;
  std::vector<std::size_t> freshAt;
  std::vector<bool> watched(folders.size(), false);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (m_watch.Watches(folders[i])) {
      watched[i] = true;
    } else if (platform::Volumes().VolumeOf(folders[i]).reportsChanges) {
      fresh.push_back(folders[i]);
      freshAt.push_back(i);
    }
  }
  const std::vector<bool> added = m_watch.AddAll(fresh);
  const std::int64_t since = platform::WallClockNs();  // taken once the watches are on
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    if (!added[i]) continue;
    watched[freshAt[i]] = true;
    m_watchedSinceNs[fresh[i]] = since;
  }
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (ofTree[i] && !watched[i]) m_unwatched.push_back(folders[i]);
  }
  std::size_t kept = 0;
  for (const std::string& folder : wanted) kept += m_watch.Watches(folder) ? 1 : 0;
  if (m_watch.Count() > kept) {  // watches of folders the tree no longer holds
    for (const std::string& folder : m_watch.Folders()) {
      if (wanted.contains(folder)) continue;
      m_watch.Remove(folder);
      m_watchedSinceNs.erase(folder);
      m_confirmed.erase(folder);
    }
  }
  m_followedWatches = m_watch.Count();
}

bool LibraryWatch::Gather() {
  const std::vector<std::string> changed = m_watch.TakeChanged();
  m_batch.insert(m_batch.end(), changed.begin(), changed.end());
  return !changed.empty();
}

std::unordered_set<std::string> LibraryWatch::Touched() const {
  std::unordered_set<std::string> touched;
  for (const std::string& folder : m_batch) {
    touched.insert(folder);
    if (const auto found = m_libraryFoldersIn.find(folder); found != m_libraryFoldersIn.end()) {
      touched.insert(found->second.begin(), found->second.end());
    }
  }
  return touched;
}

void LibraryWatch::Suspect(const std::vector<std::string>& folders) {
  m_batch.insert(m_batch.end(), folders.begin(), folders.end());
}

std::vector<FolderStamp> LibraryWatch::Unsure() { return Unsure(m_view.FolderStamps()); }

std::vector<FolderStamp> LibraryWatch::Unsure(const std::vector<FolderStamp>& stamps) {
  Gather();
  const std::unordered_set<std::string> touched = Touched();
  const std::int64_t now = platform::WallClockNs();
  const auto knownUnchanged = [&](const FolderStamp& stamp) {
    const auto since = m_watchedSinceNs.find(stamp.folder);
    if (touched.contains(stamp.folder) || !m_watch.Watches(stamp.folder) || since == m_watchedSinceNs.end()) {
      return false;
    }
    // Read while watched; a reading dated later than now was taken by a clock that ran
    // ahead (in an earlier run, say) and proves nothing.
    if (stamp.readAtNs >= since->second && stamp.readAtNs <= now) return true;
    const auto confirmed = m_confirmed.find(stamp.folder);
    return confirmed != m_confirmed.end() && confirmed->second.watchedSinceNs == since->second &&
           confirmed->second.stamp == stamp;
  };
  std::vector<FolderStamp> unsure;
  for (const FolderStamp& stamp : stamps) {
    if (!knownUnchanged(stamp)) unsure.push_back(stamp);
  }
  return unsure;
}

void LibraryWatch::Checked(const std::vector<FolderStamp>& stamps, const std::vector<std::string>& changed,
                           std::int64_t startedNs) {
  const std::unordered_set<std::string> differed(changed.begin(), changed.end());
  for (const FolderStamp& stamp : stamps) {
    const auto since = m_watchedSinceNs.find(stamp.folder);
    if (differed.contains(stamp.folder) || !m_watch.Watches(stamp.folder) || since == m_watchedSinceNs.end()) continue;
    if (since->second <= startedNs) m_confirmed[stamp.folder] = {stamp, since->second};
  }
}

bool LibraryWatch::Apply() {
  // Of the folders the changes came from, the ones whose stamps no longer hold (a song
  // rewritten changes no listing).
  const std::unordered_set<std::string> touched = Touched();
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
