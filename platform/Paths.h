// Path helpers: the program works with "\"-separated paths in its own logic
// (album roots, formats such as "%s\Lumora.chm"); the file system wants "/".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumora {

// Turns every "\" into "/" so a path built with backslash separators names a
// real file here. Nothing else changes: there are no drive letters.
std::string NativePath(std::string_view path);

// True when both paths exist and live on the same file system (same st_dev).
// A move between file systems has to become a copy followed by a delete.
bool SameFileSystem(const std::string& a, const std::string& b);

// ASCII case-insensitive comparison, the way key and value names and
// extensions are compared.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// "file://" and the absolute path with every byte other than letters,
// digits and -._~!$&'()*+,=:@/ written as %XX (upper-case hex), as file
// managers write it; and back (nothing when `uri` is no local file URI).
std::string FileUri(std::string_view absolutePath);
std::optional<std::string> PathOfFileUri(std::string_view uri);

}  // namespace lumora
