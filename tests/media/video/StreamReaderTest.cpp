// The stream reader's outputs for DV and QuickTime files, its frame reads
// against ffmpeg's decode, and the files it must refuse.
#include "media/video/VideoStreamReader.h"

#include <gtest/gtest.h>

#include "tests/TempDir.h"
#include "tests/media/video/VideoMedia.h"

namespace lumora::video::test {
namespace {

using lumora::test::TempDir;

// The frame as a top-down 24-bit picture for comparing with ffmpeg's.
DibImage FramePicture(const std::vector<uint8_t>& rows, int width, int height) {
  DibImage picture;
  EXPECT_TRUE(picture.Create(width, height, 24));
  const size_t packed = size_t(width) * 3, stride = DibStride(width, 24);
  for (int y = 0; y < height; ++y)
    std::copy_n(&rows[size_t(y) * packed], packed, picture.PixelBits() + size_t(y) * stride);
  return picture;
}

TEST(VideoStreamReader, DvAviOpensWithItsFormatAudioAndFrameCount) {
  TempDir dir;
  const auto clip = dir / "dv.avi";
  MakeClip(clip, "720x480", "30000/1001", 0.5, "-c:v dvvideo -pix_fmt yuv411p", "-c:a pcm_s16le -ac 2");
  VideoStreamReader reader;
  BitmapInfoHeader header;
  WaveFormat audio;
  uint8_t hasAudio = 0;
  uint32_t frames = 0;
  int64_t timePerFrame = 0;
  ASSERT_TRUE(reader.Open(clip.string(), &header, &audio, &hasAudio, &frames, &timePerFrame)) << reader.error();
  EXPECT_EQ(header.width, 720);
  EXPECT_EQ(header.height, 480);
  EXPECT_EQ(header.planes, 1);
  EXPECT_EQ(header.bitCount, 24);
  EXPECT_EQ(header.compression, kCompressionRgb);
  EXPECT_EQ(header.sizeImage, 720u * 480 * 3);
  EXPECT_EQ(timePerFrame, 333667);  // 1001 / 30000 s in 100 ns
  EXPECT_EQ(int64_t(frames), reader.duration() / timePerFrame - 1);
  EXPECT_GE(frames, 13u);
  EXPECT_EQ(hasAudio, 1);
  EXPECT_EQ(audio.formatTag, 1);
  EXPECT_EQ(audio.channels, 2);
  EXPECT_EQ(audio.samplesPerSecond, 48000u);
  EXPECT_EQ(audio.blockAlign, 4);
  EXPECT_EQ(audio.averageBytesPerSecond, 192000u);
  EXPECT_EQ(audio.bitsPerSample, 16);
}

TEST(VideoStreamReader, ReadFrameSeeksToTheFrameAndRefusesShortBuffers) {
  TempDir dir;
  const auto clip = dir / "mp42.avi";
  MakeClip(clip, "320x240", "25", 1, "-c:v msmpeg4v2 -q:v 3 -g 10");
  VideoStreamReader reader;
  ASSERT_TRUE(reader.Open(clip.string(), nullptr, nullptr, nullptr, nullptr, nullptr)) << reader.error();
  std::vector<uint8_t> rows(320 * 240 * 3);
  EXPECT_EQ(reader.ReadFrame(0, std::span(rows).first(rows.size() - 1)), 0);
  // Frame 13 lies after the key frame 10: it is decoded from there.
  ASSERT_EQ(reader.ReadFrame(13, rows), 1);
  const DibImage frame13 = FramePicture(rows, 320, 240);
  const double psnr = PicturePsnr(frame13, ReferenceFrame(clip, "eq(n\\,13)"));
  EXPECT_GT(psnr, 30);
  EXPECT_GT(psnr, PicturePsnr(frame13, ReferenceFrame(clip, "eq(n\\,12)")) + 1);
  ASSERT_EQ(reader.ReadFrame(0, rows), 1);
  EXPECT_GT(PicturePsnr(FramePicture(rows, 320, 240), ReferenceFrame(clip, "eq(n\\,0)")), 30);
}

TEST(VideoStreamReader, QuickTimeFilesReadOnAndReportStandardSampleRates) {
  TempDir dir;
  const auto clip = dir / "clip.mov";
  MakeClip(clip, "160x120", "25", 0.5, "-c:v mjpeg", "-c:a pcm_s16le -ar 22000 -ac 1");
  VideoStreamReader reader;
  WaveFormat audio;
  ASSERT_TRUE(reader.Open(clip.string(), nullptr, &audio, nullptr, nullptr, nullptr)) << reader.error();
  EXPECT_EQ(audio.samplesPerSecond, 22050u);
  // No seek for QuickTime: whatever frame number is asked, the frames come in order.
  std::vector<uint8_t> rows(160 * 120 * 3);
  ASSERT_EQ(reader.ReadFrame(9, rows), 1);
  EXPECT_GT(PicturePsnr(FramePicture(rows, 160, 120), ReferenceFrame(clip, "eq(n\\,0)")), 30);
  ASSERT_EQ(reader.ReadFrame(0, rows), 1);
  EXPECT_GT(PicturePsnr(FramePicture(rows, 160, 120), ReferenceFrame(clip, "eq(n\\,1)")), 30);
}

TEST(VideoStreamReader, QuickTimeSampleRatesRoundAtTheTableEdges) {
  constexpr std::pair<uint32_t, uint32_t> kCases[] = {{8000, 11025},   {16537, 11025}, {16538, 22050},
                                                      {27025, 22050},  {27026, 32000}, {38050, 32000},
                                                      {38051, 44100},  {46050, 44100}, {46051, 48000},
                                                      {96000, 48000}};
  for (auto [rate, standard] : kCases) EXPECT_EQ(RoundQuickTimeSampleRate(rate), standard) << rate;
}

TEST(VideoStreamReader, FilesWithoutReadableVideoDoNotOpen) {
  TempDir dir;
  lumora::test::WriteText(dir / "notes.avi", "not a video at all\n");
  ASSERT_TRUE(Ffmpeg("-f lavfi -i sine -t 0.2 \"" + (dir / "tone.wav").string() + "\""));
  VideoStreamReader reader;
  for (const char* name : {"notes.avi", "tone.wav", "missing.avi"}) {
    BitmapInfoHeader header;
    header.width = 77;
    EXPECT_FALSE(reader.Open((dir / name).string(), &header, nullptr, nullptr, nullptr, nullptr)) << name;
    EXPECT_FALSE(reader.error().empty());
    EXPECT_EQ(header.width, 77) << "outputs are left alone";
    EXPECT_EQ(reader.width(), 0) << "no surface";
    std::vector<uint8_t> rows(16);
    EXPECT_EQ(reader.ReadFrame(0, rows), 0);
  }
}

}  // namespace
}  // namespace lumora::video::test
