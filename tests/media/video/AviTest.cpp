// GetAviFirstFrame against ffmpeg's decode of the same frame, the frame
// indexes, damaged files, and the choice of the stream reader.
#include "media/video/AviFirstFrame.h"

#include <gtest/gtest.h>

#include <fstream>

#include "media/video/AviFile.h"
#include "media/video/VideoStreamReader.h"
#include "tests/TempDir.h"
#include "tests/media/video/AviWriter.h"
#include "tests/media/video/VideoMedia.h"

namespace lumora::video::test {
namespace {

using lumora::test::TempDir;

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

AviVideo ReadVideo(const std::filesystem::path& path) {
  auto source = FileByteSource::Open(path.string());
  AviVideo video;
  std::string error;
  EXPECT_TRUE(source && ReadAviVideo(*source, video, error)) << error;
  return video;
}

struct RawCase {
  const char* pixelFormat;
  int pictureBits;
};
void PrintTo(const RawCase& c, std::ostream* os) { *os << c.pixelFormat; }

class UncompressedAvi : public testing::TestWithParam<RawCase> {};

// Rows of 34 pixels need padding at every depth but 32; ffmpeg stores them top row first.
TEST_P(UncompressedAvi, FirstFrameEqualsFfmpegsDecode) {
  TempDir dir;
  const auto clip = dir / "raw.avi";
  MakeClip(clip, "34x20", "25", 0.2, std::string("-c:v rawvideo -pix_fmt ") + GetParam().pixelFormat);
  DibImage picture;
  std::string error;
  ASSERT_EQ(GetAviFirstFrame(clip.string(), picture, &error), 1) << error;
  EXPECT_EQ(picture.BitCount(), GetParam().pictureBits);
  EXPECT_EQ(picture.width(), 34);
  EXPECT_EQ(picture.height(), 20);
  EXPECT_EQ(PicturePsnr(picture, ReferenceFrame(clip, "eq(n\\,0)")), 99);
}

INSTANTIATE_TEST_SUITE_P(Depths, UncompressedAvi,
                         testing::Values(RawCase{"bgr24", 24}, RawCase{"pal8", 8}, RawCase{"rgb555le", 24},
                                         RawCase{"bgra", 24}),
                         [](const auto& info) { return std::string(info.param.pixelFormat); });

TEST(CompressedAvi, MotionJpegDecompressesTo24Bit) {
  TempDir dir;
  const auto clip = dir / "mjpeg.avi";
  MakeClip(clip, "320x240", "25", 0.4, "-c:v mjpeg -q:v 3");
  DibImage picture;
  std::string error;
  ASSERT_EQ(GetAviFirstFrame(clip.string(), picture, &error), 1) << error;
  EXPECT_EQ(picture.BitCount(), 24);
  EXPECT_GT(PicturePsnr(picture, ReferenceFrame(clip, "eq(n\\,0)")), 35);
}

// Motion-JPEG clips of two frames through both AVI readers: the frame
// reader's decompressor and the stream reader.
TEST(CompressedAvi, EveryWidthAndOddHeightMatchesFfmpegsDecodeInBothReaders) {
  TempDir dir;
  const std::vector<ClipSize> sizes = ConversionSizes();
  const auto clips = MakeClipsOfSizes(dir.path(), sizes, 2, "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p", ".avi");
  const auto references = FirstFrames(clips);
  for (size_t i = 0; i < clips.size(); ++i) {
    const auto [width, height] = sizes[i];
    DibImage picture;
    std::string error;
    ASSERT_EQ(GetAviFirstFrame(clips[i].string(), picture, &error), 1) << error;
    EXPECT_EQ(picture.width(), width);
    EXPECT_EQ(picture.height(), height);
    EXPECT_GT(PicturePsnr(picture, references[i]), 40) << clips[i].filename();

    VideoStreamReader reader;
    ASSERT_TRUE(reader.Open(clips[i].string(), nullptr, nullptr, nullptr, nullptr, nullptr)) << reader.error();
    std::vector<uint8_t> rows(size_t(width) * 3 * size_t(height));
    ASSERT_EQ(reader.ReadFrame(0, rows), 1) << reader.error();
    ASSERT_TRUE(picture.Create(width, height, 24));
    const size_t stride = DibStride(width, 24);
    for (int y = 0; y < height; ++y)
      std::copy_n(&rows[size_t(y) * size_t(width) * 3], size_t(width) * 3, picture.PixelBits() + size_t(y) * stride);
    EXPECT_GT(PicturePsnr(picture, references[i]), 40) << clips[i].filename() << " through the stream reader";
  }
}

// HuffYUV and FFV1 keep their tables in the stream format after the 40-byte
// bitmap header, and biSize counts them: the decoder needs those bytes.
TEST(CompressedAvi, CodecDataAfterTheBitmapHeaderReachesTheDecoder) {
  TempDir dir;
  for (const auto& [options, size] : {std::pair{"-c:v huffyuv", ClipSize{173, 97}},
                                      std::pair{"-c:v huffyuv -pix_fmt yuv422p", ClipSize{174, 97}},
                                      std::pair{"-c:v ffv1 -level 3", ClipSize{173, 97}}}) {
    const auto clip = MakeClipsOfSizes(dir.path(), {size}, 2, options, ".avi").at(0);
    EXPECT_GT(ReadVideo(clip).format.size, kBitmapInfoHeaderBytes) << options;
    DibImage picture;
    std::string error;
    ASSERT_EQ(GetAviFirstFrame(clip.string(), picture, &error), 1) << options << ": " << error;
    EXPECT_EQ(PicturePsnr(picture, FirstFrames({clip}).at(0)), 99) << options;
  }
}

// The first two chunks hold no JPEG data: the first frame that decodes is frame 2.
TEST(CompressedAvi, FramesThatDoNotDecompressAreSkipped) {
  TempDir dir;
  const auto clip = dir / "mjpeg.avi";
  MakeClip(clip, "320x240", "25", 0.4, "-c:v mjpeg -q:v 3");
  const auto frame2 = ReferenceFrame(clip, "eq(n\\,2)");
  const auto frame0 = ReferenceFrame(clip, "eq(n\\,0)");
  AviVideo video = ReadVideo(clip);
  ASSERT_GE(video.frames.size(), 3u);
  std::vector<uint8_t> bytes = ReadAll(clip);
  for (int i = 0; i < 2; ++i)
    std::fill_n(bytes.begin() + ptrdiff_t(video.frames[size_t(i)].offset), video.frames[size_t(i)].size, 0);
  WriteBytes(clip, bytes);
  DibImage picture;
  ASSERT_EQ(GetAviFirstFrame(clip.string(), picture), 1);
  const double psnr2 = PicturePsnr(picture, frame2);
  EXPECT_GT(psnr2, 35);
  EXPECT_GT(psnr2, PicturePsnr(picture, frame0) + 1);
}

std::vector<uint8_t> Ramp(size_t bytes, uint8_t seed) {
  std::vector<uint8_t> out(bytes);
  for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t(i * 7 + seed);
  return out;
}

// A raw 8 x 4 24-bit stream whose first chunk is too short to be a frame.
AviLayout ShortFirstFrame(AviIndex index) {
  AviLayout layout;
  layout.width = 8;
  layout.height = 4;
  layout.index = index;
  layout.frames = {Ramp(10, 0), Ramp(8 * 3 * 4, 1), Ramp(8 * 3 * 4, 2)};
  return layout;
}

TEST(AviIndexes, Idx1OpenDmlAndTheMoviWalkFindTheSameFrames) {
  TempDir dir;
  std::vector<std::vector<uint8_t>> blocks;
  for (AviIndex index : {AviIndex::Idx1, AviIndex::OpenDml, AviIndex::None}) {
    const auto path = dir / "indexed.avi";
    WriteBytes(path, WriteAvi(ShortFirstFrame(index)));
    AviVideo video = ReadVideo(path);
    ASSERT_EQ(video.frames.size(), 3u) << int(index);
    DibImage picture;
    ASSERT_EQ(GetAviFirstFrame(path.string(), picture), 1) << int(index);
    // Frame 1 (rows bottom first, as the file stores them) is the first whole frame.
    const std::vector<uint8_t> expected = Ramp(8 * 3 * 4, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), picture.PixelBits())) << int(index);
    blocks.push_back(picture.block());
  }
  EXPECT_EQ(blocks[0], blocks[1]);
  EXPECT_EQ(blocks[0], blocks[2]);
}

TEST(AviFirstFrameRule, FourBitFramesMakeNoPicture) {
  TempDir dir;
  AviLayout layout;
  layout.width = 8;
  layout.height = 2;
  layout.bitCount = 4;
  layout.colours = Ramp(16 * 4, 0);
  layout.frames = {Ramp(8, 3)};
  const auto path = dir / "four.avi";
  WriteBytes(path, WriteAvi(layout));
  DibImage picture;
  std::string error;
  EXPECT_EQ(GetAviFirstFrame(path.string(), picture, &error), 0);
  EXPECT_NE(error.find("4-bit"), std::string::npos) << error;
  EXPECT_TRUE(picture.empty());
}

// A V4 bitmap header (108 bytes) puts its colour table after all of itself.
TEST(AviFirstFrameRule, TheColourTableFollowsALongerBitmapHeader) {
  TempDir dir;
  AviLayout layout;
  layout.width = 4;
  layout.height = 1;
  layout.bitCount = 8;
  layout.headerTail = std::vector<uint8_t>(68, 0xEE);
  layout.colours = Ramp(4 * 4, 5);
  layout.frames = {{3, 2, 1, 0}};
  const auto path = dir / "v4.avi";
  WriteBytes(path, WriteAvi(layout));
  DibImage picture;
  ASSERT_EQ(GetAviFirstFrame(path.string(), picture), 1);
  std::vector<uint8_t> expected;
  for (size_t entry : {3, 2, 1, 0})
    expected.insert(expected.end(), &layout.colours[entry * 4], &layout.colours[entry * 4 + 3]);
  EXPECT_EQ(TopDownBgr(picture), expected);
}

TEST(AviFirstFrameRule, DamagedFilesGiveNoPictureAndCutShortRecordingsTheirFrames) {
  TempDir dir;
  const std::vector<uint8_t> good = WriteAvi(ShortFirstFrame(AviIndex::Idx1));
  DibImage picture;
  // Not there, not RIFF, RIFF of another form, headers cut off.
  EXPECT_EQ(GetAviFirstFrame((dir / "missing.avi").string(), picture), 0);
  std::vector<uint8_t> wave = good;
  std::copy_n("WAVE", 4, wave.begin() + 8);
  for (const auto& bytes : {std::vector<uint8_t>(300, 0x41), wave, std::vector<uint8_t>(good.begin(), good.begin() + 150)}) {
    WriteBytes(dir / "bad.avi", bytes);
    std::string error;
    EXPECT_EQ(GetAviFirstFrame((dir / "bad.avi").string(), picture, &error), 0);
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(picture.empty());
  // A recording cut off in its second frame: the RIFF size runs past the end
  // and idx1 is gone, but the first whole frame is still in movi.
  AviLayout layout = ShortFirstFrame(AviIndex::Idx1);
  layout.frames.erase(layout.frames.begin());
  std::vector<uint8_t> cut = WriteAvi(layout);
  AviVideo full;
  {
    WriteBytes(dir / "cut.avi", cut);
    full = ReadVideo(dir / "cut.avi");
  }
  cut.resize(size_t(full.frames[1].offset + 5));
  WriteBytes(dir / "cut.avi", cut);
  EXPECT_EQ(ReadVideo(dir / "cut.avi").frames.size(), 1u);
  EXPECT_EQ(GetAviFirstFrame((dir / "cut.avi").string(), picture), 1);
}

// A frame may have up to 2^28 pixels. A header that declares more (17 x
// 15790321 is one pixel more) is refused before a decoder is opened or a
// frame allocated, compressed or not; the 1-bit frames (an eighth of a byte
// a pixel) show the frame reader's own bound at and one row past the limit.
TEST(AviFirstFrameRule, FramesOfMoreThanThePixelLimitAreRefusedBeforeDecoding) {
  TempDir dir;
  for (uint32_t compression : {kCompressionRgb, FourCc("MJPG")}) {
    AviLayout layout;
    layout.compression = compression;
    layout.width = 17;
    layout.height = 15790321;
    layout.frames = {Ramp(17 * 3, 0)};
    WriteBytes(dir / "huge.avi", WriteAvi(layout));
    DibImage picture;
    std::string error;
    EXPECT_EQ(GetAviFirstFrame((dir / "huge.avi").string(), picture, &error), 0);
    EXPECT_NE(error.find("cannot decode a 17 x 15790321 picture"), std::string::npos) << error;
  }
  AviVideo video;
  video.format.width = 16384;
  video.format.bitCount = 1;
  const std::vector<uint8_t> chunk(size_t(16384 / 8) * 16385, 0x5A);
  for (int32_t height : {16384, -16384, 16385, -16385}) {
    video.format.height = height;
    EXPECT_EQ(UncompressedFrame(video, chunk).has_value(), std::abs(height) == 16384) << height;
  }
}

TEST(NeedsStreamReader, QuickTimeNamesGoWithoutTheFileBeingOpened) {
  EXPECT_EQ(NeedsStreamReader("/no/such/folder/clip.QT"), 1);
  EXPECT_EQ(NeedsStreamReader("/no/such/folder/clip.Mov"), 1);
  EXPECT_EQ(NeedsStreamReader("/no/such/folder/clip.movie"), 1);  // only the first characters count
  EXPECT_EQ(NeedsStreamReader("/no/such/folder/clip.avi"), 0);
  EXPECT_EQ(NeedsStreamReader("/no/such/folder.mov/clip"), 0);
}

TEST(NeedsStreamReader, HandlerCodesAreComparedCaseSensitively) {
  TempDir dir;
  MakeClip(dir / "dv.avi", "720x480", "30000/1001", 0.1, "-c:v dvvideo -pix_fmt yuv411p");
  MakeClip(dir / "mp42.avi", "320x240", "25", 0.1, "-c:v msmpeg4v2");
  MakeClip(dir / "mjpeg.avi", "320x240", "25", 0.1, "-c:v mjpeg");
  EXPECT_EQ(NeedsStreamReader((dir / "dv.avi").string()), 1);
  EXPECT_EQ(NeedsStreamReader((dir / "mp42.avi").string()), 1);
  EXPECT_EQ(NeedsStreamReader((dir / "mjpeg.avi").string()), 0);
  AviLayout layout = ShortFirstFrame(AviIndex::Idx1);
  layout.handler = "DVSD";
  WriteBytes(dir / "upper.avi", WriteAvi(layout));
  EXPECT_EQ(NeedsStreamReader((dir / "upper.avi").string()), 0);
  layout.handler = "dvsd";
  WriteBytes(dir / "lower.avi", WriteAvi(layout));
  EXPECT_EQ(NeedsStreamReader((dir / "lower.avi").string()), 1);
}

}  // namespace
}  // namespace lumora::video::test
