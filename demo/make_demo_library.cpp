// melodeck-make-demo FOLDER: writes the small demo library: several artists (one with
// letters beyond ASCII), albums in shared and separate catalogues (one made on
// Windows), loose files in nested folders and one listed song whose file is missing.
// Every MP3 file is a few seconds of real silent frames.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "mp3_frames.h"
#include "res/command_line.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

struct Catalogue {
  std::string folder;
  std::string name;
  std::string text;
  std::vector<std::string> songs;  // files to create
};

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage = "usage: melodeck-make-demo FOLDER\nWrites the demo library into FOLDER.\n";
  if (const auto status = res::HandleCommonOptions(argc, argv, "melodeck-make-demo", kUsage, {}, 1)) return *status;
  if (argc != 2) {
    std::cerr << kUsage;
    return 2;
  }
  const fs::path root = argv[1];
  // About three seconds of 128 kbit/s silence.
  const std::string song = testing_support::SilentMp3Frames(115);
  const std::string quiet = testing_support::SilentMp3Frames(115, {64, 32000, 3});

  const std::vector<Catalogue> catalogues = {
      {"Rock/The Band - Live at Home", "album.ini",
       "[Album:Live at Home]\nArtist=The Band\nCategory=Pop\nYear=1994\n"
       "T1=01 Intro.mp3, Intro\nT2=02 Song.mp3, Second song, Jazz, 1995, Guest Singer\nT3=03 Encore.mp3, Encore\n",
       {"01 Intro.mp3", "02 Song.mp3", "03 Encore.mp3"}},
      // Made on Windows: CRLF line ends, Windows-1252 letters, another spelling of the name.
      {"Jazz/\xC3\x85sa Quartet", "Album.ini",
       "[Album:Blue Evenings]\r\nArtist=\xC5sa Quartet\r\nCategory=Jazz\r\nYear=2003\r\n"
       "T1=Night.mp3, Night\r\nT2=Rain.mp3, Rain on the Roof\r\n\r\n"
       "[Album:Morning]\r\nArtist=\xC5sa Quartet\r\nCategory=Jazz\r\nYear=2005\r\n"
       "T1=Dawn.mp3, Dawn\r\nT2=Sunrise.mp3, Sunrise\r\n",
       {"Night.mp3", "Rain.mp3", "Sunrise.mp3"}},  // Dawn.mp3 is missing
      {"Collections", "album.ini",
       "[Album:Summer Hits]\nArtist=Various Artists\nCategory=Samlingsalbum\nYear=2011\n"
       "T1=hit1.mp3, First Hit\nT2=hit2.mp3, Second Hit\n\n"
       "[Album:Synth Nights]\nArtist=Neon Grid\nCategory=Synth\nYear=1986\nT1=pulse.mp3, Pulse\n",
       {"hit1.mp3", "hit2.mp3", "pulse.mp3"}},
  };
  int files = 0;
  for (const auto& catalogue : catalogues) {
    Write(root / catalogue.folder / catalogue.name, catalogue.text);
    for (const auto& name : catalogue.songs) {
      Write(root / catalogue.folder / name, song);
      ++files;
    }
  }
  for (const char* loose : {"Unsorted/voice memo.mp3", "Unsorted/2019/jingle.mp3", "Unsorted/2019/Summer/beach.mp3",
                            "Collections/bonus track.mp3"}) {
    Write(root / loose, quiet);
    ++files;
  }
  std::cout << "demo library with " << files << " MP3 files in " << root.string() << '\n';
  return 0;
}
