// Real MPEG-1 Layer III frames of silence, for test files, the demo and benchmarks.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

struct Mp3Format {
  int bitrateKbps = 128;  // one of the Layer III bitrates
  int frequencyHz = 44100;
  int channelMode = 1;    // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
};

// The four header bytes of a frame.
std::string Mp3FrameHeader(const Mp3Format& format);
// frames whole frames: a header and a zero body (silence) each.
std::string SilentMp3Frames(int frames, const Mp3Format& format = {});
// An ID3v2.3 tag holding a UTF-16 title (whose byte-order mark FF FE looks like a
// frame sync to a naive search), size bytes as the tag format wants them.
std::string Id3v2Tag(const std::string& asciiTitle);

}  // namespace testing_support
