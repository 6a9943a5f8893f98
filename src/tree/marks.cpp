// Marking songs with Ctrl+click: the overlay of a node is its mark, and inner nodes
// show whether all, some or none of the songs beneath them are marked.
#include "platform/ui_hooks.h"
#include "tree/stree_view.h"

using namespace tree;

int STreeView::GetMark(const TreeItem& item) const {
  switch (m_pTree->GetOverlay(item.m_hItem)) {
    case kOverlayNone: return 0;
    case kOverlayPartlyMarked: return 2;
    case kOverlayMarked: return 1;
    default: return 3;
  }
}

bool STreeView::AnyMarked(const TreeItem& item, bool recursive) const {
  const int mark = GetMark(item);
  if (mark == 1 || mark == 2) return true;
  if (!recursive) return false;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const int childMark = GetMark(child);
    if (childMark == 1 || childMark == 2) return true;
    if (child.HasChildren() && AnyMarked(child, true)) return true;
  }
  return false;
}

int STreeView::UpdateMarkFromChildren(const TreeItem& item) {
  bool partly = false, marked = false, other = false;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const unsigned overlay = m_pTree->GetOverlay(child.m_hItem);
    if (overlay == kOverlayPartlyMarked) {
      partly = true;
    } else if (overlay == kOverlayMarked) {
      marked = true;
    } else {
      other = true;
    }
  }
  int result = 0;
  unsigned overlay = kOverlayNone;
  if (partly || (marked && other)) {
    result = 2;
    overlay = kOverlayPartlyMarked;
  } else if (marked) {
    result = 1;
    overlay = kOverlayMarked;
  }
  m_pTree->SetOverlay(item.m_hItem, overlay);
  return result;
}

void STreeView::MarkSubtree(const TreeItem& item, bool marked) {
  const unsigned wanted = marked ? kOverlayMarked : kOverlayNone;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (child.HasChildren()) {
      if (GetMark(child) != 3) MarkSubtree(child, marked);
    } else if (GetMark(child) != 3 && m_pTree->GetOverlay(child.m_hItem) != wanted) {
      m_pTree->SetOverlay(child.m_hItem, wanted);
      OnMarkChanged(marked, &child);
    }
  }
  UpdateMarkFromChildren(item);
}

int STreeView::SetMark(const TreeItem& item, bool marked) {
  if (GetMark(item) == 3) return 0;
  // The node and everything beneath it first, then its ancestors once: each node is
  // visited once, however large the branch.
  int result = marked ? 1 : 0;
  if (item.HasChildren()) {
    MarkSubtree(item, marked);
    result = GetMark(item);
  } else if (const unsigned wanted = marked ? kOverlayMarked : kOverlayNone; m_pTree->GetOverlay(item.m_hItem) != wanted) {
    m_pTree->SetOverlay(item.m_hItem, wanted);
    OnMarkChanged(marked, &item);
  }
  for (TreeItem node = item; !node.IsNull() && node.m_hItem != m_pTree->GetRoot();) {
    node = node.Parent();
    if (node.IsNull()) break;
    if (result == 2) {
      m_pTree->SetOverlay(node.m_hItem, kOverlayPartlyMarked);
    } else {
      UpdateMarkFromChildren(node);
    }
  }
  return result;
}

void STreeView::RecountMarks() {
  // Every inner node once, children before parents; the marked songs' bytes on the way.
  std::vector<TreeItem> parents;
  std::vector<TreeItem> pending{m_itemTop};
  m_nMarkedSize = 0;
  while (!pending.empty()) {
    const TreeItem node = pending.back();
    pending.pop_back();
    if (!node.HasChildren()) {
      if (m_pTree->GetOverlay(node.m_hItem) == kOverlayMarked && GetNodeKind(node) == kSongNode) {
        m_nMarkedSize += SongSize(node);
      }
      continue;
    }
    parents.push_back(node);
    for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child);
  }
  for (auto node = parents.rbegin(); node != parents.rend(); ++node) UpdateMarkFromChildren(*node);
}

bool STreeView::OnLButtonDown(bool ctrl, const TreeItem& hit) {
  if (!ctrl) return true;
  if (hit.IsNull() || GetMark(hit) == 3) return false;
  m_pTree->SelectItem(hit.m_hItem);
  std::optional<platform::WaitCursor> wait;
  if (hit == m_itemTop) wait.emplace();
  SetMark(hit, GetMark(hit) == 0 ? 1 : 0);
  OnMarkChanged(false, nullptr);
  return false;
}
