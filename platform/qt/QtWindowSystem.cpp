// Backend choice of the window directory by Qt's platform plugin.
#include "platform/qt/QtWindowSystem.h"

#include <QGuiApplication>

#include "platform/window/OpenWindowSystem.h"

namespace lumora {

bool QtWindowsUseX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

std::unique_ptr<WindowSystem> OpenWindowSystemForQt(std::string* error) {
  return OpenWindowSystem(QtWindowsUseX11() ? WindowBackend::X11 : WindowBackend::Folder, nullptr, error);
}

}  // namespace lumora
