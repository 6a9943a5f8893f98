#include "catalogue/mp3_header.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr size_t kBlockSize = 1 << 16;
// One search looks at no more than this many bytes: a header lies near the start of
// any real song file.
constexpr std::uint64_t kSearchLimit = 64ull << 20;

// Only a regular file is opened: a FIFO or a device could block or never end.
std::FILE* OpenRegularFile(const char* path, std::uint64_t& size) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  size = static_cast<std::uint64_t>(st.st_size);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

constexpr std::uint8_t kMpeg1 = 3;  // the version bits of MPEG-1; 2 is MPEG-2, 0 MPEG-2.5

// The fields of a header's four bytes.
struct Fields {
  std::uint8_t versionBits, layer, bitrateIndex, frequencyIndex, padding;
};

Fields FieldsOf(const unsigned char* b) {
  return {static_cast<std::uint8_t>((b[1] >> 3) & 3), static_cast<std::uint8_t>((4 - ((b[1] >> 1) & 3)) % 4),
          static_cast<std::uint8_t>(b[2] >> 4), static_cast<std::uint8_t>((b[2] >> 2) & 3),
          static_cast<std::uint8_t>((b[2] >> 1) & 1)};
}

// Bitrates in kbit/s by layer (I, II, III) and index 1..14: MPEG-1, then MPEG-2 and 2.5.
constexpr std::array<std::array<std::uint16_t, 14>, 3> kBitrates = {{
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
}};
constexpr std::array<std::array<std::uint16_t, 14>, 3> kBitrates2 = {{
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
}};
// Frequencies by version bits (MPEG-2.5, reserved, MPEG-2, MPEG-1) and index.
constexpr std::array<std::array<std::uint32_t, 4>, 4> kFrequencies = {{
    {11025, 12000, 8000, 0}, {0, 0, 0, 0}, {22050, 24000, 16000, 0}, {44100, 48000, 32000, 8000}}};
constexpr std::array<std::array<const char*, 4>, 4> kFrequencyTexts = {{{"11.025 kHz", "12 kHz", "8 kHz", ""},
                                                                        {"", "", "", ""},
                                                                        {"22.05 kHz", "24 kHz", "16 kHz", ""},
                                                                        {"44.1 kHz", "48 kHz", "32 kHz", "8 kHz"}}};

// Bits per second; 0 for free format, "forbidden" and a reserved layer.
std::uint32_t BitrateOf(const Fields& f) {
  if (f.layer == 0 || f.bitrateIndex < 1 || f.bitrateIndex > 14) return 0;
  const auto& table = f.versionBits == kMpeg1 ? kBitrates : kBitrates2;
  return table[f.layer - 1][f.bitrateIndex - 1] * 1000u;
}

// The frame's length in bytes; nothing when it cannot be known.
std::optional<std::uint32_t> FrameLength(const Fields& f) {
  const std::uint32_t bitrate = BitrateOf(f);
  const std::uint32_t rate = kFrequencies[f.versionBits][f.frequencyIndex];
  if (bitrate == 0 || rate == 0 || (f.versionBits == kMpeg1 && f.frequencyIndex == 3)) return std::nullopt;
  if (f.layer == 1) return (12 * bitrate / rate + f.padding) * 4;
  if (f.layer == 2 || f.versionBits == kMpeg1) return 144 * bitrate / rate + f.padding;
  return 72 * bitrate / rate + f.padding;
}

std::uint32_t SamplesPerFrame(const Fields& f) {
  if (f.layer == 1) return 384;
  return f.layer == 2 || f.versionBits == kMpeg1 ? 1152 : 576;
}

bool IsMpeg1Header(const unsigned char* b) { return b[0] == 0xFF && (b[1] & 0xF8) == 0xF8; }

// An MPEG-2 or 2.5 header by its own fields: a layer, a bitrate of the table, a known frequency.
bool IsMpeg2Header(const unsigned char* b) {
  if (b[0] != 0xFF || ((b[1] & 0xF8) != 0xF0 && (b[1] & 0xF8) != 0xE0)) return false;
  const Fields f = FieldsOf(b);
  return f.layer != 0 && f.bitrateIndex >= 1 && f.bitrateIndex <= 14 && f.frequencyIndex != 3;
}

std::uint32_t BigEndian(const unsigned char* b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}

}  // namespace

GMp3Header::GMp3Header(const char* path) {
  m_file = path ? OpenRegularFile(path, m_nFileSize) : nullptr;
  if (m_file) {
    std::setvbuf(m_file, nullptr, _IONBF, 0);  // we read in large blocks ourselves
    FindHeader();
  }
}

GMp3Header::~GMp3Header() {
  if (m_file) std::fclose(m_file);
}

bool GMp3Header::SkipId3v2Tags() {
  // Tags are read from one block at a time: a file may stack a million empty ones.
  std::vector<unsigned char> block(kBlockSize);
  std::uint64_t blockStart = 0, blockEnd = 0;
  for (;;) {
    if (m_nPosition < blockStart || m_nPosition + 10 > blockEnd) {
      const ssize_t got = ::pread(::fileno(m_file), block.data(), block.size(), static_cast<off_t>(m_nPosition));
      if (got < 0) return false;
      blockStart = m_nPosition;
      blockEnd = m_nPosition + static_cast<std::uint64_t>(got);
      if (got < 10) return true;
    }
    const unsigned char* tag = block.data() + (m_nPosition - blockStart);
    const bool isTag = std::memcmp(tag, "ID3", 3) == 0 && tag[3] != 0xFF && tag[4] != 0xFF && tag[6] < 0x80 &&
                       tag[7] < 0x80 && tag[8] < 0x80 && tag[9] < 0x80;
    if (!isTag) return true;
    const std::uint64_t size = (std::uint64_t{tag[6]} << 21) | (tag[7] << 14) | (tag[8] << 7) | tag[9];
    const bool footer = tag[3] == 4 && (tag[5] & 0x10);
    m_nPosition += 10 + size + (footer ? 10 : 0);
  }
}

int GMp3Header::FindHeader() {
  if (!m_file) return 0;
  if (m_nPosition != 0) return SearchFrom(m_nPosition);
  if (!SkipId3v2Tags()) return 0;
  if (SearchFrom(m_nPosition)) return 1;
  // A tag that claims more bytes than it has hides the audio: look again from the start.
  return m_nPosition != 0 && SearchFrom(0);
}

int GMp3Header::SearchFrom(std::uint64_t start) {
  if (::fseeko(m_file, static_cast<off_t>(start), SEEK_SET) != 0) return 0;
  // Blocks overlap by three bytes so a header across a block boundary is seen whole.
  std::vector<unsigned char> block(kBlockSize + 3);
  size_t carried = 0;
  std::uint64_t blockStart = start;
  while (blockStart - start < kSearchLimit) {
    const size_t got = std::fread(block.data() + carried, 1, kBlockSize, m_file);
    if (got == 0) return 0;
    const size_t length = carried + got;
    for (size_t i = 0; i + 4 <= length;) {
      const void* hit = std::memchr(block.data() + i, 0xFF, length - 3 - i);
      if (!hit) break;
      i = static_cast<const unsigned char*>(hit) - block.data();
      if (IsHeaderAt(blockStart + i, &block[i], block.data() + length - &block[i])) {
        m_nOffset = blockStart + i;
        m_nPosition = m_nOffset + 4;
        ::fseeko(m_file, static_cast<off_t>(m_nPosition), SEEK_SET);
        Decode((std::uint32_t{block[i]} << 24) | (block[i + 1] << 16) | (block[i + 2] << 8) | block[i + 3]);
        return 1;
      }
      ++i;
    }
    carried = std::min<size_t>(3, length);
    std::memmove(block.data(), block.data() + length - carried, carried);
    blockStart += length - carried;
  }
  return 0;
}

bool GMp3Header::ReadAt(std::uint64_t offset, unsigned char* bytes, std::size_t count) const {
  if (offset + count > m_nFileSize) return false;
  return ::pread(::fileno(m_file), bytes, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count);
}

bool GMp3Header::IsHeaderAt(std::uint64_t offset, const unsigned char* bytes, std::ptrdiff_t inMemory) {
  if (IsMpeg1Header(bytes)) return true;
  if (!IsMpeg2Header(bytes)) return false;
  // Confirmed by the next frame, or by the file ending where this frame ends; read
  // from the block in memory when it holds the next frame's header.
  const Fields fields = FieldsOf(bytes);
  const std::uint32_t length = *FrameLength(fields);
  const std::uint64_t next = offset + length;
  if (next == m_nFileSize) return true;
  unsigned char read[4];
  const unsigned char* following = bytes + length;
  if (length + 4 > inMemory) {
    if (!ReadAt(next, read, sizeof read)) return false;
    following = read;
  }
  if (!IsMpeg2Header(following)) return false;
  const Fields then = FieldsOf(following);
  return then.versionBits == fields.versionBits && then.layer == fields.layer &&
         then.frequencyIndex == fields.frequencyIndex;
}

void GMp3Header::Decode(std::uint32_t header) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(header >> 24), static_cast<unsigned char>(header >> 16),
                                  static_cast<unsigned char>(header >> 8), static_cast<unsigned char>(header)};
  const Fields fields = FieldsOf(bytes);
  m_nHeader = header;
  m_nVersionBits = fields.versionBits;
  m_nLayer = fields.layer;
  m_nBitrateIndex = fields.bitrateIndex;
  m_nFrequencyIndex = fields.frequencyIndex;
  m_nPaddingBit = fields.padding;
  m_nChannelMode = static_cast<std::uint8_t>((header >> 6) & 3);
  m_nModeExtension = static_cast<std::uint8_t>((header >> 4) & 3);
  m_nBitrate = BitrateOf(fields);
  m_nFrequency = kFrequencies[m_nVersionBits][m_nFrequencyIndex];
  m_bFound = true;
}

std::uint64_t GMp3Header::CountFrames(std::uint64_t offset) const {
  // Read in large blocks: a frame walk reads the whole file.
  std::vector<unsigned char> block(1 << 20);
  std::uint64_t blockStart = 0, blockEnd = 0;
  std::uint64_t frames = 0;
  while (offset + 4 <= m_nFileSize) {
    if (offset < blockStart || offset + 4 > blockEnd) {
      const ssize_t got = ::pread(::fileno(m_file), block.data(), block.size(), static_cast<off_t>(offset));
      if (got < 4) break;
      blockStart = offset;
      blockEnd = offset + static_cast<std::uint64_t>(got);
    }
    const unsigned char* bytes = block.data() + (offset - blockStart);
    const Fields fields = FieldsOf(bytes);
    if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0 || fields.versionBits != m_nVersionBits ||
        fields.layer != m_nLayer || fields.frequencyIndex != m_nFrequencyIndex) {
      break;
    }
    ++frames;
    const auto length = FrameLength(fields);
    if (!length) break;  // a frame of unknown length ends the walk
    offset += *length;
  }
  return frames;
}

std::optional<std::uint64_t> GMp3Header::PlayTimeMs() {
  if (!m_bFound) return std::nullopt;
  const unsigned char header[4] = {static_cast<unsigned char>(m_nHeader >> 24),
                                   static_cast<unsigned char>(m_nHeader >> 16),
                                   static_cast<unsigned char>(m_nHeader >> 8), static_cast<unsigned char>(m_nHeader)};
  const Fields fields = FieldsOf(header);
  const auto length = FrameLength(fields);
  if (!length) return std::nullopt;
  const std::uint64_t samples = SamplesPerFrame(fields);
  const auto playTime = [&](std::uint64_t frames) { return (frames * samples * 1000 + m_nFrequency / 2) / m_nFrequency; };

  // A Xing or Info tag right after the side information, behind the CRC when the header
  // announces one (lame leaves the CRC out of its tag frame all the same); or a VBRI tag
  // 36 bytes in.
  const bool mono = m_nChannelMode == 3;
  const std::uint64_t afterSide = m_nOffset + 4 + (m_nVersionBits == kMpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
  const bool crc = ((m_nHeader >> 16) & 1) == 0;
  unsigned char tag[18];
  const auto xingAt = [&](std::uint64_t at) {
    return ReadAt(at, tag, 12) && (std::memcmp(tag, "Xing", 4) == 0 || std::memcmp(tag, "Info", 4) == 0);
  };
  // A count is trusted only when the file can hold that many frames of the smallest size.
  Fields smallest = fields;
  smallest.bitrateIndex = 1;
  smallest.padding = 0;
  const std::uint64_t mostFrames = (m_nFileSize - m_nOffset) / FrameLength(smallest).value_or(1) + 1;
  if ((crc && xingAt(afterSide + 2)) || xingAt(afterSide)) {
    if ((BigEndian(tag + 4) & 1) && BigEndian(tag + 8) <= mostFrames) return playTime(BigEndian(tag + 8));
    return playTime(CountFrames(m_nOffset + *length));  // the tag's frame is no audio
  }
  if (ReadAt(m_nOffset + 36, tag, 18) && std::memcmp(tag, "VBRI", 4) == 0 && BigEndian(tag + 14) <= mostFrames) {
    return playTime(BigEndian(tag + 14));
  }
  return playTime(CountFrames(m_nOffset));
}

std::string GMp3Header::BitrateText() const {
  if (!m_bFound) return {};
  if (m_nBitrateIndex == 0 && m_nLayer != 0) return "free format";
  if (m_nBitrateIndex == 15 || m_nLayer == 0) return "forbidden";
  return std::to_string(m_nBitrate / 1000) + " kbit/s";
}

std::string GMp3Header::FrequencyText() const {
  return m_bFound ? kFrequencyTexts[m_nVersionBits][m_nFrequencyIndex] : "";
}

std::string GMp3Header::VersionText() const {
  if (!m_bFound) return {};
  return m_nVersionBits == kMpeg1 ? "1" : m_nVersionBits == 2 ? "2" : "2.5";
}

bool GMp3Header::IsStereo() const { return m_bFound && m_nChannelMode != 3; }
