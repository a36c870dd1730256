// A folder for one task's temporary files that no other user can enter or
// predict: made fresh with mkdtemp (mode 0700) under $XDG_RUNTIME_DIR when
// that is set to an absolute path and takes it, else under the temporary
// folder, and removed with everything in it when the object goes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lumora {

class PrivateFolder {
 public:
  // A new folder named "<prefix>-XXXXXX"; nothing, with `error` saying why,
  // when it can't be made.
  static std::unique_ptr<PrivateFolder> Create(std::string_view prefix, std::string* error);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  explicit PrivateFolder(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace lumora
