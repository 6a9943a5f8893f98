// Makes a music library for benchmarks and the demo: folders of albums with their
// catalogues, and folders of MP3 files no catalogue lists. Every MP3 file is a few
// real frames of silence.
#pragma once

#include <cstddef>
#include <string>

struct LibraryShape {
  int artists = 1000;
  int albums = 10000;  // spread over the artists, one folder and catalogue each
  int songsPerAlbum = 12;
  int looseFiles = 20000;
  int looseFolders = 2000;
  int framesPerSong = 2;
};

struct GeneratedLibrary {
  std::size_t files = 0;
  std::size_t folders = 0;
};

// Writes the library below root (created when missing).
GeneratedLibrary GenerateLibrary(const std::string& root, const LibraryShape& shape);
