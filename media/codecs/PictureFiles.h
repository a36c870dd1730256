// Choosing the codec for a file by its name, as load-by-name and
// save-by-name do: the upper-cased name is searched for ".BMP", ".TIF",
// ".GIF" and ".JPG", in that order, anywhere in the name.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

class DibImage;

enum class PictureFormat { None, Bmp, Tiff, Gif, Jpeg };

PictureFormat FormatForName(std::string_view path);

// Load or save by name with the codec FormatForName picks; a name that picks
// none: false, nothing touched.
bool LoadPictureFile(DibImage& picture, const std::string& path);
bool SavePictureFile(const DibImage& picture, const std::string& path);

}  // namespace lumora
