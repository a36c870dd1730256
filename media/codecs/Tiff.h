// TIFF files (.tif) over libtiff: reading the first image strip by strip into
// the picture's in-memory form, and writing a picture as a TIFF file.
//
// The reader takes grey (1, 2, 4, 8 or 16 bits, either photometric
// interpretation), palette (1, 2, 4 or 8 bits) and RGB (8 or 16 bits a
// sample, an extra fourth sample ignored) images stored in strips with the
// samples of a pixel together. Grey and palette images become 8-bit pictures
// (grey levels with the grey ramp, or indices with the file's colour map),
// RGB images 24-bit pictures. Anything else fails the load cleanly, and a
// failed load leaves the picture as it was. libtiff's messages are kept per
// file and never printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "media/codecs/CodecResult.h"
#include "picture/DibImage.h"

namespace lumora {

enum class TiffError {
  None,
  CantOpen,          // not a TIFF file, or libtiff can't read its header or first directory
  Tiled,             // the image is stored in tiles, not strips
  BadDimensions,     // width or height missing or 0
  Unsupported,       // a kind of image the reader does not take (the numbers say which)
  BadStrips,         // rows per strip 0, too few strips, or rows of an unexpected size
  TooLarge,          // more than kMaxPicturePixels pixels, or the picture or one strip over the block limit
  StripUnreadable,   // libtiff could not read or decode a strip in full
  UnsupportedDepth,  // (writing) a picture that is not 1, 4, 8 or 24 bits a pixel
  Library,           // (writing) libtiff reported an error
  CantWrite,         // (writing) the file can't be written
};

std::string_view TiffErrorText(TiffError error);

// The detail holds the numbers or libtiff's message.
using TiffResult = CodecResult<TiffError, TiffErrorText>;

// Decodes the first image of a TIFF file held in memory into a packed bitmap
// in the in-memory form. `block` is only written on success. Pictures of more
// than kMaxPicturePixels pixels, and pictures (and strips) whose size would
// exceed `maxBlockBytes`, are refused before they are allocated.
TiffResult DecodeTiff(std::span<const uint8_t> file, std::vector<uint8_t>& block,
                      size_t maxBlockBytes = kMaxPictureBlockBytes);

// The bytes of an LZW-compressed TIFF file holding `picture`: 24-bit pictures
// as RGB; 1-, 4- and 8-bit pictures at their own depth, as min-is-black grey
// when the colour table is the grey ramp of that depth, else with a colour map.
TiffResult EncodeTiff(const DibImage& picture, std::vector<uint8_t>& file);

// Replace the picture with the file's first image (palette built); on
// failure the picture stays as it was and the result says why.
TiffResult ReadTiffMemory(DibImage& picture, std::span<const uint8_t> file);
TiffResult ReadTiffFile(DibImage& picture, const std::string& path);

// Writes the picture as a TIFF file, replacing `path` only once the new file
// is complete. Fails when the picture can't be coded or the file can't be written.
TiffResult WriteTiffFile(const DibImage& picture, const std::string& path);

}  // namespace lumora
