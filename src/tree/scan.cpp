// Refresh: the tree below the top node made anew from the path list, at once or by a
// scan on another thread; and the lookups of artist and child nodes.
#include <algorithm>
#include <optional>

#include "catalogue/settings.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "res/texts.h"
#include "tree/background_scan.h"
#include "tree/kept_marks.h"
#include "tree/library_scanner.h"
#include "tree/details_presenter.h"
#include "tree/library_marks.h"
#include "tree/saved_tree.h"
#include "tree/stree_view.h"

using namespace tree;

void STreeView::ReportUnreadCatalogues(const ScanContext& context) {
  if (context.unreadCatalogues.empty()) return;
  std::string text = res::msg::kCataloguesTooLarge;
  for (const std::string& file : context.unreadCatalogues) text += "\n" + file;
  platform::ShowError(text);
}

void STreeView::Refresh(const GString& pathList) {
  platform::WaitCursor wait;
  m_details->TreeReplacing();
  ExpandItem(m_itemTop, false);
  const std::string topLabel(m_itemTop.Label());
  m_marks->Forget();
  DeleteBranch(m_itemTop, true);
  m_pTree->CompactTexts();  // the texts of the old tree go with it
  m_pTree->SetLabel(m_itemTop.m_hItem, res::node::kScanning);
  m_pTree->SetMark(m_itemTop.m_hItem, Mark::None);

  // The scan dispatches no messages: views hear of the new tree once, at its end.
  std::optional<TreeModel::Batch> batch(*m_pTree);
  ScanContext context;
  context.displayMode = m_chosenMode;
  context.readCatalogues = catalogue::ReadScanAlbumIni(m_settings.file);
  m_folderStamps.clear();
  context.stamps = &m_folderStamps;
  LibraryScanner(m_itemTop, context).ScanPaths(pathList);
  m_pTree->SetLabel(m_itemTop.m_hItem, topLabel);
  batch.reset();
  ReportUnreadCatalogues(context);

  m_displayMode = m_chosenMode;  // the mode the scan labelled in
  FollowChosenDisplayMode();
  m_strPathList = pathList;
  m_details->TreeReplaced(-1);
  m_details->SelectAndShow(m_itemTop);
  m_marks->UpdatePlayOrder();
}

std::unique_ptr<BackgroundScan> STreeView::StartScan(const GString& pathList, std::function<void()> finished) const {
  ScanContext context;
  context.displayMode = m_chosenMode;
  context.readCatalogues = catalogue::ReadScanAlbumIni(m_settings.file);
  auto scan = std::make_unique<BackgroundScan>(pathList, std::move(context));
  scan->Start(std::move(finished));
  return scan;
}

void STreeView::AdoptScan(const BackgroundScan& scan) {
  AdoptTree(scan.Top(), scan.Context().displayMode, scan.PathList(), scan.LibrarySize());
  m_folderStamps = scan.FolderStamps();
  ReportUnreadCatalogues(scan.Context());
}

void STreeView::AdoptSavedTree(const SavedTree& saved, const std::string& pathList) {
  AdoptTree(saved.top, saved.labelledIn, pathList, saved.librarySize);
  m_folderStamps = saved.folders;
}

void STreeView::AdoptTree(const TreeItem& top, tree::DisplayMode labelledIn, const std::string& pathList,
                          std::int64_t librarySize) {
  // Where the user was, found again in the new tree by kinds and labels: the open
  // nodes, the selection and the marked songs.
  std::vector<NodePath> expanded;
  const KeptMarks marked(*m_pTree, m_itemTop.m_hItem);
  std::vector<TreeItem> pending{m_itemTop};
  while (!pending.empty()) {
    const TreeItem node = pending.back();
    pending.pop_back();
    if (m_pTree->State().IsExpanded(node.m_hItem) && !(node == m_itemTop)) expanded.push_back(PathOf(node));
    for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) pending.push_back(child);
  }
  // A window that shows no tree yet (a start) takes the selection the new tree was saved
  // with; else the user's stays where it is.
  const NodePath selectedPath =
      m_itemTop.HasChildren() ? PathOf(Item(m_pTree->State().GetSelection()))
                              : PathBelow(TreeItem(top.m_pTree->State().GetSelection(), top.m_pTree), top);
  m_details->TreeReplacing();
  m_marks->Forget();

  // Views hear of the new tree once, at the end.
  std::optional<TreeModel::Batch> batch(*m_pTree);
  DeleteBranch(m_itemTop, true);
  m_pTree->CompactTexts();  // the texts of the old tree go with it
  m_pTree->SetMark(m_itemTop.m_hItem, Mark::None);
  m_pTree->CopyChildren(m_itemTop.m_hItem, *top.m_pTree, top.m_hItem);
  ExpandItem(m_itemTop, top.m_pTree->State().IsExpanded(top.m_hItem));
  for (const NodePath& path : expanded) ExpandItem(FindPath(path), true);
  marked.ApplyTo(*m_pTree, m_itemTop.m_hItem);
  m_marks->RecountMarks();
  m_displayMode = labelledIn;
  FollowChosenDisplayMode();
  batch.reset();

  m_strPathList = pathList;
  m_details->TreeReplaced(librarySize);
  const TreeItem again = selectedPath.empty() ? TreeItem() : FindPath(selectedPath);
  m_details->SelectAndShow(again.IsNull() ? m_itemTop : again);
  m_marks->UpdatePlayOrder();
}

STreeView::NodePath STreeView::PathOf(const TreeItem& node) const { return PathBelow(node, m_itemTop); }

STreeView::NodePath STreeView::PathBelow(const TreeItem& node, const TreeItem& top) {
  NodePath path;
  for (TreeItem at = node; !at.IsNull() && !(at == top); at = at.Parent()) {
    path.emplace_back(KindOf(at), std::string(at.Label()));
  }
  std::reverse(path.begin(), path.end());
  return path;
}

TreeItem STreeView::FindPath(const NodePath& path) const {
  TreeItem node = m_itemTop;
  for (const auto& [kind, label] : path) {
    // The label index finds a case variant first; the exact label of the kind decides.
    TreeItem found(m_pTree->FindChildByLabel(node.m_hItem, label), m_pTree);
    if (found.IsNull() || KindOf(found) != kind || found.Label() != label) {
      found = {};
      for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
        if (KindOf(child) == kind && child.Label() == label) {
          found = child;
          break;
        }
      }
    }
    if (found.IsNull()) return {};
    node = found;
  }
  return node;
}

TreeItem STreeView::FindArtistNode(std::string_view name) const { return FindArtist(m_itemTop, name); }
