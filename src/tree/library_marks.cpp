#include "tree/library_marks.h"

#include <cstdint>
#include <optional>
#include <vector>

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
  // The nodes in pre-order, each with its parent's place: going backwards, every node's
  // children are counted before it. One pass, without a look-up per step.
  struct Counted {
    Handle handle;
    std::size_t parent;
    Mark mark;
    std::uint8_t children = 0;  // kPartly, kMarked and kOther of the children met
  };
  constexpr std::uint8_t kPartly = 1, kMarked = 2, kOther = 4;
  std::vector<Counted> order;
  order.reserve(m_pTree->Count());
  std::vector<std::size_t> path;  // the places of the nodes above the one met
  m_pTree->ForEachInSubtree(m_library.Top().m_hItem, [&](const TreeModel::NodeView& node) {
    while (!path.empty() && order[path.back()].handle != node.parent) path.pop_back();
    order.push_back({node.handle, path.empty() ? 0 : path.back(), node.mark});
    path.push_back(order.size() - 1);
  });
  m_nMarkedSize = 0;
  for (std::size_t i = order.size(); i-- > 0;) {
    Counted& node = order[i];
    if (node.children != 0) {  // a node with children takes its mark from them
      const std::uint8_t seen = node.children;
      node.mark = (seen & kPartly) || ((seen & kMarked) && (seen & kOther)) ? Mark::Partly
                  : (seen & kMarked)                                        ? Mark::Marked
                                                                            : Mark::None;
      m_pTree->SetMark(node.handle, node.mark);
    } else if (node.mark == Mark::Marked && IsSong(m_pTree->GetKind(node.handle))) {
      m_nMarkedSize += m_library.SongSize(m_library.Item(node.handle));
    }
    if (i == 0) break;
    order[node.parent].children |= node.mark == Mark::Partly ? kPartly : node.mark == Mark::Marked ? kMarked : kOther;
  }
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
  UpdatePlayOrder();
  m_library.Details().ShowMarkedSize();
}

void LibraryMarks::UpdatePlayOrder() {
  m_bPlayOrderEnabled = AnyMarked(m_library.Top());
  if (m_pEvents) m_pEvents->OnPlayOrderEnabled(m_bPlayOrderEnabled);
}

}  // namespace tree
