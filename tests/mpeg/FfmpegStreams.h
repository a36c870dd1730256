// Test streams made by the ffmpeg command at test time, and ffmpeg's own
// decode of them as the independent reference. A missing ffmpeg fails the
// test that needs it (the test command installs it), never skips it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lumora::mpeg::test {

inline bool HaveFfmpeg() { return std::system("ffmpeg -hide_banner -version > /dev/null 2>&1") == 0; }

// Runs ffmpeg with `args` (quiet); true when it succeeded.
inline bool Ffmpeg(const std::string& args) {
  std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y " + args + " > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Encodes `frames` frames of a moving test pattern of `size` ("352x240")
// with the encoder `options` into `out`. Fails the calling test on error.
inline void MakeStream(const std::filesystem::path& out, const std::string& size, int frames,
                       const std::string& options) {
  ASSERT_TRUE(HaveFfmpeg()) << "the ffmpeg command is needed to make MPEG test streams";
  std::string args = "-f lavfi -i testsrc2=size=" + size + ":rate=25 -frames:v " + std::to_string(frames) + " " +
                     options + " \"" + out.string() + "\"";
  ASSERT_TRUE(Ffmpeg(args)) << "ffmpeg " << args;
}

inline std::vector<uint8_t> ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ffmpeg's decode of `stream` as raw planes of `pixFmt` ("yuv420p"), all
// pictures in display order, one after the other.
inline std::vector<uint8_t> ReferenceDecode(const std::filesystem::path& stream, const std::string& pixFmt) {
  std::filesystem::path raw = stream.string() + "." + pixFmt + ".raw";
  EXPECT_TRUE(Ffmpeg("-i \"" + stream.string() + "\" -fps_mode passthrough -f rawvideo -pix_fmt " + pixFmt + " \"" + raw.string() + "\""));
  return ReadAll(raw);
}

// Peak signal-to-noise ratio of two equally long sample runs, in dB (99 for identical).
inline double Psnr(const uint8_t* a, const uint8_t* b, size_t n) {
  if (n == 0) return 0;
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    double d = double(a[i]) - double(b[i]);
    sum += d * d;
  }
  if (sum == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 * double(n) / sum);
}

}  // namespace lumora::mpeg::test
