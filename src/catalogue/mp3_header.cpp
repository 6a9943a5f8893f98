#include "catalogue/mp3_header.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kBlockSize = 1 << 16;
// One search looks at no more than this many bytes: a header lies near the start of
// any real song file.
constexpr std::uint64_t kSearchLimit = 64ull << 20;

// Only a regular file is opened: a FIFO or a device could block or never end.
std::FILE* OpenRegularFile(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

// Bitrates in kbit/s by layer (I, II, III) and index 1..14.
constexpr std::array<std::array<std::uint16_t, 14>, 3> kBitrates = {{
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
}};
constexpr std::array<std::uint32_t, 4> kFrequencies = {44100, 48000, 32000, 8000};
constexpr std::array<const char*, 4> kFrequencyTexts = {"44.1 kHz", "48 kHz", "32 kHz", "8 kHz"};

bool IsHeaderStart(unsigned char first, unsigned char second) { return first == 0xFF && (second & 0xF8) == 0xF8; }

}  // namespace

GMp3Header::GMp3Header(const char* path) {
  m_file = path ? OpenRegularFile(path) : nullptr;
  if (m_file) {
    std::setvbuf(m_file, nullptr, _IONBF, 0);  // we read in large blocks ourselves
    FindHeader();
  }
}

GMp3Header::~GMp3Header() {
  if (m_file) std::fclose(m_file);
}

bool GMp3Header::SkipId3v2Tags() {
  for (;;) {
    unsigned char tag[10];
    if (::fseeko(m_file, static_cast<off_t>(m_nPosition), SEEK_SET) != 0) return false;
    if (std::fread(tag, 1, sizeof tag, m_file) != sizeof tag) return true;
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
      if (IsHeaderStart(block[i], block[i + 1])) {
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

void GMp3Header::Decode(std::uint32_t header) {
  m_nHeader = header;
  m_nLayer = static_cast<std::uint8_t>((4 - ((header >> 17) & 3)) % 4);
  m_nBitrateIndex = static_cast<std::uint8_t>((header >> 12) & 0xF);
  m_nFrequencyIndex = static_cast<std::uint8_t>((header >> 10) & 3);
  m_nPaddingBit = (header >> 9) & 1;
  m_nChannelMode = static_cast<std::uint8_t>((header >> 6) & 3);
  m_nModeExtension = static_cast<std::uint8_t>((header >> 4) & 3);
  const bool tabled = m_nLayer != 0 && m_nBitrateIndex >= 1 && m_nBitrateIndex <= 14;
  m_nBitrate = tabled ? kBitrates[m_nLayer - 1][m_nBitrateIndex - 1] * 1000u : 0;
  m_nFrequency = kFrequencies[m_nFrequencyIndex];
  m_bFound = true;
}

std::string GMp3Header::BitrateText() const {
  if (!m_bFound) return {};
  if (m_nBitrateIndex == 0 && m_nLayer != 0) return "free format";
  if (m_nBitrateIndex == 15 || m_nLayer == 0) return "forbidden";
  return std::to_string(m_nBitrate / 1000) + " kbit/s";
}

std::string GMp3Header::FrequencyText() const { return m_bFound ? kFrequencyTexts[m_nFrequencyIndex] : ""; }

bool GMp3Header::IsStereo() const { return m_bFound && m_nChannelMode != 3; }
