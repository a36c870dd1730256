// GIF files: a decoder for the first image of a GIF87a or GIF89a file, and the
// GIF87a writer with its LZW coder (12-bit codes, a 5003-slot hash table,
// data sub-blocks of 254 bytes).
//
// The decoder keeps nothing between calls: every file starts with cleared
// colour tables and a cleared pixel buffer, so pixels the data never reaches
// are black.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/DibImage.h"

namespace lumora {

// The decoder's outcomes, each with its fixed text (GifErrorText).
enum class [[nodiscard]] GifError {
  None,           // "No Error"
  NoName,         // the path is empty
  CantOpen,       // the file can't be opened or read
  NoMagic,        // fewer than 6 bytes
  NotGif,         // no "GIF" at the start
  BadVersion,     // neither "87a" nor "89a"
  NoScreen,       // the logical screen descriptor is cut short
  GlobalTable,    // the global colour table is cut short
  NonSquare,      // aspect byte other than 0 and 49: a note, decoding goes on
  UnexpectedEof,  // the file ends before an image descriptor
  Extension,      // the file ends at an extension's label
  Dimensions,     // the image descriptor is cut short, or the image is 0 wide or high
  OutOfMemory,    // the image is larger than the decoder takes
  GlobalDecode,   // bad image data (image without a local table)
  LocalTable,     // the local colour table is cut short
  LocalDecode,    // bad image data (image with a local table)
  CantWrite,      // the file can't be written
  BadParameters,  // encoder: size outside 1..65535, background outside 0..255, no pixels
  BadDepth,       // writing a picture that is not 1, 4 or 8 bits a pixel with a palette
};

// The text for an outcome; the texts about the file itself carry its path.
std::string GifErrorText(GifError error, const std::string& path);

// The first image of a file, as its data gives it.
struct GifImage {
  int width = 0;
  int height = 0;
  bool interlaced = false;
  bool nonSquare = false;                // aspect byte other than 0 and 49
  std::array<uint8_t, 256 * 3> colours{};  // red, green, blue of the table the image uses
  std::vector<uint8_t> indices;          // width * height, rows in the order the file stores them
  size_t decoded = 0;                    // pixels the data reached, from the first stored one

  // The picture row (0 = top) of each stored row: with interlace, rows 0, 8,
  // 16 …, then 4, 12 …, then 2, 6 …, then 1, 3 ….
  std::vector<int> PictureRows() const;
};

// Decodes the first image of the GIF file in `file`. Images of more than
// `maxPixels` or kMaxPicturePixels pixels are refused with OutOfMemory before
// anything is allocated for them. `image` is complete only for None.
GifError DecodeGif(std::span<const uint8_t> file, GifImage& image, size_t maxPixels = kMaxPicturePixels);

// The size of the first image when the very next thing after the header,
// screen descriptor and global colour table is its image descriptor; false
// otherwise (an extension first, a short file, not a GIF).
bool ProbeGifImageSize(std::span<const uint8_t> head, int& width, int& height);

// The bytes of a GIF87a file: one image, no interlace, a global table of 256
// entries, LZW data with 8-bit minimum code size. `indices` holds width *
// height palette indices, top row first.
GifError EncodeGif87aBytes(std::vector<uint8_t>& file, const uint8_t* indices, int width, int height, int background,
                           const uint8_t red[256], const uint8_t green[256], const uint8_t blue[256]);

// The first image as width * height * 3 bytes, red, green, blue, top row
// first; empty, with the reason in `error`, when it can't be read. `error`
// starts empty and keeps the non-square note on success.
std::vector<uint8_t> ReadGifRgb(std::string& error, const std::string& path, int& width, int& height);
// Replaces the picture with a 24-bit picture of the file's first image; on
// failure the picture stays as it was and the outcome says why.
GifError ReadGifFile(DibImage& picture, const std::string& path);
// The size of the first image, or -1 and -1 (result 0) as ProbeGifImageSize says.
int GetGifImageSize(const std::string& path, int& width, int& height);
// Writes a 1-, 4- or 8-bit picture with a palette as a GIF87a file, indices
// taken through the picture's palette. BadDepth for other pictures.
GifError WriteGifFile(const DibImage& picture, const std::string& path);
// Writes the file; 0 with the reason in `error` on failure.
int EncodeGif87a(std::string& error, const std::string& path, const uint8_t* indices, int width, int height,
                 int background, const uint8_t red[256], const uint8_t green[256], const uint8_t blue[256]);

}  // namespace lumora
