// GMp3Header: the first MPEG-1 audio frame header of a song file, decoded into layer,
// bitrate, sampling frequency and channel mode.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class GMp3Header {
 public:
  // Opens the file and looks for the first header.
  explicit GMp3Header(const char* path);
  ~GMp3Header();
  GMp3Header(const GMp3Header&) = delete;
  GMp3Header& operator=(const GMp3Header&) = delete;

  // Searches from the current position: skips leading ID3v2 tags, then looks for
  // 0xFF followed by a byte whose top five bits are set; when nothing is found past
  // the tags, the search runs again from the start. 1 when a header was found and
  // decoded; 0 at the end of the file (or 64 MB on), on a read error or without a file.
  // Only regular files are opened.
  int FindHeader();

  // Texts of the header found; "" when there is none.
  std::string BitrateText() const;
  std::string FrequencyText() const;
  // Stereo, joint stereo and dual channel count as stereo; single channel as mono.
  bool IsStereo() const;

  bool IsOpen() const { return m_file != nullptr; }
  bool Found() const { return m_bFound; }
  // Offset of the header in the file.
  std::uint64_t Offset() const { return m_nOffset; }
  std::uint8_t Layer() const { return m_nLayer; }
  std::uint32_t Bitrate() const { return m_nBitrate; }      // bits per second; 0 without a header
  std::uint32_t Frequency() const { return m_nFrequency; }  // Hz; 0 without a header
  std::uint8_t ChannelMode() const { return m_nChannelMode; }
  std::uint8_t ModeExtension() const { return m_nModeExtension; }
  std::uint32_t PaddingBit() const { return m_nPaddingBit; }
  std::uint32_t HeaderValue() const { return m_nHeader; }

 private:
  bool SkipId3v2Tags();
  int SearchFrom(std::uint64_t start);
  void Decode(std::uint32_t header);

  std::FILE* m_file = nullptr;
  std::uint32_t m_nHeader = 0;
  std::uint8_t m_nLayer = 0;
  std::uint8_t m_nBitrateIndex = 0;
  std::uint8_t m_nFrequencyIndex = 0;
  std::uint32_t m_nPaddingBit = 0;
  std::uint8_t m_nChannelMode = 0;
  std::uint8_t m_nModeExtension = 0;
  std::uint32_t m_nBitrate = 0;
  std::uint32_t m_nFrequency = 0;
  std::uint64_t m_nOffset = 0;
  std::uint64_t m_nPosition = 0;  // where the next search starts
  bool m_bFound = false;
};
