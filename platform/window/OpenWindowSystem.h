// Choosing the window directory's backend at run time, for callers outside Qt.
// The Qt side decides by Qt's own platform instead (platform/qt/QtWindowSystem.h).
#pragma once

#include <memory>
#include <string>

#include "platform/window/WindowSystem.h"

namespace lumora {

enum class WindowBackend {
  X11,     // the X server of $DISPLAY (or of the name given)
  Folder,  // the runtime folder (WindowFolder.h)
};

// The X11 backend when $DISPLAY names a server that accepts a connection,
// else the runtime folder. Either uses DefaultWindowFolder() for sockets.
std::unique_ptr<WindowSystem> OpenWindowSystem();

// One given backend; nullptr with `error` filled when it cannot be reached.
// `displayName` (nullptr: $DISPLAY) only matters for X11.
std::unique_ptr<WindowSystem> OpenWindowSystem(WindowBackend backend, const char* displayName,
                                               std::string* error);

}  // namespace lumora
