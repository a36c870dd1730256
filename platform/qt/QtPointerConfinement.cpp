// The pointer held inside a widget through an X pointer grab.
#include "platform/qt/QtPointerConfinement.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/qt/QtWindowSystem.h"

namespace lumora {

namespace {

xcb_connection_t* QtConnection() {
  if (!QtWindowsUseX11()) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

PointerConfinement::PointerConfinement(QWidget& area) {
  xcb_connection_t* connection = QtConnection();
  QWidget* top = area.window();
  if (!connection || !top || !area.isVisible()) return;
  // The area in the top-level window's native pixels.
  const qreal ratio = top->devicePixelRatioF();
  const QPoint origin = area.mapTo(top, QPoint(0, 0));
  const auto x = int16_t(std::lround(origin.x() * ratio)), y = int16_t(std::lround(origin.y() * ratio));
  const auto width = uint16_t(std::max(1L, std::lround(area.width() * ratio)));
  const auto height = uint16_t(std::max(1L, std::lround(area.height() * ratio)));

  // An input-only window selects no events: pointer events over it go on to
  // the top-level window, where Qt receives them as before.
  window_ = xcb_generate_id(connection);
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window_, xcb_window_t(top->winId()), x, y, width, height, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_map_window(connection, window_);
  const uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
  auto grab = [&] {
    xcb_grab_pointer_reply_t* reply =
        xcb_grab_pointer_reply(connection,
                               xcb_grab_pointer(connection, 1, xcb_window_t(top->winId()), events, XCB_GRAB_MODE_ASYNC,
                                                XCB_GRAB_MODE_ASYNC, window_, XCB_CURSOR_NONE, XCB_CURRENT_TIME),
                               nullptr);
    const int status = reply ? reply->status : -1;
    std::free(reply);
    return status;
  };
  int status = grab();
  // While a button is held, the press's own implicit grab belongs to Qt
  // (through the X input extension), and the server refuses a second kind of
  // grab beside it. Releasing it only affects grabs of this program; the
  // new grab keeps reporting events to Qt's windows as before.
  if (status == XCB_GRAB_STATUS_ALREADY_GRABBED) {
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    status = grab();
  }
  grabbed_ = status == XCB_GRAB_STATUS_SUCCESS;
  if (!grabbed_) {
    xcb_destroy_window(connection, window_);
    window_ = 0;
    xcb_flush(connection);
  }
}

PointerConfinement::~PointerConfinement() {
  xcb_connection_t* connection = QtConnection();
  if (!connection || !window_) return;
  xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
  xcb_destroy_window(connection, window_);
  xcb_flush(connection);
}

}  // namespace lumora
