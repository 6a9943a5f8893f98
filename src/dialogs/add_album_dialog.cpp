#include "dialogs/add_album_dialog.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

#include "catalogue/album_catalogue.h"
#include "platform/filesystem.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/library_editor.h"
#include "tree/prop_data.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

using platform::ShowError;

constexpr int kArtistCombo = res::IDC_ARTIST_COMBO;
constexpr int kAlbumFileCombo = res::IDC_ALBUM_FILE;
constexpr int kAlbumNameEdit = res::IDC_ALBUM_NAME;
constexpr int kYearEdit = res::IDC_ALBUM_YEAR;
constexpr int kCategoryCombo = res::IDC_CATEGORY_COMBO;

void InsertSorted(std::vector<std::string>& list, const std::string& text) {
  list.insert(std::upper_bound(list.begin(), list.end(), text,
                               [](const std::string& a, const std::string& b) { return platform::NameLess(a, b); }),
              text);
}

bool ContainsNoCase(const std::vector<std::string>& list, const std::string& text) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& entry) { return platform::EqualsNoCase(entry, text); });
}

std::string FolderOfPath(const std::string& path) { return GString(path).FolderPart(true); }

// The catalogue to read and write for a typed path: an existing album.ini of the
// folder in any letter case.
// The catalogue the folder of path has, as the scan picks it among spellings.
std::string OnDisk(const std::string& path) { return catalogue::CatalogueFile(FolderOfPath(path)); }

}  // namespace

void CSongListBox::Add(const std::string& text) {
  const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), text,
                                   [](const std::string& t, const Row& row) { return platform::NameLess(t, row.text); });
  m_rows.insert(at, Row{text, false, {}});
}

void CSongListBox::SelectAll(bool selected) {
  for (Row& row : m_rows) row.selected = selected;
}

CAddAlbumDlg::CAddAlbumDlg(STreeView* view, std::vector<std::string> categorySource, const TreeItem& node)
    : m_pView(view), m_itemNode(node), m_categorySource(std::move(categorySource)) {}

void CAddAlbumDlg::AddAlbumFile(const std::string& path) {
  if (!ContainsNoCase(m_cbAlbumFile, path)) InsertSorted(m_cbAlbumFile, path);
}

void CAddAlbumDlg::OnInitDialog() {
  for (TreeItem child = m_pView->Top().FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (KindOf(child) == NodeKind::Artist) InsertSorted(m_cbArtist, std::string(child.Label()));
  }
  for (const std::string& category : m_categorySource) InsertSorted(m_cbCategory, category);

  if (!m_itemNode.IsNull()) {
    const NodeKind kind = KindOf(m_itemNode);
    TreeItem x;
    if (kind == NodeKind::Folder) {
      m_bAlbumFileEnabled = false;
      m_strArtist = std::string(m_itemNode.Label());
      m_guesses[kArtistCombo] = m_strArtist;  // the folder's name only guesses the artist
      m_proposed.insert(kArtistCombo);
      m_strAlbumFile = std::string(m_itemNode.Data().value_or("")) + catalogue::kCatalogueName;
    } else if (kind == NodeKind::Artist) {
      x = m_itemNode.FirstChild();
      if (x.IsNull()) x = m_itemNode.Parent();
      if (x.IsNull()) x = m_itemNode;
    } else if (kind == NodeKind::Album || kind == NodeKind::DuplicateAlbum) {
      x = m_itemNode;
    } else if (IsSong(kind)) {
      x = m_itemNode.Parent();
      if (x.IsNull()) x = m_itemNode;
    } else if (KindOf(m_itemNode.Parent()) == NodeKind::Folder && !m_itemNode.Parent().IsNull()) {
      m_strArtist = std::string(m_itemNode.Parent().Label());
      m_strAlbumFile = std::string(m_itemNode.Parent().Data().value_or("")) + catalogue::kCatalogueName;
    }
    if (!x.IsNull()) {
      m_strArtist = std::string(x.Parent().Label());
      m_strAlbumFile = std::string(x.Data().value_or("")) + catalogue::kCatalogueName;
      for (TreeItem sibling = x; !sibling.IsNull(); sibling = sibling.NextSibling()) {
        if (sibling.Data()) AddAlbumFile(std::string(*sibling.Data()) + catalogue::kCatalogueName);
      }
    }
    FillSongList(m_strAlbumFile);
  }
}

int CAddAlbumDlg::CheckAlbumFile(const std::string& path) {
  if (!platform::EqualsNoCase(GString(path).FileNamePart(true), "ALBUM.INI")) {
    ShowError(res::msg::kMustBeAlbumIni);
    m_nFocus = kAlbumFileCombo;
    return 0;
  }
  const std::string section = catalogue::SectionOfAlbum(m_strAlbum);
  if (!platform::ProfileKeyNames(OnDisk(path), section).empty()) {
    ShowError(res::Fill(res::msg::kAlbumExists, {m_strAlbum}));
    m_nFocus = kAlbumFileCombo;
    return 0;
  }
  return 1;
}

void CAddAlbumDlg::FillSongList(const std::string& path) {
  m_listSongs.Clear();
  if (!CheckAlbumFile(path)) return;
  const std::string folder = FolderOfPath(path);
  const auto entries = platform::ListDirectory(folder, platform::ListDetail::NamesAndKinds);
  if (!entries) return;
  // Files some section of the catalogue lists already; names with "," cannot be
  // named by an entry (the comma ends its file field).
  const auto listedTitles = catalogue::ListedFileTitles(*platform::ProfileOpen(OnDisk(path)));
  const std::unordered_set<std::string> listed(listedTitles.begin(), listedTitles.end());
  for (const auto& entry : *entries) {
    if (entry.directory || !platform::EqualsNoCase(GString(entry.name).ExtensionPart(false), "MP3")) continue;
    if (entry.name.find(',') != std::string::npos) continue;
    if (!listed.contains(platform::UpperUtf8(GString(entry.name).FileNamePart(false)))) m_listSongs.Add(entry.name);
  }
  for (CSongListBox::Row& row : m_listSongs.m_rows) {
    row.tags = catalogue::ReadSongTags(folder + row.text).value_or(catalogue::SongTags{});
  }
  m_listSongs.SelectAll();
  ProposeFromTags();
}

void CAddAlbumDlg::OnSelChangeSongs() { ProposeFromTags(); }

void CAddAlbumDlg::OnFieldEdited(int id) { m_proposed.erase(id); }

void CAddAlbumDlg::Propose(int id, GString& field, const std::string& value) {
  // What the user typed stays; an empty field or an earlier proposal takes the new
  // one, or the dialog's own guess when the tags propose nothing.
  if (!field.empty() && !m_proposed.contains(id)) return;
  const auto guess = m_guesses.find(id);
  field = !value.empty() || guess == m_guesses.end() ? value : guess->second;
  if (field.empty()) {
    m_proposed.erase(id);
  } else {
    m_proposed.insert(id);
  }
}

void CAddAlbumDlg::ProposeFromTags() {
  // The one value the chosen songs' tags give for a field; nothing when two differ.
  const auto agreed = [this](const auto& valueOf) {
    std::string value;
    for (const CSongListBox::Row& row : m_listSongs.m_rows) {
      if (!row.selected) continue;
      GString own = valueOf(row.tags);
      own.Trim(" ");
      if (own.empty()) continue;
      if (!value.empty() && value != own) return std::string();
      value = own;
    }
    return value;
  };
  Propose(kArtistCombo, m_strArtist, agreed([](const catalogue::SongTags& tags) { return tags.artist; }));
  Propose(kAlbumNameEdit, m_strAlbum, agreed([](const catalogue::SongTags& tags) { return tags.album; }));
  // A genre the category list has already is written as the list spells it.
  std::string category = agreed([](const catalogue::SongTags& tags) { return tags.genre; });
  for (const std::string& known : m_cbCategory) {
    if (platform::EqualsNoCase(known, category)) category = known;
  }
  Propose(kCategoryCombo, m_strCategory, category);
  Propose(kYearEdit, m_strYear, agreed([](const catalogue::SongTags& tags) {
            return tags.year ? std::to_string(tags.year) : std::string();
          }));
  std::string leftOut;
  for (const CSongListBox::Row& row : m_listSongs.m_rows) {
    if (row.selected && row.tags.title.find_first_of(",\r\n") != std::string::npos) {
      leftOut += (leftOut.empty() ? "" : "; ") + row.text;
    }
  }
  m_strTagNote = leftOut.empty() ? std::string() : res::Fill(res::label::kTitlesLeftOut, {leftOut});
}

std::vector<tree::LibraryEditor::NewAlbum::Song> CAddAlbumDlg::ChosenSongs() const {
  // The rows stand in file-name order: a stable sort by track keeps it among equals,
  // and songs without a track number come last.
  std::vector<const CSongListBox::Row*> chosen;
  for (const CSongListBox::Row& row : m_listSongs.m_rows) {
    if (row.selected) chosen.push_back(&row);
  }
  std::stable_sort(chosen.begin(), chosen.end(), [](const CSongListBox::Row* a, const CSongListBox::Row* b) {
    return (a->tags.track == 0 ? UINT_MAX : a->tags.track) < (b->tags.track == 0 ? UINT_MAX : b->tags.track);
  });
  std::vector<tree::LibraryEditor::NewAlbum::Song> songs;
  for (const CSongListBox::Row* row : chosen) {
    const std::string fileTitle = GString(row->text).FileNamePart(false);
    GString title = row->tags.title;
    title.Trim(" \t");
    const bool fits = !title.empty() && title.find_first_of(",\r\n") == std::string::npos;
    songs.push_back({fileTitle, fits ? std::string(title) : fileTitle});
  }
  return songs;
}

void CAddAlbumDlg::OnBrowse() {
  m_strAlbumFile = FolderOfPath(m_strAlbumFile) + catalogue::kCatalogueName;
  platform::FileDialogRequest request;
  // An existing file names the folder: the dialog opens, it never offers to replace.
  request.save = false;
  request.title = res::caption::kChooseAlbumFile;
  request.initialPath = m_strAlbumFile;
  request.filters = {{res::caption::kSongsAndAlbumFiles, "*.mp3;album.ini"}, {res::caption::kAllFiles, "*"}};
  const auto chosen = platform::Ui().FileDialog(request);
  if (!chosen) return;
  m_strAlbumFile = FolderOfPath(*chosen) + catalogue::kCatalogueName;
  const std::string onDisk = OnDisk(m_strAlbumFile);
  if (platform::PathExists(onDisk) && !catalogue::CatalogueWritable(onDisk)) ShowError(res::msg::kUnableToWriteThere);
  FillSongList(m_strAlbumFile);
}

void CAddAlbumDlg::OnKillFocusAlbumFile(const std::string& typed) {
  const std::string before = m_strAlbumFile;
  m_strAlbumFile = typed;
  if (!platform::EqualsNoCase(before, typed)) FillSongList(m_strAlbumFile);
}

void CAddAlbumDlg::OnSelChangeAlbumFile(const std::string& chosen) {
  if (platform::EqualsNoCase(chosen, m_strAlbumFile)) return;
  m_strAlbumFile = chosen;
  FillSongList(m_strAlbumFile);
}

bool CAddAlbumDlg::OnOK() {
  m_strArtist.Trim(" ");
  m_strAlbum.Trim(" ");
  m_strAlbumFile.Trim(" ");
  if (m_strArtist.empty()) {
    m_nFocus = kArtistCombo;
    ShowError(res::msg::kEnterArtist);
    return false;
  }
  if (!CheckAlbumFile(m_strAlbumFile)) return false;
  if (m_strAlbum.empty()) {
    m_nFocus = kAlbumNameEdit;
    ShowError(res::msg::kEnterAlbum);
    return false;
  }
  if (!catalogue::AlbumNameCharactersAllowed(m_strAlbum)) {
    m_nFocus = kAlbumNameEdit;
    ShowError(res::msg::kAlbumNameCharacters);
    return false;
  }
  // The year rule of the details pane: a whole number, or nothing.
  const std::optional<int> year = ParseYearField(m_strYear);
  if (!year) {
    m_nFocus = kYearEdit;
    ShowError(res::msg::kYearField);
    return false;
  }
  const tree::LibraryEditor::NewAlbum album{OnDisk(m_strAlbumFile), m_strAlbumFile, m_strArtist, m_strAlbum,
                                            m_strCategory, *year, ChosenSongs()};
  return m_pView->Editor().AddAlbum(album, m_itemAlbum).Report();
}
