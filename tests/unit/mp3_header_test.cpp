// The MP3 frame header reader on real frames.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "catalogue/mp3_header.h"
#include "mp3_frames.h"
#include "temp_dir.h"

using testing_support::Id3v2Tag;
using testing_support::Mp3Format;
using testing_support::SilentMp3Frames;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class Mp3HeaderTest : public ::testing::Test {
 protected:
  std::string Make(const std::string& bytes) {
    WriteFile(file, bytes);
    return file;
  }
  TempDir dir;
  std::string file = dir / "song.mp3";
};

TEST_F(Mp3HeaderTest, DecodesAJointStereoLayer3Header) {
  GMp3Header header(Make(std::string("\xFF\xFB\x90\x64", 4) + std::string(400, '\0')).c_str());
  ASSERT_TRUE(header.Found());
  EXPECT_EQ(header.Offset(), 0u);
  EXPECT_EQ(header.Layer(), 3);
  EXPECT_EQ(header.Bitrate(), 128000u);
  EXPECT_EQ(header.BitrateText(), "128 kbit/s");
  EXPECT_EQ(header.Frequency(), 44100u);
  EXPECT_EQ(header.FrequencyText(), "44.1 kHz");
  EXPECT_EQ(header.ChannelMode(), 1);
  EXPECT_TRUE(header.IsStereo());
}

TEST_F(Mp3HeaderTest, FindsTheHeaderAtAnyOffsetAcrossBlockBoundaries) {
  for (const size_t offset : {size_t{1}, size_t{417}, size_t{65533}, size_t{65535}, size_t{65536}, size_t{200000}}) {
    GMp3Header header(Make(std::string(offset, 'x') + SilentMp3Frames(2, {320, 48000, 3})).c_str());
    ASSERT_TRUE(header.Found()) << offset;
    EXPECT_EQ(header.Offset(), offset);
    EXPECT_EQ(header.BitrateText(), "320 kbit/s");
    EXPECT_EQ(header.FrequencyText(), "48 kHz");
    EXPECT_FALSE(header.IsStereo());
  }
}

TEST_F(Mp3HeaderTest, SkipsMpeg2HeadersAndJunkByteByByte) {
  // An MPEG-2 header (second byte F3) and a lone FF before the real one.
  const std::string bytes = std::string("\xFF\xF3\x90\x64junk\xFF\x00", 10) + SilentMp3Frames(2);
  GMp3Header header(Make(bytes).c_str());
  ASSERT_TRUE(header.Found());
  EXPECT_EQ(header.Offset(), 10u);
  // The next search goes on after the first header.
  EXPECT_EQ(header.FindHeader(), 1);
  EXPECT_EQ(header.Offset(), 10u + 417u);
  EXPECT_EQ(header.FindHeader(), 0);
}

TEST_F(Mp3HeaderTest, SkipsId3v2TagsWhoseTextLooksLikeASync) {
  const std::string tag = Id3v2Tag("Intro");
  ASSERT_NE(tag.find("\xFF\xFE"), std::string::npos);
  GMp3Header header(Make(tag + Id3v2Tag("Second tag") + SilentMp3Frames(3, {192, 32000, 0})).c_str());
  ASSERT_TRUE(header.Found());
  EXPECT_EQ(header.Offset(), tag.size() + Id3v2Tag("Second tag").size());
  EXPECT_EQ(header.BitrateText(), "192 kbit/s");
  EXPECT_EQ(header.FrequencyText(), "32 kHz");

  // A version-4 tag with the footer flag is 10 bytes longer.
  std::string v4 = Id3v2Tag("x");
  v4[3] = 4;
  v4[5] = 0x10;
  v4 += "3DI" + v4.substr(3, 7);  // footer
  GMp3Header withFooter(Make(v4 + SilentMp3Frames(1)).c_str());
  EXPECT_EQ(withFooter.Offset(), v4.size());
  std::string v4Plain = Id3v2Tag("x");  // without the flag: no footer
  v4Plain[3] = 4;
  GMp3Header withoutFooter(Make(v4Plain + SilentMp3Frames(1)).c_str());
  EXPECT_EQ(withoutFooter.Offset(), v4Plain.size());

  // "ID3" that is no tag (any size byte with the top bit set) is searched as junk. Each
  // file is long enough that a size read from such bytes would land among its frames.
  for (const auto& [sizeByte, frames] : {std::pair{6, 1}, {7, 5100}, {8, 50}, {9, 3}}) {
    std::string fake("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
    fake[sizeByte] = '\x80';
    GMp3Header junk(Make(fake + SilentMp3Frames(frames)).c_str());
    EXPECT_EQ(junk.Offset(), fake.size()) << "size byte " << sizeByte;
  }
  // Nor is one whose version or revision byte is 0xFF.
  for (const int versionByte : {3, 4}) {
    std::string fake("ID3\x03\x00\x00\x00\x00\x10\x00", 10);
    fake[versionByte] = '\xFF';
    GMp3Header junk(Make(fake + SilentMp3Frames(50)).c_str());
    EXPECT_EQ(junk.Offset(), fake.size()) << "byte " << versionByte;
  }
}

TEST_F(Mp3HeaderTest, TableEdges) {
  const auto decode = [&](unsigned char b1, unsigned char b2, unsigned char b3) {
    return std::make_unique<GMp3Header>(Make(std::string{'\xFF', static_cast<char>(b1), static_cast<char>(b2),
                                                         static_cast<char>(b3)}).c_str());
  };
  auto freeFormat = decode(0xFB, 0x00, 0x00);
  EXPECT_EQ(freeFormat->BitrateText(), "free format");
  EXPECT_EQ(freeFormat->Bitrate(), 0u);
  auto forbidden = decode(0xFB, 0xF0, 0x00);
  EXPECT_EQ(forbidden->BitrateText(), "forbidden");
  EXPECT_EQ(forbidden->Bitrate(), 0u);
  auto eightKhz = decode(0xFB, 0x9C, 0x00);
  EXPECT_EQ(eightKhz->FrequencyText(), "8 kHz");
  EXPECT_EQ(eightKhz->Frequency(), 8000u);
  auto layer1 = decode(0xFF, 0xE4, 0x80);  // Layer I, index 14, 48 kHz, dual channel
  EXPECT_EQ(layer1->Layer(), 1);
  EXPECT_EQ(layer1->BitrateText(), "448 kbit/s");
  EXPECT_TRUE(layer1->IsStereo());
  auto layer2 = decode(0xFD, 0x10, 0x00);
  EXPECT_EQ(layer2->Layer(), 2);
  EXPECT_EQ(layer2->BitrateText(), "32 kbit/s");
  auto reserved = decode(0xF9, 0x90, 0x00);  // layer bits 00
  EXPECT_EQ(reserved->Layer(), 0);
  EXPECT_EQ(reserved->BitrateText(), "forbidden");
  EXPECT_EQ(reserved->Bitrate(), 0u);
}

TEST_F(Mp3HeaderTest, NoHeaderOrNoFileGivesEmptyTexts) {
  std::string falseSyncs;
  for (int i = 0; i < 40000; ++i) falseSyncs += "\xFF\x10";
  for (const std::string& path : {Make(falseSyncs), Make(""), dir / "missing.mp3"}) {
    GMp3Header header(path.c_str());
    EXPECT_FALSE(header.Found());
    EXPECT_EQ(header.BitrateText(), "");
    EXPECT_EQ(header.FrequencyText(), "");
    EXPECT_EQ(header.Bitrate(), 0u);
    EXPECT_EQ(header.Frequency(), 0u);
    EXPECT_FALSE(header.IsStereo());
    EXPECT_EQ(header.FindHeader(), 0);
  }
}

TEST_F(Mp3HeaderTest, ATagClaimingTooMuchHidesNoHeader) {
  // The tag says 0x0FFFFFFF bytes; the frames follow after ten.
  const std::string tag = std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10);
  const GMp3Header header(Make(tag + SilentMp3Frames(2)).c_str());
  ASSERT_TRUE(header.Found());
  EXPECT_EQ(header.Offset(), 10u);
}

TEST_F(Mp3HeaderTest, SpecialFilesAreNotOpened) {
  ASSERT_EQ(::mkfifo((dir / "fifo.mp3").c_str(), 0644), 0);
  EXPECT_FALSE(GMp3Header((dir / "fifo.mp3").c_str()).IsOpen());  // no hang
  EXPECT_FALSE(GMp3Header("/dev/zero").IsOpen());                  // no endless search
}

}  // namespace

namespace {

// One frame: its header and a zero body to the length its fields give.
// version: 1, 2 or 25 (MPEG-2.5); layer 1 to 3.
std::string Frame(int version, int layer, int bitrateIndex, int frequencyIndex, int mode = 1, bool padding = false) {
  const int versionBits = version == 1 ? 3 : version == 2 ? 2 : 0;
  const unsigned char b1 = static_cast<unsigned char>(0xE0 | (versionBits << 3) | ((4 - layer) << 1) | 1);
  const unsigned char b2 = static_cast<unsigned char>((bitrateIndex << 4) | (frequencyIndex << 2) | (padding ? 2 : 0));
  const unsigned char b3 = static_cast<unsigned char>(mode << 6);
  static const int kMpeg1Kbps[3][15] = {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
                                        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
                                        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
  static const int kMpeg2Kbps[3][15] = {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
                                        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                                        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
  static const int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
  const int bitrate = (version == 1 ? kMpeg1Kbps : kMpeg2Kbps)[layer - 1][bitrateIndex] * 1000;
  const int rate = kRates[version == 1 ? 0 : version == 2 ? 1 : 2][frequencyIndex];
  const int pad = padding ? 1 : 0;
  const int length = layer == 1 ? (12 * bitrate / rate + pad) * 4
                     : (layer == 2 || version == 1) ? 144 * bitrate / rate + pad
                                                    : 72 * bitrate / rate + pad;
  std::string frame(static_cast<size_t>(length), '\0');
  frame[0] = '\xFF';
  frame[1] = static_cast<char>(b1);
  frame[2] = static_cast<char>(b2);
  frame[3] = static_cast<char>(b3);
  return frame;
}

std::string Repeat(const std::string& frame, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += frame;
  return out;
}

// Writes a big-endian number into bytes at offset.
void PutBigEndian(std::string& bytes, size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + static_cast<size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
}

}  // namespace

TEST_F(Mp3HeaderTest, Mpeg2And25HeadersGiveTheirRealVersionRateAndPlayTime) {
  // MPEG-2 Layer III, 64 kbit/s, 22.05 kHz: 208-byte frames of 576 samples.
  GMp3Header mpeg2(Make(Repeat(Frame(2, 3, 8, 0), 100)).c_str());
  ASSERT_TRUE(mpeg2.Found());
  EXPECT_EQ(mpeg2.Offset(), 0u);
  EXPECT_EQ(mpeg2.VersionText(), "2");
  EXPECT_EQ(mpeg2.BitrateText(), "64 kbit/s");
  EXPECT_EQ(mpeg2.Frequency(), 22050u);
  EXPECT_EQ(mpeg2.FrequencyText(), "22.05 kHz");
  EXPECT_EQ(mpeg2.PlayTimeMs(), 2612u);  // 100 * 576 / 22050 s
  // An MPEG-2 header is taken once the next frame confirms it, read from the file when
  // the frame runs past the block in memory (160 kbit/s, 22.05 kHz: 522-byte frames).
  GMp3Header pastTheBlock(Make(std::string(65300, 'x') + Repeat(Frame(2, 3, 14, 0), 3)).c_str());
  ASSERT_TRUE(pastTheBlock.Found());
  EXPECT_EQ(pastTheBlock.Offset(), 65300u);
  EXPECT_EQ(pastTheBlock.BitrateText(), "160 kbit/s");

  // MPEG-2.5 Layer III, 8 kbit/s, 8 kHz, mono.
  GMp3Header mpeg25(Make(Repeat(Frame(25, 3, 1, 2, 3), 50)).c_str());
  ASSERT_TRUE(mpeg25.Found());
  EXPECT_EQ(mpeg25.VersionText(), "2.5");
  EXPECT_EQ(mpeg25.BitrateText(), "8 kbit/s");
  EXPECT_EQ(mpeg25.FrequencyText(), "8 kHz");
  EXPECT_FALSE(mpeg25.IsStereo());
  EXPECT_EQ(mpeg25.PlayTimeMs(), 3600u);  // 50 * 576 / 8000 s

  // MPEG-2 Layer I and II use their own table.
  GMp3Header layer1(Make(Repeat(Frame(2, 1, 14, 1), 3)).c_str());
  EXPECT_EQ(layer1.BitrateText(), "256 kbit/s");
  EXPECT_EQ(layer1.FrequencyText(), "24 kHz");
  EXPECT_EQ(layer1.PlayTimeMs(), 48u);  // 3 * 384 / 24000 s
  GMp3Header layer2(Make(Repeat(Frame(25, 2, 14, 0), 2)).c_str());
  EXPECT_EQ(layer2.BitrateText(), "160 kbit/s");
  EXPECT_EQ(layer2.FrequencyText(), "11.025 kHz");
  // A single frame is confirmed by the file ending where it ends.
  GMp3Header single(Make(Frame(2, 3, 8, 2)).c_str());
  EXPECT_TRUE(single.Found());
  EXPECT_EQ(single.FrequencyText(), "16 kHz");
}

TEST_F(Mp3HeaderTest, StrayBytesThatLookLikeMpeg2AreNoHeader) {
  // "FF E3 18 C4" would read as MPEG-2.5; the frame it claims is not followed by another.
  const std::string junk = std::string("\xFF\xE3\x18\xC4", 4) + std::string(300, 'j');
  GMp3Header header(Make(junk + SilentMp3Frames(3)).c_str());
  ASSERT_TRUE(header.Found());
  EXPECT_EQ(header.Offset(), junk.size());
  EXPECT_EQ(header.VersionText(), "1");
  // Nor are MPEG-2 frames whose follower differs in layer or frequency.
  GMp3Header mixed(Make(Frame(2, 3, 8, 0) + Frame(2, 3, 8, 1) + std::string(10, '\0')).c_str());
  EXPECT_FALSE(mixed.Found());
  // Nor one whose follower has the fields of a header but not its sync byte.
  std::string unsynced = Frame(2, 3, 8, 0) + Frame(2, 3, 8, 0) + std::string(10, '\0');
  unsynced[208] = '\0';
  GMp3Header lone(Make(unsynced).c_str());
  EXPECT_FALSE(lone.Found());
  // Nor one whose file ends two bytes past its frame: there is no follower to read.
  GMp3Header cut(Make(Frame(2, 3, 8, 0) + std::string(2, '\0')).c_str());
  EXPECT_FALSE(cut.Found());
  // Nor those with a reserved field: no layer, a bitrate beyond the table, free format,
  // no frequency.
  for (const char* reserved : {"\xFF\xF1\x80\x00", "\xFF\xF3\xF0\x00", "\xFF\xF3\x00\x00", "\xFF\xF3\x8C\x00"}) {
    GMp3Header behind(Make(std::string(reserved, 4) + SilentMp3Frames(3)).c_str());
    ASSERT_TRUE(behind.Found());
    EXPECT_EQ(behind.Offset(), 4u);
    EXPECT_EQ(behind.VersionText(), "1");
  }
}

TEST_F(Mp3HeaderTest, PlayTimeComesFromTheTagsFrameCountOrAWalkOverEveryFrame) {
  // A Xing tag with a frame count after MPEG-1 stereo side information (32 bytes).
  std::string xing = Frame(1, 3, 9, 0);  // 128 kbit/s, 44.1 kHz
  xing.replace(36, 4, "Xing");
  PutBigEndian(xing, 40, 1);
  PutBigEndian(xing, 44, 20);
  GMp3Header tagged(Make(xing + Repeat(Frame(1, 3, 9, 0), 5)).c_str());
  EXPECT_EQ(tagged.PlayTimeMs(), 522u);  // 20 * 1152 / 44100 s, to the millisecond
  // A header that announces a CRC has the tag two bytes later, behind the CRC.
  std::string behindCrc = Frame(1, 3, 9, 0);
  behindCrc[1] = static_cast<char>(behindCrc[1] & ~1);
  behindCrc.replace(38, 4, "Xing");
  PutBigEndian(behindCrc, 42, 1);
  PutBigEndian(behindCrc, 46, 20);
  GMp3Header protectedTag(Make(behindCrc + Repeat(Frame(1, 3, 9, 0), 5)).c_str());
  EXPECT_EQ(protectedTag.PlayTimeMs(), 522u);
  // A count the file cannot hold (more frames than bytes for the smallest frames) is
  // not trusted: the frames are walked.
  PutBigEndian(xing, 44, 0xFFFFFFFF);
  GMp3Header lying(Make(xing + Repeat(Frame(1, 3, 9, 0), 5)).c_str());
  EXPECT_EQ(lying.PlayTimeMs(), 131u);  // the 5 frames after the tag's
  PutBigEndian(xing, 44, 26);  // 6 frames of 417 bytes hold at most 25 of 104
  GMp3Header tooMany(Make(xing + Repeat(Frame(1, 3, 9, 0), 5)).c_str());
  EXPECT_EQ(tooMany.PlayTimeMs(), 131u);
  PutBigEndian(xing, 44, 25);  // just as many as they can hold: trusted
  GMp3Header mostThere(Make(xing + Repeat(Frame(1, 3, 9, 0), 5)).c_str());
  EXPECT_EQ(mostThere.PlayTimeMs(), 653u);  // 25 * 1152 / 44100 s

  // A file cut right after the tag's fields: the tag is read to its last byte, and its
  // frame, being no audio, leaves nothing to play.
  std::string cut = Frame(1, 3, 9, 0);
  cut.replace(36, 4, "Xing");
  PutBigEndian(cut, 40, 0);
  GMp3Header tagOnly(Make(cut.substr(0, 48)).c_str());
  EXPECT_EQ(tagOnly.PlayTimeMs(), 0u);

  // An Info tag without a count, in a mono MPEG-2 frame (9 bytes of side information):
  // the frames after it are counted, the tag's own frame is not.
  std::string info = Frame(2, 3, 8, 0, 3);
  info.replace(13, 4, "Info");
  PutBigEndian(info, 17, 0);
  GMp3Header counted(Make(info + Repeat(Frame(2, 3, 8, 0, 3), 40)).c_str());
  EXPECT_EQ(counted.PlayTimeMs(), 1045u);  // 40 * 576 / 22050 s

  // A VBRI tag 36 bytes after the header.
  std::string vbri = Frame(1, 3, 9, 1);  // 48 kHz
  vbri.replace(36, 4, "VBRI");
  PutBigEndian(vbri, 36 + 14, 8);
  GMp3Header fraunhofer(Make(vbri + Frame(1, 3, 9, 1)).c_str());
  EXPECT_EQ(fraunhofer.PlayTimeMs(), 192u);  // 8 * 1152 / 48000 s
  PutBigEndian(vbri, 36 + 14, 0xFFFFFFFF);
  GMp3Header fraunhoferLying(Make(vbri + Frame(1, 3, 9, 1)).c_str());
  EXPECT_EQ(fraunhoferLying.PlayTimeMs(), 48u);  // the 2 frames walked
  PutBigEndian(vbri, 36 + 14, 9);  // just as many as two frames of 384 bytes hold of 96: trusted
  GMp3Header fraunhoferMost(Make(vbri + Frame(1, 3, 9, 1)).c_str());
  EXPECT_EQ(fraunhoferMost.PlayTimeMs(), 216u);  // 9 * 1152 / 48000 s

  // Variable bitrate without a tag: every frame by its own length, the truncated last
  // one included; free format has no length to follow.
  const std::string vbr = Frame(1, 3, 9, 0) + Frame(1, 3, 14, 0, 1, true) + Frame(1, 3, 1, 0) + Frame(1, 3, 5, 0);
  GMp3Header walked(Make(vbr + Frame(1, 3, 11, 0).substr(0, 100)).c_str());
  EXPECT_EQ(walked.PlayTimeMs(), 131u);  // 5 * 1152 / 44100 s
  GMp3Header headerOnly(Make(vbr + Frame(1, 3, 11, 0).substr(0, 4)).c_str());
  EXPECT_EQ(headerOnly.PlayTimeMs(), 131u);  // a last frame cut right after its header counts too
  // The walk ends at the first bytes that are no frame of the same kind: a lost sync
  // byte, lost sync bits, another version, layer or sample rate.
  for (const auto& [at, byte] : {std::pair{0, 0x7F}, std::pair{1, 0x1B}, std::pair{1, 0xF3}, std::pair{1, 0xFD},
                                 std::pair{2, 0x94}}) {
    std::string odd = Frame(1, 3, 9, 0);
    odd[at] = static_cast<char>(byte);
    GMp3Header stopped(Make(vbr + odd + Repeat(Frame(1, 3, 9, 0), 5)).c_str());
    EXPECT_EQ(stopped.PlayTimeMs(), 104u) << at << ' ' << byte;  // 4 * 1152 / 44100 s
  }
  GMp3Header freeFormat(Make(std::string("\xFF\xFB\x00\x00", 4) + std::string(500, '\0')).c_str());
  EXPECT_EQ(freeFormat.PlayTimeMs(), std::nullopt);
  GMp3Header reserved(Make(std::string("\xFF\xFB\x9C\x00", 4) + std::string(500, '\0')).c_str());
  EXPECT_EQ(reserved.PlayTimeMs(), std::nullopt);  // MPEG-1 frequency index 3
}

TEST_F(Mp3HeaderTest, StackedTagsAndFalseHeadersAreReadThroughInLargeBlocks) {
  // A million empty ID3v2 tags before the audio, and false MPEG-2 headers whose next
  // frame is no header: found where they end, with the right play time.
  const std::string emptyTag("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
  const std::string tags = Repeat(emptyTag, 1000000);
  GMp3Header afterTags(Make(tags + Repeat(Frame(1, 3, 9, 0), 3)).c_str());
  ASSERT_TRUE(afterTags.Found());
  EXPECT_EQ(afterTags.Offset(), tags.size());
  EXPECT_EQ(afterTags.PlayTimeMs(), 78u);  // 3 * 1152 / 44100 s
  const std::string falseHeaders = Repeat(std::string("\xFF\xE3\x18\xC4", 4) + std::string(60, 'x'), 100000);
  GMp3Header afterJunk(Make(falseHeaders + Repeat(Frame(1, 3, 9, 0), 3)).c_str());
  ASSERT_TRUE(afterJunk.Found());
  EXPECT_EQ(afterJunk.Offset(), falseHeaders.size());
}

// Files made by lame, twolame and ffmpeg (tests/fixtures/mpeg/make.sh), against the
// frames ffprobe counted in each when it was made.
TEST_F(Mp3HeaderTest, EncodedFilesGiveTheirVersionLayerRateAndPlayTimeToTheFrame) {
  const std::string folder = MELODECK_MPEG_FIXTURES "/";
  std::ifstream counts(folder + "frames.txt");
  std::string name;
  std::uint64_t frames = 0;
  std::uint32_t rate = 0;
  int channels = 0;
  int files = 0;
  while (counts >> name >> frames >> rate >> channels) {
    SCOPED_TRACE(name);
    ++files;
    const std::string version = name.find("mpeg25") != std::string::npos  ? "2.5"
                                : name.find("mpeg2") != std::string::npos ? "2"
                                                                          : "1";
    const int layer = name[1] - '0';  // "l2-…", "l3-…"
    GMp3Header header((folder + name).c_str());
    ASSERT_TRUE(header.Found());
    EXPECT_EQ(header.VersionText(), version);
    EXPECT_EQ(header.Layer(), layer);
    EXPECT_EQ(header.Frequency(), rate);
    EXPECT_EQ(header.IsStereo(), channels == 2);
    const std::uint64_t samplesPerFrame = layer == 3 && version != "1" ? 576 : 1152;
    EXPECT_EQ(header.PlayTimeMs(), (frames * samplesPerFrame * 1000 + rate / 2) / rate);
  }
  EXPECT_EQ(files, 17);
}

// The same encoded frames behind junk, and cut off inside the last frame.
TEST_F(Mp3HeaderTest, EncodedMpeg2FramesAreFoundBehindJunkAndCountedWhenCutShort) {
  std::ifstream in(MELODECK_MPEG_FIXTURES "/l3-mpeg2-vbr-notag.mp3", std::ios::binary);
  const std::string frames{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string junk = std::string("\xFF\xE3\x18\xC4", 4) + std::string(1000, '\x55');
  GMp3Header behindJunk(Make(junk + frames).c_str());
  ASSERT_TRUE(behindJunk.Found());
  EXPECT_EQ(behindJunk.Offset(), junk.size());
  EXPECT_EQ(behindJunk.VersionText(), "2");
  EXPECT_EQ(behindJunk.PlayTimeMs(), 1560u);  // 65 frames of 576 samples at 24 kHz
  GMp3Header cut(Make(frames.substr(0, frames.size() - 20)).c_str());
  EXPECT_EQ(cut.PlayTimeMs(), 1560u);
}
