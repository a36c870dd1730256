// JPEG files (.jpg) over libjpeg-turbo: decoding into the picture's in-memory
// form (8-bit grey with the grey ramp, or 24-bit blue-green-red) and encoding
// a picture with the library's default settings.
//
// Decoding works from a file or from bytes in memory (pictures kept in the
// program's resources, fuzzing). A file cut off or corrupt after its first
// row of blocks loads as the library decodes it, the blocks without data
// filled flat mid-grey (as other viewers show it); one that lacks only its
// end marker loads whole. A library error never ends the process: it returns
// to a recovery point and the operation fails. A failed decode leaves the
// picture as it was; a failed save leaves an existing file as it was.
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

enum class JpegError {
  None,
  Library,            // the library stopped on an error in the data
  Damaged,            // the file ends inside its headers, or its data is cut short or corrupt
                      // before the first row of blocks is decoded
  UnsupportedColours, // CMYK, YCCK or another colour space that is neither grey nor colour
  TooLarge,           // more than kMaxPicturePixels pixels, a block over the limit, or the
                      // library's buffers over their bound
  TooManyScans,       // a progressive file with more scans than any encoder writes
  UnsupportedDepth,   // (writing) a picture that is not 1, 4, 8 or 24 bits a pixel
  CantRead,           // the file can't be opened or read
  CantWrite,          // (writing) the file can't be written
};

std::string_view JpegErrorText(JpegError error);

// The detail holds the numbers or the library's message.
using JpegResult = CodecResult<JpegError, JpegErrorText>;

// Decodes a JPEG file held in memory into a packed bitmap in the in-memory
// form. `block` is only written on success. Pictures of more than
// kMaxPicturePixels pixels, or whose block would exceed `maxBlockBytes`, are
// refused before anything is allocated for their pixels; the library's own
// buffers are held to a bound that grows with `maxBlockBytes`.
JpegResult DecodeJpeg(std::span<const uint8_t> file, std::vector<uint8_t>& block,
                      size_t maxBlockBytes = kMaxPictureBlockBytes);

// The bytes of a JPEG file holding `picture`, at the library's default
// quality. 24-bit pictures are coded as colour; 1-, 4- and 8-bit pictures go
// through their colour table: as grey when every entry is grey, else as colour.
JpegResult EncodeJpeg(const DibImage& picture, std::vector<uint8_t>& file);

// Replace the picture with the decoded one (palette built); on failure the
// picture stays as it was and the result says why.
JpegResult ReadJpegMemory(DibImage& picture, std::span<const uint8_t> jpegBytes);
JpegResult ReadJpegFile(DibImage& picture, const std::string& path);
// For thumbnails: decodes at the smallest DCT scale of 1/8, 1/4 and 1/2
// whose output is still at least `minWidth` x `minHeight` (in full when none
// is), and reports the picture's full size, from which its place is worked
// out. The file form leaves the picture as it was on any failure.
JpegResult DecodeJpegReduced(std::span<const uint8_t> file, int minWidth, int minHeight, std::vector<uint8_t>& block,
                             int& fullWidth, int& fullHeight, size_t maxBlockBytes = kMaxPictureBlockBytes);
JpegResult ReadJpegFileReduced(DibImage& picture, const std::string& path, int minWidth, int minHeight, int& fullWidth,
                        int& fullHeight);
// A JPEG kept in the program's resources: the caller hands over the
// resource's bytes, which are decoded where they are.
JpegResult ReadJpegResource(DibImage& picture, std::span<const uint8_t> jpegBytes);

// Writes the picture as a JPEG file, replacing `path` only once the new file
// is complete. Fails when the picture can't be coded or the file can't be written.
JpegResult WriteJpegFile(const DibImage& picture, const std::string& path);

}  // namespace lumora
