// Refresh: the tree below the top node made anew from the path list, and the lookups
// of artist and child nodes.
#include "catalogue/settings.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "res/texts.h"
#include "tree/library_scanner.h"
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
  // Edits on the page belong to the node that is about to go.
  SaveDetails(Item(m_pTree->GetSelection()));
  m_shown.reset();
  ExpandNode(m_itemTop, false);
  const std::string topLabel(m_itemTop.Label());
  m_nMarkedSize = 0;
  DeleteBranch(m_itemTop, true);
  m_pTree->CompactTexts();  // the texts of the old tree go with it
  m_pTree->SetLabel(m_itemTop.m_hItem, res::node::kScanning);
  m_pTree->SetOverlay(m_itemTop.m_hItem, kOverlayNone);

  // The scan dispatches no messages: views hear of the new tree once, at its end.
  m_pTree->BeginBatch();
  ScanContext context;
  context.displayMode = m_displayMode;
  context.readCatalogues = catalogue::ReadScanAlbumIni(m_strIniFile);
  LibraryScanner(m_itemTop, context).ScanPaths(pathList);
  m_pTree->SetLabel(m_itemTop.m_hItem, topLabel);
  m_pTree->EndBatch();
  ReportUnreadCatalogues(context);

  m_strPathList = pathList;
  m_nLibrarySize = -1;
  SelectAndShow(m_itemTop);
  OnMarkChanged(false, nullptr);
  if (!HasArtists()) m_displayMode = DisplayMode::FileNames;
}

TreeItem STreeView::FindArtistNode(std::string_view name) const { return FindArtist(m_itemTop, name); }

TreeItem STreeView::FindChildNode(const TreeItem& parent, const std::string& label, bool recursive, bool byData,
                                  const std::string& dataText) const {
  for (TreeItem child = parent.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const std::string_view data = child.Data().value_or("");
    bool match;
    if (!dataText.empty()) {
      match = data == dataText && platform::EqualsNoCase(child.Label(), label);
    } else if (byData) {
      match = data == label;
    } else {
      match = platform::EqualsNoCase(child.Label(), label);
    }
    if (match) return child;
    if (recursive && child.HasChildren()) {
      const TreeItem found = FindChildNode(child, label, recursive, byData, dataText);
      if (!found.IsNull()) return found;
    }
  }
  return {};
}
