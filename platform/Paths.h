// Path helpers: the program works with "\"-separated paths in its own logic
// (album roots, formats such as "%s\Lumora.chm"); the file system wants "/".
#pragma once

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

}  // namespace lumora
