// LibraryScanner: fills a tree model with a library. Folder trees and their catalogues
// become artist, album and song nodes; MP3 files no catalogue lists hang under volume
// and folder nodes. It works on any model and any thread: the view's own model, or
// one a background scan fills while the window shows the old tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"
#include "tree/scan_context.h"
#include "tree/tree_item.h"

namespace tree {

class LibraryScanner {
 public:
  LibraryScanner(const TreeItem& top, ScanContext& context) : m_top(top), m_model(*top.m_pTree), m_context(context) {}

  // Every folder of the ";"-separated list and the folders beneath them, each real
  // folder once; links to folders last, so a folder that a link also reaches shows
  // where it lies. Then the artists sorted and the top node expanded when it has children.
  void ScanPaths(const std::string& pathList);
  // The albums of one catalogue with their songs; marks in listed (one flag per entry
  // of the folder's listing) the files it lists, case twins included.
  void ReadCatalogue(const std::string& folder, const platform::DirEntry& catalogueEntry,
                     const std::vector<platform::DirEntry>& entries, std::vector<bool>& listed,
                     const platform::FolderHandle* opened = nullptr);
  // An unlisted song file under the volume and folder nodes of its folder, made as needed.
  void AddLooseFile(const std::string& folder, const std::string& fileTitle);

 private:
  TreeItem Item(Handle handle) const { return {handle, &m_model}; }
  void Counted(std::atomic<std::size_t> ScanProgress::*counter) const;
  bool Stopped() const;
  // Notes a node AddLooseFile made, when the context asks for them.
  void Made(Handle node) const;
  // One folder and, unless stopped, the folders beneath it, depth first without
  // recursion; links to folders met on the way are put aside in m_links.
  void ScanTree(const std::string& root, bool throughLink = false);
  // The node of a loose folder's path component below parent; null when none yet.
  Handle LooseFolderNode(Handle parent, std::string_view component, std::string_view path);

  TreeItem m_top;
  TreeModel& m_model;
  ScanContext& m_context;
  std::vector<std::string> m_links;  // links to folders, scanned after the rest
};

// A song node's file name with ".mp3", or its title, as the display mode labels
// album songs; any other node's label (with ".mp3" when asked).
std::string NodeName(const TreeItem& item, bool asFileName, DisplayMode mode);
// The song's file as the tree names it: its folder and file name, built at once (the
// play times of a whole library ask for every one).
std::string SongFile(const TreeItem& song, DisplayMode mode);

// The sizes of the parent's song children, from one listing of its folder, kept in
// their nodes (0 for a missing file). Returns their sum.
std::int64_t ListSongSizes(const TreeItem& parent, DisplayMode mode);

// The artist node of that name beneath the top node (without regard to case); null
// when there is none. A volume or folder may carry the same label.
TreeItem FindArtist(const TreeItem& top, std::string_view name);

}  // namespace tree
