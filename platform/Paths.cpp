// Path helpers shared by every module.
#include "platform/Paths.h"

#include <sys/stat.h>

#include <algorithm>

namespace lumora {

std::string NativePath(std::string_view path) {
  std::string out(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

bool SameFileSystem(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (stat(NativePath(a).c_str(), &sa) != 0 || stat(NativePath(b).c_str(), &sb) != 0)
    return false;
  return sa.st_dev == sb.st_dev;
}

static char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

}  // namespace lumora
