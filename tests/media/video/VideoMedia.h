// Test media for the video previews, made by the ffmpeg command at test time,
// and ffmpeg's decode of a chosen frame as the independent reference.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "picture/DibImage.h"
#include "tests/mpeg/FfmpegStreams.h"

namespace lumora::video::test {

using mpeg::test::Ffmpeg;
using mpeg::test::HaveFfmpeg;
using mpeg::test::Psnr;
using mpeg::test::ReadAll;

// Encodes `seconds` of a moving test pattern (with a sine tone when `audio`
// names an audio encoder's options) into `out`. Fails the calling test on error.
inline void MakeClip(const std::filesystem::path& out, const std::string& size, const std::string& rate,
                     double seconds, const std::string& videoOptions, const std::string& audio = {}) {
  ASSERT_TRUE(HaveFfmpeg()) << "the ffmpeg command is needed to make video test files";
  std::string args = "-f lavfi -i testsrc2=size=" + size + ":rate=" + rate;
  if (!audio.empty()) args += " -f lavfi -i sine=frequency=440:sample_rate=48000";
  args += " -t " + std::to_string(seconds) + " " + videoOptions + " " + audio + " \"" + out.string() + "\"";
  ASSERT_TRUE(Ffmpeg(args)) << "ffmpeg " << args;
}

struct ClipSize {
  int width, height;
};

// Every width from 160 to 200, most of them no multiple of the decoders'
// 16-pixel blocks, at odd heights, and 360 x 240; the conversion to rows
// converts blocks of pixels and pairs of rows at a time.
inline std::vector<ClipSize> ConversionSizes() {
  std::vector<ClipSize> sizes;
  for (int width = 160; width <= 200; ++width) sizes.push_back({width, 95 + 2 * (width % 4)});
  sizes.push_back({360, 240});
  return sizes;
}

// Encodes `frames` frames of the test pattern at each of `sizes` with the
// encoder `options` into `dir`, named "<width>x<height><extension>", in one
// ffmpeg run. The pattern is made in RGB, so odd sizes are kept as they are.
inline std::vector<std::filesystem::path> MakeClipsOfSizes(const std::filesystem::path& dir,
                                                           const std::vector<ClipSize>& sizes, int frames,
                                                           const std::string& options, const std::string& extension) {
  EXPECT_TRUE(HaveFfmpeg()) << "the ffmpeg command is needed to make video test files";
  std::string inputs, outputs;
  std::vector<std::filesystem::path> clips;
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::string size = std::to_string(sizes[i].width) + "x" + std::to_string(sizes[i].height);
    clips.push_back(dir / (size + extension));
    inputs += " -f lavfi -i \"testsrc2=size=" + size + ":rate=25,format=rgb24\"";
    outputs += " -map " + std::to_string(i) + ":v -frames:v " + std::to_string(frames) + " " + options + " \"" +
               clips.back().string() + "\"";
  }
  EXPECT_TRUE(Ffmpeg(inputs + outputs)) << "ffmpeg" << inputs << outputs;
  return clips;
}

// ffmpeg's first picture of each clip as 24-bit rows top row first, in one ffmpeg run.
inline std::vector<std::vector<uint8_t>> FirstFrames(const std::vector<std::filesystem::path>& clips) {
  std::string inputs, outputs;
  for (size_t i = 0; i < clips.size(); ++i) {
    inputs += " -i \"" + clips[i].string() + "\"";
    outputs += " -map " + std::to_string(i) + ":v -frames:v 1 -f rawvideo -pix_fmt bgr24 \"" + clips[i].string() +
               ".ref.bgr\"";
  }
  EXPECT_TRUE(Ffmpeg(inputs + outputs)) << "ffmpeg" << inputs << outputs;
  std::vector<std::vector<uint8_t>> frames;
  for (const auto& clip : clips) frames.push_back(ReadAll(clip.string() + ".ref.bgr"));
  return frames;
}

// ffmpeg's picture of `clip` picked by the select filter expression
// (e.g. "eq(n\\,5)", "gte(t\\,1)"), as 24-bit rows top row first.
inline std::vector<uint8_t> ReferenceFrame(const std::filesystem::path& clip, const std::string& select) {
  const std::filesystem::path raw = clip.string() + ".ref.bgr";
  EXPECT_TRUE(Ffmpeg("-i \"" + clip.string() + "\" -vf \"select=" + select +
                     "\" -frames:v 1 -f rawvideo -pix_fmt bgr24 \"" + raw.string() + "\""));
  return ReadAll(raw);
}

// The picture's pixels as 24-bit rows top row first (8-bit pictures through
// their colour table); empty when it has another depth.
inline std::vector<uint8_t> TopDownBgr(const DibImage& picture) {
  auto layout = picture.layout();
  if (!layout || (layout->bitCount != 24 && layout->bitCount != 8)) return {};
  std::vector<uint8_t> out;
  const uint8_t* block = picture.block().data();
  for (int32_t y = layout->height - 1; y >= 0; --y) {
    const uint8_t* row = block + layout->pixelOffset + size_t(y) * layout->stride;
    for (int32_t x = 0; x < layout->width; ++x) {
      if (layout->bitCount == 24) {
        out.insert(out.end(), row + 3 * x, row + 3 * x + 3);
      } else {
        const uint8_t* entry = block + layout->headerBytes + size_t(row[x]) * 4;
        out.insert(out.end(), entry, entry + 3);
      }
    }
  }
  return out;
}

// PSNR of a picture against a reference frame of the same size; 0 when the sizes differ.
inline double PicturePsnr(const DibImage& picture, const std::vector<uint8_t>& reference) {
  const std::vector<uint8_t> pixels = TopDownBgr(picture);
  if (pixels.empty() || pixels.size() != reference.size()) return 0;
  return Psnr(pixels.data(), reference.data(), pixels.size());
}

}  // namespace lumora::video::test
