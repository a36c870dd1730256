// Choosing the codec for a file by its name, as load-by-name and
// save-by-name do: the upper-cased name is searched for ".BMP", ".TIF",
// ".GIF" and ".JPG", in that order, anywhere in the name.
#pragma once

#include <string_view>

namespace lumora {

enum class PictureFormat { None, Bmp, Tiff, Gif, Jpeg };

PictureFormat FormatForName(std::string_view path);

}  // namespace lumora
