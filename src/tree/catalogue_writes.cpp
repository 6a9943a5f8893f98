// Writing album information and song entries from the tree's nodes.
#include "catalogue/album_catalogue.h"
#include "tree/prop_data.h"
#include "tree/details_presenter.h"
#include "tree/library_editor.h"
#include "tree/stree_view.h"

namespace tree {

bool LibraryEditor::WriteAlbumInfo(const TreeItem& album, const GString& category, int year) {
  const std::string folder(album.Data().value_or(""));
  if (GPropData* page = m_library.Details().DataPage()) page->AddCategory(category);
  return catalogue::WriteAlbumInfo(folder, std::string(album.Label()), category, year);
}

catalogue::SongEntryResult LibraryEditor::WriteSongEntry(const TreeItem& album, const TreeItem& song,
                                                     const GString& oldName, const GString& category, int year,
                                                     const GString& artist) {
  const std::string folder(album.Data().value_or(""));
  const std::string albumName(album.Label());
  if (folder.empty() || albumName.empty()) return catalogue::SongEntryResult::NoEntry;
  if (GPropData* page = m_library.Details().DataPage()) page->AddCategory(category);
  const catalogue::SongEntry entry{oldName,  m_library.GetNodeName(song, true), m_library.GetNodeName(song, false),
                                   category, year, artist, m_pTree->RowOf(song.m_hItem)};
  return catalogue::WriteSongEntry(folder, albumName, entry);
}

}  // namespace tree
