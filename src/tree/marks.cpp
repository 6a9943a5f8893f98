// Marking songs with Ctrl+click: each node carries its mark, and inner nodes show
// whether all, some or none of the songs beneath them are marked.
#include "platform/ui_hooks.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

bool IsMarked(Mark mark) { return mark == Mark::Marked || mark == Mark::Partly; }

}  // namespace

Mark STreeView::GetMark(const TreeItem& item) const { return m_pTree->GetMark(item.m_hItem); }

bool STreeView::AnyMarked(const TreeItem& item, bool recursive) const {
  if (IsMarked(GetMark(item))) return true;
  if (!recursive) return false;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (IsMarked(GetMark(child))) return true;
    if (child.HasChildren() && AnyMarked(child, true)) return true;
  }
  return false;
}

Mark STreeView::UpdateMarkFromChildren(const TreeItem& item) {
  bool partly = false, marked = false, other = false;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    switch (GetMark(child)) {
      case Mark::Partly: partly = true; break;
      case Mark::Marked: marked = true; break;
      case Mark::None:
      case Mark::Missing: other = true; break;
    }
  }
  const Mark mark = partly || (marked && other) ? Mark::Partly : marked ? Mark::Marked : Mark::None;
  m_pTree->SetMark(item.m_hItem, mark);
  return mark;
}

void STreeView::MarkSubtree(const TreeItem& item, bool marked) {
  const Mark wanted = marked ? Mark::Marked : Mark::None;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const Mark mark = GetMark(child);
    if (mark == Mark::Missing) continue;
    if (child.HasChildren()) {
      MarkSubtree(child, marked);
    } else if (mark != wanted) {
      m_pTree->SetMark(child.m_hItem, wanted);
      OnMarkChanged(marked, &child);
    }
  }
  UpdateMarkFromChildren(item);
}

Mark STreeView::SetMark(const TreeItem& item, bool marked) {
  if (GetMark(item) == Mark::Missing) return Mark::None;
  // The node and everything beneath it first, then its ancestors once: each node is
  // visited once, however large the branch.
  Mark result = marked ? Mark::Marked : Mark::None;
  if (item.HasChildren()) {
    MarkSubtree(item, marked);
    result = GetMark(item);
  } else if (GetMark(item) != result) {
    m_pTree->SetMark(item.m_hItem, result);
    OnMarkChanged(marked, &item);
  }
  for (TreeItem node = item; !node.IsNull() && node.m_hItem != m_pTree->GetRoot();) {
    node = node.Parent();
    if (node.IsNull()) break;
    if (result == Mark::Partly) {
      m_pTree->SetMark(node.m_hItem, Mark::Partly);
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
      if (m_pTree->GetMark(node.m_hItem) == Mark::Marked && IsSong(GetNodeKind(node))) {
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
  if (hit.IsNull() || GetMark(hit) == Mark::Missing) return false;
  m_pTree->SelectItem(hit.m_hItem);
  std::optional<platform::WaitCursor> wait;
  if (hit == m_itemTop) wait.emplace();
  SetMark(hit, GetMark(hit) == Mark::None);
  OnMarkChanged(false, nullptr);
  return false;
}
