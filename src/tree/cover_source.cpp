#include "tree/cover_source.h"

#include "tree/node_kinds.h"
#include "tree/stree_view.h"

namespace tree {

CoverSource CoverSourceOf(const STreeView& view, const TreeItem& node) {
  if (node.IsNull()) return {};
  const auto firstSongOf = [&](const TreeItem& parent) {
    for (TreeItem child = parent.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
      if (IsSong(KindOf(child)) && view.Tree()->GetMark(child.m_hItem) != Mark::Missing) return view.SongPath(child);
    }
    return std::string();
  };
  switch (KindOf(node)) {
    case NodeKind::Album:
    case NodeKind::DuplicateAlbum:
    case NodeKind::Folder:
      return {std::string(node.Data().value_or("")), firstSongOf(node)};
    case NodeKind::AlbumSong:
      return {std::string(node.Parent().Data().value_or("")), view.SongPath(node)};
    case NodeKind::LooseSong:
      return {std::string(node.Data().value_or("")), view.SongPath(node)};
    case NodeKind::Top:
    case NodeKind::Artist:
    case NodeKind::Volume:
      break;
  }
  return {};
}

}  // namespace tree
