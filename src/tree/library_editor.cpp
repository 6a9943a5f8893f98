#include "tree/library_editor.h"

#include <optional>
#include <utility>

#include "catalogue/album_catalogue.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "res/texts.h"
#include "tree/node_deleter.h"
#include "tree/stree_view.h"

namespace tree {

LibraryEditor::LibraryEditor(STreeView& library) : m_library(library), m_pTree(library.Tree()) {}

bool LibraryEditor::Rename(const TreeItem& item, const std::string& text) {
  m_pTree->State().SelectItem(item.m_hItem);  // the details page then shows what the rename keeps
  std::string start;
  return BeginRename(item, start) && EndRename(item, text);
}

bool LibraryEditor::CanDelete(const TreeItem& node) const {
  if (node.IsNull()) return false;
  // The top node, a volume and a duplicate album have no file or section of their own.
  const NodeKind kind = KindOf(node);
  return kind != NodeKind::Top && kind != NodeKind::Volume && kind != NodeKind::DuplicateAlbum;
}

bool LibraryEditor::Delete(const TreeItem& node) {
  if (!CanDelete(node)) return false;
  m_pTree->State().SelectItem(node.m_hItem);
  return CNodeDeleter(&m_library, m_library.Top()).Delete(node).Report();
}

CommandResult LibraryEditor::AddAlbum(const NewAlbum& album, TreeItem& made) {
  std::vector<std::pair<std::string, std::optional<std::string>>> values = {
      {"Artist", album.artist}, {"Category", album.category}, {"Year", album.year ? std::to_string(album.year) : ""}};
  int n = 0;
  for (const NewAlbum::Song& song : album.songs) {
    values.push_back({"T" + std::to_string(++n), song.fileTitle + ".mp3, " + song.title});
  }
  if (platform::ProfileWriteValues(album.file, catalogue::SectionOfAlbum(album.album), values, false) != 1) {
    return CommandResult::Failed(res::Fill(res::msg::kAlbumFileNotWritten, {album.shownFile}));
  }
  // The tree shows the folder's catalogue as a scan does: the new album under its
  // artist (a duplicate when the artist has an album of that name elsewhere), its
  // songs no longer loose files.
  const std::string folder = album.file.substr(0, album.file.rfind('/') + 1);
  m_library.ReloadCatalogues({folder});
  made = {};
  const TreeItem artist = m_library.FindArtistNode(album.artist);
  for (TreeItem node = artist.FirstChild(); !node.IsNull(); node = node.NextSibling()) {
    if (node.Data().value_or("") == folder && platform::EqualsNoCase(AlbumName(node), album.album)) made = node;
  }
  return CommandResult::Done();
}

}  // namespace tree
