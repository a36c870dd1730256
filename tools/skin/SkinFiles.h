// The file forms the skin is written in: uncompressed 24-bit BMP (the
// 40-byte information header, bottom-up rows), baseline JPEG at a fixed
// quality without chroma subsampling, and icon and cursor files whose images
// are 32-bit bitmaps with an AND mask. All writers are deterministic: the same
// picture gives the same bytes.
#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lumora::skin {

inline constexpr int kJpegQuality = 92;

// The bytes of a 24-bit BMP file of `picture` (alpha ignored).
std::vector<uint8_t> BmpBytes(const QImage& picture);

// The bytes of a JPEG file of `picture`. A library error ends the tool (the
// library's standard error exit): the input is always a valid picture.
std::vector<uint8_t> JpegBytes(const QImage& picture, int quality = kJpegQuality);

// One image of an icon or cursor file, with its hotspot (cursors only).
struct IconImage {
  QImage picture;  // any format; converted to 32-bit with straight alpha
  int hotspotX = 0;
  int hotspotY = 0;
};
enum class IconKind : uint16_t { Icon = 1, Cursor = 2 };

// The bytes of an icon (.ico) or cursor (.cur) file holding `images` in order.
// Pixels with alpha below 128 are set in the AND mask.
std::vector<uint8_t> IconFileBytes(const std::vector<IconImage>& images, IconKind kind);

// Writes `bytes` to `path`, creating its folder; false with `error` set on failure.
bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes,
                    std::string& error);

}  // namespace lumora::skin
