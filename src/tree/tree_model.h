// The library tree: every node with its kind, label, mark, expanded state and node
// data text. Nodes are addressed by handles
// that stay valid until the node is deleted. One observer (the Qt view) hears of every
// change; the owner (the tree view) gets the control's notifications.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/volumes.h"
#include "tree/node_kinds.h"
#include "tree/text_store.h"

namespace tree {

using Handle = std::uint32_t;
inline constexpr Handle kNullHandle = 0;

enum class ExpandAction { Collapse, Expand, Toggle, CollapseReset };

// Hears of every change. Between OnBatchBegin and OnBatchEnd (a whole scan) no other
// notification comes: the observer starts afresh from the model at the end.
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  virtual void OnInserting(Handle parent, std::size_t row) = 0;  // before
  virtual void OnInserted(Handle item) = 0;                      // after
  virtual void OnRemoving(Handle item) = 0;                      // before the item and its subtree go
  virtual void OnRemoved(Handle parent) = 0;                     // after
  virtual void OnChanged(Handle item) = 0;                       // label, kind, mark or data text
  virtual void OnReordering(Handle parent) = 0;                  // before a sort
  virtual void OnReordered(Handle parent) = 0;                   // after it
  virtual void OnExpandedChanged(Handle item, bool expanded) = 0;
  virtual void OnSelectionChanged(Handle item) = 0;
  virtual void OnBatchBegin() = 0;
  virtual void OnBatchEnd() = 0;
  // The model is being destroyed with its nodes: no handle is valid any more, and the
  // observer must not call it again.
  virtual void OnModelGone() = 0;
};

// What the control tells its owner, as a tree control's reflected notifications.
class TreeNotifications {
 public:
  virtual ~TreeNotifications() = default;
  // Before the selection moves; false keeps the old selection.
  virtual bool OnSelChanging(Handle oldItem, Handle newItem) = 0;
  virtual void OnSelChanged(Handle oldItem, Handle newItem) = 0;
};

class TreeModel;

// Which nodes of a tree are open and which one is selected: kept here once, for the
// library and the window alike; the window shows them and hands the user's changes in.
class TreeState {
 public:
  explicit TreeState(TreeModel& model) : m_model(model) {}
  // The owner hears of selection changes and may refuse them.
  void SetNotifications(TreeNotifications* owner) { m_pOwner = owner; }

  bool IsExpanded(Handle item) const;
  // Toggle and CollapseReset act as expand or collapse; a node without children is
  // never expanded. Returns whether the state changed.
  bool Expand(Handle item, ExpandAction action);

  Handle GetSelection() const { return m_hSelection; }
  // Tells the owner before and after; false when the owner refused.
  bool SelectItem(Handle item);

 private:
  friend class TreeModel;
  TreeModel& m_model;
  Handle m_hSelection = kNullHandle;
  TreeNotifications* m_pOwner = nullptr;
};

// What is known of a node beyond its kind and label. For a song: its file's size in
// bytes as last listed (-1 while unknown), its play time in milliseconds as read or
// one of the states below, and whether its catalogue entry gives it a title of its
// own (one without shows its file title in either display mode). For a volume: the
// kind of drive, which its icon shows.
struct NodeFacts {
  static constexpr std::int32_t kPlayTimeUnknown = -3;    // not asked for yet
  static constexpr std::int32_t kPlayTimeRequested = -2;  // being read
  static constexpr std::int32_t kPlayTimeNone = -1;       // the file has no knowable play time
  std::int64_t size = -1;
  std::int32_t playTime = kPlayTimeUnknown;
  bool hasTitle = false;
  platform::DriveType drive = platform::DriveType::Fixed;
};

// The number of a node's slot: below TreeModel::SlotLimit(), no two live nodes alike.
std::uint32_t SlotOf(Handle item);

class TreeModel {
  static constexpr std::uint32_t kIndexBits = 24;  // a handle is an index and a generation
  static constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;

 public:
  TreeModel();
  ~TreeModel();
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  void SetObserver(TreeObserver* observer) { m_pObserver = observer; }
  // Which nodes are open and which one is selected.
  TreeState& State() { return m_state; }
  const TreeState& State() const { return m_state; }
  // Many changes at once, while a Batch lives: the observer hears only of the start
  // and the end.
  class Batch {
   public:
    explicit Batch(TreeModel& model);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    TreeModel& m_model;
  };

  // A new last child of parent (a new root node for kNullHandle); drive tells what a
  // volume node stands for.
  Handle InsertItem(Handle parent, std::string_view label, NodeKind kind,
                    platform::DriveType drive = platform::DriveType::Fixed);
  // Deletes the item with its descendants.
  void DeleteItem(Handle item);

  bool IsValid(Handle item) const;
  Handle GetRoot() const;
  Handle GetParent(Handle item) const;
  Handle GetChild(Handle item) const;
  Handle GetNextSibling(Handle item) const;
  bool HasChildren(Handle item) const;
  std::size_t ChildCount(Handle item) const;
  // For views: the child at row, and the row of an item among its siblings.
  Handle ChildAt(Handle parent, std::size_t row) const;
  std::size_t RowOf(Handle item) const;
  std::size_t Count() const { return m_nLive; }
  // Changes whenever nodes come or go, are renamed, get other data texts or are
  // reordered; no two models, and no two states of one, share a value. Views and
  // indexes keep what they derived from labels and data texts until it changes.
  std::uint64_t ContentVersion() const { return m_nContentVersion; }
  // A number for each node below SlotLimit(), no two live nodes alike: the index of
  // per-node tables kept beside the model (see SlotOf).
  std::uint32_t SlotLimit() const { return m_nNodes + 1; }

  std::string_view GetLabel(Handle item) const;
  void SetLabel(Handle item, std::string_view label);
  NodeKind GetKind(Handle item) const;
  Mark GetMark(Handle item) const;
  void SetMark(Handle item, Mark mark);
  // The node data text; nothing for a node without one.
  std::optional<std::string_view> GetData(Handle item) const;
  void SetData(Handle item, std::optional<std::string_view> data);

  // What is known of the node beyond kind and label. No observer hears of changes:
  // nothing on screen shows them directly, and a volume's drive is set when the node
  // is made. An invalid handle gives facts that go nowhere.
  NodeFacts& Facts(Handle item);
  const NodeFacts& Facts(Handle item) const;

  // What a subtree walk sees of each node.
  struct NodeView {
    Handle handle;
    Handle parent;
    NodeKind kind;
    Mark mark;
    std::int32_t playTime;
    std::string_view label;
  };
  // Calls visit for the item and every node beneath it, without a look-up per step.
  void ForEachInSubtree(Handle item, const std::function<void(const NodeView&)>& visit) const;

  // Appends copies of from's children of fromParent, with all beneath them, to the
  // children of parent: kinds, labels, marks, data texts, sizes, expanded states.
  void CopyChildren(Handle parent, const TreeModel& from, Handle fromParent);

  // Gathers the texts of the live nodes into a new store and drops the old one, with
  // the texts of changed and deleted nodes. Views of labels and data taken before
  // are invalid afterwards.
  void CompactTexts();

  // Sorts the first count children (all by default) by label as directory listings
  // are ordered; the order of equal labels is kept.
  void SortChildren(Handle parent, std::size_t count = static_cast<std::size_t>(-1));
  // Puts the children of parent in the given order: the same children, each once.
  void ReorderChildren(Handle parent, const std::vector<Handle>& order);
  // The first child whose label equals label without regard to case.
  Handle FindChildByLabel(Handle parent, std::string_view label) const;

 private:
  struct Node;
  Node* Get(Handle item);
  const Node* Get(Handle item) const;
  std::vector<Handle>& ChildrenOf(Handle parent);
  // The children of parent (the roots for kNullHandle); null for an invalid handle.
  const std::vector<Handle>* ChildList(Handle parent) const;
  void Release(Handle item);
  void IndexInsert(Handle parent, Handle child) const;
  void IndexErase(Handle parent, Handle child) const;
  TreeObserver* Observer() const { return m_nBatchDepth == 0 ? m_pObserver : nullptr; }
  friend std::uint32_t SlotOf(Handle item);

  // Nodes in blocks of kNodesPerBlock that never move; node index i (from 1) is
  // entry (i - 1) % kNodesPerBlock of block (i - 1) / kNodesPerBlock.
  static constexpr std::uint32_t kNodesPerBlock = 4096;
  std::vector<std::unique_ptr<Node[]>> m_nodeBlocks;
  std::uint32_t m_nNodes = 0;
  TextStore m_texts;
  std::string_view m_lastData;  // the data text stored last, shared by equal ones
  std::vector<std::uint32_t> m_free;
  std::vector<Handle> m_roots;
  std::size_t m_nLive = 0;
  std::uint64_t m_nContentVersion = 0;
  void ContentChanged();
  int m_nBatchDepth = 0;
  TreeState m_state{*this};
  friend class TreeState;
  TreeObserver* m_pObserver = nullptr;
  // Label indexes of parents with many children, built on the first lookup.
  mutable std::unordered_map<Handle, std::unordered_multimap<std::string, Handle>> m_labelIndex;
};

}  // namespace tree
