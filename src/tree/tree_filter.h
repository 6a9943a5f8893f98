// The tree as the filter box shows it: the nodes whose label contains the filter text
// (without regard to case or accents) and the nodes above them; the top node always.
// Views ask it for rows and children instead of the model while a filter is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tree/tree_model.h"

namespace tree {

class TreeFilter {
 public:
  // Works out what the text shows of the model as it is now; an empty text (or one of
  // blanks) shows everything and makes the filter inactive.
  void Apply(const TreeModel& model, std::string_view text);
  bool Active() const { return !m_needle.empty(); }
  const std::string& Text() const { return m_text; }

  bool Shows(Handle item) const;
  // Children and rows among the shown nodes; kNullHandle stands for the roots.
  std::size_t ChildCount(Handle parent) const;
  Handle ChildAt(Handle parent, std::size_t row) const;
  std::size_t RowOf(Handle item) const;
  // Song nodes whose own label contains the text.
  std::size_t MatchingSongs() const { return m_matchingSongs; }
  // Whether the node's label now matches otherwise than when the filter was applied,
  // so a renamed node needs the filter applied again.
  bool MatchChanged(const TreeModel& model, Handle item) const;

 private:
  struct Slot {
    Handle handle = kNullHandle;  // the node the slot was filled for
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    std::uint32_t row = 0;
    bool shown = false;
    bool matches = false;
  };
  struct Node {
    Handle handle;
    Handle parent;
  };
  const Slot* SlotFor(Handle item) const;
  // Every node in order, parents before children, with all labels folded into one
  // text: kept while the model's labels and order stay as they were.
  void Index(const TreeModel& model);

  std::string m_text;
  std::string m_needle;  // the text folded
  std::vector<Slot> m_slots;       // by SlotOf
  std::vector<Handle> m_children;  // the shown children, grouped by parent
  std::vector<Handle> m_roots;
  std::size_t m_matchingSongs = 0;

  std::uint64_t m_indexedVersion = 0;
  std::vector<Node> m_order;
  std::string m_labels;                    // folded labels, each ended by '\n'
  std::vector<std::uint32_t> m_labelEnds;  // where each node's label ends in m_labels
};

}  // namespace tree
