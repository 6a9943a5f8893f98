// Song files' own tags: every tag version the fixtures were made with, pictures, damage,
// and hostile tags that must neither hang nor crash the reader.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/song_tags.h"
#include "temp_dir.h"

using catalogue::EmbeddedCover;
using catalogue::ReadSongTags;
using catalogue::SongTags;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const std::string kFixtures = MELODECK_TAG_FIXTURES;

std::string Describe(const std::optional<SongTags>& tags) {
  if (!tags) return "none";
  return tags->artist + "|" + tags->album + "|" + tags->title + "|" + std::to_string(tags->year) + "|" +
         std::to_string(tags->track) + "|" + tags->genre + "|" + std::to_string(tags->pictureBytes);
}

TEST(SongTagsTest, EveryTagVersionIsRead) {
  EXPECT_EQ(Describe(ReadSongTags(kFixtures + "/v1-only.mp3")), "Old Artist|Old Album|Old Song|1999|7|Rock|0");
  EXPECT_EQ(Describe(ReadSongTags(kFixtures + "/v22.mp3")), "Two Two|Version Two|Older Frames|1998|5|Pop|0");
  EXPECT_EQ(Describe(ReadSongTags(kFixtures + "/v23-utf16.mp3")),
            "\xC3\x84rzte|Gr\xC3\xB6\xC3\x9Fte Hits|Schrei nach Liebe|1993|2|Rock|20");
  EXPECT_EQ(Describe(ReadSongTags(kFixtures + "/v24-utf8.mp3")),
            "Sigur R\xC3\xB3s|\xC3\x81g\xC3\xA6tis byrjun|Hello, \"World\" \xE2\x80\x93 \xC3\x87" "a va|1999|3|Post-Rock|0");
  EXPECT_EQ(Describe(ReadSongTags(kFixtures + "/ape.mp3")), "Ape Artist|Ape Album|Ape Song|2004|9|Jazz|9");
  // A tag whose size claims more than the file holds: the ID3v1 tag behind the audio.
  EXPECT_EQ(Describe(ReadSongTags(kFixtures + "/damaged.mp3")), "Behind||Still Read|0|0||0");
}

TEST(SongTagsTest, TheFrontCoverIsTheCover) {
  // The back picture comes first in the file; the front cover is chosen.
  EXPECT_EQ(EmbeddedCover(kFixtures + "/v23-utf16.mp3", 1000), "JPEGDATA-FRONT-COVER");
  EXPECT_EQ(EmbeddedCover(kFixtures + "/v23-utf16.mp3", 19), "");  // larger than asked for
  EXPECT_EQ(EmbeddedCover(kFixtures + "/ape.mp3", 1000), "APE-FRONT");
  EXPECT_EQ(EmbeddedCover(kFixtures + "/v24-utf8.mp3", 1000), "");
}

TEST(SongTagsTest, OnlyRegularFilesAreOpened) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.mp3").c_str(), 0600), 0);  // would block a reader for ever
  std::filesystem::create_directory(dir / "folder.mp3");
  EXPECT_EQ(ReadSongTags(dir / "fifo.mp3"), std::nullopt);
  EXPECT_EQ(ReadSongTags(dir / "folder.mp3"), std::nullopt);
  EXPECT_EQ(ReadSongTags(dir / "missing.mp3"), std::nullopt);
  EXPECT_EQ(EmbeddedCover(dir / "fifo.mp3", 1000), "");
  WriteFile(dir / "empty.mp3", "");
  EXPECT_EQ(Describe(ReadSongTags(dir / "empty.mp3")), "|||0|0||0");
}

// ID3v2.4 pieces for hostile tags.
std::string SyncSafe(std::size_t n) {
  return {static_cast<char>((n >> 21) & 0x7F), static_cast<char>((n >> 14) & 0x7F), static_cast<char>((n >> 7) & 0x7F),
          static_cast<char>(n & 0x7F)};
}
std::string Frame(const std::string& id, const std::string& body, char flags = 0) {
  return id + SyncSafe(body.size()) + '\0' + flags + body;
}
std::string Tag(const std::string& frames) { return std::string("ID3\x04\x00\x00", 6) + SyncSafe(frames.size()) + frames; }
std::string Title(const std::string& text) { return Frame("TIT2", '\x03' + text); }
std::string Chapter(const std::string& inside) { return Frame("CHAP", std::string("c\0", 2) + std::string(16, '\0') + inside); }
// Chapters nested depth deep around the frames, built in one pass.
std::string Nested(const std::string& inside, int depth) {
  const std::string fields = std::string("c\0", 2) + std::string(16, '\0');
  std::vector<std::string> headers;
  std::size_t size = inside.size();
  for (int i = 0; i < depth; ++i) {
    size += fields.size();
    headers.push_back("CHAP" + SyncSafe(size) + std::string(2, '\0') + fields);
    size += 10;
  }
  std::string out;
  out.reserve(size);
  for (auto header = headers.rbegin(); header != headers.rend(); ++header) out += *header;
  return out + inside;
}
// An ID3v1 tag with the title, for the end of a file.
std::string V1(const std::string& title) {
  std::string tag = "TAG" + title;
  tag.resize(128, '\0');
  return tag;
}
const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\0');

// An APEv2 tag at the end of a file, its footer only, holding one item.
std::string Le32(std::size_t n) {
  return {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF), static_cast<char>((n >> 16) & 0xFF),
          static_cast<char>((n >> 24) & 0xFF)};
}
std::string ApeTag(const std::string& key, const std::string& value) {
  const std::string binary = Le32(2);
  const std::string item = Le32(value.size()) + binary + key + '\0' + value;
  return item + "APETAGEX" + Le32(2000) + Le32(item.size() + 32) + Le32(1) + Le32(0) + std::string(8, '\0');
}

// An APE cover is a file name, a zero byte and the picture; the name may be empty.
TEST(SongTagsTest, AnApeCoverWithoutAFileName) {
  TempDir dir;
  WriteFile(dir / "ape.mp3", kAudio + ApeTag("COVER ART (FRONT)", std::string("\0PICTURE", 8)));
  EXPECT_EQ(EmbeddedCover(dir / "ape.mp3", 1000), "PICTURE");
}

TEST(SongTagsTest, HostileTagsNeitherHangNorCrash) {
  TempDir dir;
  // Chapters nested 50,000 deep: TagLib would recurse once a level. The tag is passed
  // over; the ID3v1 tag behind the audio still counts.
  const std::string nested = Nested(Title("deep"), 50000);
  WriteFile(dir / "deep.mp3", Tag(nested) + kAudio + V1("Behind"));
  EXPECT_EQ(ReadSongTags(dir / "deep.mp3")->title, "Behind");
  // The same inside a table of contents that lists its entries first.
  const std::string contents = std::string("t\0\x03\x02", 4) + std::string("c1\0c2\0", 6);
  WriteFile(dir / "toc.mp3", Tag(Frame("CTOC", contents + nested)) + kAudio + V1("Listed"));
  EXPECT_EQ(ReadSongTags(dir / "toc.mp3")->title, "Listed");
  // A table of contents that lists no entries holds frames straight after its count.
  const std::string packed = Frame("APIC", std::string(64, 'z'), 0x08);
  const std::string emptyContents = std::string("t\0\x03\x00", 4);
  WriteFile(dir / "empty-toc.mp3", Tag(Frame("CTOC", emptyContents + packed) + Title("Shown")) + kAudio + V1("Empty"));
  EXPECT_EQ(ReadSongTags(dir / "empty-toc.mp3")->title, "Empty");
  // Chapters as real files have them, a level or two, are read, up to 32 levels.
  WriteFile(dir / "chapters.mp3", Tag(Chapter(Nested(Title("inner"), 3)) + Title("Chaptered")) + kAudio);
  EXPECT_EQ(ReadSongTags(dir / "chapters.mp3")->title, "Chaptered");
  WriteFile(dir / "deepest.mp3", Tag(Nested(Title("inner"), 32) + Title("Deepest")) + kAudio + V1("Too deep"));
  EXPECT_EQ(ReadSongTags(dir / "deepest.mp3")->title, "Deepest");
  WriteFile(dir / "deeper.mp3", Tag(Nested(Title("inner"), 33) + Title("Deeper")) + kAudio + V1("Too deep"));
  EXPECT_EQ(ReadSongTags(dir / "deeper.mp3")->title, "Too deep");
  // A compressed frame would be unpacked whole, however large it claims to be.
  WriteFile(dir / "packed.mp3", Tag(packed + Title("Packed")) + kAudio + V1("Plain"));
  EXPECT_EQ(ReadSongTags(dir / "packed.mp3")->title, "Plain");
  // A hostile tag behind another one passed over is passed over too.
  WriteFile(dir / "twice.mp3", Tag(Frame("APIC", "z", 0x08)) + Tag(nested) + kAudio + V1("Last"));
  EXPECT_EQ(ReadSongTags(dir / "twice.mp3")->title, "Last");
  // A frame whose size runs past the tag, and a tag past the file.
  WriteFile(dir / "cut.mp3", Tag(Frame("TIT2", "\x03" "Cut") + std::string("TPE1\x7F\x7F\x7F\x7F\0\0", 10)) + kAudio);
  EXPECT_EQ(ReadSongTags(dir / "cut.mp3")->title, "Cut");
  WriteFile(dir / "past.mp3", std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) + Title("Past"));
  EXPECT_NE(ReadSongTags(dir / "past.mp3"), std::nullopt);
  // Bytes that only begin like a tag are none, however hostile what follows would be as
  // one: nothing is passed over, and the ID3v1 tag at the end is read.
  for (const std::string start : {"IX3", "XD3", "IDX"}) {
    WriteFile(dir / "like.mp3", start + std::string("\x04\x00\x00\x7F\x7F\x7F\x7F", 7) + Frame("APIC", "z", 0x08) +
                                    kAudio + V1("Ours"));
    EXPECT_EQ(ReadSongTags(dir / "like.mp3")->title, "Ours") << start;
  }
}

// ID3v2.3 frames are walked as TagLib reads them: with unsynchronisation, after the whole
// tag is restored, so chapters nested deep are seen there too.
TEST(SongTagsTest, Id3v23FramesAreWalkedAsTagLibReadsThem) {
  TempDir dir;
  const auto bigEndian = [](std::size_t n) {
    return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                       static_cast<char>(n)};
  };
  // ID3v2.3 frames, built from the inside out in one pass: each level's header, then
  // the frame within.
  const std::string inside = "TIT2" + bigEndian(5) + std::string(2, '\0') + std::string("\0deep", 5);
  std::string fields = std::string("c\0", 2);
  for (int i = 0; i < 8; ++i) fields += "\xFF\x41";  // an 0xFF the encoding leaves bare
  std::vector<std::string> headers;
  std::size_t size = inside.size();
  for (int i = 0; i < 50000; ++i) {
    size += fields.size();
    headers.push_back("CHAP" + bigEndian(size) + std::string(2, '\0') + fields);
    size += 10;
  }
  std::string frames;
  for (auto header = headers.rbegin(); header != headers.rend(); ++header) frames += *header;
  frames += inside;
  // Unsynchronised: a zero after each 0xFF that a zero or a byte from 0xE0 up follows.
  std::string unsynchronised;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    unsynchronised += frames[i];
    const auto next = i + 1 < frames.size() ? static_cast<unsigned char>(frames[i + 1]) : 0;
    if (static_cast<unsigned char>(frames[i]) == 0xFF && (next == 0 || next >= 0xE0)) unsynchronised += '\0';
  }
  WriteFile(dir / "deep23.mp3",
            std::string("ID3\x03\x00\x80", 6) + SyncSafe(unsynchronised.size()) + unsynchronised + kAudio + V1("Behind"));
  EXPECT_EQ(ReadSongTags(dir / "deep23.mp3")->title, "Behind");
  // Not unsynchronised: the frames are walked as they stand, and a zero after an 0xFF in
  // one frame's data hides nothing of the compressed frame after it.
  const std::string plain = Frame("TIT2", std::string("\0Shown", 6)) + Frame("PRIV", std::string("x\0\xFF\0", 4)) +
                            Frame("APIC", std::string(64, '\0'), '\x80');
  WriteFile(dir / "plain23.mp3", std::string("ID3\x03\x00\x00", 6) + SyncSafe(plain.size()) + plain + kAudio + V1("Plain"));
  EXPECT_EQ(ReadSongTags(dir / "plain23.mp3")->title, "Plain");
}

TEST(SongTagsTest, AHugePictureIsMeasuredButNotHandedOver) {
  TempDir dir;
  const std::string picture(20 << 20, 'p');
  WriteFile(dir / "big.mp3",
            Tag(Frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + picture) + Title("Big")) + kAudio);
  const auto tags = ReadSongTags(dir / "big.mp3");
  ASSERT_NE(tags, std::nullopt);
  EXPECT_EQ(tags->title, "Big");
  EXPECT_EQ(tags->pictureBytes, picture.size());
  EXPECT_EQ(EmbeddedCover(dir / "big.mp3", 1 << 20), "");
  EXPECT_EQ(EmbeddedCover(dir / "big.mp3", picture.size()).size(), picture.size());
}

}  // namespace
