// The window directory over an X server, through libxcb.
//
// Handles are X window ids of client (application) windows. The class is the
// second string of WM_CLASS, the title _NET_WM_NAME (UTF-8) or else WM_NAME
// (Latin-1, converted); class and title are compared byte for byte, and a
// window of another user's process on this machine (_NET_WM_PID,
// WM_CLIENT_MACHINE) is never found. Top-level windows are the window manager's
// _NET_CLIENT_LIST; without a window manager, the children of the root that
// carry WM_CLASS, or their children that do (a frame left by a window manager
// that went away).
//
// With an EWMH window manager, BringToFront and SetTopmost ask it with client
// messages to the root (_NET_ACTIVE_WINDOW; _NET_WM_STATE with
// _NET_WM_STATE_ABOVE). Without one, BringToFront restacks the window on top
// and gives it the input focus, and SetTopmost rewrites the window's
// _NET_WM_STATE itself and, when making it topmost, restacks it on top.
// Rectangles are those of the outermost ancestor below the root (the frame
// when there is one), border included; MoveTo configures the client window,
// which a window manager applies to the frame (north-west gravity).
//
// Private messages go to the socket of the window in the runtime folder
// (MessageSocket.h: X11SocketPath), named after the display and the window id.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/WindowSystem.h"

struct xcb_connection_t;

namespace lumora {

// Names the X server that `displayName` (nullptr: $DISPLAY) points at, for
// socket names: "<host>_<display number>", host "local" for the local
// server (":0", "unix:0"). Empty when the name does not parse.
std::string X11DisplayKey(const char* displayName);

// Sets WM_CLASS of `window` to `instance` and `windowClass`, as our own
// windows announce their class. Flushes the connection; false when the
// server refuses the change.
bool SetX11WindowClass(xcb_connection_t* connection, std::uint32_t window, std::string_view instance,
                       std::string_view windowClass);

class X11WindowSystem final : public WindowSystem {
 public:
  // Connects to the X server named by `displayName` (nullptr: $DISPLAY).
  // `folder` is the runtime folder holding the message sockets. Returns
  // nullptr with `error` filled when no server accepts the connection.
  static std::unique_ptr<X11WindowSystem> Connect(const char* displayName, std::string folder,
                                                  std::string* error);
  ~X11WindowSystem() override;
  X11WindowSystem(const X11WindowSystem&) = delete;
  X11WindowSystem& operator=(const X11WindowSystem&) = delete;

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

  const std::string& displayKey() const { return displayKey_; }

  // Read access for callers that inspect one window (tests among them).
  std::optional<std::string> ClassOf(WindowHandle window);
  std::optional<std::string> TitleOf(WindowHandle window);

 private:
  // Interned atoms, indexed by the enum in the source file.
  static constexpr int kAtomCount = 10;

  X11WindowSystem(xcb_connection_t* connection, std::uint32_t root, std::string folder,
                  std::string displayKey)
      : connection_(connection), root_(root), folder_(std::move(folder)), displayKey_(std::move(displayKey)) {}

  struct Property {
    std::uint32_t type = 0;
    std::uint8_t format = 0;
    std::vector<std::uint8_t> bytes;
  };
  std::optional<Property> GetProperty(std::uint32_t window, std::uint32_t property);
  std::vector<std::uint32_t> GetWindowList(std::uint32_t window, std::uint32_t property);
  std::vector<std::uint32_t> Children(std::uint32_t window);
  std::vector<std::uint32_t> ClientWindows();
  bool WindowManagerSupports(std::uint32_t atom);
  // True when the window's _NET_WM_PID and WM_CLIENT_MACHINE name a process
  // of this machine whose user is not ours: a window of another user's
  // session on the same display. Windows that do not tell count as ours.
  bool OfAnotherUser(std::uint32_t window);
  std::uint32_t OuterWindow(std::uint32_t window);
  bool SendToRoot(std::uint32_t window, std::uint32_t type, const std::uint32_t (&data)[5]);
  bool Restack(std::uint32_t window);

  xcb_connection_t* connection_;
  std::uint32_t root_;
  std::string folder_;
  std::string displayKey_;
  std::uint32_t atoms_[kAtomCount] = {};
};

}  // namespace lumora
