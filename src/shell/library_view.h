// The library tree on screen: shows the tree model through LibraryModel and turns
// clicks and keys into what the user asks of the library (mark, select, rename,
// delete, the menu for a node), which decides everything.
#pragma once

#include <QTreeView>

#include "tree/tree_item.h"

class LibraryModel;
class QLabel;
class QMimeData;
class STreeView;

class LibraryView : public QTreeView {
  Q_OBJECT

 public:
  LibraryView(STreeView& tree, QWidget* parent = nullptr);

  LibraryModel* Model() const { return m_pModel; }
  // Starts editing the selected node's label, when the tree allows it.
  void RenameSelected();
  // While a scan runs the tree is about to be replaced: labels are not edited.
  // Off while a scan runs: no edits, and no empty-library hint before the scan has found anything.
  void SetEditable(bool editable) {
    m_bEditable = editable;
    UpdateEmptyHint();
  }
  // Where a menu opened from the keyboard appears: at the selected row (global).
  QPoint MenuPlaceForSelection();
  // The node's song files as file URLs ("text/uri-list") and as lines of paths, for a
  // drag or the clipboard; nothing when it stands for no file on disk.
  QMimeData* SongFilesData(const QModelIndex& index);
  // Whether a label is being edited in place.
  bool Editing() const { return state() == EditingState; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;

 private:
  TreeItem ItemAt(const QPoint& pos) const;
  void ShowMenuForSelection();
  // Expands what the tree model has expanded (or, while filtered, what leads to the
  // matches) and shows the selection.
  void RestoreState();
  // Opens the filtered tree level by level as far as a few thousand rows fit.
  void ExpandFiltered();
  // An empty library shows how to begin, below the top node.
  void UpdateEmptyHint();

  STreeView& m_tree;
  LibraryModel* m_pModel;
  QLabel* m_pEmptyHint;
  TreeItem m_menuNode;  // the node a right-button press picked for the menu
  bool m_bEditable = true;
  bool m_bOpeningFiltered = false;  // the filter opens nodes to show its matches
  friend class LabelEditor;
};
