// The Qt item model over the library tree: it holds no data of its own, only forwards
// what the tree model has and reports its changes to the views.
#pragma once

#include <QAbstractItemModel>

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

  QModelIndex IndexOf(tree::Handle item) const;
  static tree::Handle HandleOf(const QModelIndex& index);

 signals:
  // The tree model's expanded state or selection changed; the view follows.
  void expandedChanged(const QModelIndex& index, bool expanded);
  void selectionChanged(const QModelIndex& index);
  // A whole scan has been applied: the view restores expanded nodes and selection.
  void rebuilt();

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

  tree::TreeModel& m_tree;
  QModelIndexList m_reorderingIndexes;
};
