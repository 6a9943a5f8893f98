// A library tree kept between runs: the nodes a scan made, with the stamps of the
// folders and catalogues it read, so that a later run can show it at once and tell
// by one stat a folder whether the disk still agrees with it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tree/node_kinds.h"
#include "tree/scan_context.h"
#include "tree/tree_item.h"
#include "tree/tree_model.h"

class STreeView;

namespace tree {

// What a saved tree depends on besides the disk: the path list as typed, the display
// mode it was labelled in, the settings file and the settings that change the tree.
struct SavedTreeKey {
  std::string pathList;
  DisplayMode displayMode = DisplayMode::SongTitles;
  std::string settingsFile;
  bool readCatalogues = true;
  // The key as one text, stored in the file and compared when it is read back.
  std::string Text() const;
};

// The tree, with the stamps the scan took.
struct SavedTree {
  SavedTree();
  TreeModel model;
  TreeItem top;  // "Artists" is not stored: the top node's label is the view's own
  std::vector<FolderStamp> folders;
  DisplayMode labelledIn = DisplayMode::SongTitles;  // file names when it has no artists
  // The songs' sizes summed; -1 when a song's size was not known when it was saved.
  std::int64_t librarySize = 0;
};

// The file in the cache folder for the key: one per key, so runs with the same
// arguments replace it and the folder does not grow.
std::string SavedTreeFile(const SavedTreeKey& key);

// Writes the tree below top with the folders' stamps, atomically: another run reading
// at the same time finds the old file or the new one whole. The nodes keep their
// marks, their expanded states, which one is selected and the songs' sizes as listed
// (a file rewritten in place keeps its old size until a rescan, as within a session),
// so the next start shows the library as the user left it and need not list every
// folder to show its size; not play times, which have their own cache. False when the
// file could not be written.
bool SaveTree(const std::string& file, const SavedTreeKey& key, const TreeItem& top, DisplayMode labelledIn,
              const std::vector<FolderStamp>& folders);

// The tree saved for the key; nothing when the file is missing, damaged (its checksum
// fails), of another format version, saved for another key, or holding anything a save
// does not write.
std::unique_ptr<SavedTree> LoadTree(const std::string& file, const SavedTreeKey& key);

// The folders the disk no longer agrees with: another stamp, a catalogue changed, made
// or gone, or times that cannot be trusted (later than settleNs, two seconds by
// default, before the folder was read; in the future; or none at all), so a change
// made while it was read may have kept them. Ends early, with what it found so far,
// once stop is set.
inline constexpr std::int64_t kSettleNs = 2'000'000'000;
std::vector<std::string> ChangedFolders(const std::vector<FolderStamp>& folders,
                                        const std::atomic<bool>* stop = nullptr, std::int64_t settleNs = kSettleNs);

// The key of the view's library for the path list: its chosen display mode and its
// settings file as they are now.
SavedTreeKey KeyOf(const STreeView& view, const std::string& pathList);

// A Refresh that starts from the tree saved for the view's key: shown as it is when
// the disk still agrees with every folder it was read from, with the changed folders
// read again when that is enough, else the library is scanned. A tree that changed is
// saved anew. Says which it was.
enum class TreeSource { Saved, SavedAndReadAgain, Scanned };
TreeSource RefreshFromSavedTree(STreeView& view, const std::string& pathList);

}  // namespace tree
