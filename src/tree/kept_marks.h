// The marked songs of a tree, kept by the kinds and labels of the nodes that lead to
// them, and put again on the songs of a tree made anew that sit at the same places.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tree/tree_model.h"

namespace tree {

class KeptMarks {
 public:
  // Walks the tree below top through its marked and partly marked nodes only; when
  // within is given, only below those children of top (the rest of the tree stays as
  // it is, and ApplyTo leaves it so).
  KeptMarks(const TreeModel& model, Handle top, const std::unordered_set<Handle>* within = nullptr);
  KeptMarks(const KeptMarks&) = delete;  // the places point into the labels
  KeptMarks& operator=(const KeptMarks&) = delete;
  // Marks the songs below top found at a kept place (missing files stay unmarked);
  // the marks of the nodes above them are left to the caller.
  void ApplyTo(TreeModel& model, Handle top) const;
  // An artist of the top node now bears another label: its marks go with it.
  void RenameArtist(std::string_view from, std::string_view to);

 private:
  // A node: the place of its parent (0 for the top), its kind and its label.
  struct Place {
    std::size_t parent;
    NodeKind kind;
    std::string_view label;
    bool operator==(const Place&) const = default;
  };
  struct PlaceHash {
    std::size_t operator()(const Place& place) const;
  };
  std::vector<std::string> m_labels;  // owns the texts the places point into
  // Kept node i (numbered i + 1) stands at m_order[i]; the kept children of number n
  // follow one another, in the old tree's order, from m_firstChild[n] to m_firstChild[n]
  // plus m_childCount[n].
  std::vector<Place> m_order;
  std::vector<std::size_t> m_firstChild, m_childCount;
};

}  // namespace tree
