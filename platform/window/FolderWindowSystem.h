// The window directory over the runtime folder (WindowFolder.h), for sessions
// without an X server.
//
// Finding, existence and rectangles read the live records. Only a window's
// own process can raise, restack or move it, so BringToFront, SetTopmost,
// MoveTo and CentreOnScreen send a control frame (WindowFrame.h) to the
// window's socket; they return true once the request is queued, and the
// owner's Qt glue (platform/qt/QtWindowPresence.h) applies it on its UI thread
// and rewrites the record's rectangle. A Rect read right after MoveTo may
// therefore still show the old place.
#pragma once

#include <string>

#include "platform/window/WindowFolder.h"
#include "platform/window/WindowSystem.h"

namespace lumora {

class FolderWindowSystem final : public WindowSystem {
 public:
  // `folder` is normally DefaultWindowFolder(); it is read as it is, not
  // created (registration creates it).
  explicit FolderWindowSystem(std::string folder) : folder_(std::move(folder)) {}

  WindowHandle FindTopLevel(std::string_view windowClass, std::string_view title) override;
  bool Exists(WindowHandle window) override;
  bool BringToFront(WindowHandle window) override;
  bool SetTopmost(WindowHandle window, bool topmost) override;
  bool MoveTo(WindowHandle window, int left, int top) override;
  bool CentreOnScreen(WindowHandle window) override;
  std::optional<WindowRect> Rect(WindowHandle window) override;
  std::optional<WindowRect> Screen() override;
  bool Post(WindowHandle window, const WindowMessage& message) override;
  bool ShowDesktop() override;

 private:
  bool SendControl(WindowHandle window, const ControlRequest& request);

  WindowFolder folder_;
};

}  // namespace lumora
