// The tree's context menu: its items fitted to a node, as data the window shows, and
// the commands carried out on that node.
#pragma once

#include <vector>

#include "platform/ui_hooks.h"
#include "text/gstring.h"
#include "tree/tree_item.h"

class STreeView;

namespace tree {

// The commands of the menu that other parts of the program carry out.
class PopupDelegate {
 public:
  virtual ~PopupDelegate() = default;
  // Whether the command (Add album, Delete, Rename) can be offered at all.
  virtual bool Available(unsigned command) const = 0;
  virtual void AddAlbum(const TreeItem& node) = 0;   // null for the top node
  virtual void DeleteNode(const TreeItem& node) = 0;
  virtual void RenameNode(const TreeItem& node) = 0;
};

class ContextMenu {
 public:
  explicit ContextMenu(STreeView& library);

  void SetPopupDelegate(PopupDelegate* delegate) { m_pPopup = delegate; }
  // The "Tree Popup" menu fitted to the node (null: empty space, the whole library).
  std::vector<platform::MenuItem> ItemsFor(const TreeItem& node) const;
  // Shows the menu for the node and carries out the command chosen.
  void Show(const TreeItem& node);
  // One of the menu's commands on the node (null: the whole library).
  void Carry(unsigned id, const TreeItem& node);
  // Cut to 30 characters and "..." when longer than 33, quoted, "&" doubled.
  static void MakeMenuLabel(GString& text);

 private:
  STreeView& m_library;
  PopupDelegate* m_pPopup = nullptr;
};

}  // namespace tree
