// GMp3Header: the first MPEG audio frame header of a song file (MPEG-1, 2 or 2.5),
// decoded into version, layer, bitrate, sampling frequency and channel mode, and the
// song's play time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

class GMp3Header {
 public:
  // Opens the file and looks for the first header.
  explicit GMp3Header(const char* path);
  ~GMp3Header();
  GMp3Header(const GMp3Header&) = delete;
  GMp3Header& operator=(const GMp3Header&) = delete;

  // Searches from the current position: skips leading ID3v2 tags, then looks for a
  // header; when nothing is found past the tags, the search runs again from the start.
  // An MPEG-1 header is 0xFF and a byte whose top five bits are set. An MPEG-2 or 2.5
  // header must have a layer, a bitrate of the table and a known frequency, and the
  // next frame must start with a header like it (or the file end where it ends): stray
  // bytes are no header. 1 when a header was found and decoded; 0 at the end of the
  // file (or 64 MB on), on a read error or without a file. Only regular files are opened.
  int FindHeader();

  // Texts of the header found; "" when there is none.
  std::string BitrateText() const;
  std::string FrequencyText() const;
  // "1", "2" or "2.5"; "" when there is no header.
  std::string VersionText() const;
  // Stereo, joint stereo and dual channel count as stereo; single channel as mono.
  bool IsStereo() const;

  // The play time in milliseconds, rounded to the nearest: from the frame count of a
  // Xing, Info or VBRI tag in the first frame, otherwise by walking the frames. Nothing
  // when it cannot be known (no header, free format, a forbidden bitrate, a reserved
  // layer or frequency).
  std::optional<std::uint64_t> PlayTimeMs();

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
  // Whether the four bytes at offset (read there, with inMemory bytes from them on in
  // memory) begin a header by the rules above.
  bool IsHeaderAt(std::uint64_t offset, const unsigned char* bytes, std::ptrdiff_t inMemory);
  bool ReadAt(std::uint64_t offset, unsigned char* bytes, std::size_t count) const;
  void Decode(std::uint32_t header);
  // Frames from offset on while each starts with a header of the first one's version,
  // layer and frequency.
  std::uint64_t CountFrames(std::uint64_t offset) const;

  std::FILE* m_file = nullptr;
  std::uint64_t m_nFileSize = 0;
  std::uint32_t m_nHeader = 0;
  std::uint8_t m_nVersionBits = 0;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
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
