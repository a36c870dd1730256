// The desktop as Qt sees it: the primary screen's available geometry and the
// application-wide wait cursor.
#pragma once

#include <optional>

#include "platform/Desktop.h"

namespace lumora {

class QtDesktop final : public Desktop {
 public:
  // `programPath` replaces the running program's file (a test seam: UI tests
  // put "Albums" and the skin files in a temporary folder).
  explicit QtDesktop(std::optional<std::filesystem::path> programPath = std::nullopt)
      : programPath_(std::move(programPath)) {}
  ~QtDesktop() override;

  ScreenRect WorkArea() override;
  std::filesystem::path ProgramPath() override;
  std::filesystem::path TempFolder() override { return SystemTempFolder(); }
  std::filesystem::path SystemFolder() override { return QuorvixDataFolder(); }
  void SetWaitCursor(bool on) override;
  bool SetCurrentFolder(const std::string& folder) override { return MakeCurrentDirectory(folder); }

 private:
  std::optional<std::filesystem::path> programPath_;
  int waitDepth_ = 0;
};

}  // namespace lumora
