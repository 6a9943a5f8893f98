#include "tree/tree_filter.h"

#include <algorithm>

#include "platform/text.h"
#include "text/search_fold.h"
#include "tree/node_kinds.h"

namespace tree {

void TreeFilter::Index(const TreeModel& model) {
  if (m_indexedVersion == model.ContentVersion()) return;
  m_indexedVersion = model.ContentVersion();
  m_order.clear();
  m_labels.clear();
  m_labelEnds.clear();
  for (Handle root = model.GetRoot(); root != kNullHandle; root = model.GetNextSibling(root)) {
    model.ForEachInSubtree(root, [this](const TreeModel::NodeView& node) {
      m_order.push_back({node.handle, node.parent});
      text::AppendFolded(node.label, m_labels);
      m_labels += '\n';
      m_labelEnds.push_back(static_cast<std::uint32_t>(m_labels.size()));
    });
  }
}

void TreeFilter::Apply(const TreeModel& model, std::string_view filterText) {
  m_text = filterText;
  m_needle = text::Folded(platform::TrimBlanks(filterText));
  std::erase(m_needle, '\n');  // labels are parted by line breaks in the folded text
  m_slots.clear();
  m_children.clear();
  m_roots.clear();
  m_matchingSongs = 0;
  if (!Active()) return;

  Index(model);
  m_slots.assign(model.SlotLimit(), Slot{});
  for (const Node& node : m_order) m_slots[SlotOf(node.handle)].handle = node.handle;
  // One search through all labels; each hit marks its node and goes on after its label.
  for (std::size_t at = m_labels.find(m_needle); at != std::string::npos; at = m_labels.find(m_needle, at)) {
    const auto end = std::upper_bound(m_labelEnds.begin(), m_labelEnds.end(), at);
    const Handle handle = m_order[static_cast<std::size_t>(end - m_labelEnds.begin())].handle;
    Slot& slot = m_slots[SlotOf(handle)];
    slot.matches = slot.shown = true;
    if (IsSong(model.GetKind(handle))) ++m_matchingSongs;
    at = *end;
  }
  m_slots[SlotOf(model.GetRoot())].shown = true;
  // Children come after their parents: walking backwards, a shown node shows its parent.
  for (auto node = m_order.rbegin(); node != m_order.rend(); ++node) {
    if (node->parent != kNullHandle && m_slots[SlotOf(node->handle)].shown) {
      m_slots[SlotOf(node->parent)].shown = true;
    }
  }
  // Each parent's shown children in order, one stretch of m_children per parent.
  for (const Node& node : m_order) {
    if (node.parent != kNullHandle && m_slots[SlotOf(node.handle)].shown) {
      ++m_slots[SlotOf(node.parent)].childCount;
    }
  }
  std::uint32_t next = 0;
  for (const Node& node : m_order) {
    Slot& slot = m_slots[SlotOf(node.handle)];
    if (!slot.shown) continue;
    slot.firstChild = next;
    next += slot.childCount;
    slot.childCount = 0;  // counted again as the children are placed
  }
  m_children.resize(next);
  for (const Node& node : m_order) {
    Slot& slot = m_slots[SlotOf(node.handle)];
    if (!slot.shown) continue;
    if (node.parent == kNullHandle) {
      slot.row = static_cast<std::uint32_t>(m_roots.size());
      m_roots.push_back(node.handle);
      continue;
    }
    Slot& parent = m_slots[SlotOf(node.parent)];
    slot.row = parent.childCount++;
    m_children[parent.firstChild + slot.row] = node.handle;
  }
}

const TreeFilter::Slot* TreeFilter::SlotFor(Handle item) const {
  const std::uint32_t index = SlotOf(item);
  if (index >= m_slots.size() || m_slots[index].handle != item || !m_slots[index].shown) return nullptr;
  return &m_slots[index];
}

bool TreeFilter::Shows(Handle item) const { return !Active() || SlotFor(item) != nullptr; }

std::size_t TreeFilter::ChildCount(Handle parent) const {
  if (parent == kNullHandle) return m_roots.size();
  const Slot* slot = SlotFor(parent);
  return slot ? slot->childCount : 0;
}

Handle TreeFilter::ChildAt(Handle parent, std::size_t row) const {
  if (parent == kNullHandle) return row < m_roots.size() ? m_roots[row] : kNullHandle;
  const Slot* slot = SlotFor(parent);
  return slot && row < slot->childCount ? m_children[slot->firstChild + row] : kNullHandle;
}

std::size_t TreeFilter::RowOf(Handle item) const {
  const Slot* slot = SlotFor(item);
  return slot ? slot->row : 0;
}

bool TreeFilter::MatchChanged(const TreeModel& model, Handle item) const {
  if (!Active()) return false;
  const std::uint32_t index = SlotOf(item);
  const bool was = index < m_slots.size() && m_slots[index].handle == item && m_slots[index].matches;
  return was != (text::Folded(model.GetLabel(item)).find(m_needle) != std::string::npos);
}

}  // namespace tree
