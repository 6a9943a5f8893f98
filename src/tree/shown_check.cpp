// Before an edit writes a catalogue it checks that the file still holds what the tree
// showed: another program may have rewritten it since the scan, and a section matched
// by its name alone could then belong to another artist.

#include "catalogue/album_catalogue.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "res/texts.h"
#include "tree/library_editor.h"
#include "tree/stree_view.h"

namespace tree {

namespace {

std::string FolderOf(const TreeItem& node) { return std::string(node.Data().value_or("")); }

// As the scan puts a section under an artist: the value as read, without regard to case.
bool SameName(std::string_view a, std::string_view b) { return platform::EqualsNoCase(a, b); }

}  // namespace

bool LibraryEditor::CatalogueShows(const TreeItem& album, const TreeItem& song) const {
  const std::string_view name = AlbumName(album);
  const auto doc = platform::ProfileOpen(catalogue::CatalogueFile(FolderOf(album)));
  const std::string section = catalogue::SectionOfAlbum(name);
  const auto artist = doc->Value(section, "Artist");
  if (!artist || !SameName(*artist, album.Parent().Label())) return false;
  if (song.IsNull()) return true;
  const auto entries = catalogue::ReadSongEntries(*doc, section);
  const catalogue::SongEntryLine* entry =
      catalogue::FindSongEntry(entries, std::string(m_library.GetNodeName(song, true)), m_pTree->RowOf(song.m_hItem));
  if (!entry) return false;
  const std::string title(m_library.GetNodeName(song, false));
  return entry->title == title || (entry->title.empty() && platform::EqualsNoCase(entry->fileTitle, title));
}

CommandResult LibraryEditor::CheckShown(const TreeItem& node, const TreeItem& song) {
  std::set<std::string> changed;
  if (KindOf(node) == NodeKind::Album) {
    if (!CatalogueShows(node, song)) changed.insert(FolderOf(node));
  } else {
    // Each catalogue holds the albums of the artist that the tree shows, and no others.
    std::set<std::string> folders;
    std::set<std::string> albums;
    for (TreeItem album = node.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
      albums.insert(platform::UpperUtf8(AlbumName(album)));
      folders.insert(FolderOf(album));
      if (!CatalogueShows(album)) changed.insert(FolderOf(album));
    }
    for (const std::string& folder : folders) {
      const auto doc = platform::ProfileOpen(catalogue::CatalogueFile(folder));
      for (const std::string& section : doc->SectionNames()) {
        const std::string album = catalogue::AlbumNameOfSection(section);
        if (!album.empty() && SameName(doc->Value(section, "Artist").value_or(""), node.Label()) &&
            !albums.contains(platform::UpperUtf8(album))) {
          changed.insert(folder);
        }
      }
    }
  }
  if (changed.empty()) return CommandResult::Done();
  const std::string file = catalogue::CatalogueFile(*changed.begin());
  m_library.ReloadCatalogues(changed);
  return CommandResult::Failed(res::Fill(res::msg::kCatalogueChanged, {file}));
}

}  // namespace tree
