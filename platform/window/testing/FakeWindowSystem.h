// An in-memory window directory for tests: scripts which product-line windows
// are open ("the TV program is running"), applies every operation to its own
// table, and records what was done in order.
#pragma once

#include <string>
#include <vector>

#include "platform/window/WindowSystem.h"

namespace lumora {

struct FakeWindow {
  WindowHandle handle = kNoWindow;
  std::string windowClass;
  std::string title;
  WindowRect rect;
  bool topmost = false;
  bool listening = true;  // false: Post to it fails, as for a window without a socket
                          // (Post also fails, as everywhere, above kMaxPayloadBytes)
  std::vector<WindowMessage> received;
};

// One operation that reached an open window.
struct FakeWindowCall {
  enum class Op { BringToFront, SetTopmost, MoveTo, CentreOnScreen, Post, ShowDesktop };
  Op op = Op::BringToFront;
  WindowHandle window = kNoWindow;
  int first = 0;   // SetTopmost: 1 or 0; MoveTo: left; Post: message number
  int second = 0;  // MoveTo: top; Post: word parameter
  bool operator==(const FakeWindowCall&) const = default;
};

class FakeWindowSystem final : public WindowSystem {
 public:
  explicit FakeWindowSystem(int screenWidth = 1024, int screenHeight = 768)
      : screenWidth_(screenWidth), screenHeight_(screenHeight) {}

  // Opens a window; handles count up from 1 and are never reused.
  WindowHandle Open(std::string windowClass, std::string title, WindowRect rect = {0, 0, 200, 100},
                    bool listening = true);
  // The window's program ends; later operations on it fail.
  void Close(WindowHandle window);
  // The open window, or nullptr.
  FakeWindow* Window(WindowHandle window);
  // The window brought to front last, or kNoWindow.
  WindowHandle Foreground() const { return foreground_; }
  const std::vector<FakeWindowCall>& calls() const { return calls_; }

  WindowHandle FindTopLevel(std::string_view windowClass, std::string_view title) override;
  bool Exists(WindowHandle window) override { return Window(window) != nullptr; }
  bool BringToFront(WindowHandle window) override;
  bool SetTopmost(WindowHandle window, bool topmost) override;
  bool MoveTo(WindowHandle window, int left, int top) override;
  bool CentreOnScreen(WindowHandle window) override;
  std::optional<WindowRect> Rect(WindowHandle window) override;
  std::optional<WindowRect> Screen() override;
  bool Post(WindowHandle window, const WindowMessage& message) override;
  bool ShowDesktop() override;

 private:
  int screenWidth_;
  int screenHeight_;
  WindowHandle nextHandle_ = 1;
  WindowHandle foreground_ = kNoWindow;
  std::vector<FakeWindow> windows_;
  std::vector<FakeWindowCall> calls_;
};

}  // namespace lumora
