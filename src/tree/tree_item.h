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
  TreeItem Caret() const { return Same(m_pTree ? m_pTree->GetSelection() : tree::kNullHandle); }
  // A new last child (a new root node when this reference is null) with the label and
  // the image as both normal and selected image.
  TreeItem AddChild(std::string_view text, int image) const {
    return Same(m_pTree ? m_pTree->InsertItem(m_hItem, text, image) : tree::kNullHandle);
  }

  int Image() const { return m_pTree ? m_pTree->GetImage(m_hItem) : -1; }
  std::string_view Label() const { return m_pTree ? m_pTree->GetLabel(m_hItem) : std::string_view(); }
  std::optional<std::string_view> Data() const { return m_pTree ? m_pTree->GetData(m_hItem) : std::nullopt; }
  bool HasChildren() const { return m_pTree && m_pTree->HasChildren(m_hItem); }

  tree::Handle m_hItem = tree::kNullHandle;
  tree::TreeModel* m_pTree = nullptr;

 private:
  TreeItem Same(tree::Handle item) const { return {item, m_pTree}; }
};

namespace tree {

// What the node stands for, by its image; the top node for a null reference.
inline NodeKind KindOf(const TreeItem& item) { return item.IsNull() ? NodeKind::Top : KindOfImage(item.Image()); }
// An album node standing for a section whose album name its artist has already; its
// data text is the folder of that section's catalogue, as for any album.
inline bool IsDuplicateAlbum(const TreeItem& item) {
  return KindOf(item) == NodeKind::Album && item.Label().starts_with(kDuplicateAlbumPrefix);
}

// Expands or collapses the node (a node without children is never expanded).
inline void ExpandItem(const TreeItem& item, bool expand) {
  if (!item.IsNull()) item.m_pTree->Expand(item.m_hItem, expand ? ExpandAction::Expand : ExpandAction::Collapse);
}

}  // namespace tree
