// Choosing the codec for a file by its name, as load-by-name and
// save-by-name do: the name is searched for ".BMP", ".TIF", ".GIF" and
// ".JPG", in that order, anywhere and without case (FileKindByNameSearch in
// io/FileKinds.h).
#pragma once

#include <string>
#include <string_view>

namespace lumora {

class DibImage;

enum class PictureFormat { None, Bmp, Tiff, Gif, Jpeg };

// "BMP", "TIFF", "GIF", "JPEG"; empty for None.
std::string_view PictureFormatName(PictureFormat format);

PictureFormat FormatForName(std::string_view path);

// The outcome of a load or save by name: the format the name picked and, on
// failure, that codec's reason in one line.
struct [[nodiscard]] PictureFileResult {
  PictureFormat format = PictureFormat::None;
  std::string reason;  // empty on success

  explicit operator bool() const { return reason.empty(); }
  // "<FORMAT>: <reason>" ("JPEG: the file can't be read: ..."); for a name
  // that picks no format, the reason alone.
  std::string Message() const;
};

// Load or save by name with the codec FormatForName picks; a name that picks
// none fails with nothing touched.
PictureFileResult LoadPictureFile(DibImage& picture, const std::string& path);
PictureFileResult SavePictureFile(const DibImage& picture, const std::string& path);

}  // namespace lumora
