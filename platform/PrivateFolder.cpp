// mkdtemp under the session's runtime folder or the temporary folder.
#include "platform/PrivateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/Desktop.h"

namespace lumora {

std::unique_ptr<PrivateFolder> PrivateFolder::Create(std::string_view prefix, std::string* error) {
  // The session's runtime folder first; a runtime folder that refuses the
  // new folder leaves the temporary folder.
  std::string bases[2];
  size_t count = 0;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') bases[count++] = runtime;
  bases[count++] = SystemTempFolder().string();
  std::string why;
  for (size_t i = 0; i < count; ++i) {
    std::string pattern = bases[i] + "/" + std::string(prefix) + "-XXXXXX";
    if (::mkdtemp(pattern.data())) return std::unique_ptr<PrivateFolder>(new PrivateFolder(std::move(pattern)));
    why += (why.empty() ? "" : "; ") + bases[i] + ": " + std::strerror(errno);
  }
  if (error) *error = "cannot make a private folder (" + why + ")";
  return nullptr;
}

PrivateFolder::~PrivateFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace lumora
