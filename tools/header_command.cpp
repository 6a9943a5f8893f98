// melodeck-tool header FILE...: the MPEG frame header fields of each file.
#include <iostream>
#include <string>

#include "catalogue/mp3_header.h"
#include "commands.h"

int RunHeaderCommand(const std::vector<std::string>& files) {
  if (files.empty()) {
    std::cerr << "usage: melodeck-tool header FILE...\n";
    return 2;
  }
  int status = 0;
  for (const std::string& file : files) {
    GMp3Header header(file.c_str());
    if (!header.IsOpen()) status = 1;
    if (!header.Found()) {
      std::cout << "offset=none\n";
      continue;
    }
    const auto playTime = header.PlayTimeMs();
    std::cout << "offset=" << header.Offset() << " version=" << header.VersionText() << " layer=" << int{header.Layer()}
              << " bitrate=" << header.Bitrate() << " bitrate_text=\"" << header.BitrateText()
              << "\" frequency=" << header.Frequency() << " frequency_text=\"" << header.FrequencyText()
              << "\" mode=" << int{header.ChannelMode()}
              << " duration_ms=" << (playTime ? std::to_string(*playTime) : std::string("none")) << '\n';
  }
  return status;
}
