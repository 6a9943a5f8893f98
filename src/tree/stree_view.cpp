// The node layer of the library tree: kinds, names, branch deletion, expanding and the
// two display modes.
#include "tree/stree_view.h"

#include "catalogue/album_catalogue.h"
#include "platform/profile.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "text/utf8_cut.h"
#include "tree/library_scanner.h"

using namespace tree;

STreeView::STreeView() : m_pTree(&m_tree) { m_tree.SetNotifications(this); }

STreeView::~STreeView() {
  m_tree.SetNotifications(nullptr);
  // A view on screen hears of the nodes going; without one the model's own end frees them.
  if (m_tree.HasObserver()) DeleteBranch(m_itemTop, false);
}

void STreeView::OnInitialUpdate() {
  m_itemTop = TreeItem(kNullHandle, m_pTree).Root();
  m_itemTop = TreeItem(kNullHandle, m_pTree).AddChild(res::node::kTop, NodeKind::Top);
  m_displayMode = DisplayMode::SongTitles;
  tree::CommandTarget* frame = m_pFrame;
  platform::Ui().Post([frame] {
    if (frame) frame->OnCommand(res::ID_REFRESH);
  });
}

NodeKind STreeView::GetNodeKind(const TreeItem& item) const { return KindOf(item); }

GString STreeView::GetNodeName(const TreeItem& item, bool asFileName) const {
  return NodeName(item, asFileName, m_displayMode);
}

void STreeView::MakeMenuLabel(GString& text) {
  // Counted in characters, so a cut never ends inside one.
  if (text::CharacterStart(text, 33) < text.size()) text = text.substr(0, text::CharacterStart(text, 30)) + "...";
  text = "\"" + text + "\"";  // not through Format: a "%" in a label stays as it is
  GString doubled;
  for (const char c : text) {
    doubled += c;
    if (c == '&') doubled += '&';
  }
  text = doubled;
}

void STreeView::DeleteBranch(const TreeItem& item, bool keepItem) {
  ExpandNode(item, false);
  for (TreeItem child = item.IsNull() ? item.Root() : item.FirstChild(); !child.IsNull();) {
    const TreeItem next = child.NextSibling();
    m_pTree->DeleteItem(child.m_hItem);
    child = next;
  }
  if (!item.IsNull() && !keepItem) m_pTree->DeleteItem(item.m_hItem);
}

void STreeView::ExpandNode(const TreeItem& item, bool expand) { ExpandItem(item, expand); }

bool STreeView::HasArtists() const {
  for (TreeItem child = m_itemTop.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (GetNodeKind(child) == NodeKind::Artist) return true;
  }
  return false;
}

void STreeView::RelabelSongs(const TreeItem& item) {
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (GetNodeKind(child) == NodeKind::Album) {
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
    const bool hasTitle = m_pTree->HasTitle(song.m_hItem);
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

void STreeView::OnShowSongnames() {
  if (m_displayMode != DisplayMode::FileNames || !m_itemTop.HasChildren()) return;
  if (!HasArtists()) {
    platform::Ui().MessageBox(res::msg::kSongnamesNeedCatalogues, res::caption::kError,
                              platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return;
  }
  m_displayMode = m_chosenMode = DisplayMode::SongTitles;
  RelabelSongs(m_itemTop);
}

void STreeView::OnShowFilenames() {
  m_chosenMode = DisplayMode::FileNames;  // kept for later scans even while file names show anyway
  if (m_displayMode != DisplayMode::SongTitles || !m_itemTop.HasChildren()) return;
  m_displayMode = DisplayMode::FileNames;
  RelabelSongs(m_itemTop);
}
