#include "tree/kept_marks.h"

#include <functional>
#include <utility>

#include "tree/node_kinds.h"

namespace tree {

std::size_t KeptMarks::PlaceHash::operator()(const Place& place) const {
  const std::size_t text = std::hash<std::string_view>{}(place.label);
  return text ^ (place.parent * 0x9E3779B97F4A7C15ull) ^ static_cast<std::size_t>(place.kind);
}

KeptMarks::KeptMarks(const TreeModel& model, Handle top, const std::unordered_set<Handle>* within) {
  // Labels are copied first and the places made from the copies afterwards, so no
  // place points into a string that moved.
  struct Kept {
    std::size_t parent;
    NodeKind kind;
  };
  std::vector<Kept> kept;
  m_firstChild.push_back(0);
  m_childCount.push_back(0);
  std::vector<std::pair<Handle, std::size_t>> pending{{top, 0}};  // a node and its own number
  while (!pending.empty()) {
    const auto [node, number] = pending.back();
    pending.pop_back();
    m_firstChild[number] = kept.size();
    for (Handle child = model.GetChild(node); child != kNullHandle; child = model.GetNextSibling(child)) {
      const Mark mark = model.GetMark(child);
      if ((mark != Mark::Marked && mark != Mark::Partly) || (within && number == 0 && !within->contains(child))) continue;
      const NodeKind kind = model.GetKind(child);
      kept.push_back({number, kind});
      m_labels.emplace_back(model.GetLabel(child));
      m_firstChild.push_back(0);
      m_childCount.push_back(0);
      ++m_childCount[number];
      if (!IsSong(kind)) pending.emplace_back(child, kept.size());
    }
  }
  m_order.reserve(kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) m_order.push_back({kept[i].parent, kept[i].kind, m_labels[i]});
}

void KeptMarks::RenameArtist(std::string_view from, std::string_view to) {
  for (std::size_t i = 0; i < m_order.size(); ++i) {
    if (m_order[i].parent != 0 || m_order[i].kind != NodeKind::Artist || m_order[i].label != from) continue;
    m_labels[i] = to;
    m_order[i].label = m_labels[i];  // the text may have moved
  }
}

void KeptMarks::ApplyTo(TreeModel& model, Handle top) const {
  if (m_order.empty()) return;
  // Each kept node's place and number, made at the first child met out of the old order.
  std::unordered_map<Place, std::size_t, PlaceHash> places;
  const auto lookUp = [&](const Place& place) -> std::size_t {
    if (places.empty()) {
      places.reserve(m_order.size());
      for (std::size_t i = 0; i < m_order.size(); ++i) places.emplace(m_order[i], i + 1);
    }
    const auto at = places.find(place);
    return at == places.end() ? 0 : at->second;
  };
  std::vector<std::pair<Handle, std::size_t>> pending{{top, 0}};
  while (!pending.empty()) {
    const auto [node, number] = pending.back();
    pending.pop_back();
    // Mostly the new children come in the old order: each is compared with the next
    // kept child, and looked up only when it is not that one.
    std::size_t next = m_firstChild[number];
    const std::size_t end = next + m_childCount[number];
    for (Handle child = model.GetChild(node); child != kNullHandle; child = model.GetNextSibling(child)) {
      const Place place{number, model.GetKind(child), model.GetLabel(child)};
      const std::size_t found = next < end && m_order[next] == place ? ++next : lookUp(place);
      if (found == 0) continue;
      if (!IsSong(place.kind)) {
        pending.emplace_back(child, found);
      } else if (model.GetMark(child) != Mark::Missing) {
        model.SetMark(child, Mark::Marked);
      }
    }
  }
}

}  // namespace tree
