// GetAviFirstFrame over our AVI reader and the FFmpeg decompressor, the
// uncompressed frame forms it turns into pictures, and NeedsStreamReader.
#include "media/video/AviFirstFrame.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "io/FileBytes.h"
#include "media/video/AviDecompressor.h"
#include "media/video/Ffmpeg.h"

namespace lumora::video {

namespace {

// Frames of a damaged file are tried for at most this long.
constexpr std::chrono::milliseconds kFirstFrameTimeLimit{5000};

std::string_view Extension(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return path.substr(dot);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const char a = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] - 'A' + 'a') : text[i];
    if (a != prefix[i]) return false;
  }
  return true;
}

// Colour-table entries of a paletted frame: biClrUsed, or all 2^bits when 0.
uint32_t ColourEntries(const BitmapInfoHeader& h) {
  if (h.bitCount > 8) return 0;
  const uint32_t full = 1u << h.bitCount;
  return h.clrUsed == 0 || h.clrUsed > full ? full : h.clrUsed;
}

void Fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
}

// A stream format that declares a picture of more pixels than any picture
// may have. Compressed streams whose format gives no size leave it to the
// decoder, which refuses such pictures itself.
bool DeclaresTooManyPixels(const BitmapInfoHeader& h) {
  const int64_t width = std::abs(int64_t(h.width)), height = std::abs(int64_t(h.height));
  return width != 0 && height != 0 && !PictureSizeAllowed(width, height);
}

}  // namespace

bool IsQuickTimeName(std::string_view path) {
  const std::string_view ext = Extension(path);
  return StartsWithIgnoringCase(ext, ".mov") || StartsWithIgnoringCase(ext, ".qt");
}

int NeedsStreamReader(const std::string& path) {
  if (IsQuickTimeName(path)) return 1;
  auto head = ReadFileHead(path, kFirstHandlerOffset + 4);
  if (!head || head->size() < kFirstHandlerOffset + 4) return 0;
  const std::string_view code(reinterpret_cast<const char*>(head->data()) + kFirstHandlerOffset, 4);
  return std::find(std::begin(kStreamReaderHandlers), std::end(kStreamReaderHandlers), code) !=
                 std::end(kStreamReaderHandlers)
             ? 1
             : 0;
}

std::optional<AviFrame> UncompressedFrame(const AviVideo& video, std::span<const uint8_t> chunk) {
  const BitmapInfoHeader& h = video.format;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return std::nullopt;
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 &&
      h.bitCount != 32)
    return std::nullopt;
  const size_t rows = size_t(std::abs(h.height));
  if (!PictureSizeAllowed(h.width, int64_t(rows))) return std::nullopt;
  const size_t stride = DibStride(h.width, h.bitCount);
  const size_t packed = (size_t(h.width) * h.bitCount + 7) / 8;
  AviFrame frame;
  frame.header = h;
  frame.header.sizeImage = uint32_t(stride * rows);
  const uint32_t entries = ColourEntries(h);
  const std::span<const uint8_t> table = ColourTable(video);
  const size_t tableBytes = std::min<size_t>(size_t(entries) * 4, table.size() / 4 * 4);
  frame.colours.assign(table.begin(), table.begin() + ptrdiff_t(tableBytes));
  frame.header.clrUsed = uint32_t(tableBytes / 4);
  if (chunk.size() >= stride * rows) {
    frame.bits.assign(chunk.begin(), chunk.begin() + ptrdiff_t(stride * rows));
    return frame;
  }
  // Rows written without their padding to 4 bytes.
  if (chunk.size() < packed * rows) return std::nullopt;
  frame.bits.assign(stride * rows, 0);
  for (size_t y = 0; y < rows; ++y) std::memcpy(&frame.bits[y * stride], &chunk[y * packed], packed);
  return frame;
}

bool FrameToPicture(const AviFrame& frame, DibImage& picture) {
  const BitmapInfoHeader& h = frame.header;
  if (h.compression != kCompressionRgb) return false;
  if (h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 && h.bitCount != 32) return false;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return false;
  const int32_t width = h.width, height = std::abs(h.height);
  const size_t inStride = DibStride(width, h.bitCount);
  if (inStride == 0 || frame.bits.size() / inStride < size_t(height)) return false;
  const bool topFirst = h.height < 0;
  auto sourceRow = [&](int32_t stored) {  // stored row `stored` of the picture, bottom row 0
    return &frame.bits[size_t(topFirst ? height - 1 - stored : stored) * inStride];
  };

  if (h.bitCount == 8) {
    // The in-memory picture keeps a full 256-entry table: the frame's entries, then black.
    DibImage out;
    if (!out.Create(width, height, 8)) return false;
    std::vector<uint8_t>& block = out.block();
    const size_t tableBytes = std::min<size_t>(frame.colours.size(), 256 * 4);
    std::fill(block.begin() + kInfoHeaderBytes, block.begin() + kPalettedPixelOffset, uint8_t(0));
    std::copy_n(frame.colours.begin(), tableBytes, block.begin() + kInfoHeaderBytes);
    const size_t stride = DibStride(width, 8);
    for (int32_t y = 0; y < height; ++y) std::memcpy(out.PixelBits() + size_t(y) * stride, sourceRow(y), stride);
    if (!out.RefreshInfo(true)) return false;
    picture = std::move(out);
    return true;
  }

  DibImage out;
  if (!out.Create(width, height, 24)) return false;
  RowTable rows(out);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = sourceRow(y);
    uint8_t* o = rows[height - 1 - y];
    for (int32_t x = 0; x < width; ++x, o += 3) {
      if (h.bitCount == 24) {
        std::memcpy(o, in + 3 * x, 3);
      } else if (h.bitCount == 32) {
        std::memcpy(o, in + 4 * x, 3);
      } else {  // 16 bits: x-r5-g5-b5, each widened to 8 bits by repeating its top bits
        const uint32_t v = uint32_t(in[2 * x]) | uint32_t(in[2 * x + 1]) << 8;
        const uint32_t b = v & 31, g = (v >> 5) & 31, r = (v >> 10) & 31;
        o[0] = uint8_t(b << 3 | b >> 2);
        o[1] = uint8_t(g << 3 | g >> 2);
        o[2] = uint8_t(r << 3 | r >> 2);
      }
    }
  }
  picture = std::move(out);
  return true;
}

int GetAviFirstFrame(const std::string& path, DibImage& picture, std::string* error) {
  auto source = FileByteSource::Open(path);
  if (!source) {
    Fail(error, "cannot open " + path);
    return 0;
  }
  AviVideo video;
  std::string why;
  if (!ReadAviVideo(*source, video, why)) {
    Fail(error, path + ": " + why);
    return 0;
  }
  if (DeclaresTooManyPixels(video.format)) {
    Fail(error, path + ": cannot decode a " + std::to_string(video.format.width) + " x " +
                    std::to_string(std::abs(int64_t(video.format.height))) + " picture, more than " +
                    std::to_string(kMaxPicturePixels) + " pixels");
    return 0;
  }
  // The stream's length bounds the frames asked for; a length of 0 (a
  // recording that was never finished) leaves every indexed frame to try.
  size_t length = video.frames.size();
  if (video.header.length != 0) length = std::min<size_t>(length, video.header.length);

  std::unique_ptr<AviDecompressor> decompressor;
  if (video.format.compression != kCompressionRgb) {
    decompressor = AviDecompressor::Open(video, why);
    if (!decompressor) {
      Fail(error, path + ": " + why);
      return 0;
    }
  }
  const Deadline deadline(kFirstFrameTimeLimit);
  std::optional<AviFrame> frame;
  std::vector<uint8_t> chunk;
  for (size_t i = 0; i < length && !frame && !deadline.Passed(); ++i) {
    if (!ReadAviChunk(*source, video.frames[i], chunk)) continue;
    frame = decompressor ? decompressor->Decompress(chunk) : UncompressedFrame(video, chunk);
  }
  if (!frame && decompressor) frame = decompressor->Drain();
  if (!frame) {
    Fail(error, path + ": none of " + std::to_string(length) + " frames of stream " +
                    std::to_string(video.streamNumber) + " (\"" + FourCcText(video.format.compression) +
                    "\") could be read");
    return 0;
  }
  DibImage out;
  if (!FrameToPicture(*frame, out)) {
    Fail(error, path + ": frame is " + std::to_string(frame->header.bitCount) + "-bit with compression \"" +
                    FourCcText(frame->header.compression) + "\", not uncompressed 8, 16, 24 or 32-bit RGB");
    return 0;
  }
  picture = std::move(out);
  return 1;
}

}  // namespace lumora::video
