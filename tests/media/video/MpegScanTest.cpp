// The MPEG system scanner on program streams made by ffmpeg: stream kinds,
// the audio header's fields against the encoder's settings, the end
// conditions, private substreams of ".vob" names, and reading across blocks.
#include "media/video/MpegSystemScanner.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/TempDir.h"
#include "tests/media/video/VideoMedia.h"

namespace lumora::video::test {
namespace {

using lumora::test::TempDir;

MpegScanResult ScanFile(const std::filesystem::path& path) {
  MpegSystemScanner scanner;
  int video = -1, audio = -1;
  scanner.Scan(path.string(), &video, &audio);
  EXPECT_EQ(video, scanner.result().videoFound ? 1 : 0);
  EXPECT_EQ(audio, scanner.result().audioFound ? 1 : 0);
  return scanner.result();
}

// The video stream's first presentation time as ffprobe reports it.
double FirstVideoTime(const std::filesystem::path& path) {
  const std::string command = "ffprobe -v error -select_streams v -show_entries stream=start_time -of csv=p=0 \"" +
                              path.string() + "\"";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  double seconds = -1;
  if (pipe && std::fscanf(pipe.get(), "%lf", &seconds) != 1) seconds = -1;
  return seconds;
}

TEST(MpegSystemScanner, Mpeg1SystemStreamWithLayerTwoAudio) {
  TempDir dir;
  const auto clip = dir / "m1.mpg";
  // Layer II, 192 kbit/s (index 10), 48 kHz (index 1), mono (mode 3).
  MakeClip(clip, "352x240", "25", 1, "-c:v mpeg1video -f mpeg", "-c:a mp2 -b:a 192k -ac 1");
  const MpegScanResult r = ScanFile(clip);
  EXPECT_EQ(r.streamKind, kStreamMpeg1System);
  EXPECT_FALSE(UsesMpeg2Capture(r.streamKind));
  EXPECT_TRUE(r.videoFound);
  EXPECT_TRUE(r.audioFound);
  EXPECT_EQ(r.audioLayer, 2);  // the header's layer bits: 10 for layer II
  EXPECT_EQ(r.audioBitrateIndex, 10);
  EXPECT_EQ(r.audioFrequencyIndex, 1);
  EXPECT_EQ(r.audioMode, 3);
  EXPECT_NEAR(r.firstPts, FirstVideoTime(clip), 0.002);
}

TEST(MpegSystemScanner, Mpeg2ProgramStreamSelectsTheMpeg2Form) {
  TempDir dir;
  const auto clip = dir / "m2.mpg";
  MakeClip(clip, "720x480", "25", 1, "-c:v mpeg2video -f vob", "-c:a mp2");
  const MpegScanResult r = ScanFile(clip);
  EXPECT_EQ(r.streamKind, kStreamMpeg2Program);
  EXPECT_TRUE(UsesMpeg2Capture(r.streamKind));
  EXPECT_TRUE(r.videoFound);
  EXPECT_TRUE(r.audioFound);
}

TEST(MpegSystemScanner, WithoutAudioTheScanEndsAfterTwentyGroupsOrAtTheEnd) {
  TempDir dir;
  MakeClip(dir / "long.mpg", "176x144", "25", 10, "-c:v mpeg2video -g 5 -f vob");  // 50 groups
  MakeClip(dir / "short.mpg", "176x144", "25", 1.2, "-c:v mpeg2video -g 10 -f vob");  // 3 groups
  const MpegScanResult longScan = ScanFile(dir / "long.mpg");
  EXPECT_EQ(longScan.gopCount, kMaxScannedGops);
  EXPECT_TRUE(longScan.videoFound);
  EXPECT_FALSE(longScan.audioFound);
  EXPECT_LT(longScan.lastPts, 5.0) << "the scan stopped early in the file";
  const MpegScanResult shortScan = ScanFile(dir / "short.mpg");
  EXPECT_EQ(shortScan.gopCount, 3);
}

TEST(MpegSystemScanner, VobNamesCountPrivateSubstreams) {
  TempDir dir;
  const auto vob = dir / "CLIP.VOB";
  MakeClip(vob, "720x480", "25", 1, "-c:v mpeg2video -f vob", "-c:a ac3");
  const MpegScanResult r = ScanFile(vob);
  EXPECT_TRUE(r.vobName);
  EXPECT_GT(r.privateBytes[0x80], 1000u) << "AC-3 travels as private substream 0x80";
  std::filesystem::copy_file(vob, dir / "clip.mpg");
  const MpegScanResult plain = ScanFile(dir / "clip.mpg");
  EXPECT_FALSE(plain.vobName);
  EXPECT_EQ(plain.privateBytes[0x80], 0u);
}

TEST(MpegSystemScanner, UnopenableFilesFindNeitherVideoNorAudio) {
  MpegSystemScanner scanner;
  int video = 7, audio = 7;
  scanner.Scan("/no/such/folder/clip.mpg", &video, &audio);
  EXPECT_EQ(video, 0);
  EXPECT_EQ(audio, 0);
  EXPECT_EQ(scanner.result().streamKind, kStreamNoPack);
}

// A program stream whose system header and first packet header claim more
// bytes than their lengths give: the scan goes on at the next start code,
// and finds the sequence header in the packet that follows.
TEST(MpegSystemScanner, HeadersEndWithTheirLength) {
  const std::vector<uint8_t> pack = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8};
  const std::vector<uint8_t> shortSystemHeader = {0, 0, 1, 0xBB, 0, 2, 0x80, 0x01};
  // PTS flagged, 200 header bytes claimed in a packet of 8.
  const std::vector<uint8_t> overlongHeader = {0, 0, 1, 0xE0, 0, 8, 0x80, 0x80, 200, 0x21, 0, 1, 0, 1};
  const std::vector<uint8_t> sequence = {0, 0, 1, 0xE0, 0, 15, 0x80, 0, 0,    0, 0, 1, 0xB3,
                                         0x16, 0, 0xF0, 0x13, 0xFF, 0xFF, 0xE0, 0x18, 0, 0, 1, 0xB9};
  for (const auto& damaged : {shortSystemHeader, overlongHeader}) {
    std::vector<uint8_t> bytes = pack;
    bytes.insert(bytes.end(), damaged.begin(), damaged.end());
    bytes.insert(bytes.end(), sequence.begin(), sequence.end());
    MpegSystemScanner scanner;
    scanner.ScanBytes(bytes, false);
    EXPECT_EQ(scanner.result().streamKind, kStreamMpeg2Program);
    EXPECT_TRUE(scanner.result().videoFound) << int(damaged[3]);
  }
}

// Headers and start codes that straddle blocks read as they do inside one.
TEST(MpegSystemScanner, TinyBlocksScanLikeWholeOnes) {
  TempDir dir;
  const auto clip = dir / "m2.vob";
  MakeClip(clip, "176x144", "25", 1, "-c:v mpeg2video -g 5 -f vob", "-c:a mp2");
  const std::vector<uint8_t> bytes = ReadAll(clip);
  MpegSystemScanner whole, tiny;
  whole.ScanBytes(bytes, true);
  tiny.ScanBytes(bytes, true, 3);
  EXPECT_TRUE(whole.result().videoFound && whole.result().audioFound);
  EXPECT_EQ(tiny.result().streamKind, whole.result().streamKind);
  EXPECT_EQ(tiny.result().audioBitrateIndex, whole.result().audioBitrateIndex);
  EXPECT_EQ(tiny.result().gopCount, whole.result().gopCount);
  EXPECT_EQ(tiny.result().lastPts, whole.result().lastPts);
  EXPECT_EQ(tiny.result().privateBytes, whole.result().privateBytes);
}

}  // namespace
}  // namespace lumora::video::test
