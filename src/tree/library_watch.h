// LibraryWatch: the folders the tree was read from, watched while it is on show. The
// changes other programs make are gathered until the disk settles; then the folders
// they touched are read again, or, when that cannot show what a scan would, the
// library is to be scanned anew.
#pragma once

#include <string>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/folder_watch.h"
#include "tree/scan_context.h"

class STreeView;

namespace tree {

class LibraryWatch {
 public:
  explicit LibraryWatch(STreeView& view) : m_view(view) {}

  // The descriptor to wait on: readable when changes came.
  int Descriptor() const { return m_watch.Descriptor(); }
  // Watches every folder the tree was read from, and the folder each folder of the
  // path list lies in (to see it made, removed or relinked); drops the watches of
  // folders the tree no longer holds. Folders on network drives and FUSE mounts report
  // no changes and are left out.
  void Follow();
  // The same for the folders of the stamps and the path list given: a tree about to be
  // shown. Reads nothing of the view, so it may run on another thread meanwhile.
  void Follow(const std::vector<FolderStamp>& stamps, const std::string& pathList);
  // Takes the changes that came into the batch; true when there were any.
  bool Gather();
  // Puts folders a check found changed into the batch, as if their changes had come.
  void Suspect(const std::vector<std::string>& folders);
  // The stamps a check has to compare, the changes that came gathered first: those of
  // folders not watched, of folders changes came from, and of folders whose watch began
  // after they were read, unless a check since found them unchanged. For the rest the
  // watch has told every change since their stamps were taken.
  std::vector<FolderStamp> Unsure();
  // The same among the stamps given; reads nothing of the view, so it may run on another
  // thread meanwhile.
  std::vector<FolderStamp> Unsure(const std::vector<FolderStamp>& stamps);
  // A check that began at startedNs, after Follow, compared the stamps and found the
  // changed folders: the other watched ones are known unchanged while their watch lasts.
  void Checked(const std::vector<FolderStamp>& stamps, const std::vector<std::string>& changed,
               std::int64_t startedNs);
  bool Pending() const { return !m_batch.empty(); }
  // Brings the tree up to date with the batch, then follows its folders; a folder read
  // meanwhile that changed before its watch began is read once more. False when the
  // library is to be scanned anew instead (the batch is dropped all the same).
  bool Apply();
  // Folders of the tree that are not watched: past the system's limit of watches, or
  // on network drives or FUSE mounts. They are checked by their stamps instead
  // (ChangedFolders).
  const std::vector<std::string>& Unwatched() const { return m_unwatched; }
  bool LimitReached() const { return m_watch.LimitReached(); }

  // For tests: a lower limit of watches than the system's.
  void SetLimit(std::size_t limit) { m_watch.SetLimit(limit); }

 private:
  STreeView& m_view;
  platform::FolderWatch m_watch;
  // The library folder a watched parent folder stands for.
  std::unordered_map<std::string, std::vector<std::string>> m_libraryFoldersIn;
  std::vector<std::string> m_batch;
  std::vector<std::string> m_unwatched;
  // When each folder's watch began, and the stamps a check found true since then.
  std::unordered_map<std::string, std::int64_t> m_watchedSinceNs;
  struct Confirmed {
    FolderStamp stamp;
    std::int64_t watchedSinceNs;
  };
  std::unordered_map<std::string, Confirmed> m_confirmed;

  // What the last Follow followed: the stamped folders in order, the path list and the
  // number of watches it left.
  std::vector<std::string> m_followed;
  std::string m_followedPathList;
  std::size_t m_followedWatches = static_cast<std::size_t>(-1);
  bool FollowsAlready(const std::vector<FolderStamp>& stamps, const std::string& pathList) const;

  // The folders the batch's changes came from, a change in the folder a library folder
  // lies in standing for that library folder.
  std::unordered_set<std::string> Touched() const;
};

}  // namespace tree
