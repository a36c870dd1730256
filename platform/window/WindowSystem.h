// The window directory: finding the top-level windows of the product line's
// programs by class and title, raising them, keeping them above others or not,
// moving and centring them, and posting private messages to them.
//
// Every product-line window has a window class (for example "#32770" for
// dialogs), a title, and a 32-bit handle that other programs can be given
// (command lines carry it as "/owner=<hex>"). Two backends implement this
// interface; which one a process uses is decided at run time
// (OpenWindowSystem.h, platform/qt/QtWindowSystem.h):
//
// - X11 (X11WindowSystem.h), whenever the session has an X server: handles are
//   X window ids, the class is the class part of WM_CLASS, the title is
//   _NET_WM_NAME (UTF-8) or else WM_NAME. Raising and keeping on top go through
//   the window manager's EWMH client messages (_NET_ACTIVE_WINDOW,
//   _NET_WM_STATE_ABOVE); with no window manager the window is restacked and
//   focused directly. Any process can act on any window.
//
// - The runtime folder (FolderWindowSystem.h, WindowFolder.h), where no X
//   server is reachable (Qt's offscreen platform, Wayland, no $DISPLAY): each
//   product-line window keeps a record file there with its handle, class,
//   title, process and rectangle. Only the process that owns a window can move
//   or raise it, so those operations travel to it as control frames over its
//   message socket and its Qt glue applies them (platform/qt/QtWindowPresence.h).
//
// Private messages travel the same way in both backends: each product-line
// window listens on a local datagram socket whose path is derived from its
// handle (MessageSocket.h); the frame format is in WindowFrame.h. Posting to
// a busy window waits, boundedly, for room in its queue, so a burst arrives
// complete and in order; a window without a listener makes Post fail at once.
//
// testing/FakeWindowSystem.h is an in-memory implementation for tests that need
// "this companion is running".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace lumora {

// A top-level window of the product line; 0 is no window.
using WindowHandle = std::uint32_t;
inline constexpr WindowHandle kNoWindow = 0;

// A window's outer rectangle (frame included) in screen coordinates.
struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

// A private message between product-line windows: its number (2011 for the
// drop dialogs' notify message), a 32-bit word parameter, and payload bytes
// (for example a file list). The payload is the receiver's to interpret.
struct WindowMessage {
  std::uint32_t number = 0;
  std::uint32_t word = 0;
  std::vector<std::uint8_t> payload;
  bool operator==(const WindowMessage&) const = default;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // The first top-level window whose class and title are exactly these
  // (UTF-8, case-sensitive), or kNoWindow.
  virtual WindowHandle FindTopLevel(std::string_view windowClass, std::string_view title) = 0;

  // True while the window exists (its program still runs and has not
  // withdrawn it).
  virtual bool Exists(WindowHandle window) = 0;

  // Makes the window the active one, above the others. Not restored when
  // minimised.
  virtual bool BringToFront(WindowHandle window) = 0;

  // Keeps the window above all normal windows, or lets it go back among them;
  // neither moves nor sizes it.
  virtual bool SetTopmost(WindowHandle window, bool topmost) = 0;

  // Puts the window's outer top-left corner at (left, top); the size stays.
  virtual bool MoveTo(WindowHandle window, int left, int top) = 0;

  // Centres the window on the screen; the size stays.
  virtual bool CentreOnScreen(WindowHandle window) = 0;

  // The window's outer rectangle, or nothing when it does not exist.
  virtual std::optional<WindowRect> Rect(WindowHandle window) = 0;

  // The screen the windows are placed on (left and top 0), or nothing when
  // this directory cannot tell (the runtime folder knows only its windows).
  virtual std::optional<WindowRect> Screen() = 0;

  // Queues a private message for the window; it arrives on the receiving
  // program's UI thread, after every message this thread posted to it before.
  // While the window's queue is full this waits for room, up to kMaxSendWait
  // (MessageSocket.h). False when the message is not queued: the window has
  // no listener (its program ended), its queue stayed full that long, or the
  // message is too large (WindowFrame.h: kMaxPayloadBytes).
  virtual bool Post(WindowHandle window, const WindowMessage& message) = 0;

  // Minimises every window to show the desktop (the EWMH "show desktop"
  // mode: _NET_SHOWING_DESKTOP). False when this directory cannot ask for it.
  virtual bool ShowDesktop() = 0;
};

}  // namespace lumora
