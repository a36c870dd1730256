// Load and save by name: the codec is picked from the file name alone, so
// "photo.bmp.jpg" is a bitmap file and "x.jpeg" is refused.
#include "media/codecs/PictureFiles.h"

#include <algorithm>
#include <string>

#include "io/FileKinds.h"
#include "picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "media/codecs/Gif.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"

namespace lumora {

PictureFormat FormatForName(std::string_view path) {
  const FileKind* kind = FileKindByNameSearch(path);
  if (!kind) return PictureFormat::None;
  switch (kind->format) {
    case FileFormat::Bmp: return PictureFormat::Bmp;
    case FileFormat::Tiff: return PictureFormat::Tiff;
    case FileFormat::Gif: return PictureFormat::Gif;
    case FileFormat::Jpeg: return PictureFormat::Jpeg;
    default: return PictureFormat::None;
  }
}

std::string_view PictureFormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::None: break;
  }
  return {};
}

std::string PictureFileResult::Message() const {
  if (format == PictureFormat::None) return reason;
  return std::string(PictureFormatName(format)) + ": " + reason;
}

namespace {

template <class Result>
PictureFileResult Outcome(PictureFormat format, const Result& result) {
  return {format, result ? std::string() : result.Reason()};
}

// The GIF texts are the program's own messages, some of several lines; on
// an error line they read as one.
PictureFileResult Outcome(GifError error, const std::string& path) {
  if (error == GifError::None) return {PictureFormat::Gif, {}};
  std::string reason = GifErrorText(error, path);
  std::replace(reason.begin(), reason.end(), '\n', ' ');
  return {PictureFormat::Gif, reason};
}

PictureFileResult NoFormat(const std::string& path) {
  return {PictureFormat::None, "'" + path + "' names none of .bmp, .tif, .gif, .jpg"};
}

}  // namespace

PictureFileResult LoadPictureFile(DibImage& picture, const std::string& path) {
  const PictureFormat format = FormatForName(path);
  switch (format) {
    case PictureFormat::Bmp: return Outcome(format, ReadBmpFile(picture, path));
    case PictureFormat::Tiff: return Outcome(format, ReadTiffFile(picture, path));
    case PictureFormat::Gif: return Outcome(ReadGifFile(picture, path), path);
    case PictureFormat::Jpeg: return Outcome(format, ReadJpegFile(picture, path));
    case PictureFormat::None: break;
  }
  return NoFormat(path);
}

PictureFileResult SavePictureFile(const DibImage& picture, const std::string& path) {
  const PictureFormat format = FormatForName(path);
  switch (format) {
    case PictureFormat::Bmp: return Outcome(format, WriteBmpFile(picture, path));
    case PictureFormat::Tiff: return Outcome(format, WriteTiffFile(picture, path));
    case PictureFormat::Gif: return Outcome(WriteGifFile(picture, path), path);
    case PictureFormat::Jpeg: return Outcome(format, WriteJpegFile(picture, path));
    case PictureFormat::None: break;
  }
  return NoFormat(path);
}

}  // namespace lumora
