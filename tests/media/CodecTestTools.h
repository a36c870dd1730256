// Helpers shared by the codec tests: whole-file bytes, a picture's pixels as
// red, green, blue through its palette, and ImageMagick's convert as an
// independent reference (making files in the variants other writers produce,
// and dumping any file's pixels as a binary PPM to compare against).
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "picture/DibImage.h"
#include "tests/TempDir.h"

namespace lumora::test {

inline std::vector<uint8_t> FileBytes(const std::filesystem::path& p) {
  std::string text = ReadText(p);
  return {text.begin(), text.end()};
}
inline void WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  WriteText(p, std::string(bytes.begin(), bytes.end()));
}

// Runs `convert` with `args` (paths inside are quoted by the caller); true
// when it succeeded.
inline bool Convert(const std::string& args) {
  std::string command = "convert " + args + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

inline std::string Quoted(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// A packed picture of `bits` (1 or 4) bits a pixel, `width` and `height`
// below 256, with the colour table `colours` (red, green, blue each) and the
// index `index(x, y)`, taken modulo the table's size, at (x, y).
template <typename Index>
DibImage PalettedPicture(int bits, const std::vector<std::array<uint8_t, 3>>& colours, int width, int height,
                         Index index) {
  const size_t stride = DibStride(width, bits);
  const size_t table = 4 * colours.size();
  std::vector<uint8_t> block(40 + table + stride * size_t(height));
  block[0] = 40;
  block[4] = uint8_t(width);
  block[8] = uint8_t(height);
  block[12] = 1;
  block[14] = uint8_t(bits);
  block[32] = uint8_t(colours.size());
  for (size_t i = 0; i < colours.size(); ++i) {
    block[40 + 4 * i] = colours[i][2];  // red, green, blue given; blue, green, red stored
    block[40 + 4 * i + 1] = colours[i][1];
    block[40 + 4 * i + 2] = colours[i][0];
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* row = block.data() + 40 + table + size_t(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x)
      row[x * bits / 8] |= uint8_t((unsigned(index(x, y)) % colours.size()) << (8 - bits - x * bits % 8));
  }
  DibImage picture;
  EXPECT_TRUE(picture.Adopt(std::move(block), true));
  return picture;
}

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // red, green, blue, top row first
  bool operator==(const RgbImage&) const = default;
};

inline void WritePpm(const std::filesystem::path& path, const RgbImage& image) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
}

// The picture as red, green, blue, top row first, through its colour table.
inline RgbImage PictureRgb(const DibImage& picture) {
  auto l = picture.layout();
  RgbImage out;
  if (!l) return out;
  out.width = l->width;
  out.height = l->height;
  const uint8_t* block = picture.block().data();
  for (int32_t r = 0; r < l->height; ++r) {
    const uint8_t* row = block + l->pixelOffset + size_t(l->height - 1 - r) * l->stride;
    for (int32_t x = 0; x < l->width; ++x) {
      if (l->bitCount == 24) {
        out.rgb.insert(out.rgb.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
        continue;
      }
      unsigned index = l->bitCount == 8   ? row[x]
                       : l->bitCount == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                          : (row[x / 8] >> (7 - x % 8)) & 1;
      const uint8_t* e = block + l->headerBytes + index * l->entryBytes;
      out.rgb.insert(out.rgb.end(), {e[2], e[1], e[0]});
    }
  }
  return out;
}

// Reads a binary PPM with 8-bit samples, as `convert x -depth 8 ppm:y` writes it.
inline std::optional<RgbImage> ReadPpm(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  RgbImage image;
  if (!(in >> magic >> image.width >> image.height >> maxval) || magic != "P6" || maxval != 255) return std::nullopt;
  in.get();  // the single white-space byte before the samples
  image.rgb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (image.rgb.size() != size_t(image.width) * size_t(image.height) * 3) return std::nullopt;
  return image;
}

// ImageMagick's reading of `file`, or nothing when it fails.
inline std::optional<RgbImage> MagickPixels(const std::filesystem::path& file) {
  std::filesystem::path dump = file;
  dump += ".dump.ppm";
  if (!Convert(Quoted(file) + " -depth 8 ppm:" + Quoted(dump))) return std::nullopt;
  return ReadPpm(dump);
}

}  // namespace lumora::test
