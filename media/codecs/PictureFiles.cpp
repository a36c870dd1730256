// Load and save by name: the codec is picked from the file name alone, so
// "photo.bmp.jpg" is a bitmap file and "x.jpeg" is refused.
#include "media/codecs/PictureFiles.h"

#include <algorithm>
#include <string>

#include "picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "media/codecs/Gif.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"

namespace lumora {

PictureFormat FormatForName(std::string_view path) {
  std::string upper(path);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
  if (upper.find(".BMP") != std::string::npos) return PictureFormat::Bmp;
  if (upper.find(".TIF") != std::string::npos) return PictureFormat::Tiff;
  if (upper.find(".GIF") != std::string::npos) return PictureFormat::Gif;
  if (upper.find(".JPG") != std::string::npos) return PictureFormat::Jpeg;
  return PictureFormat::None;
}

bool LoadPictureFile(DibImage& picture, const std::string& path) {
  switch (FormatForName(path)) {
    case PictureFormat::Bmp: return ReadBmpFile(picture, path) != 0;
    case PictureFormat::Tiff: return ReadTiffFile(picture, path) != 0;
    case PictureFormat::Gif: return ReadGifFile(picture, path) != 0;
    case PictureFormat::Jpeg: return ReadJpegFile(picture, path) != 0;
    case PictureFormat::None: break;
  }
  return false;
}

bool SavePictureFile(const DibImage& picture, const std::string& path) {
  switch (FormatForName(path)) {
    case PictureFormat::Bmp: return WriteBmpFile(picture, path) != 0;
    case PictureFormat::Tiff: return WriteTiffFile(picture, path) != 0;
    case PictureFormat::Gif: return WriteGifFile(picture, path) != 0;
    case PictureFormat::Jpeg: return WriteJpegFile(picture, path) != 0;
    case PictureFormat::None: break;
  }
  return false;
}

}  // namespace lumora
