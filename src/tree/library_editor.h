// Edits the user asks of the library's nodes: renames (volume labels, folders, artists,
// albums, song files and album songs), deletes, and the catalogue writes of the
// details page. Each checks first that the disk still holds what the tree shows; the
// tree then follows the disk.
#pragma once

#include <string>
#include <vector>

#include "catalogue/album_catalogue.h"
#include "text/gstring.h"
#include "tree/command_result.h"
#include "tree/tree_item.h"

class STreeView;

namespace tree {

class LibraryEditor {
 public:
  explicit LibraryEditor(STreeView& library);

  // Renaming in two steps, as a label edit does it. BeginRename: whether the node may
  // be renamed (a refusal is reported) and the text the edit box starts with.
  // EndRename: carries the typed text to disk and catalogue and sets the node's final
  // label itself; false rejects it (the label stays). The node may be gone afterwards,
  // merged into another.
  bool BeginRename(const TreeItem& item, std::string& editText);
  bool EndRename(const TreeItem& item, const std::string& typed);
  // Both steps at once, whatever asked (a key, the menu, a script); the node is
  // selected first, so the details page shows what the rename keeps.
  bool Rename(const TreeItem& item, const std::string& text);
  // Whether the node is one that can be deleted at all (the top node, volumes and
  // duplicate album names are not).
  bool CanDelete(const TreeItem& node) const;
  // Selects the node, asks, deletes what it stands for and reports the outcome.
  bool Delete(const TreeItem& node);
  // A new album: its section (artist, category, year, an entry per song) written to the
  // catalogue file in one change, then shown as a scan shows it. The new album node
  // comes back in made; a failure names shownFile, the file as the user named it.
  struct NewAlbum {
    std::string file;
    std::string shownFile;
    std::string artist;
    std::string album;
    std::string category;
    int year = 0;  // 0: none
    struct Song {
      std::string fileTitle;  // the file's name without ".mp3"
      std::string title;      // shown for it; holds no "," or line end
    };
    std::vector<Song> songs;  // T1, T2, ... in this order
  };
  CommandResult AddAlbum(const NewAlbum& album, TreeItem& made);

  // Whether the catalogue on disk still holds what the tree shows of the album (its
  // section with that artist) and, when given, of the song (its entry with that title),
  // or, for an artist node, exactly the albums shown of that artist in each of its
  // catalogues. When not, the albums of the folders concerned are read anew and the
  // result says so; the nodes passed in may then be gone.
  CommandResult CheckShown(const TreeItem& node, const TreeItem& song = {});
  // The same check without reading anything anew (while the selection changes).
  bool CatalogueShows(const TreeItem& album, const TreeItem& song = {}) const;

  // Catalogue writes for album and song nodes. The album node's data text is its
  // folder and its label the album name.
  bool WriteAlbumInfo(const TreeItem& album, const GString& category, int year);
  catalogue::SongEntryResult WriteSongEntry(const TreeItem& album, const TreeItem& song, const GString& oldName,
                                            const GString& category, int year, const GString& artist);

 private:
  CommandResult RenameVolume(const TreeItem& item, const std::string& text);
  CommandResult RenameFolder(const TreeItem& item, const std::string& text);
  CommandResult RenameArtist(const TreeItem& item, const std::string& oldLabel, const std::string& text);
  CommandResult RenameAlbum(const TreeItem& item, const std::string& oldLabel, const std::string& text);
  CommandResult RenameSongFile(const TreeItem& item, const std::string& text);
  CommandResult RenameAlbumSong(const TreeItem& item, const std::string& text);

  STreeView& m_library;
  TreeModel* m_pTree;
};

}  // namespace tree
