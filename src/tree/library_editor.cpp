#include "tree/library_editor.h"

#include "tree/node_deleter.h"
#include "tree/stree_view.h"

namespace tree {

LibraryEditor::LibraryEditor(STreeView& library) : m_library(library), m_pTree(library.Tree()) {}

bool LibraryEditor::Rename(const TreeItem& item, const std::string& text) {
  m_pTree->State().SelectItem(item.m_hItem);  // the details page then shows what the rename keeps
  std::string start;
  return BeginRename(item, start) && EndRename(item, text);
}

bool LibraryEditor::CanDelete(const TreeItem& node) const {
  if (node.IsNull()) return false;
  switch (KindOf(node)) {
    case NodeKind::Top:
    case NodeKind::Volume:
    case NodeKind::DuplicateAlbum: return false;  // it has no section of its own
    case NodeKind::Folder:
    case NodeKind::Artist:
    case NodeKind::Album:
    case NodeKind::AlbumSong:
    case NodeKind::LooseSong: return true;
  }
  return false;
}

bool LibraryEditor::Delete(const TreeItem& node) {
  if (!CanDelete(node)) return false;
  m_pTree->State().SelectItem(node.m_hItem);
  return CNodeDeleter(&m_library, m_library.Top()).Delete(node).Report();
}

}  // namespace tree
