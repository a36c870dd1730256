// Test media for the video previews, made by the ffmpeg command at test time,
// and ffmpeg's decode of a chosen frame as the independent reference.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/picture/DibImage.h"
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
