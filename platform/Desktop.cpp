// Folders of the desktop that do not need a window system.
#include "platform/Desktop.h"

#include <cstdlib>

namespace lumora {

namespace fs = std::filesystem;

fs::path RunningProgramPath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : p;
}

fs::path SystemTempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return (tmp && *tmp) ? fs::path(tmp) : fs::path("/tmp");
}

bool MakeCurrentDirectory(const std::string& folder) {
  std::error_code ec;
  fs::current_path(folder, ec);
  return !ec;
}

fs::path QuorvixDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "quorvix";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "quorvix";
}

}  // namespace lumora
