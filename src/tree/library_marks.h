// The library's marks: Ctrl+click marks a song, or every song beneath a node, for
// playing; inner nodes show whether all, some or none of the songs beneath them are
// marked; the marked songs' bytes are counted as marks change.
#pragma once

#include <cstdint>

#include "tree/node_kinds.h"
#include "tree/tree_item.h"

class STreeView;

namespace tree {

// What the marks tell the desktop program beyond the tree itself.
class ViewEvents {
 public:
  virtual ~ViewEvents() = default;
  // "P&lay order..." is available exactly while something is marked.
  virtual void OnPlayOrderEnabled(bool enabled) = 0;
};

class LibraryMarks {
 public:
  explicit LibraryMarks(STreeView& library);

  Mark GetMark(const TreeItem& item) const;
  // Whether the node or anything beneath it is marked: a node's mark sums up its
  // children's.
  bool AnyMarked(const TreeItem& item) const;
  // Marks (or unmarks) the node with everything beneath it, then sets its ancestors'
  // marks; a missing song cannot be marked. Returns the node's new mark.
  Mark SetMark(const TreeItem& item, bool marked);
  // Ctrl+click: selects the node and flips its mark, then tells the window; a missing
  // song is left alone.
  void ToggleMark(const TreeItem& node);
  // The marks of inner nodes and the marked songs' bytes worked out anew from the
  // marked songs, after nodes came and went.
  void RecountMarks();
  // After marks changed: whether Play order is available, and the details page's
  // size and play time.
  void MarksSettled();
  // Whether Play order is available: for a new tree, whose details were just shown.
  void UpdatePlayOrder();
  // Nothing is marked any more: the tree is about to be replaced.
  void Forget() { m_nMarkedSize = 0; }

  // Bytes of all marked songs.
  std::int64_t MarkedSize() const { return m_nMarkedSize; }
  bool PlayOrderEnabled() const { return m_bPlayOrderEnabled; }
  void SetViewEvents(ViewEvents* events) { m_pEvents = events; }

 private:
  Mark UpdateMarkFromChildren(const TreeItem& item);
  void MarkSubtree(const TreeItem& item, bool marked);
  void SongMarkChanged(const TreeItem& song, bool marked);

  STreeView& m_library;
  TreeModel* m_pTree;
  std::int64_t m_nMarkedSize = 0;
  bool m_bPlayOrderEnabled = false;
  ViewEvents* m_pEvents = nullptr;
};

}  // namespace tree
