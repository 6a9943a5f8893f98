#include "tree/context_menu.h"

#include "res/resource_ids.h"
#include "res/texts.h"
#include "text/utf8_cut.h"
#include "tree/library_editor.h"
#include "tree/library_marks.h"
#include "tree/player.h"
#include "tree/stree_view.h"

namespace tree {

ContextMenu::ContextMenu(STreeView& library) : m_library(library) {}

void ContextMenu::MakeMenuLabel(GString& text) {
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

void ContextMenu::Show(const TreeItem& node) {
  const unsigned command = platform::Ui().PopupMenu(ItemsFor(node));
  if (command != 0) Carry(command, node);
}

void ContextMenu::Carry(unsigned id, const TreeItem& node) {
  switch (id) {
    case res::ID_PLAY_NOW: m_library.Play().PlayNow(node); break;
    case res::ID_PLAY_SELECTED: m_library.Play().PlayMarked(); break;
    case res::ID_ADD_ALBUM:
      if (m_pPopup) m_pPopup->AddAlbum(node == m_library.Top() ? TreeItem() : node);
      break;
    case res::ID_DELETE_NODE:
      if (m_pPopup && !node.IsNull()) m_pPopup->DeleteNode(node);
      break;
    case res::ID_RENAME_NODE:
      if (m_pPopup && !node.IsNull()) m_pPopup->RenameNode(node);
      break;
    default: break;
  }
}

std::vector<platform::MenuItem> ContextMenu::ItemsFor(const TreeItem& node) const {
  GString label;
  if (!node.IsNull()) {
    label = std::string(node.Label());
    MakeMenuLabel(label);
  }
  GString play;
  GString remove;
  const bool canDelete = m_library.Editor().CanDelete(node);
  bool canRename = true;
  std::string deletePrompt;
  std::string renamePrompt;
  const NodeKind kind = node.IsNull() ? NodeKind::Top : KindOf(node);
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
      {res::ID_PLAY_SELECTED, res::menu::kPlaySelected, m_library.Marks().AnyMarked(m_library.Top()), {}},
      {0, "", true, {}},
      {res::ID_ADD_ALBUM, res::menu::kAddAlbum, available(res::ID_ADD_ALBUM), {}},
      {res::ID_DELETE_NODE, deleteText, canDelete && available(res::ID_DELETE_NODE), deletePrompt},
      {res::ID_RENAME_NODE, res::menu::kRename, canRename && available(res::ID_RENAME_NODE), renamePrompt},
  };
}

}  // namespace tree
