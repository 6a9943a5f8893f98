// Which album nodes each folder's catalogue produced (duplicates too), in tree order:
// by artist, then within the artist. It is worked out from the tree in one walk the
// first time it is asked after the tree changed, so every edit, sync and scan keeps it
// current without doing anything.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tree/tree_model.h"

namespace tree {

class FolderIndex {
 public:
  // The album nodes of the folder's (ending in "/") catalogue in the model as it is now.
  const std::vector<Handle>& AlbumsOf(const TreeModel& model, const std::string& folder);

 private:
  void Rebuild(const TreeModel& model);

  std::uint64_t m_version = 0;  // the model's content version the index was built for
  const TreeModel* m_pModel = nullptr;
  std::unordered_map<std::string, std::vector<Handle>> m_albums;
};

}  // namespace tree
