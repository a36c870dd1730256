// The window directory for a Qt program: X11 when Qt itself runs on the xcb
// platform, the runtime folder otherwise (offscreen, Wayland, no display).
// Qt's own windows announce themselves with QtWindowPresence.h, which makes
// the same choice.
#pragma once

#include <memory>
#include <string>

#include "platform/window/WindowSystem.h"

namespace lumora {

// True when QGuiApplication runs on the xcb platform.
bool QtWindowsUseX11();

// The backend matching Qt's platform. The X11 backend connects to $DISPLAY
// (Qt's "-display" option is not followed). nullptr with `error` filled when
// that server does not answer.
std::unique_ptr<WindowSystem> OpenWindowSystemForQt(std::string* error);

}  // namespace lumora
