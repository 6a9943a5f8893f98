#include "tree/library_marks.h"

#include <optional>

#include "platform/ui_hooks.h"
#include "tree/details_presenter.h"
#include "tree/stree_view.h"

namespace tree {

namespace {

bool IsMarked(Mark mark) { return mark == Mark::Marked || mark == Mark::Partly; }

}  // namespace

LibraryMarks::LibraryMarks(STreeView& library) : m_library(library), m_pTree(library.Tree()) {}

Mark LibraryMarks::GetMark(const TreeItem& item) const { return m_pTree->GetMark(item.m_hItem); }

bool LibraryMarks::AnyMarked(const TreeItem& item) const { return IsMarked(GetMark(item)); }

Mark LibraryMarks::UpdateMarkFromChildren(const TreeItem& item) {
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

void LibraryMarks::MarkSubtree(const TreeItem& item, bool marked) {
  const Mark wanted = marked ? Mark::Marked : Mark::None;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const Mark mark = GetMark(child);
    if (mark == Mark::Missing) continue;
    if (child.HasChildren()) {
      MarkSubtree(child, marked);
    } else if (mark != wanted) {
      m_pTree->SetMark(child.m_hItem, wanted);
      SongMarkChanged(child, marked);
    }
  }
  UpdateMarkFromChildren(item);
}

Mark LibraryMarks::SetMark(const TreeItem& item, bool marked) {
  if (GetMark(item) == Mark::Missing) return Mark::None;
  // The node and everything beneath it first, then its ancestors once: each node is
  // visited once, however large the branch.
  Mark result = marked ? Mark::Marked : Mark::None;
  if (item.HasChildren()) {
    MarkSubtree(item, marked);
    result = GetMark(item);
  } else if (GetMark(item) != result) {
    m_pTree->SetMark(item.m_hItem, result);
    SongMarkChanged(item, marked);
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

void LibraryMarks::RecountMarks() {
  // Every inner node once, children before parents; the marked songs' bytes on the way.
  std::vector<TreeItem> parents;
  std::vector<TreeItem> pending{m_library.Top()};
  m_nMarkedSize = 0;
  while (!pending.empty()) {
    const TreeItem node = pending.back();
    pending.pop_back();
    if (!node.HasChildren()) {
      if (m_pTree->GetMark(node.m_hItem) == Mark::Marked && IsSong(KindOf(node))) {
        m_nMarkedSize += m_library.SongSize(node);
      }
      continue;
    }
    parents.push_back(node);
    for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child);
  }
  for (auto node = parents.rbegin(); node != parents.rend(); ++node) UpdateMarkFromChildren(*node);
}

void LibraryMarks::ToggleMark(const TreeItem& node) {
  if (node.IsNull() || GetMark(node) == Mark::Missing) return;
  m_pTree->State().SelectItem(node.m_hItem);
  std::optional<platform::WaitCursor> wait;
  if (node == m_library.Top()) wait.emplace();
  SetMark(node, GetMark(node) == Mark::None);
  MarksSettled();
}

void LibraryMarks::SongMarkChanged(const TreeItem& song, bool marked) {
  if (!IsSong(KindOf(song))) return;
  const std::int64_t size = m_library.SongSize(song);
  m_nMarkedSize += marked ? size : -size;
}

void LibraryMarks::MarksSettled() {
  m_bPlayOrderEnabled = AnyMarked(m_library.Top());
  if (m_pEvents) m_pEvents->OnPlayOrderEnabled(m_bPlayOrderEnabled);
  m_library.Details().ShowMarkedSize();
}

}  // namespace tree
