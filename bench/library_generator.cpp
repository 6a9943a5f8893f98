#include "library_generator.h"

#include <filesystem>
#include <fstream>

#include "mp3_frames.h"

namespace {

// Some names beyond ASCII and in mixed letter case, as real libraries have them.
std::string ArtistName(int i) {
  static const char* const kStems[] = {"Åsa Quartet", "the BAND", "Mötley Sound", "Ensemble", "Café Trio", "Élan"};
  return std::string(kStems[i % 6]) + " " + std::to_string(i);
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

}  // namespace

GeneratedLibrary GenerateLibrary(const std::string& root, const LibraryShape& shape) {
  namespace fs = std::filesystem;
  GeneratedLibrary made;
  const std::string song = testing_support::SilentMp3Frames(shape.framesPerSong);

  for (int album = 0; album < shape.albums; ++album) {
    const int artist = album % shape.artists;
    const fs::path folder = fs::path(root) / "Albums" / ArtistName(artist) / ("Album " + std::to_string(album));
    fs::create_directories(folder);
    ++made.folders;
    std::string catalogue = "[Album:Album " + std::to_string(album) + "]\nArtist=" + ArtistName(artist) +
                            "\nCategory=Pop\nYear=" + std::to_string(1960 + album % 60) + "\n";
    for (int n = 1; n <= shape.songsPerAlbum; ++n) {
      const std::string title = (n < 10 ? "0" : "") + std::to_string(n) + " Song";
      // The catalogue and the disk disagree on letter case now and then.
      const std::string onDisk = n % 4 == 0 ? title + ".MP3" : title + ".mp3";
      catalogue += "T" + std::to_string(n) + "=" + title + ".mp3, Title " + std::to_string(n) + "\n";
      Write(folder / onDisk, song);
      ++made.files;
    }
    Write(folder / (album % 3 == 0 ? "Album.ini" : "album.ini"), catalogue);
    ++made.files;
  }
  for (int file = 0; file < shape.looseFiles; ++file) {
    const int folderIndex = file % std::max(shape.looseFolders, 1);
    const fs::path folder = fs::path(root) / "Loose" / ("Folder " + std::to_string(folderIndex / 100)) /
                            ("Sub " + std::to_string(folderIndex));
    if (file < shape.looseFolders) {
      fs::create_directories(folder);
      ++made.folders;
    }
    Write(folder / ("Track " + std::to_string(file) + ".mp3"), song);
    ++made.files;
  }
  return made;
}
