// File writers of the skin generator: BMP, JPEG (libjpeg), icon and cursor files.
#include "tools/skin/SkinFiles.h"

#include <cstdio>
#include <fstream>
#include <jpeglib.h>

namespace lumora::skin {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dots per inch
constexpr size_t kIconDirectorySize = 6;
constexpr size_t kIconEntrySize = 16;
constexpr int kLargestIconSide = 256;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

size_t RowStride(int width, int bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

// 40-byte information header.
void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize) {
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, 0);  // uncompressed
  Put32(out, imageSize);
  Put32(out, kPixelsPerMetre);
  Put32(out, kPixelsPerMetre);
  Put32(out, 0);  // colours used
  Put32(out, 0);  // colours important
}

// One icon or cursor image: header (height doubled for the mask), 32-bit
// pixels bottom-up, then the 1-bit AND mask bottom-up.
std::vector<uint8_t> IconImageBytes(const QImage& source) {
  const QImage picture = source.convertToFormat(QImage::Format_ARGB32);
  const int w = picture.width();
  const int h = picture.height();
  const size_t maskStride = RowStride(w, 1);
  const size_t pixelBytes = static_cast<size_t>(w) * h * 4;
  const size_t maskBytes = maskStride * h;
  std::vector<uint8_t> out;
  PutInfoHeader(out, w, h * 2, 32, static_cast<uint32_t>(pixelBytes + maskBytes));
  for (int y = h - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    for (int x = 0; x < w; ++x) Put32(out, row[x]);  // 0xAARRGGBB stored B, G, R, A
  }
  for (int y = h - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    std::vector<uint8_t> mask(maskStride, 0);
    for (int x = 0; x < w; ++x) {
      if (qAlpha(row[x]) < 128) mask[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), mask.begin(), mask.end());
  }
  return out;
}

struct JpegCompressor {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  ~JpegCompressor() { jpeg_destroy_compress(&info); }
};

}  // namespace

std::vector<uint8_t> BmpBytes(const QImage& source) {
  const QImage picture = source.convertToFormat(QImage::Format_RGB32);
  const int w = picture.width();
  const int h = picture.height();
  const size_t stride = RowStride(w, 24);
  const auto imageSize = static_cast<uint32_t>(stride * h);
  const auto offset = static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize);
  std::vector<uint8_t> out;
  out.reserve(offset + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageSize);
  Put32(out, 0);  // reserved
  Put32(out, offset);
  PutInfoHeader(out, w, h, 24, imageSize);
  for (int y = h - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    const size_t start = out.size();
    for (int x = 0; x < w; ++x) {
      out.push_back(static_cast<uint8_t>(qBlue(row[x])));
      out.push_back(static_cast<uint8_t>(qGreen(row[x])));
      out.push_back(static_cast<uint8_t>(qRed(row[x])));
    }
    out.resize(start + stride, 0);
  }
  return out;
}

std::vector<uint8_t> JpegBytes(const QImage& source, int quality) {
  const QImage picture = source.convertToFormat(QImage::Format_RGB888);
  JpegCompressor c;
  c.info.err = jpeg_std_error(&c.errors);
  jpeg_create_compress(&c.info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c.info, &buffer, &size);
  c.info.image_width = static_cast<JDIMENSION>(picture.width());
  c.info.image_height = static_cast<JDIMENSION>(picture.height());
  c.info.input_components = 3;
  c.info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c.info);
  jpeg_set_quality(&c.info, quality, TRUE);
  for (int i = 0; i < c.info.num_components; ++i) {
    c.info.comp_info[i].h_samp_factor = 1;
    c.info.comp_info[i].v_samp_factor = 1;
  }
  c.info.optimize_coding = TRUE;
  jpeg_start_compress(&c.info, TRUE);
  while (c.info.next_scanline < c.info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(picture.constScanLine(static_cast<int>(c.info.next_scanline)));
    jpeg_write_scanlines(&c.info, &row, 1);
  }
  jpeg_finish_compress(&c.info);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> IconFileBytes(const std::vector<IconImage>& images, IconKind kind) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const IconImage& image : images) bodies.push_back(IconImageBytes(image.picture));
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, static_cast<uint16_t>(kind));
  Put16(out, static_cast<uint32_t>(images.size()));
  size_t offset = kIconDirectorySize + kIconEntrySize * images.size();
  for (size_t i = 0; i < images.size(); ++i) {
    const QImage& picture = images[i].picture;
    out.push_back(static_cast<uint8_t>(picture.width() >= kLargestIconSide ? 0 : picture.width()));
    out.push_back(static_cast<uint8_t>(picture.height() >= kLargestIconSide ? 0 : picture.height()));
    out.push_back(0);  // colour count: not a palette image
    out.push_back(0);
    if (kind == IconKind::Cursor) {
      Put16(out, static_cast<uint32_t>(images[i].hotspotX));
      Put16(out, static_cast<uint32_t>(images[i].hotspotY));
    } else {
      Put16(out, 1);   // planes
      Put16(out, 32);  // bits a pixel
    }
    Put32(out, static_cast<uint32_t>(bodies[i].size()));
    Put32(out, static_cast<uint32_t>(offset));
    offset += bodies[i].size();
  }
  for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    error = "cannot write " + path.string() + " (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  return true;
}

}  // namespace lumora::skin
