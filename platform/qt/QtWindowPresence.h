// A top-level widget of ours as a product-line window that other programs can
// find, raise, move and send private messages to.
//
// Announcing gives the widget its title and a window class, and opens its
// message socket:
// - on the xcb platform the widget's native window is the handle; WM_CLASS is
//   set on it through Qt's X connection (instance: the application name,
//   class: the given class), which makes it findable whatever the runtime
//   folder's state, and the socket is bound at X11SocketPath (sockets of
//   ended processes are removed first, RemoveDeadX11Sockets);
// - on any other platform a record is registered in the runtime folder
//   (WindowFolder.h) and kept current: title changes, moves and resizes are
//   written back (moves are coalesced until the event loop is idle).
//
// Private messages arrive on the UI thread and go to the handler. Control
// requests (WindowFrame.h), which the runtime-folder backend sends because
// only this process can act on its widget, are applied here: bring to front
// (raise and activate), topmost (Qt::WindowStaysOnTopHint, shown again when
// it was visible), move (the frame's top-left corner), centre (on the
// widget's screen).
//
// The window is withdrawn (record and socket removed) when this object is
// destroyed or the widget is, whichever comes first. If Qt recreates the
// native window on xcb, the new window is announced again under its new
// handle.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "platform/qt/QtWindowListener.h"
#include "platform/window/MessageSocket.h"
#include "platform/window/WindowFolder.h"
#include "platform/window/WindowSystem.h"

namespace lumora {

class QtWindowPresence final : public QObject {
 public:
  using MessageHandler = std::function<void(const WindowMessage&)>;

  // Announces `widget` (a top-level window) with `windowClass` and `title`.
  // Returns nullptr with `error` filled when the window cannot be made
  // findable (WM_CLASS refused, or no record in the runtime folder). An X11
  // window whose socket cannot be bound (an unusable runtime folder) is
  // announced all the same, without messages; `error` then says why.
  static std::unique_ptr<QtWindowPresence> Announce(QWidget& widget, std::string windowClass,
                                                    const QString& title, MessageHandler onMessage,
                                                    std::string* error);
  ~QtWindowPresence() override;

  // The handle other programs know this window by; kNoWindow once withdrawn.
  WindowHandle handle() const { return handle_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QtWindowPresence(QWidget& widget, std::string windowClass, MessageHandler onMessage);

  bool AnnounceX11(std::string* error);
  bool AnnounceFolder(std::string* error);
  void Listen(MessageListener& listener);
  void Withdraw();
  void Deliver(const IncomingFrame& frame);
  void Apply(const ControlRequest& request);
  void WriteRecord();
  WindowRect CurrentRect() const;

  QPointer<QWidget> widget_;
  std::string windowClass_;
  MessageHandler onMessage_;
  WindowHandle handle_ = kNoWindow;
  bool x11_ = false;                                  // announced on the xcb platform
  std::unique_ptr<MessageListener> x11Listener_;       // xcb platform, when the socket could be bound
  std::unique_ptr<WindowRegistration> registration_;  // any other platform
  std::unique_ptr<QtWindowListener> pump_;
  QTimer recordTimer_;
};

}  // namespace lumora
