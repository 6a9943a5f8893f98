// The details of the selected node: the page shows its category, year, artist, size,
// play time and MP3 header, and what the user changed there goes back to the
// catalogue when the selection leaves an album or album song.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tree/cover_source.h"
#include "tree/tree_item.h"
#include "tree/tree_model.h"

class GPropData;
class STreeView;

namespace tree {

class PlayTimeReader;
class HeaderReader;

class DetailsPresenter : public TreeNotifications {
 public:
  explicit DetailsPresenter(STreeView& library);

  // The page the details go to (none: nothing is shown or saved).
  void SetDataPage(GPropData* page) { m_pDataPage = page; }
  GPropData* DataPage() const { return m_pDataPage; }
  // Where play times come from (none: the field stays empty).
  // The reader is asked for at most askAtOnce songs at a time: the rest once those came in.
  void SetPlayTimeReader(PlayTimeReader* reader, std::size_t askAtOnce = 100000) {
    m_pPlayTimes = reader;
    m_nAskAtOnce = askAtOnce;
  }
  // Where a selected song's header is read (none: at once, on this thread).
  void SetHeaderReader(HeaderReader* reader) { m_pHeaders = reader; }
  // Where the cover of the node whose details show goes (none: no cover is shown).
  void SetCoverShower(std::function<void(const CoverSource&)> show) { m_showCover = std::move(show); }

  // Writes what the user changed on the page for the selected node (the window is
  // closing, or the selection is about to go).
  void SaveSelectionDetails();
  // Selects the node and shows its details, even when it was selected already (an edit
  // may have changed what they are).
  void SelectAndShow(const TreeItem& node);
  // The header read for the selected song, once the reader woke the window.
  void ShowHeader();
  // The selected node's play time, and that of its marked songs: what is known now,
  // "…" while more is being read (the reader is asked for it).
  void ShowPlayTime();
  // After marks changed: the size field with the marked songs' bytes, and the play time.
  void ShowMarkedSize();

  // Before the tree is replaced: the page's edits are saved, play times forgotten.
  void TreeReplacing();
  // After: the whole library's bytes, when a scan summed them (-1: not yet).
  void TreeReplaced(std::int64_t librarySize) { m_nLibrarySize = librarySize; }

  // Bytes of the songs beneath the node.
  std::int64_t GetNodeSize(const TreeItem& item) const;
  // Bytes of the selection, and of the whole library (-1 until it has been summed
  // after a scan).
  std::int64_t SelectionSize() const { return m_nSize; }
  std::int64_t LibrarySize() const { return m_nLibrarySize; }

  bool OnSelChanging(Handle oldItem, Handle newItem) override;
  void OnSelChanged(Handle oldItem, Handle newItem) override;

 private:
  void SaveDetails(const TreeItem& item);
  void ShowDetails(const TreeItem& item);
  void FillSongDetails(const TreeItem& song);
  void PostLibrarySize();
  void ShowSizeText();

  STreeView& m_library;
  TreeModel* m_pTree;
  GPropData* m_pDataPage = nullptr;
  PlayTimeReader* m_pPlayTimes = nullptr;
  std::size_t m_nAskAtOnce = 100000;
  HeaderReader* m_pHeaders = nullptr;
  std::function<void(const CoverSource&)> m_showCover;
  std::int64_t m_nSize = 0;
  std::int64_t m_nLibrarySize = -1;
  bool m_bLibrarySizePosted = false;
  // Messages the presenter posts hold a weak reference: they do nothing once it is gone.
  std::shared_ptr<void> m_pAlive = std::make_shared<int>(0);
  // What the page showed for the selected album or song, to write back only edits.
  struct ShownDetails {
    std::string category;
    int year = 0;
    std::string artist;
  };
  std::optional<ShownDetails> m_shown;
  // The library's play times as last summed over the whole tree: while no node came or
  // went and no mark changed, the songs read since only add to them.
  struct PlayTotals {
    std::uint64_t contentVersion = 0;
    std::uint64_t total = 0, marked = 0;
    std::size_t pending = 0;  // songs whose time is still to come
    bool allAsked = false;    // every song without a time has been asked for
  };
  std::optional<PlayTotals> m_libraryPlayTimes;
  // Sums the selection's play times, asking for those not known yet.
  PlayTotals SumPlayTimes(Handle node);
  // Adds a song's play time, just read, to the library's totals kept.
  void AddToLibraryPlayTimes(Handle song, std::int32_t before, std::int32_t now);
};

}  // namespace tree
