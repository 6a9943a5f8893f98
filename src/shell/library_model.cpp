#include "library_model.h"

#include "text/utf8_cut.h"
#include "tree_images.h"

LibraryModel::LibraryModel(tree::TreeModel& tree, QObject* parent) : QAbstractItemModel(parent), m_tree(tree) {
  m_tree.SetObserver(this);
}

LibraryModel::~LibraryModel() {
  if (!m_bTreeGone) m_tree.SetObserver(nullptr);
}

void LibraryModel::OnModelGone() {
  beginResetModel();
  m_bTreeGone = true;  // from now on the model shows nothing and asks the tree nothing
  endResetModel();
}

tree::Handle LibraryModel::HandleOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<tree::Handle>(index.internalId()) : tree::kNullHandle;
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

QModelIndex LibraryModel::IndexOf(tree::Handle item) const {
  if (m_bTreeGone || !m_tree.IsValid(item)) return {};
  if (m_filter.Active()) {
    if (!m_filter.Shows(item)) return {};
    return createIndex(static_cast<int>(m_filter.RowOf(item)), 0, static_cast<quintptr>(item));
  }
  return createIndex(static_cast<int>(m_tree.RowOf(item)), 0, static_cast<quintptr>(item));
}

QModelIndex LibraryModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column != 0 || m_bTreeGone) return {};
  const auto at = static_cast<std::size_t>(row);
  const tree::Handle child = m_filter.Active() ? m_filter.ChildAt(HandleOf(parent), at) : m_tree.ChildAt(HandleOf(parent), at);
  return child == tree::kNullHandle ? QModelIndex() : createIndex(row, 0, static_cast<quintptr>(child));
}

QModelIndex LibraryModel::parent(const QModelIndex& child) const {
  return m_bTreeGone ? QModelIndex() : IndexOf(m_tree.GetParent(HandleOf(child)));
}

int LibraryModel::rowCount(const QModelIndex& parent) const {
  if ((parent.isValid() && parent.column() != 0) || m_bTreeGone) return 0;
  if (m_filter.Active()) return static_cast<int>(m_filter.ChildCount(HandleOf(parent)));
  return static_cast<int>(m_tree.ChildCount(HandleOf(parent)));
}

int LibraryModel::columnCount(const QModelIndex&) const { return 1; }

bool LibraryModel::hasChildren(const QModelIndex& parent) const {
  if (m_bTreeGone) return false;
  if (m_filter.Active()) return m_filter.ChildCount(HandleOf(parent)) > 0;
  return parent.isValid() ? m_tree.HasChildren(HandleOf(parent)) : m_tree.ChildCount(tree::kNullHandle) > 0;
}

namespace {

// Characters of a label the tree shows; the rest is cut, the node keeps it whole.
constexpr std::size_t kMaxShownCharacters = 1000;

}  // namespace

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
  const tree::Handle item = HandleOf(index);
  if (m_bTreeGone || !m_tree.IsValid(item)) return {};
  switch (role) {
    case Qt::DisplayRole: {
      const std::string label = text::CutForDisplay(m_tree.GetLabel(item), kMaxShownCharacters);
      return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
    }
    case Qt::EditRole: {  // whole: an edit confirmed unchanged must not cut the name
      const std::string_view label = m_tree.GetLabel(item);
      return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
    }
    case Qt::DecorationRole:
      return NodeIcon(NodeImage(m_tree.GetKind(item), m_tree.Facts(item).drive, m_tree.State().IsExpanded(item)),
                      m_tree.GetMark(item));
    default:
      return {};
  }
}

void LibraryModel::SetFilter(const std::string& text) {
  if (text == m_filter.Text()) return;
  beginResetModel();
  m_filter.Apply(m_tree, text);
  endResetModel();
  emit filtered();
}

void LibraryModel::BeginRefilter() {
  if (m_bRefiltering) return;
  m_bRefiltering = true;
  beginResetModel();
}

void LibraryModel::EndRefilter() {
  m_filter.Apply(m_tree, m_filter.Text());
  if (m_bRefiltering) {
    m_bRefiltering = false;
    endResetModel();
  }
  emit filtered();
}

void LibraryModel::OnInserting(tree::Handle parent, std::size_t row) {
  if (m_filter.Active()) return BeginRefilter();
  beginInsertRows(IndexOf(parent), static_cast<int>(row), static_cast<int>(row));
}

void LibraryModel::OnInserted(tree::Handle) {
  if (m_filter.Active()) return EndRefilter();
  endInsertRows();
}

void LibraryModel::OnRemoving(tree::Handle item) {
  if (m_filter.Active()) return BeginRefilter();
  const int row = static_cast<int>(m_tree.RowOf(item));
  beginRemoveRows(IndexOf(m_tree.GetParent(item)), row, row);
}

void LibraryModel::OnRemoved(tree::Handle) {
  if (m_filter.Active()) return EndRefilter();
  endRemoveRows();
}

void LibraryModel::OnChanged(tree::Handle item) {
  // A node renamed into or out of the filter: applied anew once the edit is done.
  if (m_filter.MatchChanged(m_tree, item) && !m_bRefilterPosted) {
    m_bRefilterPosted = true;
    QMetaObject::invokeMethod(this, [this] {
      m_bRefilterPosted = false;
      if (!m_filter.Active()) return;
      BeginRefilter();
      EndRefilter();
    }, Qt::QueuedConnection);
  }
  const QModelIndex index = IndexOf(item);
  if (index.isValid()) emit dataChanged(index, index);
}

void LibraryModel::OnReordering(tree::Handle parent) {
  if (m_filter.Active()) return BeginRefilter();
  emit layoutAboutToBeChanged({QPersistentModelIndex(IndexOf(parent))}, QAbstractItemModel::VerticalSortHint);
  m_reorderingIndexes = persistentIndexList();
}

void LibraryModel::OnReordered(tree::Handle parent) {
  if (m_filter.Active()) return EndRefilter();
  QModelIndexList moved;
  for (const QModelIndex& old : m_reorderingIndexes) moved << IndexOf(HandleOf(old));
  changePersistentIndexList(m_reorderingIndexes, moved);
  m_reorderingIndexes.clear();
  emit layoutChanged({QPersistentModelIndex(IndexOf(parent))}, QAbstractItemModel::VerticalSortHint);
}

void LibraryModel::OnExpandedChanged(tree::Handle item, bool expanded) {
  const QModelIndex index = IndexOf(item);
  if (!index.isValid()) return;
  emit expandedChanged(index, expanded);
  emit dataChanged(index, index, {Qt::DecorationRole});  // the open or closed image
}

void LibraryModel::OnSelectionChanged(tree::Handle item) { emit selectionChanged(IndexOf(item)); }


void LibraryModel::OnBatchBegin() { beginResetModel(); }

void LibraryModel::OnBatchEnd() {
  if (m_filter.Active()) m_filter.Apply(m_tree, m_filter.Text());
  endResetModel();
  emit rebuilt();
}
