// Backend choice for the window directory: X11 when a server answers, else
// the runtime folder.
#include "platform/window/OpenWindowSystem.h"

#include <cstdlib>

#include "platform/window/FolderWindowSystem.h"
#include "platform/window/WindowFolder.h"
#include "platform/window/X11WindowSystem.h"

namespace lumora {

std::unique_ptr<WindowSystem> OpenWindowSystem(WindowBackend backend, const char* displayName,
                                               std::string* error) {
  if (backend == WindowBackend::Folder) return std::make_unique<FolderWindowSystem>(DefaultWindowFolder());
  return X11WindowSystem::Connect(displayName, DefaultWindowFolder(), error);
}

std::unique_ptr<WindowSystem> OpenWindowSystem() {
  const char* display = std::getenv("DISPLAY");
  if (display && display[0] != '\0') {
    if (std::unique_ptr<WindowSystem> x11 = OpenWindowSystem(WindowBackend::X11, nullptr, nullptr)) return x11;
  }
  return OpenWindowSystem(WindowBackend::Folder, nullptr, nullptr);
}

}  // namespace lumora
