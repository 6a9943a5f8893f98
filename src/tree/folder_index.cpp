#include "tree/folder_index.h"

namespace tree {

const std::vector<Handle>& FolderIndex::AlbumsOf(const TreeModel& model, const std::string& folder) {
  static const std::vector<Handle> kNone;
  if (m_pModel != &model || m_version != model.ContentVersion()) Rebuild(model);
  const auto found = m_albums.find(folder);
  return found == m_albums.end() ? kNone : found->second;
}

void FolderIndex::Rebuild(const TreeModel& model) {
  m_pModel = &model;
  m_version = model.ContentVersion();
  m_albums.clear();
  // Album nodes hang under the artists, which are children of the top node.
  for (Handle top = model.GetRoot(); top != kNullHandle; top = model.GetNextSibling(top)) {
    for (Handle artist = model.GetChild(top); artist != kNullHandle; artist = model.GetNextSibling(artist)) {
      if (model.GetKind(artist) != NodeKind::Artist) continue;
      for (Handle album = model.GetChild(artist); album != kNullHandle; album = model.GetNextSibling(album)) {
        m_albums[std::string(model.GetData(album).value_or(""))].push_back(album);
      }
    }
  }
}

}  // namespace tree
