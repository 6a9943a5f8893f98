// The MP3 frame header reader on real frames.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

  // "ID3" that is no tag (size byte with the top bit set) is searched as junk.
  const std::string fake = std::string("ID3\x03\x00\x00\x80\x00\x00\x00", 10);
  GMp3Header junk(Make(fake + SilentMp3Frames(1)).c_str());
  EXPECT_EQ(junk.Offset(), fake.size());
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
