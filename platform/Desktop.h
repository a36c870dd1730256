// The desktop around the program: the screen's work area, where the program
// file lies (its folder holds "Albums" and the skin files), the temporary
// folder, the folder that takes the place of the system folder for the
// wallpaper bitmap, the wait cursor and the process's current folder.
#pragma once

#include <filesystem>
#include <string>

namespace lumora {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // The primary screen without panels and docks.
  virtual ScreenRect WorkArea() = 0;
  // The program file; tests substitute it to put "Albums" in a temporary folder.
  virtual std::filesystem::path ProgramPath() = 0;
  virtual std::filesystem::path TempFolder() = 0;
  virtual std::filesystem::path SystemFolder() = 0;
  // Nested calls: the wait cursor shows until every "on" has had its "off".
  virtual void SetWaitCursor(bool on) = 0;
  // Makes `folder` the current folder of the whole process (an album's load
  // does, so that the album's files are at hand by their names); false when
  // it cannot be.
  virtual bool SetCurrentFolder(const std::string& folder) = 0;

  std::filesystem::path ProgramFolder() { return ProgramPath().parent_path(); }
};

// Shows the wait cursor for one scope.
class WaitCursor {
 public:
  explicit WaitCursor(Desktop& desktop) : desktop_(desktop) { desktop_.SetWaitCursor(true); }
  ~WaitCursor() { desktop_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Desktop& desktop_;
};

// The running program's file (/proc/self/exe).
std::filesystem::path RunningProgramPath();
// $TMPDIR, else /tmp.
std::filesystem::path SystemTempFolder();
// Makes `folder` the process's current directory; false when it cannot be.
// The one place the program changes it: desktops go through here.
bool MakeCurrentDirectory(const std::string& folder);
// $XDG_DATA_HOME/quorvix, else ~/.local/share/quorvix.
std::filesystem::path QuorvixDataFolder();

}  // namespace lumora
