// melodeck-generate-library FOLDER [--artists N] [--albums N] [--songs N] [--loose N] [--loose-folders N]
#include <cstdlib>
#include <iostream>
#include <string>

#include "library_generator.h"
#include "res/command_line.h"

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: melodeck-generate-library FOLDER [--artists N] [--albums N] [--songs N] [--loose N] [--loose-folders N]\n"
      "Writes a library of catalogued albums and loose files into FOLDER.\n";
  if (const auto status = res::HandleCommonOptions(
          argc, argv, "melodeck-generate-library", kUsage, {"--artists", "--albums", "--songs", "--loose", "--loose-folders"})) {
    return *status;
  }
  if (argc < 2 || argc % 2 != 0 || argv[1][0] == '-') {
    std::cerr << kUsage;
    return 2;
  }
  LibraryShape shape;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const int value = std::atoi(argv[i + 1]);
    if (name == "--artists") shape.artists = std::max(value, 1);
    else if (name == "--albums") shape.albums = value;
    else if (name == "--songs") shape.songsPerAlbum = value;
    else if (name == "--loose") shape.looseFiles = value;
    else if (name == "--loose-folders") shape.looseFolders = std::max(value, 1);
    else {
      std::cerr << "unknown option " << name << '\n';
      return 2;
    }
  }
  const GeneratedLibrary made = GenerateLibrary(argv[1], shape);
  std::cout << made.files << " files in " << made.folders << " folders\n";
  return 0;
}
