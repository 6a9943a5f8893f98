// What a node stands for and how it is marked.
#pragma once

#include <cstdint>
#include <string_view>

namespace tree {

// What a node stands for. The window draws each kind with an icon of its own.
enum class NodeKind : std::uint8_t {
  Top,             // "Artists", above everything
  Volume,          // a mounted file system holding library folders
  Folder,          // a folder on the way to unlisted MP3 files
  Artist,
  Album,           // a catalogue section: its data text is the catalogue's folder
  DuplicateAlbum,  // a section whose album name its artist has already (see below)
  AlbumSong,       // a song a catalogue lists
  LooseSong,       // an MP3 file no catalogue lists
};

constexpr bool IsSong(NodeKind kind) { return kind == NodeKind::AlbumSong || kind == NodeKind::LooseSong; }

// The label of an album node whose name its artist has already: "Duplicate album
// name: " and the name. Such a node has no songs; it cannot be renamed, deleted or
// given details on its own, but its section goes with its artist's edits.
inline constexpr std::string_view kDuplicateAlbumPrefix = "Duplicate album name: ";

// How album songs are labelled: by their titles in the catalogue or by file names.
enum class DisplayMode { SongTitles, FileNames };

// A node's mark: marked for playing, partly marked (some of the songs beneath it), or
// a song whose file is missing, which cannot be marked. The numbers are the ones the
// tree dump prints.
enum class Mark : std::uint8_t { None = 0, Marked = 1, Partly = 2, Missing = 3 };

}  // namespace tree
