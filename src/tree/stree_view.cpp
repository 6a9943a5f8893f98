// The library's nodes: its parts, names, branch deletion and the two display modes.
#include "tree/stree_view.h"

#include <algorithm>

#include "catalogue/album_catalogue.h"
#include "platform/profile.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/context_menu.h"
#include "tree/details_presenter.h"
#include "tree/folder_index.h"
#include "tree/library_editor.h"
#include "tree/library_marks.h"
#include "tree/library_scanner.h"
#include "tree/player.h"

using namespace tree;

STreeView::STreeView()
    : m_itemTop(TreeItem(tree::kNullHandle, &m_tree).AddChild(res::node::kTop, NodeKind::Top)),
      m_folders(std::make_unique<FolderIndex>()),
      m_details(std::make_unique<DetailsPresenter>(*this)),
      m_marks(std::make_unique<LibraryMarks>(*this)),
      m_editor(std::make_unique<LibraryEditor>(*this)),
      m_menu(std::make_unique<ContextMenu>(*this)),
      m_player(std::make_unique<Player>(*this)) {
  m_tree.State().SetNotifications(m_details.get());
}

STreeView::~STreeView() {
  m_tree.State().SetNotifications(nullptr);  // the parts go first
}

GString STreeView::GetNodeName(const TreeItem& item, bool asFileName) const {
  return NodeName(item, asFileName, m_displayMode);
}

void STreeView::DeleteBranch(const TreeItem& item, bool keepItem) {
  ExpandItem(item, false);
  for (TreeItem child = item.IsNull() ? item.Root() : item.FirstChild(); !child.IsNull();) {
    const TreeItem next = child.NextSibling();
    m_pTree->DeleteItem(child.m_hItem);
    child = next;
  }
  if (!item.IsNull() && !keepItem) m_pTree->DeleteItem(item.m_hItem);
}

bool STreeView::HasArtists() const {
  for (TreeItem child = m_itemTop.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (KindOf(child) == NodeKind::Artist) return true;
  }
  return false;
}

void STreeView::RelabelSongs(const TreeItem& item) {
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (KindOf(child) == NodeKind::Album) {
      RelabelAlbumSongs(child);
    } else if (child.HasChildren()) {
      RelabelSongs(child);
    }
  }
}

void STreeView::RelabelAlbumSongs(const TreeItem& album) {
  // Labels and data texts as a scan in the new display mode gives them: the title and
  // the file title change places; a song without a title shows its file title in both.
  for (TreeItem song = album.FirstChild(); !song.IsNull(); song = song.NextSibling()) {
    const std::string label(song.Label());
    const std::string data(song.Data().value_or(""));
    const bool hasTitle = m_pTree->Facts(song.m_hItem).hasTitle;
    if (m_displayMode == DisplayMode::FileNames) {
      m_pTree->SetData(song.m_hItem, std::string_view(hasTitle ? label : std::string()));
      m_pTree->SetLabel(song.m_hItem, data);
    } else {
      m_pTree->SetData(song.m_hItem, std::string_view(label));
      m_pTree->SetLabel(song.m_hItem, hasTitle ? data : label);
    }
  }
}

void STreeView::FollowChosenDisplayMode() {
  if (!HasArtists()) {
    m_displayMode = DisplayMode::FileNames;  // no album songs to relabel
  } else if (m_displayMode != m_chosenMode) {
    m_displayMode = m_chosenMode;
    RelabelSongs(m_itemTop);
  }
}

void STreeView::ShowSongTitles() {
  if (m_displayMode != DisplayMode::FileNames || !m_itemTop.HasChildren()) return;
  if (!HasArtists()) {
    platform::Ui().MessageBox(res::msg::kSongnamesNeedCatalogues, res::caption::kError,
                              platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return;
  }
  m_displayMode = m_chosenMode = DisplayMode::SongTitles;
  RelabelSongs(m_itemTop);
}

void STreeView::ShowFileNames() {
  m_chosenMode = DisplayMode::FileNames;  // kept for later scans even while file names show anyway
  if (m_displayMode != DisplayMode::SongTitles || !m_itemTop.HasChildren()) return;
  m_displayMode = DisplayMode::FileNames;
  RelabelSongs(m_itemTop);
}

std::string STreeView::SongPath(const TreeItem& song) const {
  return platform::ResolveCase(SongFile(song, m_displayMode));
}

std::int64_t STreeView::SongSize(const TreeItem& song) const {
  if (m_pTree->Facts(song.m_hItem).size < 0) ListSongSizes(song.Parent(), m_displayMode);
  return std::max<std::int64_t>(m_pTree->Facts(song.m_hItem).size, 0);
}
