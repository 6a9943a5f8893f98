// The tree's context menu: texts fitted to the right-clicked node, commands that make
// no sense for it grayed.
#include "res/resource_ids.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

constexpr const char* kPlayText = "&Play %s now";
constexpr const char* kDeleteText = "&Delete %s";

}  // namespace

void STreeView::OnRButtonDown(const TreeItem& hit) {
  m_itemContext = hit;
  if (!hit.IsNull()) m_pTree->SelectItem(hit.m_hItem);
}

void STreeView::OnRButtonUp() {
  const TreeItem node = m_itemContext;
  const unsigned command = platform::Ui().PopupMenu(BuildContextMenu(node));
  if (command != 0) OnPopupCommand(command, node);
}

std::vector<platform::MenuItem> STreeView::BuildContextMenu(const TreeItem& node) const {
  GString label;
  if (!node.IsNull()) {
    label = std::string(node.Label());
    MakeMenuLabel(label);
  }
  GString play;
  GString remove;
  bool canDelete = true;
  bool canRename = true;
  std::string deletePrompt;
  const int kind = node.IsNull() ? kTopNode : GetNodeKind(node);
  switch (kind) {
    case kTopNode:
      play = "all songs";
      canDelete = canRename = false;
      break;
    case kVolumeNode:
      play = "all songs in volume " + label;
      canDelete = false;
      break;
    case kFolderNode:
      play = "all songs in " + label;
      remove = "the folder and all songs in it";
      break;
    case kArtistNode:
      play = label;
      remove = "artist (all album.ini files)";
      break;
    case kAlbumNode:
      play = label;
      remove = "album information (album.ini)";
      // A duplicate album has no section of its own: a delete would come back at the next scan.
      if (node.Data().value_or("").empty()) {
        canDelete = false;
        deletePrompt = "A duplicate album has no section of its own in an album.ini: rename or delete the album it repeats";
      }
      break;
    default:
      play = label;
      if (GetNodeKind(node.Parent()) == kAlbumNode) remove = "song from album.ini";
      break;
  }
  GString playText = kPlayText;
  playText.Format("%t", play.c_str());
  GString deleteText = kDeleteText;
  if (kind == kSongNode && GetNodeKind(node.Parent()) != kAlbumNode) {
    // A song file: &Delete the file "Intro.mp3" (the label's quotes removed).
    GString bare = label;
    bare.Trim("\"");
    deleteText += "\"%s.mp3\"";
    deleteText.Format("%t", "the file ", bare.c_str());
  } else {
    deleteText.Format("%t", remove.c_str());
  }
  const auto available = [this](unsigned command) { return m_pPopup && m_pPopup->Available(command); };
  return {
      {res::ID_PLAY_NOW, playText, true, {}},
      {res::ID_PLAY_SELECTED, "Play &selected song(s) now", AnyMarked(m_itemTop, true), {}},
      {0, "", true, {}},
      {res::ID_ADD_ALBUM, "&Add album", available(res::ID_ADD_ALBUM), {}},
      {res::ID_DELETE_NODE, deleteText, canDelete && available(res::ID_DELETE_NODE), deletePrompt},
      {res::ID_RENAME_NODE, "&Rename", canRename && available(res::ID_RENAME_NODE), {}},
  };
}
