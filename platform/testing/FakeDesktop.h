// A desktop whose work area and folders a test sets, and which keeps the
// folder last made current (and makes it current, as the program's desktop
// does, for tests that look at the process's folder).
#pragma once

#include "platform/Desktop.h"

namespace lumora::testing_support {

class FakeDesktop final : public Desktop {
 public:
  ScreenRect workArea{0, 0, 1280, 984};
  std::filesystem::path programPath;
  std::filesystem::path tempFolder;
  std::filesystem::path systemFolder;
  int waitDepth = 0;       // current nesting of the wait cursor
  int waitCursorShown = 0; // how often it went from off to on
  std::string currentFolder;

  ScreenRect WorkArea() override { return workArea; }
  std::filesystem::path ProgramPath() override { return programPath; }
  std::filesystem::path TempFolder() override { return tempFolder; }
  std::filesystem::path SystemFolder() override { return systemFolder; }
  void SetWaitCursor(bool on) override {
    if (on && waitDepth++ == 0) ++waitCursorShown;
    if (!on && waitDepth > 0) --waitDepth;
  }
  bool SetCurrentFolder(const std::string& folder) override {
    currentFolder = folder;
    return MakeCurrentDirectory(folder);
  }
};

}  // namespace lumora::testing_support
