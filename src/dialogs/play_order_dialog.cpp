#include "dialogs/play_order_dialog.h"

#include <algorithm>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/settings.h"
#include "platform/filesystem.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/play_songs.h"
#include "tree/player.h"
#include "tree/stree_view.h"

using namespace tree;

namespace {

using res::node::kLooseArtist;
using res::node::kUnknownArtist;

}  // namespace

int NextRandom(unsigned& state) {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

int PlayOrderRandom() {
  static unsigned state = 1;  // never seeded
  return NextRandom(state);
}

struct CPlayOrderDlg::Counters {
  int artist = -1;
  int album = -1;       // overall album number, also the index of the last album entry
  int song = -1;        // overall song number
  int looseAlbum = -1;  // albums of the collective artist
  bool looseArtist = false;                          // its entry is made
  std::unordered_set<std::string_view> looseAlbums;  // labels of the album entries made for loose folders
};

namespace {

// Where each parent's first run of children begins and ends in the entries.
CPlayOrderDlg::Runs ParentRuns(const std::vector<std::unique_ptr<PlayOrderEntry>>& entries) {
  CPlayOrderDlg::Runs runs;
  size_t begin = 0;
  for (size_t i = 1; i <= entries.size(); ++i) {
    if (i < entries.size() && entries[i]->nParent == entries[begin]->nParent) continue;
    runs.try_emplace(entries[begin]->nParent, begin, i);
    begin = i;
  }
  return runs;
}

}  // namespace

CPlayOrderDlg::CPlayOrderDlg(const TreeItem& root, STreeView* view) : m_itemRoot(root), m_pView(view) {
  CollectMarked();
}

bool CPlayOrderDlg::Included(const TreeItem& item) const {
  const Mark mark = m_pView->Tree()->GetMark(item.m_hItem);
  return mark == Mark::Marked || mark == Mark::Partly;
}

void CPlayOrderDlg::CollectMarked() {
  Counters counters;
  for (TreeItem child = m_itemRoot.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    const bool artist = KindOf(child) == NodeKind::Artist;
    if ((!artist && Included(child)) || m_pView->Tree()->GetMark(child.m_hItem) == Mark::Partly) CollectLooseSongs(child, counters);
  }
  for (TreeItem artist = m_itemRoot.FirstChild(); !artist.IsNull(); artist = artist.NextSibling()) {
    if (KindOf(artist) != NodeKind::Artist) continue;
    if (Included(artist)) {
      ++counters.artist;
      m_artists.push_back(std::make_unique<PlayOrderEntry>(PlayOrderEntry{artist, counters.artist, -1}));
    }
    int artistAlbums = -1;
    for (TreeItem album = artist.FirstChild(); !album.IsNull(); album = album.NextSibling()) {
      if (KindOf(album) == NodeKind::DuplicateAlbum) continue;
      if (Included(album)) {
        ++counters.album;
        ++artistAlbums;
        m_albums.push_back(std::make_unique<PlayOrderEntry>(
            PlayOrderEntry{album, m_bMixAlbums ? counters.album : artistAlbums, counters.artist}));
      }
      int albumSongs = -1;
      for (TreeItem song = album.FirstChild(); !song.IsNull(); song = song.NextSibling()) {
        if (!Included(song)) continue;
        ++counters.song;
        ++albumSongs;
        m_songs.push_back(std::make_unique<PlayOrderEntry>(
            PlayOrderEntry{song, m_bMixSongs ? counters.song : albumSongs, counters.album}));
      }
    }
  }
  m_albumRuns = ParentRuns(m_albums);
  m_songRuns = ParentRuns(m_songs);
}

void CPlayOrderDlg::CollectLooseSongs(const TreeItem& node, Counters& counters) {
  bool first = true;
  int folderSongs = -1;
  for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (!Included(child) || KindOf(child) != NodeKind::LooseSong) continue;
    if (first) {
      first = false;
      if (!counters.looseArtist) {
        counters.looseArtist = true;
        ++counters.artist;
        m_artists.push_back(std::make_unique<PlayOrderEntry>(PlayOrderEntry{{}, counters.artist, -1}));
      }
      if (counters.looseAlbums.insert(child.Parent().Label()).second) {
        ++counters.album;
        ++counters.looseAlbum;
        m_albums.push_back(std::make_unique<PlayOrderEntry>(
            PlayOrderEntry{child.Parent(), m_bMixAlbums ? counters.album : counters.looseAlbum, counters.artist}));
      }
    }
    ++counters.song;
    ++folderSongs;
    m_songs.push_back(std::make_unique<PlayOrderEntry>(
        PlayOrderEntry{child, m_bMixSongs ? counters.song : folderSongs, counters.album}));
  }
  for (TreeItem child = node.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    if (child.HasChildren()) CollectLooseSongs(child, counters);
  }
}

void CPlayOrderDlg::FreeEntries() {
  m_artists.clear();
  m_albums.clear();
  m_songs.clear();
  m_albumRuns.clear();
  m_songRuns.clear();
}

void CPlayOrderDlg::FillArtists() {
  m_listArtists.Clear();
  for (size_t i = 0; i < m_artists.size(); ++i) {
    const TreeItem& item = m_artists[i]->item;
    m_listArtists.rows.emplace_back(item.IsNull() ? kLooseArtist : std::string(item.Label()), static_cast<int>(i));
  }
  if (!m_listArtists.rows.empty()) m_listArtists.selected = 0;
}

std::vector<int> CPlayOrderDlg::RangeOrder(const std::vector<std::unique_ptr<PlayOrderEntry>>& entries, const Runs& runs,
                                           int index) {
  // Entries are collected parent by parent, so the children of one parent stand
  // together; the first run of them is the range.
  size_t begin = 0, end = entries.size();
  if (index != -1) {
    const auto run = runs.find(index);
    if (run != runs.end()) std::tie(begin, end) = run->second;
  }
  // Emitted by ascending order number; numbers outside the range or repeated (after
  // their first entry) are not.
  const size_t count = end - begin;
  std::vector<int> slots(count, -1);
  for (size_t i = begin; i < end; ++i) {
    const int order = entries[i]->nOrder;
    if (order >= 0 && static_cast<size_t>(order) < count && slots[static_cast<size_t>(order)] == -1) {
      slots[static_cast<size_t>(order)] = static_cast<int>(i);
    }
  }
  std::erase(slots, -1);
  return slots;
}

void CPlayOrderDlg::FillAlbums(int index, std::vector<TreeItem>* playlist) {
  if (m_albums.empty()) return;
  if (!playlist) m_listAlbums.Clear();
  for (const int i : RangeOrder(m_albums, m_albumRuns, index)) {
    if (playlist) {
      FillSongs(i, playlist);
      continue;
    }
    const TreeItem& album = m_albums[static_cast<size_t>(i)]->item;
    std::string text(album.Label());
    if (index == -1) {
      const bool unknown = !album.FirstChild().Data().has_value() || KindOf(album) != NodeKind::Album;
      text = (unknown ? std::string(kUnknownArtist) : std::string(album.Parent().Label())) + " - " + text;
    }
    m_listAlbums.rows.emplace_back(text, i);
  }
  if (!playlist && !m_listAlbums.rows.empty()) m_listAlbums.selected = 0;
}

void CPlayOrderDlg::FillSongs(int index, std::vector<TreeItem>* playlist) {
  if (m_songs.empty()) return;
  if (!playlist) m_listSongs.Clear();
  for (const int i : RangeOrder(m_songs, m_songRuns, index)) {
    const PlayOrderEntry& entry = *m_songs[static_cast<size_t>(i)];
    if (playlist) {
      playlist->push_back(entry.item);
      continue;
    }
    std::string text = m_pView->GetNodeName(entry.item, false);
    if (index == -1) {
      const TreeItem album = entry.item.Parent();
      const bool loose = KindOf(entry.item) == NodeKind::LooseSong;
      text = (loose ? std::string(kUnknownArtist) : std::string(album.Parent().Label())) + " - " +
             std::string(album.Label()) + " - " + text;
    }
    m_listSongs.rows.emplace_back(text, i);
  }
  if (!playlist && !m_listSongs.rows.empty()) m_listSongs.selected = 0;
}

bool CPlayOrderDlg::MoveRow(ListBox& list, bool up, int source, int target) {
  const int count = static_cast<int>(list.rows.size());
  if (source == -1) source = list.selected;
  if (source < 0 || source >= count) return false;
  if (target == -1) {
    if ((up && source == 0) || (!up && source == count - 1)) return false;
    target = up ? source - 1 : source + 1;
  }
  const auto row = list.rows[static_cast<size_t>(source)];
  list.rows.erase(list.rows.begin() + source);
  list.rows.insert(list.rows.begin() + target, row);
  if (list.selected == source) list.selected = target;
  return true;
}

void CPlayOrderDlg::OnUpDown(int id) {
  const bool up = id < res::IDC_DOWN_FIRST;
  const int column = (id - res::IDC_UP_FIRST) % 3;  // 0 artists, 1 albums, 2 songs
  ListBox& list = column == 0 ? m_listArtists : column == 1 ? m_listAlbums : m_listSongs;
  if (!MoveRow(list, up)) return;
  if (column == 0) return;  // artists play in the list's row order
  auto& entries = column == 1 ? m_albums : m_songs;
  const int moved = list.selected;
  const int passed = up ? moved + 1 : moved - 1;
  std::swap(entries[static_cast<size_t>(list.rows[static_cast<size_t>(moved)].second)]->nOrder,
            entries[static_cast<size_t>(list.rows[static_cast<size_t>(passed)].second)]->nOrder);
}

void CPlayOrderDlg::Shuffle(ListBox& list, std::vector<std::unique_ptr<PlayOrderEntry>>& entries) {
  const int count = static_cast<int>(list.rows.size());
  if (count == 0) return;
  for (int i = 0; i < count; ++i) {
    const int r = PlayOrderRandom() % count;
    if (r != i) MoveRow(list, false, i, r);
  }
  for (int row = 0; row < count; ++row) entries[static_cast<size_t>(list.rows[static_cast<size_t>(row)].second)]->nOrder = row;
}

void CPlayOrderDlg::OnShuffle() {
  platform::WaitCursor wait;
  if (m_bShuffleSongs) Shuffle(m_listSongs, m_songs);
  if (!m_bMixSongs) {
    if (m_bShuffleAlbums) Shuffle(m_listAlbums, m_albums);
    if (!m_bMixAlbums && m_bShuffleArtists) Shuffle(m_listArtists, m_artists);
  }
}

void CPlayOrderDlg::OnInitDialog() {
  platform::WaitCursor wait;
  FillArtists();
  FillAlbums(m_listArtists.rows.empty() ? -1 : m_listArtists.rows.front().second);
  FillSongs(m_listAlbums.rows.empty() ? -1 : m_listAlbums.rows.front().second);
}

void CPlayOrderDlg::OnSelChangeArtists() {
  platform::WaitCursor wait;
  if (m_listArtists.selected < 0) return;
  FillAlbums(m_listArtists.rows[static_cast<size_t>(m_listArtists.selected)].second);
  FillSongs(m_listAlbums.rows.empty() ? -1 : m_listAlbums.rows.front().second);
}

void CPlayOrderDlg::OnSelChangeAlbums() {
  platform::WaitCursor wait;
  if (m_listAlbums.selected < 0) return;
  FillSongs(m_listAlbums.rows[static_cast<size_t>(m_listAlbums.selected)].second);
}

void CPlayOrderDlg::OnMixAlbums() {
  platform::WaitCursor wait;
  FreeEntries();
  m_listArtists.Clear();
  m_listAlbums.Clear();
  m_listSongs.Clear();
  m_layout = m_bMixAlbums ? Layout::AllAlbums : Layout::Columns;
  m_listArtists.visible = !m_bMixAlbums;
  m_listAlbums.visible = true;
  m_listSongs.visible = true;
  CollectMarked();
  if (m_bMixAlbums) {
    FillAlbums(-1);
    FillSongs(m_listAlbums.rows.empty() ? -1 : m_listAlbums.rows.front().second);
    m_strMixLabel = res::Fill(res::label::kAlbumsCounted, {std::to_string(m_listAlbums.rows.size())});
  } else {
    FillArtists();
    FillAlbums(m_listArtists.rows.empty() ? -1 : m_listArtists.rows.front().second);
    FillSongs(m_listAlbums.rows.empty() ? -1 : m_listAlbums.rows.front().second);
  }
}

void CPlayOrderDlg::OnMixSongs() {
  if (!m_bMixSongs) {
    OnMixAlbums();
    return;
  }
  platform::WaitCursor wait;
  FreeEntries();
  m_listArtists.Clear();
  m_listAlbums.Clear();
  m_listSongs.Clear();
  m_layout = Layout::AllSongs;
  m_listArtists.visible = false;
  m_listAlbums.visible = false;
  m_listSongs.visible = true;
  CollectMarked();
  FillSongs(-1);
  m_strMixLabel = res::Fill(res::label::kSongsCounted, {std::to_string(m_listSongs.rows.size())});
}

void CPlayOrderDlg::OnPlay() {
  platform::WaitCursor wait;
  const catalogue::PlaySettings settings =
      catalogue::ReadPlayOrderSettings(m_pView->Settings().file, m_pView->Settings().playlistFolder);
  std::vector<TreeItem> playlist;
  if (m_bMixSongs) {
    FillSongs(-1, &playlist);
  } else if (m_bMixAlbums) {
    for (const auto& row : m_listAlbums.rows) FillSongs(row.second, &playlist);
  } else {
    for (const auto& row : m_listArtists.rows) FillAlbums(row.second, &playlist);
  }
  tree::PlaySongs(settings, m_pView->Play().SongPaths(playlist));
}
