// Path helpers shared by every module.
#include "platform/Paths.h"

#include <sys/stat.h>

#include <algorithm>

namespace lumora {

namespace {

// The bytes a file URI keeps as they are: letters, digits, -._~ and the
// delimiters that may stand in a path, !$&'()*+,=:@/ (as file managers write
// them, so that a URI names the same thumbnail cache entry in every program).
bool KeptInUri(unsigned char c) {
  static constexpr std::string_view kKept = "-._~!$&'()*+,=:@/";
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         kKept.find(char(c)) != std::string_view::npos;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace


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

std::string FileUri(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (KeptInUri(c)) {
      uri += ch;
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::optional<std::string> PathOfFileUri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  uri.remove_prefix(kScheme.size());
  if (uri.empty() || uri.front() != '/') return std::nullopt;
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    if (i + 2 >= uri.size()) return std::nullopt;
    const int high = HexValue(uri[i + 1]);
    const int low = HexValue(uri[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    path += char(high << 4 | low);
    i += 2;
  }
  return path;
}

}  // namespace lumora
