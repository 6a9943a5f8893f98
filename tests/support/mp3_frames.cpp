#include "mp3_frames.h"

#include <array>
#include <stdexcept>

namespace testing_support {
namespace {

constexpr std::array<int, 14> kLayer3Bitrates = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

int BitrateIndex(int kbps) {
  for (size_t i = 0; i < kLayer3Bitrates.size(); ++i) {
    if (kLayer3Bitrates[i] == kbps) return static_cast<int>(i) + 1;
  }
  throw std::invalid_argument("not a Layer III bitrate");
}

int FrequencyIndex(int hz) {
  switch (hz) {
    case 44100: return 0;
    case 48000: return 1;
    case 32000: return 2;
    default: throw std::invalid_argument("not an MPEG-1 frequency");
  }
}

}  // namespace

std::string Mp3FrameHeader(const Mp3Format& format) {
  // Sync, MPEG-1, Layer III, no CRC.
  std::string header = {'\xFF', '\xFB', '\0', '\0'};
  header[2] = static_cast<char>((BitrateIndex(format.bitrateKbps) << 4) | (FrequencyIndex(format.frequencyHz) << 2));
  header[3] = static_cast<char>((format.channelMode & 3) << 6);
  return header;
}

std::string SilentMp3Frames(int frames, const Mp3Format& format) {
  const size_t frameLength = static_cast<size_t>(144 * format.bitrateKbps * 1000 / format.frequencyHz);
  std::string frame = Mp3FrameHeader(format);
  frame.resize(frameLength, '\0');
  std::string data;
  data.reserve(frameLength * static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) data += frame;
  return data;
}

std::string Id3v2Tag(const std::string& asciiTitle) {
  std::string text = "\x01\xFF\xFE";  // UTF-16 with byte-order mark
  for (const char c : asciiTitle) {
    text += c;
    text += '\0';
  }
  std::string frame = "TIT2";
  const auto size = static_cast<std::uint32_t>(text.size());
  frame += {static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
            static_cast<char>(size)};
  frame += std::string(2, '\0') + text;
  frame.resize(frame.size() + 64, '\0');  // padding
  const auto tagSize = static_cast<std::uint32_t>(frame.size());
  std::string tag = "ID3\x03";
  tag += std::string(2, '\0');
  for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((tagSize >> shift) & 0x7F);
  return tag + frame;
}

}  // namespace testing_support
