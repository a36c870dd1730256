// Keeping the mouse pointer inside a widget while a mouse button is held
// (a drag that must not leave the picture view). On the xcb platform the
// pointer is grabbed with the widget's rectangle as its confinement: an
// input-only child window of the widget's top-level native window covers
// the widget, and the grab keeps reporting events to Qt as usual (owner
// events), so nothing else of the program notices. On other platforms
// (offscreen, Wayland) the pointer is left free.
#pragma once

#include <cstdint>

class QWidget;

namespace lumora {

class PointerConfinement {
 public:
  // Confines the pointer to `area`'s current rectangle on screen.
  explicit PointerConfinement(QWidget& area);
  // Lifts the confinement.
  ~PointerConfinement();
  PointerConfinement(const PointerConfinement&) = delete;
  PointerConfinement& operator=(const PointerConfinement&) = delete;

  // True when the pointer is held (xcb only, and only when the server granted
  // the grab).
  bool active() const { return grabbed_; }

 private:
  uint32_t window_ = 0;  // the input-only window the pointer is confined to
  bool grabbed_ = false;
};

}  // namespace lumora
