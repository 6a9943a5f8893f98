// The Qt item model over the library tree: it holds no data of its own, only forwards
// what the tree model has and reports its changes to the views.
#pragma once

#include <QAbstractItemModel>

#include "tree/tree_filter.h"
#include "tree/tree_model.h"

class LibraryModel : public QAbstractItemModel, public tree::TreeObserver {
  Q_OBJECT

 public:
  explicit LibraryModel(tree::TreeModel& tree, QObject* parent = nullptr);
  ~LibraryModel() override;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The index of a node as shown; invalid for a node the filter hides.
  QModelIndex IndexOf(tree::Handle item) const;
  static tree::Handle HandleOf(const QModelIndex& index);

  // Shows only the nodes whose labels contain the text, with the nodes above them; an
  // empty text shows the whole tree again. Changes to the tree apply it anew.
  void SetFilter(const std::string& text);
  const tree::TreeFilter& Filter() const { return m_filter; }

 signals:
  // The tree model's expanded state or selection changed; the view follows.
  void expandedChanged(const QModelIndex& index, bool expanded);
  void selectionChanged(const QModelIndex& index);
  // A whole scan has been applied: the view restores expanded nodes and selection.
  void rebuilt();
  // The filter was applied (anew): the view expands what it shows.
  void filtered();

 private:
  void OnInserting(tree::Handle parent, std::size_t row) override;
  void OnInserted(tree::Handle item) override;
  void OnRemoving(tree::Handle item) override;
  void OnRemoved(tree::Handle parent) override;
  void OnChanged(tree::Handle item) override;
  void OnReordering(tree::Handle parent) override;
  void OnReordered(tree::Handle parent) override;
  void OnExpandedChanged(tree::Handle item, bool expanded) override;
  void OnSelectionChanged(tree::Handle item) override;
  void OnBatchBegin() override;
  void OnBatchEnd() override;
  void OnModelGone() override;

  // While filtered, rows move under the filter: a change resets the model and the
  // filter is applied again once the tree model is done.
  void BeginRefilter();
  void EndRefilter();

  tree::TreeModel& m_tree;
  tree::TreeFilter m_filter;
  bool m_bRefiltering = false;
  bool m_bRefilterPosted = false;
  bool m_bTreeGone = false;  // the tree model was destroyed before this model
  QModelIndexList m_reorderingIndexes;
};
