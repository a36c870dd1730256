// The file formats the program knows by extension, in one table, and the two
// ways of looking a file name up in it:
//
//   FileKindByNameSearch   load and save by name: the upper-cased name is
//                          searched for the still formats' extensions in the
//                          table's order (".BMP", ".TIF", ".GIF", ".JPG"),
//                          anywhere in the name, so "photo.bmp.jpg" is a
//                          bitmap file and "x.jpeg" is none.
//   FileKindOfExtension    the item list and the video previews: the
//                          lower-cased extension of the last path component,
//                          from its last ".", equal to a row's.
//
// Plain data: each layer maps a row's format to its own reader (the codecs
// to their loaders and savers, the album to its item kinds, the video
// previews to their readers).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace lumora {

enum class FileFormat { Bmp, Tiff, Gif, Jpeg, Mpeg, Avi, Recording };

struct FileKind {
  std::string_view extension;  // lower case, with its "."
  FileFormat format;
  bool still;      // a picture the codecs load and save by name; otherwise a video
  bool albumItem;  // the item list shows files with this extension
};

// The still formats come first, in the order load-by-name searches them.
inline constexpr FileKind kFileKinds[] = {
    {".bmp", FileFormat::Bmp, true, true},          {".tif", FileFormat::Tiff, true, true},
    {".gif", FileFormat::Gif, true, false},         {".jpg", FileFormat::Jpeg, true, true},
    {".mpeg", FileFormat::Mpeg, false, true},       {".mpg", FileFormat::Mpeg, false, true},
    {".avi", FileFormat::Avi, false, true},         {".erm", FileFormat::Recording, false, true},
};

// `text` with A to Z lower-cased; other bytes as they are.
inline std::string AsciiLower(std::string_view text) {
  std::string out(text);
  std::ranges::transform(out, out.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  return out;
}

// The lower-cased text from the last "." of the last path component to its
// end; empty when that component has no ".".
inline std::string LowerFileExtension(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return AsciiLower(path.substr(dot));
}

// The row of the first still format whose extension occurs anywhere in the
// name, compared without case; nullptr for none.
inline const FileKind* FileKindByNameSearch(std::string_view path) {
  const std::string lower = AsciiLower(path);
  for (const FileKind& kind : kFileKinds)
    if (kind.still && lower.find(kind.extension) != std::string::npos) return &kind;
  return nullptr;
}

// The row whose extension is the name's last one (LowerFileExtension);
// nullptr for none.
inline const FileKind* FileKindOfExtension(std::string_view path) {
  const std::string ext = LowerFileExtension(path);
  for (const FileKind& kind : kFileKinds)
    if (kind.extension == ext) return &kind;
  return nullptr;
}

}  // namespace lumora
