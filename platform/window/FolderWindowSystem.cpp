// The runtime-folder window directory: records for finding, control frames
// for acting on other processes' windows.
#include "platform/window/FolderWindowSystem.h"

#include "platform/window/MessageSocket.h"
#include "platform/window/WindowFrame.h"

namespace lumora {

WindowHandle FolderWindowSystem::FindTopLevel(std::string_view windowClass, std::string_view title) {
  for (const WindowRecord& record : folder_.LiveRecords())
    if (record.windowClass == windowClass && record.title == title) return record.handle;
  return kNoWindow;
}

bool FolderWindowSystem::Exists(WindowHandle window) {
  return folder_.ReadLive(window).has_value();
}

std::optional<WindowRect> FolderWindowSystem::Rect(WindowHandle window) {
  std::optional<WindowRecord> record = folder_.ReadLive(window);
  if (!record) return std::nullopt;
  return record->rect;
}

bool FolderWindowSystem::SendControl(WindowHandle window, const ControlRequest& request) {
  if (!Exists(window)) return false;
  return SendFrame(FolderSocketPath(folder_.path(), window), EncodeControlFrame(request));
}

bool FolderWindowSystem::BringToFront(WindowHandle window) {
  return SendControl(window, {ControlCode::BringToFront});
}

bool FolderWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  return SendControl(window, {ControlCode::SetTopmost, topmost});
}

bool FolderWindowSystem::MoveTo(WindowHandle window, int left, int top) {
  return SendControl(window, {ControlCode::MoveTo, false, left, top});
}

// The windows' owners place them on their own screens; the folder does not
// record those.
std::optional<WindowRect> FolderWindowSystem::Screen() { return std::nullopt; }

bool FolderWindowSystem::CentreOnScreen(WindowHandle window) {
  return SendControl(window, {ControlCode::Centre});
}

bool FolderWindowSystem::Post(WindowHandle window, const WindowMessage& message) {
  const std::vector<std::uint8_t> frame = EncodeMessageFrame(message);
  if (frame.empty() || !Exists(window)) return false;
  return SendFrame(FolderSocketPath(folder_.path(), window), frame);
}

// Other programs' windows are out of reach without a window system.
bool FolderWindowSystem::ShowDesktop() { return false; }

}  // namespace lumora
