#include "tree/details_presenter.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "catalogue/album_catalogue.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/header_reader.h"
#include "tree/library_scanner.h"
#include "tree/play_time_reader.h"
#include "tree/prop_data.h"
#include "tree/library_editor.h"
#include "tree/library_marks.h"
#include "tree/stree_view.h"

namespace tree {

namespace {

constexpr double kMegabyte = 1048576.0;

bool CatalogueReadOnly(const std::string& file) { return !catalogue::CatalogueWritable(file); }

// The size of a song's file; its path is resolved already (SongPath).
std::int64_t FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  return S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
}

}  // namespace

DetailsPresenter::DetailsPresenter(STreeView& library) : m_library(library), m_pTree(library.Tree()) {}

bool DetailsPresenter::OnSelChanging(Handle oldItem, Handle) {
  SaveDetails(m_library.Item(oldItem));
  return true;
}

void DetailsPresenter::OnSelChanged(Handle, Handle newItem) { ShowDetails(m_library.Item(newItem)); }

void DetailsPresenter::SaveDetails(const TreeItem& item) {
  if (item.IsNull() || !m_pDataPage || !m_shown) return;
  const NodeKind kind = KindOf(item);
  const bool albumSong = kind == NodeKind::AlbumSong;
  if (kind != NodeKind::Album && !albumSong) return;  // a duplicate album has no details of its own
  // A year that is no number is refused alone: the other fields are still saved.
  if (!m_pDataPage->UpdateData(true)) platform::ShowError(res::Fill(res::msg::kYearNotNumber, {item.Label()}));
  // Merely looking at a node never writes: only fields the user changed go back.
  const bool changed = m_pDataPage->m_strCategory != m_shown->category || m_pDataPage->m_nYear != m_shown->year ||
                       (albumSong && m_pDataPage->m_strArtist != m_shown->artist);
  if (!changed) return;
  const std::string folder(kind == NodeKind::Album ? item.Data().value_or("") : item.Parent().Data().value_or(""));
  if (folder.empty()) return;
  if (!(kind == NodeKind::Album ? m_library.Editor().CatalogueShows(item) : m_library.Editor().CatalogueShows(item.Parent(), item))) {
    platform::ShowError(res::Fill(res::msg::kDetailsChanged, {item.Label(), catalogue::CatalogueFile(folder)}));
    return;
  }
  const bool written =
      kind == NodeKind::Album
          ? m_library.Editor().WriteAlbumInfo(item, m_pDataPage->m_strCategory, m_pDataPage->m_nYear)
          : m_library.Editor().WriteSongEntry(item.Parent(), item, m_library.GetNodeName(item, true), m_pDataPage->m_strCategory,
                           m_pDataPage->m_nYear, m_pDataPage->m_strArtist) == catalogue::SongEntryResult::Written;
  if (!written) {
    platform::ShowError(res::Fill(res::msg::kDetailsNotWritten, {item.Label(), catalogue::CatalogueFile(folder)}));
  }
}

void DetailsPresenter::SaveSelectionDetails() { SaveDetails(m_library.Item(m_pTree->State().GetSelection())); }

void DetailsPresenter::SelectAndShow(const TreeItem& node) {
  if (m_pTree->State().GetSelection() == node.m_hItem) {
    OnSelChanged(node.m_hItem, node.m_hItem);
  } else {
    m_pTree->State().SelectItem(node.m_hItem);
  }
}

void DetailsPresenter::ShowDetails(const TreeItem& item) {
  m_shown.reset();
  if (m_showCover) m_showCover(CoverSourceOf(m_library, item));
  GPropData* page = m_pDataPage;
  if (page) page->ClearFields();
  const NodeKind kind = KindOf(item);
  switch (kind) {
    case NodeKind::Top:
      // The whole library's size needs every song file: it is summed once after a scan,
      // in a posted message, so the new tree shows first.
      m_nSize = std::max<std::int64_t>(m_nLibrarySize, 0);
      if (m_nLibrarySize == -1) PostLibrarySize();
      break;
    case NodeKind::Volume:
    case NodeKind::Folder:
      if (page) page->SetReadOnly(true, false);
      m_nSize = GetNodeSize(item);
      break;
    case NodeKind::Artist:
      if (page) {
        page->SetReadOnly(true, false);
        page->SetDlgItemText(res::IDC_CATEGORY_READONLY, "");
        page->m_strArtist = std::string(item.Label());
      }
      m_nSize = GetNodeSize(item);
      break;
    case NodeKind::Album:
    case NodeKind::DuplicateAlbum:
      if (page) {
        // A duplicate album has no details of its own: its section is another album's.
        const std::string folder(item.Data().value_or(""));
        const std::string file = kind == NodeKind::DuplicateAlbum ? std::string() : catalogue::CatalogueFile(folder);
        page->SetReadOnly(CatalogueReadOnly(file), false);
        page->m_strArtist = std::string(item.Parent().Label());
        if (!file.empty()) {
          const auto doc = platform::ProfileOpen(file);
          const std::string section = catalogue::SectionOfAlbum(item.Label());
          GString category = doc->Value(section, "Category").value_or("");
          if (!category.empty()) {
            category.Trim(" ");
            page->m_strCategory = category;
            page->AddCategory(category);
          }
          const std::string year = doc->Value(section, "Year").value_or("");
          if (!year.empty()) page->m_nYear = catalogue::LeadingNumber(year);
        }
        m_shown = ShownDetails{page->m_strCategory, page->m_nYear, page->m_strArtist};
      }
      m_nSize = GetNodeSize(item);
      break;
    case NodeKind::AlbumSong:
    case NodeKind::LooseSong:
      FillSongDetails(item);
      break;
  }
  if (page) {
    page->SetDlgItemText(res::IDC_CATEGORY_READONLY, page->m_strCategory);
    ShowSizeText();
    page->UpdateData(false);
    ShowPlayTime();
  }
}

void DetailsPresenter::PostLibrarySize() {
  if (m_bLibrarySizePosted) return;
  m_bLibrarySizePosted = true;
  // The message may outlive the view: it then does nothing.
  platform::Ui().Post([this, alive = std::weak_ptr<void>(m_pAlive)] {
    if (alive.expired()) return;
    m_bLibrarySizePosted = false;
    if (m_nLibrarySize != -1 || m_pTree->State().GetSelection() != m_library.Top().m_hItem) return;
    platform::WaitCursor wait;
    std::int64_t total = 0;
    for (TreeItem child = m_library.Top().FirstChild(); !child.IsNull(); child = child.NextSibling()) {
      total += GetNodeSize(child);
    }
    m_nLibrarySize = total;
    m_nSize = total;
    if (m_pDataPage) {
      ShowSizeText();
      m_pDataPage->SetDlgItemText(res::IDC_SIZE, m_pDataPage->m_strSize);
    }
  });
}

void DetailsPresenter::FillSongDetails(const TreeItem& song) {
  const std::string path = m_library.SongPath(song);
  GPropData* page = m_pDataPage;
  const TreeItem album = song.Parent();
  if (page && KindOf(song) == NodeKind::AlbumSong) {
    const std::string folder(album.Data().value_or(""));
    const std::string catalogueFile = folder.empty() ? std::string() : catalogue::CatalogueFile(folder);
    const std::string section = catalogue::SectionOfAlbum(album.Label());
    page->SetReadOnly(CatalogueReadOnly(catalogueFile), true);
    const auto entries = catalogue::ReadSongEntries(*platform::ProfileOpen(catalogueFile), section);
    if (const auto* entry = catalogue::FindSongEntry(entries, m_library.GetNodeName(song, true), m_pTree->RowOf(song.m_hItem))) {
      const catalogue::SongFields fields = catalogue::ParseSongFields(entry->value);
      page->m_strCategory = fields.category;
      page->AddCategory(page->m_strCategory);
      page->m_nYear = fields.year;
      page->m_strArtist = fields.artist;
    }
    m_shown = ShownDetails{page->m_strCategory, page->m_nYear, page->m_strArtist};
  } else if (page) {
    page->SetReadOnly(true, false);
  }
  m_nSize = FileSize(path);
  if (!page) return;
  if (m_pHeaders) {
    m_pHeaders->Request(song.m_hItem, path);
    page->m_strBitrate = res::label::kReading;
    page->m_strTags = res::label::kReading;
  } else {
    const SongFileTexts texts = ReadSongFileTexts(path);
    page->m_strBitrate = texts.header;
    page->m_strTags = texts.tags;
  }
}

void DetailsPresenter::ShowHeader() {
  if (!m_pHeaders) return;
  const auto result = m_pHeaders->TakeResult();
  if (!m_pDataPage || !result || result->first != m_pTree->State().GetSelection()) return;
  m_pDataPage->m_strBitrate = result->second.header;
  m_pDataPage->SetDlgItemText(res::IDC_BITRATE, result->second.header);
  m_pDataPage->m_strTags = result->second.tags;
  m_pDataPage->SetDlgItemText(res::IDC_TAGS, result->second.tags);
}

std::int64_t DetailsPresenter::GetNodeSize(const TreeItem& item) const {
  std::int64_t total = 0;
  for (TreeItem child = item.FirstChild(); !child.IsNull(); child = child.NextSibling()) {
    total += IsSong(KindOf(child)) ? m_library.SongSize(child) : GetNodeSize(child);
  }
  return total;
}

namespace {

// "M:SS", the minutes not wrapped into hours.
std::string PlayTimeText(std::uint64_t ms) {
  const std::uint64_t seconds = ms / 1000;
  const std::uint64_t rest = seconds % 60;
  return std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

}  // namespace

void DetailsPresenter::ShowPlayTime() {
  if (!m_pDataPage || !m_pPlayTimes) return;
  const Handle selection = m_pTree->State().GetSelection();
  const bool library = selection == m_library.Top().m_hItem;
  if (!library || (m_libraryPlayTimes && m_libraryPlayTimes->contentVersion != m_pTree->ContentVersion())) {
    m_libraryPlayTimes.reset();
  }
  const bool keep = m_libraryPlayTimes && m_libraryPlayTimes->allAsked;
  for (const auto& [song, playTime] : m_pPlayTimes->TakeResults()) {
    std::int32_t& known = m_pTree->Facts(song).playTime;
    const std::int32_t before = known;
    // A header may claim weeks of frames: kept as the longest time a node holds.
    known = static_cast<std::int32_t>(std::min<std::int64_t>(playTime, INT32_MAX));
    if (keep) AddToLibraryPlayTimes(song, before, known);
  }
  const PlayTotals totals = keep ? *m_libraryPlayTimes : SumPlayTimes(selection);
  if (library) m_libraryPlayTimes = totals;
  std::string text = PlayTimeText(totals.total);
  if (totals.marked != 0) text += " (" + PlayTimeText(totals.marked) + ")";
  if (totals.pending != 0) text += std::string(" ") + res::label::kReading;
  m_pDataPage->m_strPlaytime = text;
  m_pDataPage->SetDlgItemText(res::IDC_PLAYTIME, text);
}

DetailsPresenter::PlayTotals DetailsPresenter::SumPlayTimes(Handle node) {
  PlayTotals totals;
  totals.contentVersion = m_pTree->ContentVersion();
  std::vector<Handle> wanted;
  std::size_t unknown = 0, known = 0;
  // Every song beneath the node, or the song itself; missing files count nothing.
  m_pTree->ForEachInSubtree(node, [&](const TreeModel::NodeView& song) {
    if (!IsSong(song.kind) || song.mark == Mark::Missing) return;
    if (song.playTime == NodeFacts::kPlayTimeUnknown && ++unknown <= m_nAskAtOnce) wanted.push_back(song.handle);
    if (song.playTime >= 0 || song.playTime == NodeFacts::kPlayTimeNone) ++known;
    if (song.playTime < 0) {
      totals.pending += song.playTime != NodeFacts::kPlayTimeNone ? 1 : 0;
      return;
    }
    totals.total += static_cast<std::uint64_t>(song.playTime);
    if (song.mark == Mark::Marked) totals.marked += static_cast<std::uint64_t>(song.playTime);
  });
  // The first ask is small, so a new tree shows at once; each later one grows with
  // what came in (a whole walk of the tree each: they are few).
  constexpr std::size_t kFirstAsk = 10000;
  wanted.resize(std::min(wanted.size(), std::max(kFirstAsk, 2 * known)));
  totals.allAsked = unknown == wanted.size();
  if (wanted.empty()) return totals;
  std::vector<std::pair<Handle, std::string>> songs;
  for (const Handle song : wanted) {
    m_pTree->Facts(song).playTime = NodeFacts::kPlayTimeRequested;
    songs.emplace_back(song, SongFile(m_library.Item(song), m_library.DisplayMode()));
  }
  m_pPlayTimes->Request(std::move(songs));
  return totals;
}

void DetailsPresenter::AddToLibraryPlayTimes(Handle song, std::int32_t before, std::int32_t now) {
  // Songs of the library only, as the sum counts them; a song's time read again
  // replaces the one it had.
  if (!m_pTree->IsValid(song) || !IsSong(m_pTree->GetKind(song)) || m_pTree->GetMark(song) == Mark::Missing) return;
  PlayTotals& totals = *m_libraryPlayTimes;
  const bool marked = m_pTree->GetMark(song) == Mark::Marked;
  const auto count = [&](std::int32_t time, int sign) {
    if (time < 0) {
      if (time != NodeFacts::kPlayTimeNone) totals.pending = sign > 0 ? totals.pending + 1 : totals.pending - (totals.pending > 0 ? 1 : 0);
      return;
    }
    const auto ms = static_cast<std::uint64_t>(time);
    totals.total = sign > 0 ? totals.total + ms : totals.total - ms;
    if (marked) totals.marked = sign > 0 ? totals.marked + ms : totals.marked - ms;
  };
  count(before, -1);
  count(now, +1);
}

void DetailsPresenter::ShowSizeText() {
  if (!m_pDataPage) return;
  // "3.20", or "3.20 (1.00)" with the marked songs' megabytes.
  GString text;
  if (m_library.Marks().MarkedSize() != 0) {
    text.Format("%.2f (%.2f)", static_cast<double>(m_nSize) / kMegabyte, static_cast<double>(m_library.Marks().MarkedSize()) / kMegabyte);
  } else {
    text.Format("%.2f", static_cast<double>(m_nSize) / kMegabyte);
  }
  m_pDataPage->m_strSize = text;
}

void DetailsPresenter::ShowMarkedSize() {
  if (!m_pDataPage) return;
  m_libraryPlayTimes.reset();  // the marked songs' share is summed anew
  // Only the size field changes; edits in the other fields stay as typed.
  ShowSizeText();
  m_pDataPage->SetDlgItemText(res::IDC_SIZE, m_pDataPage->m_strSize);
  ShowPlayTime();
}

void DetailsPresenter::TreeReplacing() {
  // Edits on the page belong to nodes that are about to go.
  SaveDetails(m_library.Item(m_pTree->State().GetSelection()));
  m_shown.reset();
  m_libraryPlayTimes.reset();
  if (m_pPlayTimes) m_pPlayTimes->Forget();
}

}  // namespace tree
