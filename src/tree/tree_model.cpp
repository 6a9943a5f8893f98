#include "tree/tree_model.h"

#include <algorithm>
#include <atomic>

#include "platform/text.h"

namespace tree {
namespace {

// Parents with more children than this get a label index on their first lookup.
constexpr std::size_t kIndexThreshold = 16;

}  // namespace

struct TreeModel::Node {
  const char* label = "";
  const char* data = nullptr;  // null: no node data text
  std::uint32_t labelLength = 0;
  std::uint32_t dataLength = 0;
  std::vector<Handle> children;
  NodeFacts facts;
  Handle parent = kNullHandle;
  std::uint32_t row = 0;
  NodeKind kind = NodeKind::Top;
  Mark mark = Mark::None;
  std::uint8_t generation = 0;
  bool alive = false;
  bool expanded = false;
};

TreeModel::TreeModel() {
  static_assert(sizeof(Node) <= 80, "a library of 100,000 songs keeps one per node: kept small");
  ContentChanged();
}

void TreeModel::ContentChanged() {
  static std::atomic<std::uint64_t> versions{0};
  m_nContentVersion = ++versions;
}
TreeModel::~TreeModel() {
  if (m_pObserver) m_pObserver->OnModelGone();
}

TreeModel::Node* TreeModel::Get(Handle item) {
  return const_cast<Node*>(static_cast<const TreeModel*>(this)->Get(item));
}

const TreeModel::Node* TreeModel::Get(Handle item) const {
  const std::uint32_t index = (item & kIndexMask);
  if (index == 0 || index > m_nNodes) return nullptr;
  const Node& node = m_nodeBlocks[(index - 1) / kNodesPerBlock][(index - 1) % kNodesPerBlock];
  if (!node.alive || node.generation != (item >> kIndexBits)) return nullptr;
  return &node;
}

bool TreeModel::IsValid(Handle item) const { return Get(item) != nullptr; }

std::uint32_t SlotOf(Handle item) { return item & TreeModel::kIndexMask; }

TreeModel::Batch::Batch(TreeModel& model) : m_model(model) {
  if (m_model.m_nBatchDepth++ == 0 && m_model.m_pObserver) m_model.m_pObserver->OnBatchBegin();
}

TreeModel::Batch::~Batch() {
  if (--m_model.m_nBatchDepth == 0 && m_model.m_pObserver) m_model.m_pObserver->OnBatchEnd();
}

const std::vector<Handle>* TreeModel::ChildList(Handle parent) const {
  if (parent == kNullHandle) return &m_roots;
  const Node* node = Get(parent);
  return node ? &node->children : nullptr;
}

std::vector<Handle>& TreeModel::ChildrenOf(Handle parent) {
  return parent == kNullHandle ? m_roots : Get(parent)->children;
}

Handle TreeModel::InsertItem(Handle parent, std::string_view label, NodeKind kind, platform::DriveType drive) {
  ContentChanged();
  if (parent != kNullHandle && !Get(parent)) return kNullHandle;
  std::uint32_t index;
  if (!m_free.empty()) {
    index = m_free.back();
    m_free.pop_back();
  } else {
    if (m_nNodes % kNodesPerBlock == 0) m_nodeBlocks.push_back(std::make_unique<Node[]>(kNodesPerBlock));
    index = ++m_nNodes;
  }
  Node& node = m_nodeBlocks[(index - 1) / kNodesPerBlock][(index - 1) % kNodesPerBlock];
  node.alive = true;
  const std::string_view stored = m_texts.Add(label);
  node.label = stored.data();
  node.labelLength = static_cast<std::uint32_t>(stored.size());
  node.kind = kind;
  node.facts.drive = drive;
  node.parent = parent;
  const Handle handle = index | (Handle{node.generation} << kIndexBits);
  auto& siblings = ChildrenOf(parent);
  if (auto* observer = Observer()) observer->OnInserting(parent, siblings.size());
  node.row = static_cast<std::uint32_t>(siblings.size());
  siblings.push_back(handle);
  ++m_nLive;
  IndexInsert(parent, handle);
  if (auto* observer = Observer()) observer->OnInserted(handle);
  return handle;
}

void TreeModel::Release(Handle item) {
  Node* node = Get(item);
  for (const Handle child : node->children) Release(child);
  if (m_state.m_hSelection == item) m_state.m_hSelection = kNullHandle;
  m_labelIndex.erase(item);
  const std::uint32_t index = item & kIndexMask;
  const std::uint8_t generation = node->generation;
  *node = Node{};
  node->generation = static_cast<std::uint8_t>(generation + 1);
  m_free.push_back(index);
  --m_nLive;
}

void TreeModel::DeleteItem(Handle item) {
  ContentChanged();
  const Node* node = Get(item);
  if (!node) return;
  if (auto* observer = Observer()) observer->OnRemoving(item);
  const Handle parent = node->parent;
  const std::uint32_t row = node->row;
  const Handle selection = m_state.m_hSelection;
  IndexErase(parent, item);
  Release(item);
  auto& siblings = ChildrenOf(parent);
  siblings.erase(siblings.begin() + row);
  for (std::size_t i = row; i < siblings.size(); ++i) Get(siblings[i])->row = static_cast<std::uint32_t>(i);
  if (auto* observer = Observer()) observer->OnRemoved(parent);
  if (auto* observer = Observer(); observer && selection != m_state.m_hSelection) {
    observer->OnSelectionChanged(m_state.m_hSelection);
  }
}

Handle TreeModel::GetRoot() const { return m_roots.empty() ? kNullHandle : m_roots.front(); }

Handle TreeModel::GetParent(Handle item) const {
  const Node* node = Get(item);
  return node ? node->parent : kNullHandle;
}

Handle TreeModel::GetChild(Handle item) const {
  const Node* node = Get(item);
  return node && !node->children.empty() ? node->children.front() : kNullHandle;
}

Handle TreeModel::GetNextSibling(Handle item) const {
  const Node* node = Get(item);
  if (!node) return kNullHandle;
  return ChildAt(node->parent, node->row + 1);
}

bool TreeModel::HasChildren(Handle item) const { return GetChild(item) != kNullHandle; }

std::size_t TreeModel::ChildCount(Handle item) const {
  const std::vector<Handle>* children = ChildList(item);
  return children ? children->size() : 0;
}

Handle TreeModel::ChildAt(Handle parent, std::size_t row) const {
  const std::vector<Handle>* children = ChildList(parent);
  if (!children) return kNullHandle;
  return row < children->size() ? (*children)[row] : kNullHandle;
}

std::size_t TreeModel::RowOf(Handle item) const {
  const Node* node = Get(item);
  return node ? node->row : 0;
}

std::string_view TreeModel::GetLabel(Handle item) const {
  const Node* node = Get(item);
  return node ? std::string_view(node->label, node->labelLength) : std::string_view();
}

void TreeModel::SetLabel(Handle item, std::string_view label) {
  ContentChanged();
  Node* node = Get(item);
  if (!node) return;
  IndexErase(node->parent, item);
  const std::string_view stored = m_texts.Add(label);
  node->label = stored.data();
  node->labelLength = static_cast<std::uint32_t>(stored.size());
  IndexInsert(node->parent, item);
  if (auto* observer = Observer()) observer->OnChanged(item);
}

NodeKind TreeModel::GetKind(Handle item) const {
  const Node* node = Get(item);
  return node ? node->kind : NodeKind::Top;
}

Mark TreeModel::GetMark(Handle item) const {
  const Node* node = Get(item);
  return node ? node->mark : Mark::None;
}

void TreeModel::SetMark(Handle item, Mark mark) {
  Node* node = Get(item);
  if (!node || node->mark == mark) return;
  node->mark = mark;
  if (auto* observer = Observer()) observer->OnChanged(item);
}

std::optional<std::string_view> TreeModel::GetData(Handle item) const {
  const Node* node = Get(item);
  if (!node || !node->data) return std::nullopt;
  return std::string_view(node->data, node->dataLength);
}

void TreeModel::SetData(Handle item, std::optional<std::string_view> data) {
  Node* node = Get(item);
  if (!node) return;
  ContentChanged();
  if (!data) {
    node->data = nullptr;
    node->dataLength = 0;
  } else {
    // Songs of a loose folder repeat its path: equal texts in a row are stored once.
    const std::string_view cut = data->substr(0, data->find('\0'));
    if (m_lastData.data() == nullptr || cut != m_lastData) m_lastData = m_texts.Add(cut);
    node->data = m_lastData.data();
    node->dataLength = static_cast<std::uint32_t>(m_lastData.size());
  }
  if (auto* observer = Observer()) observer->OnChanged(item);
}

void TreeModel::ForEachInSubtree(Handle item, const std::function<void(const NodeView&)>& visit) const {
  if (!Get(item)) return;
  std::vector<Handle> pending{item};
  while (!pending.empty()) {
    const Handle handle = pending.back();
    pending.pop_back();
    const Node& node = *Get(handle);
    visit({handle, node.parent, node.kind, node.mark, node.facts.playTime, std::string_view(node.label, node.labelLength)});
    pending.insert(pending.end(), node.children.rbegin(), node.children.rend());
  }
}

NodeFacts& TreeModel::Facts(Handle item) {
  thread_local NodeFacts nowhere;
  Node* node = Get(item);
  if (node) return node->facts;
  nowhere = NodeFacts{};
  return nowhere;
}

const NodeFacts& TreeModel::Facts(Handle item) const {
  static const NodeFacts unknown;
  const Node* node = Get(item);
  return node ? node->facts : unknown;
}

bool TreeState::IsExpanded(Handle item) const {
  const TreeModel::Node* node = m_model.Get(item);
  return node && node->expanded;
}

bool TreeState::Expand(Handle item, ExpandAction action) {
  TreeModel::Node* node = m_model.Get(item);
  if (!node) return false;
  bool expand = action == ExpandAction::Expand;
  if (action == ExpandAction::Toggle) expand = !node->expanded;
  if (node->expanded == expand || (expand && node->children.empty())) return false;
  node->expanded = expand;
  if (auto* observer = m_model.Observer()) observer->OnExpandedChanged(item, expand);
  return true;
}

bool TreeState::SelectItem(Handle item) {
  if (item != kNullHandle && !m_model.Get(item)) return false;
  const Handle old = m_hSelection;
  if (old == item) return true;
  if (m_pOwner && !m_pOwner->OnSelChanging(old, item)) return false;
  m_hSelection = item;
  if (auto* observer = m_model.Observer()) observer->OnSelectionChanged(item);
  if (m_pOwner) m_pOwner->OnSelChanged(old, item);
  return true;
}

void TreeModel::CopyChildren(Handle parent, const TreeModel& from, Handle fromParent) {
  const std::vector<Handle>* children = from.ChildList(fromParent);
  if (!children) return;
  for (const Handle child : *children) {
    const Node* source = from.Get(child);
    const Handle copy = InsertItem(parent, {source->label, source->labelLength}, source->kind);
    if (source->data) SetData(copy, std::string_view(source->data, source->dataLength));
    Node* node = Get(copy);
    node->mark = source->mark;
    node->expanded = source->expanded;
    node->facts = source->facts;
    CopyChildren(copy, from, child);
  }
}

void TreeModel::CompactTexts() {
  TextStore fresh;
  m_lastData = {};
  for (std::uint32_t index = 1; index <= m_nNodes; ++index) {
    Node& node = m_nodeBlocks[(index - 1) / kNodesPerBlock][(index - 1) % kNodesPerBlock];
    if (!node.alive) continue;
    const std::string_view label = fresh.Add({node.label, node.labelLength});
    node.label = label.data();
    if (node.data) {
      const std::string_view data = fresh.Add({node.data, node.dataLength});
      node.data = data.data();
    }
  }
  m_texts = std::move(fresh);
}

void TreeModel::SortChildren(Handle parent, std::size_t count) {
  ContentChanged();
  if (parent != kNullHandle && !Get(parent)) return;
  if (auto* observer = Observer()) observer->OnReordering(parent);
  auto& children = ChildrenOf(parent);
  const auto end = children.begin() + static_cast<std::ptrdiff_t>(std::min(count, children.size()));
  std::stable_sort(children.begin(), end,
                   [this](Handle a, Handle b) { return platform::NameLess(GetLabel(a), GetLabel(b)); });
  for (std::size_t i = 0; i < children.size(); ++i) Get(children[i])->row = static_cast<std::uint32_t>(i);
  if (auto* observer = Observer()) observer->OnReordered(parent);
}

void TreeModel::ReorderChildren(Handle parent, const std::vector<Handle>& order) {
  if (parent != kNullHandle && !Get(parent)) return;
  auto& children = ChildrenOf(parent);
  if (order.size() != children.size() || order == children) return;
  ContentChanged();
  if (auto* observer = Observer()) observer->OnReordering(parent);
  children = order;
  for (std::size_t i = 0; i < children.size(); ++i) Get(children[i])->row = static_cast<std::uint32_t>(i);
  if (auto* observer = Observer()) observer->OnReordered(parent);
}

Handle TreeModel::FindChildByLabel(Handle parent, std::string_view label) const {
  const std::vector<Handle>* children = ChildList(parent);
  if (!children) return kNullHandle;
  if (children->size() <= kIndexThreshold) {
    for (const Handle child : *children) {
      if (platform::EqualsNoCase(GetLabel(child), label)) return child;
    }
    return kNullHandle;
  }
  auto it = m_labelIndex.find(parent);
  if (it == m_labelIndex.end()) {
    it = m_labelIndex.emplace(parent, std::unordered_multimap<std::string, Handle>{}).first;
    for (const Handle child : *children) it->second.emplace(platform::UpperUtf8(GetLabel(child)), child);
  }
  Handle best = kNullHandle;
  const auto [first, last] = it->second.equal_range(platform::UpperUtf8(label));
  for (auto match = first; match != last; ++match) {
    if (best == kNullHandle || RowOf(match->second) < RowOf(best)) best = match->second;
  }
  return best;
}

void TreeModel::IndexInsert(Handle parent, Handle child) const {
  const auto it = m_labelIndex.find(parent);
  if (it != m_labelIndex.end()) it->second.emplace(platform::UpperUtf8(GetLabel(child)), child);
}

void TreeModel::IndexErase(Handle parent, Handle child) const {
  const auto it = m_labelIndex.find(parent);
  if (it == m_labelIndex.end()) return;
  const auto [first, last] = it->second.equal_range(platform::UpperUtf8(GetLabel(child)));
  for (auto match = first; match != last; ++match) {
    if (match->second == child) {
      it->second.erase(match);
      return;
    }
  }
}

}  // namespace tree
