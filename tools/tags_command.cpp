// melodeck-tool tags FILE...: what each file's own tags say, one line per file.
#include <iostream>
#include <string>

#include "catalogue/song_tags.h"
#include "commands.h"

namespace {

// A text between double quotes: escaped as the tree escapes labels, the quote as \x22.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : EscapeBytes(text)) out += c == '"' ? std::string("\\x22") : std::string(1, c);
  return out + "\"";
}

}  // namespace

int RunTagsCommand(const std::vector<std::string>& files) {
  if (files.empty()) {
    std::cerr << "usage: melodeck-tool tags FILE...\n";
    return 2;
  }
  int status = 0;
  for (const std::string& file : files) {
    const std::optional<catalogue::SongTags> tags = catalogue::ReadSongTags(file);
    if (!tags) {
      std::cout << "tags=none\n";
      status = 1;
      continue;
    }
    std::cout << "artist=" << Quoted(tags->artist) << " album=" << Quoted(tags->album) << " title=" << Quoted(tags->title)
              << " year=" << tags->year << " track=" << tags->track << " genre=" << Quoted(tags->genre)
              << " picture=" << tags->pictureBytes << '\n';
  }
  return status;
}
