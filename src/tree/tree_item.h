// Item reference: a tree node's handle with the model that holds it. Copying the
// reference never copies the node; a null handle means no node.
#pragma once

#include <optional>
#include <string_view>

#include "tree/node_kinds.h"
#include "tree/tree_model.h"

class TreeItem {
 public:
  TreeItem() = default;
  TreeItem(tree::Handle item, tree::TreeModel* tree) : m_hItem(item), m_pTree(tree) {}

  bool IsNull() const { return m_hItem == tree::kNullHandle || !m_pTree; }
  explicit operator bool() const { return !IsNull(); }
  bool operator==(const TreeItem& other) const { return m_hItem == other.m_hItem; }

  TreeItem FirstChild() const { return Same(m_pTree ? m_pTree->GetChild(m_hItem) : tree::kNullHandle); }
  TreeItem NextSibling() const { return Same(m_pTree ? m_pTree->GetNextSibling(m_hItem) : tree::kNullHandle); }
  TreeItem Parent() const { return Same(m_pTree ? m_pTree->GetParent(m_hItem) : tree::kNullHandle); }
  TreeItem Root() const { return Same(m_pTree ? m_pTree->GetRoot() : tree::kNullHandle); }
  TreeItem Caret() const { return Same(m_pTree ? m_pTree->State().GetSelection() : tree::kNullHandle); }
  // A new last child (a new root node when this reference is null).
  TreeItem AddChild(std::string_view text, tree::NodeKind kind) const {
    return Same(m_pTree ? m_pTree->InsertItem(m_hItem, text, kind) : tree::kNullHandle);
  }

  std::string_view Label() const { return m_pTree ? m_pTree->GetLabel(m_hItem) : std::string_view(); }
  std::optional<std::string_view> Data() const { return m_pTree ? m_pTree->GetData(m_hItem) : std::nullopt; }
  bool HasChildren() const { return m_pTree && m_pTree->HasChildren(m_hItem); }

  tree::Handle m_hItem = tree::kNullHandle;
  tree::TreeModel* m_pTree = nullptr;

 private:
  TreeItem Same(tree::Handle item) const { return {item, m_pTree}; }
};

namespace tree {

// What the node stands for; the top node for a null reference.
inline NodeKind KindOf(const TreeItem& item) { return item.IsNull() ? NodeKind::Top : item.m_pTree->GetKind(item.m_hItem); }
// The album name of the section an album node stands for: a duplicate's label without
// its prefix.
inline std::string_view AlbumName(const TreeItem& album) {
  std::string_view name = album.Label();
  if (KindOf(album) == NodeKind::DuplicateAlbum) name.remove_prefix(kDuplicateAlbumPrefix.size());
  return name;
}

// Expands or collapses the node (a node without children is never expanded).
inline void ExpandItem(const TreeItem& item, bool expand) {
  if (!item.IsNull()) item.m_pTree->State().Expand(item.m_hItem, expand ? ExpandAction::Expand : ExpandAction::Collapse);
}

}  // namespace tree
