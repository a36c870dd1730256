// The in-memory window directory used by tests.
#include "platform/window/testing/FakeWindowSystem.h"

#include <algorithm>

#include "platform/window/WindowFrame.h"

namespace lumora {

WindowHandle FakeWindowSystem::Open(std::string windowClass, std::string title, WindowRect rect,
                                    bool listening) {
  FakeWindow window;
  window.handle = nextHandle_++;
  window.windowClass = std::move(windowClass);
  window.title = std::move(title);
  window.rect = rect;
  window.listening = listening;
  windows_.push_back(std::move(window));
  return windows_.back().handle;
}

void FakeWindowSystem::Close(WindowHandle window) {
  std::erase_if(windows_, [&](const FakeWindow& open) { return open.handle == window; });
  if (foreground_ == window) foreground_ = kNoWindow;
}

FakeWindow* FakeWindowSystem::Window(WindowHandle window) {
  auto found = std::find_if(windows_.begin(), windows_.end(),
                            [&](const FakeWindow& open) { return open.handle == window; });
  return found == windows_.end() ? nullptr : &*found;
}

WindowHandle FakeWindowSystem::FindTopLevel(std::string_view windowClass, std::string_view title) {
  for (const FakeWindow& window : windows_)
    if (window.windowClass == windowClass && window.title == title) return window.handle;
  return kNoWindow;
}

bool FakeWindowSystem::BringToFront(WindowHandle window) {
  if (!Exists(window)) return false;
  foreground_ = window;
  calls_.push_back({FakeWindowCall::Op::BringToFront, window});
  return true;
}

bool FakeWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  FakeWindow* open = Window(window);
  if (!open) return false;
  open->topmost = topmost;
  calls_.push_back({FakeWindowCall::Op::SetTopmost, window, topmost ? 1 : 0});
  return true;
}

bool FakeWindowSystem::MoveTo(WindowHandle window, int left, int top) {
  FakeWindow* open = Window(window);
  if (!open) return false;
  open->rect.left = left;
  open->rect.top = top;
  calls_.push_back({FakeWindowCall::Op::MoveTo, window, left, top});
  return true;
}

bool FakeWindowSystem::CentreOnScreen(WindowHandle window) {
  FakeWindow* open = Window(window);
  if (!open) return false;
  open->rect.left = (screenWidth_ - open->rect.width) / 2;
  open->rect.top = (screenHeight_ - open->rect.height) / 2;
  calls_.push_back({FakeWindowCall::Op::CentreOnScreen, window});
  return true;
}

std::optional<WindowRect> FakeWindowSystem::Screen() { return WindowRect{0, 0, screenWidth_, screenHeight_}; }

std::optional<WindowRect> FakeWindowSystem::Rect(WindowHandle window) {
  FakeWindow* open = Window(window);
  if (!open) return std::nullopt;
  return open->rect;
}

bool FakeWindowSystem::Post(WindowHandle window, const WindowMessage& message) {
  FakeWindow* open = Window(window);
  if (!open || !open->listening || message.payload.size() > kMaxPayloadBytes) return false;
  open->received.push_back(message);
  calls_.push_back({FakeWindowCall::Op::Post, window, int(message.number), int(message.word)});
  return true;
}

bool FakeWindowSystem::ShowDesktop() {
  calls_.push_back({FakeWindowCall::Op::ShowDesktop, kNoWindow, 0, 0});
  return true;
}

}  // namespace lumora
