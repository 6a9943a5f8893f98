#include "catalogue/song_tags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <taglib/apeitem.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>

namespace catalogue {
namespace {

// Larger ID3v2 tags are passed over: real ones, pictures and all, stay far below.
constexpr std::uint64_t kMaxId3v2Size = 64ull << 20;
// Chapters nest a level or two; TagLib reads each level by recursion.
constexpr int kMaxChapterDepth = 32;

std::uint32_t BigEndian(const unsigned char* b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}
std::uint32_t SyncSafe(const unsigned char* b) {
  return (std::uint32_t{b[0] & 0x7Fu} << 21) | (std::uint32_t{b[1] & 0x7Fu} << 14) | (std::uint32_t{b[2] & 0x7Fu} << 7) |
         (b[3] & 0x7Fu);
}

// Whether the frames of an ID3v2.3 or 2.4 tag's body would make TagLib recurse too deep
// or unpack data: chapter frames (CHAP, CTOC) hold frames of their own, read by
// recursion, and compressed or encrypted frames are unpacked whole. Iterative, and
// linear in the body.
bool HostileFrames(const std::vector<unsigned char>& body, int version, bool tagUnsynchronised) {
  struct Range {
    std::size_t at, end;
    int depth;
  };
  std::vector<Range> pending{{0, body.size(), 0}};
  while (!pending.empty()) {
    Range range = pending.back();
    pending.pop_back();
    while (range.at + 10 <= range.end) {
      const unsigned char* header = body.data() + range.at;
      if (header[0] == 0) break;  // padding
      const std::uint32_t size = version == 4 ? SyncSafe(header + 4) : BigEndian(header + 4);
      const unsigned char flags = header[9];
      // 2.3: compression 0x80, encryption 0x40; 2.4: compression 0x08, encryption 0x04.
      if (flags & (version == 4 ? 0x0C : 0xC0)) return true;
      const std::size_t bodyAt = range.at + 10;
      if (size > range.end - bodyAt) break;  // runs past its tag: TagLib stops here too
      const std::string id(header, header + 4);
      if (id == "CHAP" || id == "CTOC") {
        // The frames inside are read from the frame's data as it stands on disk; data
        // that is unsynchronised or carries a length first is not, so it is refused.
        if (range.depth + 1 > kMaxChapterDepth || (version == 4 && (tagUnsynchronised || (flags & 0x03)))) {
          return true;
        }
        std::size_t inner = bodyAt;
        const std::size_t end = bodyAt + size;
        while (inner < end && body[inner] != 0) ++inner;  // the element's name
        ++inner;
        if (id == "CHAP") {
          inner += 16;  // start and end times and offsets
        } else if (inner + 2 <= end) {
          const unsigned entries = body[inner + 1];
          inner += 2;
          for (unsigned i = 0; i < entries && inner < end; ++i) {
            while (inner < end && body[inner] != 0) ++inner;
            ++inner;
          }
        }
        if (inner < end) pending.push_back({inner, end, range.depth + 1});
      }
      range.at = bodyAt + size;
    }
  }
  return false;
}

// Where TagLib should start reading the file: past ID3v2 tags it must not parse (each
// one passed over may hide another behind it). Reads only the tags' bytes.
std::uint64_t SafeStart(int fd, std::uint64_t fileSize) {
  std::uint64_t start = 0;
  for (;;) {
    unsigned char header[10];
    if (fileSize - start < sizeof header || ::pread(fd, header, sizeof header, static_cast<off_t>(start)) != 10 ||
        header[0] != 'I' || header[1] != 'D' || header[2] != '3') {
      return start;
    }
    const int version = header[3];
    const std::uint64_t size = SyncSafe(header + 6);
    const std::uint64_t whole = 10 + size + ((version == 4 && (header[5] & 0x10)) ? 10 : 0);
    // A size past the end of the file is damage TagLib reads as far as the file goes.
    const std::uint64_t available = std::min(size, fileSize - start - 10);
    bool hostile = available > kMaxId3v2Size;
    if (!hostile && version >= 3) {
      std::vector<unsigned char> body(static_cast<std::size_t>(available));
      if (::pread(fd, body.data(), body.size(), static_cast<off_t>(start + 10)) != static_cast<ssize_t>(body.size())) {
        return start;
      }
      const bool unsynchronised = (header[5] & 0x80) != 0;
      if (version == 3 && unsynchronised) {  // 2.3 frames are read after the whole tag is restored
        std::size_t out = 0;
        for (std::size_t in = 0; in < body.size(); ++in) {
          if (in > 0 && body[in] == 0 && body[in - 1] == 0xFF) continue;
          body[out++] = body[in];
        }
        body.resize(out);
      }
      std::size_t frames = 0;
      if (header[5] & 0x40) {  // an extended header first
        frames = body.size() < 4 ? body.size() : version == 4 ? SyncSafe(body.data()) : BigEndian(body.data()) + 4;
      }
      if (frames < body.size()) {
        body.erase(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(frames));
        hostile = HostileFrames(body, version, unsynchronised);
      }
    }
    if (!hostile) return start;
    start += whole;
    if (start >= fileSize) return fileSize;
  }
}

// The file as seen from an offset on: TagLib reads what follows a tag passed over as if
// the file began there. Read only.
class OffsetStream : public TagLib::IOStream {
 public:
  OffsetStream(std::unique_ptr<TagLib::FileStream> file, long offset) : m_file(std::move(file)), m_offset(offset) {
    m_file->seek(m_offset);
  }
  TagLib::FileName name() const override { return m_file->name(); }
  TagLib::ByteVector readBlock(unsigned long length) override { return m_file->readBlock(length); }
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
  void removeBlock(unsigned long, unsigned long) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return m_file->isOpen(); }
  void seek(long offset, Position p) override {
    m_file->seek(p == Beginning ? m_offset + offset : offset, p);
    if (m_file->tell() < m_offset) m_file->seek(m_offset);
  }
  void clear() override { m_file->clear(); }
  long tell() const override { return m_file->tell() - m_offset; }
  long length() override { return m_file->length() - m_offset; }
  void truncate(long) override {}

 private:
  std::unique_ptr<TagLib::FileStream> m_file;
  long m_offset;
};

// A song file opened for its tags, never for writing.
struct TaggedFile {
  std::unique_ptr<TagLib::IOStream> stream;
  std::unique_ptr<TagLib::MPEG::File> file;
};

std::optional<TaggedFile> Open(const std::string& path) {
  // Only a regular file: a FIFO or a device could block or never end.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const std::uint64_t start = SafeStart(fd, static_cast<std::uint64_t>(st.st_size));
  auto stream = std::make_unique<TagLib::FileStream>(fd, true);  // closes the descriptor from now on
  if (!stream->isOpen()) {
    ::close(fd);
    return std::nullopt;
  }
  TaggedFile tagged;
  if (start == 0) {
    tagged.stream = std::move(stream);
  } else {
    tagged.stream = std::make_unique<OffsetStream>(std::move(stream), static_cast<long>(start));
  }
  tagged.file = std::make_unique<TagLib::MPEG::File>(tagged.stream.get(), TagLib::ID3v2::FrameFactory::instance(), false);
  return tagged;
}

std::string Utf8(const TagLib::String& text) { return text.to8Bit(true); }

// The cover picture of the file's tags: ID3v2 pictures first, then the APE tag's.
TagLib::ByteVector CoverOf(TagLib::MPEG::File& file) {
  if (TagLib::ID3v2::Tag* id3 = file.ID3v2Tag()) {
    const TagLib::ID3v2::FrameList& frames = id3->frameListMap()["APIC"];
    const TagLib::ID3v2::AttachedPictureFrame* first = nullptr;
    for (TagLib::ID3v2::Frame* frame : frames) {
      const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
      if (!picture) continue;
      if (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) return picture->picture();
      if (!first) first = picture;
    }
    if (first) return first->picture();
  }
  if (TagLib::APE::Tag* ape = file.APETag()) {
    const TagLib::APE::ItemListMap& items = ape->itemListMap();
    for (const char* key : {"COVER ART (FRONT)", "COVER ART (OTHER)"}) {
      const auto found = items.find(key);
      if (found == items.end() || found->second.type() != TagLib::APE::Item::Binary) continue;
      // A file name, a zero byte, then the picture.
      const TagLib::ByteVector data = found->second.binaryData();
      const int zero = data.find('\0');
      if (zero >= 0) return data.mid(static_cast<unsigned>(zero) + 1);
    }
  }
  return {};
}

}  // namespace

std::optional<SongTags> ReadSongTags(const std::string& path) {
  std::optional<TaggedFile> tagged = Open(path);
  if (!tagged) return std::nullopt;
  SongTags tags;
  if (const TagLib::Tag* tag = tagged->file->tag()) {
    tags.artist = Utf8(tag->artist());
    tags.album = Utf8(tag->album());
    tags.title = Utf8(tag->title());
    tags.genre = Utf8(tag->genre());
    tags.year = tag->year();
    tags.track = tag->track();
  }
  tags.pictureBytes = CoverOf(*tagged->file).size();
  return tags;
}

std::string EmbeddedCover(const std::string& path, std::uint64_t maxBytes) {
  std::optional<TaggedFile> tagged = Open(path);
  if (!tagged) return {};
  const TagLib::ByteVector picture = CoverOf(*tagged->file);
  if (picture.size() > maxBytes) return {};
  return std::string(picture.data(), picture.size());
}

}  // namespace catalogue
