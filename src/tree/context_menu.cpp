// The tree's context menu: texts fitted to the right-clicked node, commands that make
// no sense for it grayed.
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/stree_view.h"

using namespace tree;

void STreeView::OnRButtonDown(const TreeItem& hit) {
  m_itemContext = hit;
  if (!hit.IsNull()) m_pTree->SelectItem(hit.m_hItem);
}

void STreeView::OnRButtonUp() {
  const TreeItem node = m_itemContext;
  const unsigned command = platform::Ui().PopupMenu(BuildContextMenu(node));
  if (command != 0) OnPopupCommand(command, node);
}

bool STreeView::CanDelete(const TreeItem& node) const {
  if (node.IsNull()) return false;
  switch (GetNodeKind(node)) {
    case NodeKind::Top:
    case NodeKind::Volume:
    case NodeKind::DuplicateAlbum: return false;  // it has no section of its own
    case NodeKind::Folder:
    case NodeKind::Artist:
    case NodeKind::Album:
    case NodeKind::AlbumSong:
    case NodeKind::LooseSong: return true;
  }
  return false;
}

std::vector<platform::MenuItem> STreeView::BuildContextMenu(const TreeItem& node) const {
  GString label;
  if (!node.IsNull()) {
    label = std::string(node.Label());
    MakeMenuLabel(label);
  }
  GString play;
  GString remove;
  const bool canDelete = CanDelete(node);
  bool canRename = true;
  std::string deletePrompt;
  std::string renamePrompt;
  const NodeKind kind = node.IsNull() ? NodeKind::Top : GetNodeKind(node);
  switch (kind) {
    case NodeKind::Top:
      play = res::menu::kAllSongs;
      canRename = false;
      break;
    case NodeKind::Volume:
      play = res::Fill(res::menu::kAllSongsInVolume, {label});
      break;
    case NodeKind::Folder:
      play = res::Fill(res::menu::kAllSongsIn, {label});
      remove = res::menu::kFolderAndSongs;
      break;
    case NodeKind::Artist:
      play = label;
      remove = res::menu::kArtistEntries;
      break;
    case NodeKind::Album:
      play = label;
      remove = res::menu::kAlbumEntries;
      break;
    case NodeKind::DuplicateAlbum:
      // It has no section of its own: a delete would come back at the next scan.
      play = label;
      remove = res::menu::kAlbumEntries;
      canRename = false;
      deletePrompt = renamePrompt = res::msg::kDuplicateAlbum;
      break;
    case NodeKind::AlbumSong:
      play = label;
      remove = res::menu::kSongEntry;
      break;
    case NodeKind::LooseSong: {
      // A song file: &Delete the file "Intro.mp3" (the label's quotes removed).
      play = label;
      GString bare = label;
      bare.Trim("\"");
      remove = res::Fill(res::menu::kSongFile, {bare});
      break;
    }
  }
  const std::string playText = res::Fill(res::menu::kPlayNow, {play});
  const std::string deleteText = res::Fill(res::menu::kDelete, {remove});
  const auto available = [this](unsigned command) { return m_pPopup && m_pPopup->Available(command); };
  return {
      {res::ID_PLAY_NOW, playText, true, {}},
      {res::ID_PLAY_SELECTED, res::menu::kPlaySelected, AnyMarked(m_itemTop, true), {}},
      {0, "", true, {}},
      {res::ID_ADD_ALBUM, res::menu::kAddAlbum, available(res::ID_ADD_ALBUM), {}},
      {res::ID_DELETE_NODE, deleteText, canDelete && available(res::ID_DELETE_NODE), deletePrompt},
      {res::ID_RENAME_NODE, res::menu::kRename, canRename && available(res::ID_RENAME_NODE), renamePrompt},
  };
}
