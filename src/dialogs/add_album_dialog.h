// CAddAlbumDlg: a new album section in an album.ini with the songs chosen from the
// folder's MP3 files that no section lists yet; the album then shows in the tree at
// once. This class holds what the dialog's controls show; the Qt dialog mirrors it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/song_tags.h"
#include "text/gstring.h"
#include "tree/library_editor.h"
#include "tree/tree_item.h"

class STreeView;

// A sorted list of file names with a selection, as the song list box holds them.
class CSongListBox {
 public:
  struct Row {
    std::string text;
    bool selected = false;
    catalogue::SongTags tags;  // what the file's own tags say
  };
  void Clear() { m_rows.clear(); }
  void Add(const std::string& text);  // at its sorted place
  void SelectAll(bool selected = true);
  std::vector<Row> m_rows;
};

class CAddAlbumDlg {
 public:
  CAddAlbumDlg(STreeView* view, std::vector<std::string> categorySource, const TreeItem& node);

  void OnInitDialog();
  // Whether path names an album.ini and the album name is still free in it (a
  // message tells why not).
  int CheckAlbumFile(const std::string& path);
  void FillSongList(const std::string& path);
  // "...": an open-file dialog; the chosen song or album.ini names the catalogue's folder.
  void OnBrowse();
  void OnKillFocusAlbumFile(const std::string& typed);
  void OnSelChangeAlbumFile(const std::string& chosen);
  // The chosen songs changed: the fields their tags proposed follow.
  void OnSelChangeSongs();
  // The user typed in a field (a control id): its text is theirs from now on.
  void OnFieldEdited(int id);
  // Whether the field shows what the songs' tags (or the folder's name) proposed.
  bool IsProposed(int id) const { return m_proposed.contains(id); }
  // OK: true when the album was written and placed in the tree (the dialog closes).
  bool OnOK();

  // The controls.
  GString m_strArtist;
  GString m_strAlbumFile;
  GString m_strAlbum;
  GString m_strCategory;
  GString m_strYear;
  std::vector<std::string> m_cbArtist;     // sorted
  std::vector<std::string> m_cbAlbumFile;  // sorted
  std::vector<std::string> m_cbCategory;   // sorted
  CSongListBox m_listSongs;
  std::string m_strTagNote;         // the tag titles the catalogue cannot hold; "" when none
  bool m_bAlbumFileEnabled = true;  // combo 1036 and button 1031
  int m_nFocus = 0;                 // the control a message sent the focus to (0: none)

  STreeView* m_pView;
  TreeItem m_itemNode;
  TreeItem m_itemAlbum;  // the album node OK made (null when the catalogues are not read)

 private:
  void AddAlbumFile(const std::string& path);
  // Fills the fields that are empty or hold a proposal with what the chosen songs'
  // tags agree on; a field they disagree on proposes nothing.
  void ProposeFromTags();
  void Propose(int id, GString& field, const std::string& value);
  // The chosen songs in catalogue order, by track number, then file name, with the
  // titles their tags give where the catalogue can hold them.
  std::vector<tree::LibraryEditor::NewAlbum::Song> ChosenSongs() const;

  std::vector<std::string> m_categorySource;
  std::set<int> m_proposed;               // control ids
  std::map<int, std::string> m_guesses;  // what a field shows when the tags propose nothing
};
