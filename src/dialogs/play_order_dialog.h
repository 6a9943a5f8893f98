// CPlayOrderDlg: the marked artists, albums and songs in three lists that the user
// reorders, shuffles or merges before Play writes the playlist and starts the player.
// This class holds what the lists and check boxes show; the Qt dialog mirrors it.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tree/tree_item.h"

class STreeView;

struct PlayOrderEntry {
  TreeItem item;  // null for the collective artist of loose files
  int nOrder = 0;
  int nParent = -1;
};

class CPlayOrderDlg {
 public:
  // Rows of an unsorted single-selection list: text and the index of its entry.
  struct ListBox {
    std::vector<std::pair<std::string, int>> rows;
    int selected = -1;
    bool visible = true;
    void Clear() {
      rows.clear();
      selected = -1;
    }
  };
  // Which list fills the dialog's width: none (three columns), albums or songs.
  enum class Layout { Columns, AllAlbums, AllSongs };
  // Where each parent's children stand in the entries: [begin, end).
  using Runs = std::unordered_map<int, std::pair<size_t, size_t>>;

  CPlayOrderDlg(const TreeItem& root, STreeView* view);

  void OnInitDialog();
  void OnSelChangeArtists();
  void OnSelChangeAlbums();
  // Buttons 1020 to 1025: up (1020-1022) or down (1023-1025) in artists, albums, songs.
  void OnUpDown(int id);
  void OnShuffle();
  void OnMixAlbums();
  void OnMixSongs();
  // Writes the playlist in the lists' order and starts the player; the dialog stays.
  void OnPlay();

  void CollectMarked();
  void FreeEntries();
  void FillArtists();
  // index -1: every entry. With a playlist the songs are written to it instead of
  // filling the list.
  void FillAlbums(int index, std::vector<TreeItem>* playlist = nullptr);
  void FillSongs(int index, std::vector<TreeItem>* playlist = nullptr);
  bool MoveRow(ListBox& list, bool up, int source = -1, int target = -1);

  std::vector<std::unique_ptr<PlayOrderEntry>> m_artists, m_albums, m_songs;
  ListBox m_listSongs, m_listArtists, m_listAlbums;
  int m_bMixAlbums = 0;
  int m_bMixSongs = 0;
  int m_bShuffleAlbums = 0;
  int m_bShuffleArtists = 0;
  int m_bShuffleSongs = 0;
  TreeItem m_itemRoot;
  Layout m_layout = Layout::Columns;
  std::string m_strMixLabel;  // label 1029 while a list fills the width

 private:
  struct Counters;
  void CollectLooseSongs(const TreeItem& node, Counters& counters);
  bool Included(const TreeItem& item) const;
  void Shuffle(ListBox& list, std::vector<std::unique_ptr<PlayOrderEntry>>& entries);
  // The entries of one parent (index -1: all) by ascending order number.
  static std::vector<int> RangeOrder(const std::vector<std::unique_ptr<PlayOrderEntry>>& entries, const Runs& runs,
                                     int index);

  STreeView* m_pView;
  // Each parent's range in m_albums and m_songs, worked out once per collection.
  Runs m_albumRuns, m_songRuns;
};

// The same sequence of numbers (0 to 32767) in every run of the program, as the
// C runtime's unseeded generator gives them.
int PlayOrderRandom();
// One step of that generator from the given state.
int NextRandom(unsigned& state);
