// Bitmap files (.bmp): reading every common variant into the picture's
// in-memory form, and writing that form back out.
//
// In memory a picture always has the 40-byte information header, bottom-up
// uncompressed rows and 1, 4, 8 or 24 bits a pixel. The reader normalises
// what files carry to that: core (12-byte), OS/2 (64-byte), V2/V3, V4 and V5
// headers become the 40-byte header (3-byte colour entries become 4-byte);
// top-down rows are turned bottom-up; 16- and 32-bit pixels (plain or with
// bit-field masks) become 24-bit; RLE8 and RLE4 rows are expanded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "media/codecs/CodecResult.h"
#include "picture/DibImage.h"

namespace lumora {

enum class BmpError {
  None,
  NotBmp,             // no "BM" at the start
  Truncated,          // the file ends inside a header, the masks or the colour table
  UnknownHeader,      // information header of a size no writer uses
  BadDimensions,      // width not positive, height 0, or top-down compressed rows
  BadPlanes,          // planes other than 1
  BadDepth,           // bit count not 1, 4, 8, 16, 24 or 32
  BadCompression,     // a compression the depth does not allow, or an unknown one
  BadMasks,           // bit-field masks that are all zero
  TooLarge,           // more than kMaxPicturePixels pixels, or a block over the limit
  PixelsTruncated,    // the file ends before the rows its header promises
  BadRle,             // run-length data that ends before its end-of-bitmap mark
  CantRead,           // the file can't be opened or read
  CantWrite,          // (writing) the file can't be written
  NotWritable,        // (writing) an empty picture, or one too large for a bitmap file
};

std::string_view BmpErrorText(BmpError error);

using BmpResult = CodecResult<BmpError, BmpErrorText>;

// Turns the bytes of a .bmp file into a packed bitmap in the in-memory form.
// `block` is only written on success. Pictures of more than kMaxPicturePixels
// pixels, or whose block would exceed `maxBlockBytes`, are refused before
// anything is allocated.
BmpResult DecodeBmp(std::span<const uint8_t> file, std::vector<uint8_t>& block,
                    size_t maxBlockBytes = kMaxPictureBlockBytes);
// The same, reusing the file's buffer as the block when its rows are already
// bottom-up in the in-memory layout (the common case: no second copy of the
// rows). `file` is consumed only on success.
BmpResult DecodeBmp(std::vector<uint8_t>&& file, std::vector<uint8_t>& block,
                    size_t maxBlockBytes = kMaxPictureBlockBytes);

// The bytes of a .bmp file holding `picture`: the file header, information
// header (with the image size filled in) and colour table in `head`, then the
// rows straight from the picture's block.
struct BmpFileParts {
  std::vector<uint8_t> head;
  std::span<const uint8_t> rows;
};
std::optional<BmpFileParts> EncodeBmp(const DibImage& picture);

// Replaces the picture with the file's (palette built); on failure the
// picture stays as it was and the result says why.
BmpResult ReadBmpMemory(DibImage& picture, std::span<const uint8_t> file);
BmpResult ReadBmpFile(DibImage& picture, const std::string& path);
// Writes the picture as a .bmp file, replacing `path` only once the new file
// is complete. Fails when the picture is empty or the file can't be written.
BmpResult WriteBmpFile(const DibImage& picture, const std::string& path);

}  // namespace lumora
