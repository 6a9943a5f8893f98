#include "qt_ui_hooks.h"
#include "library_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QMouseEvent>

#include "library_model.h"
#include "res/resource_ids.h"
#include "res/strings.h"
#include "res/texts.h"
#include "tree/context_menu.h"
#include "tree/library_editor.h"
#include "tree/library_marks.h"
#include "tree/player.h"
#include "tree/stree_view.h"

// The in-place label editor: starts with the text the tree chose and hands the typed
// text to the tree, which decides whether the new name is taken.
class LabelEditor : public QStyledItemDelegate {
 public:
  LabelEditor(LibraryView& view, STreeView& tree) : QStyledItemDelegate(&view), m_tree(tree) {}

  void setEditorData(QWidget* editor, const QModelIndex&) const override {
    static_cast<QLineEdit*>(editor)->setText(QString::fromStdString(m_startText));
  }
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    const std::string typed = static_cast<QLineEdit*>(editor)->text().toStdString();
    const tree::Handle item = LibraryModel::HandleOf(index);
    // The tree sets the edited node's label itself.
    m_tree.Editor().EndRename(m_tree.Item(item), typed);
  }

  std::string m_startText;

 private:
  STreeView& m_tree;
};

LibraryView::LibraryView(STreeView& tree, QWidget* parent)
    : QTreeView(parent),
      m_tree(tree),
      m_pModel(new LibraryModel(*tree.Tree(), this)),
      m_pEmptyHint(new QLabel(QString::fromUtf8(res::label::kEmptyLibrary), viewport())) {
  setObjectName("tree");
  setWhatsThis(QString::fromStdString(res::WhatsThisText(res::kLibraryTreeHelp)));
  setModel(m_pModel);
  setHeaderHidden(true);
  setUniformRowHeights(true);  // large folders scroll without measuring every row
  setRootIsDecorated(false);   // no lines and button at the root, as the top node is alone
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  setItemDelegate(new LabelEditor(*this, tree));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(16, 16));
  header()->setStretchLastSection(true);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);

  // The tree model owns expansion and selection; the view shows them and hands the
  // user's changes back. A change that is already the model's changes nothing there.
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (!m_bOpeningFiltered) m_tree.Tree()->State().Expand(LibraryModel::HandleOf(index), tree::ExpandAction::Expand);
  });
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    m_tree.Tree()->State().Expand(LibraryModel::HandleOf(index), tree::ExpandAction::Collapse);
  });
  connect(m_pModel, &LibraryModel::expandedChanged, this, &QTreeView::setExpanded);
  connect(m_pModel, &LibraryModel::selectionChanged, this, &QTreeView::setCurrentIndex);
  connect(m_pModel, &LibraryModel::rebuilt, this, &LibraryView::RestoreState);
  connect(m_pModel, &LibraryModel::filtered, this, &LibraryView::RestoreState);

  m_pEmptyHint->setObjectName(QString::number(res::IDC_EMPTY_HINT));
  m_pEmptyHint->setWordWrap(true);
  m_pEmptyHint->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  m_pEmptyHint->setForegroundRole(QPalette::PlaceholderText);
  for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
    connect(m_pModel, signal, this, &LibraryView::UpdateEmptyHint);
  }
  connect(m_pModel, &QAbstractItemModel::modelReset, this, &LibraryView::UpdateEmptyHint);
  UpdateEmptyHint();
}

void LibraryView::UpdateEmptyHint() {
  const tree::TreeModel& model = *m_tree.Tree();
  const bool empty = model.ChildCount(model.GetRoot()) == 0 && m_bEditable;
  m_pEmptyHint->setVisible(empty);
  if (!empty) return;
  constexpr int kMargin = 12;
  const int top = sizeHintForRow(0) + kMargin;
  const int width = viewport()->width() - 2 * kMargin;
  m_pEmptyHint->setGeometry(kMargin, top, width, m_pEmptyHint->heightForWidth(width));
}

QMimeData* LibraryView::SongFilesData(const QModelIndex& index) {
  const std::vector<std::string> files = m_tree.Play().SongFiles(m_tree.Item(LibraryModel::HandleOf(index)));
  if (files.empty()) return nullptr;
  QList<QUrl> urls;
  QStringList paths;
  for (const std::string& file : files) {
    paths << QString::fromStdString(file);
    urls << QUrl::fromLocalFile(paths.back());
  }
  auto* data = new QMimeData;
  data->setUrls(urls);
  data->setText(paths.join('\n'));
  return data;
}

void LibraryView::startDrag(Qt::DropActions) {
  QMimeData* files = SongFilesData(currentIndex());
  if (!files) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(files);
  drag->exec(Qt::CopyAction);
}

void LibraryView::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  UpdateEmptyHint();
}

TreeItem LibraryView::ItemAt(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid() || !visualRect(index).contains(pos)) return {};
  return {LibraryModel::HandleOf(index), m_tree.Tree()};
}

void LibraryView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    // The press picks the node the menu acts on and selects it; the release shows the menu.
    m_menuNode = ItemAt(event->position().toPoint());
    if (!m_menuNode.IsNull()) m_tree.Tree()->State().SelectItem(m_menuNode.m_hItem);
    return;
  }
  if (event->button() == Qt::LeftButton) {
    if (event->modifiers() & Qt::ControlModifier) {
      m_tree.Marks().ToggleMark(ItemAt(event->position().toPoint()));
      return;
    }
  }
  QTreeView::mousePressEvent(event);
}

void LibraryView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    m_tree.Menu().Show(m_menuNode);
    return;
  }
  QTreeView::mouseReleaseEvent(event);
}

void LibraryView::contextMenuEvent(QContextMenuEvent* event) {
  // The mouse opens the menu at the button's release; the menu key and Shift+F10
  // open it for the selected node.
  if (event->reason() == QContextMenuEvent::Mouse) return;
  ShowMenuForSelection();
}

void LibraryView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    ShowMenuForSelection();
    return;
  }
  if (event == QKeySequence::Copy) {
    if (QMimeData* files = SongFilesData(currentIndex())) QApplication::clipboard()->setMimeData(files);
    return;
  }
  QTreeView::keyPressEvent(event);
}

QPoint LibraryView::MenuPlaceForSelection() {
  const QModelIndex selected = m_pModel->IndexOf(m_tree.Tree()->State().GetSelection());
  if (!selected.isValid()) return viewport()->mapToGlobal(QPoint(0, 0));
  scrollTo(selected);
  const QRect row = visualRect(selected);
  return viewport()->mapToGlobal(QPoint(row.left() + row.height(), row.bottom()));
}

void LibraryView::ShowMenuForSelection() {
  QtUiHooks::PlaceNextMenu(MenuPlaceForSelection());
  m_tree.Menu().Show(m_tree.Item(m_tree.Tree()->State().GetSelection()));
}

void LibraryView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTreeView::currentChanged(current, previous);
  if (!current.isValid()) return;
  // Refused (the details could not be left): the view shows the model's selection again.
  if (!m_tree.Tree()->State().SelectItem(LibraryModel::HandleOf(current))) {
    setCurrentIndex(m_pModel->IndexOf(m_tree.Tree()->State().GetSelection()));
  }
}

bool LibraryView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (!m_bEditable) return false;
  if (trigger == QAbstractItemView::AllEditTriggers || trigger == QAbstractItemView::EditKeyPressed ||
      trigger == QAbstractItemView::SelectedClicked) {
    if (state() == QAbstractItemView::EditingState) return false;
    std::string start;
    if (!index.isValid() || !m_tree.Editor().BeginRename(m_tree.Item(LibraryModel::HandleOf(index)), start)) return false;
    static_cast<LabelEditor*>(itemDelegate())->m_startText = start;
  }
  return QTreeView::edit(index, trigger, event);
}

void LibraryView::RenameSelected() {
  edit(m_pModel->IndexOf(m_tree.Tree()->State().GetSelection()), QAbstractItemView::AllEditTriggers, nullptr);
}

void LibraryView::ExpandFiltered() {
  // Level by level, so that a short text matching much of the library opens its top
  // levels and stays quick to type; a longer one opens everything down to its matches.
  constexpr int kMostRows = 3000;
  int rows = m_pModel->rowCount();
  std::vector<QModelIndex> level;
  for (int row = 0; row < m_pModel->rowCount(); ++row) level.push_back(m_pModel->index(row, 0));
  while (!level.empty()) {
    std::vector<QModelIndex> next;
    for (const QModelIndex& index : level) {
      const int children = m_pModel->rowCount(index);
      if (children == 0) continue;
      rows += children;
      if (rows > kMostRows) return;
      setExpanded(index, true);
      for (int row = 0; row < children; ++row) next.push_back(m_pModel->index(row, 0, index));
    }
    level = std::move(next);
  }
}

void LibraryView::RestoreState() {
  if (m_pModel->Filter().Active()) {
    // What the filter opens is shown, not the library's own expanded state.
    m_bOpeningFiltered = true;
    ExpandFiltered();
    m_bOpeningFiltered = false;
    setCurrentIndex(m_pModel->IndexOf(m_tree.Tree()->State().GetSelection()));
    return;
  }
  // After a scan the view starts collapsed: expand what the tree model has expanded.
  std::vector<tree::Handle> pending;
  for (tree::Handle root = m_tree.Tree()->GetRoot(); root; root = m_tree.Tree()->GetNextSibling(root)) {
    pending.push_back(root);
  }
  while (!pending.empty()) {
    const tree::Handle item = pending.back();
    pending.pop_back();
    // A node may be expanded beneath a collapsed one: it shows so once that opens.
    if (m_tree.Tree()->State().IsExpanded(item)) setExpanded(m_pModel->IndexOf(item), true);
    for (tree::Handle child = m_tree.Tree()->GetChild(item); child; child = m_tree.Tree()->GetNextSibling(child)) {
      pending.push_back(child);
    }
  }
  setCurrentIndex(m_pModel->IndexOf(m_tree.Tree()->State().GetSelection()));
}
