// mkdtemp under the session's runtime folder or the temporary folder.
#include "platform/PrivateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/Desktop.h"

namespace lumora {

std::unique_ptr<PrivateFolder> PrivateFolder::Create(std::string_view prefix, std::string* error) {
  std::string base;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') base = runtime;
  else base = SystemTempFolder().string();
  std::string pattern = base + "/" + std::string(prefix) + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) {
    if (error) *error = "cannot make a private folder in " + base + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<PrivateFolder>(new PrivateFolder(std::move(pattern)));
}

PrivateFolder::~PrivateFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace lumora
