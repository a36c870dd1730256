// Announcing our own widgets as product-line windows and applying the
// requests that arrive for them.
#include "platform/qt/QtWindowPresence.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <variant>

#include "platform/qt/QtWindowSystem.h"
#include "platform/window/X11WindowSystem.h"

namespace lumora {

std::unique_ptr<QtWindowPresence> QtWindowPresence::Announce(QWidget& widget, std::string windowClass,
                                                             const QString& title, MessageHandler onMessage,
                                                             std::string* error) {
  std::unique_ptr<QtWindowPresence> presence(
      new QtWindowPresence(widget, std::move(windowClass), std::move(onMessage)));
  widget.setWindowTitle(title);
  presence->x11_ = QtWindowsUseX11();
  const bool announced = presence->x11_ ? presence->AnnounceX11(error) : presence->AnnounceFolder(error);
  if (!announced) return nullptr;
  widget.installEventFilter(presence.get());
  QObject::connect(&widget, &QObject::destroyed, presence.get(), [raw = presence.get()] { raw->Withdraw(); });
  return presence;
}

QtWindowPresence::QtWindowPresence(QWidget& widget, std::string windowClass, MessageHandler onMessage)
    : widget_(&widget), windowClass_(std::move(windowClass)), onMessage_(std::move(onMessage)) {
  recordTimer_.setSingleShot(true);
  recordTimer_.setInterval(0);
  connect(&recordTimer_, &QTimer::timeout, this, [this] { WriteRecord(); });
}

QtWindowPresence::~QtWindowPresence() {
  if (widget_) widget_->removeEventFilter(this);
  Withdraw();
}

void QtWindowPresence::Withdraw() {
  pump_.reset();
  registration_.reset();
  x11Listener_.reset();
  recordTimer_.stop();
  handle_ = kNoWindow;
}

void QtWindowPresence::Listen(MessageListener& listener) {
  pump_ = std::make_unique<QtWindowListener>(listener, [this](const IncomingFrame& frame) { Deliver(frame); });
}

bool QtWindowPresence::AnnounceX11(std::string* error) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) {
    if (error) *error = "the xcb platform offers no X connection";
    return false;
  }
  // Class and title make the window findable; they need nothing of the
  // runtime folder, so they are set before the socket is tried.
  pump_.reset();
  x11Listener_.reset();
  const WindowHandle window = WindowHandle(widget_->winId());
  std::string instance = QCoreApplication::applicationName().toStdString();
  if (instance.empty()) instance = windowClass_;
  if (!SetX11WindowClass(x11->connection(), window, instance, windowClass_)) {
    if (error) *error = "the X server refused WM_CLASS on window " + FormatHandle(window);
    return false;
  }
  handle_ = window;

  const std::string displayKey = X11DisplayKey(nullptr);
  const std::string folder = DefaultWindowFolder();
  if (displayKey.empty()) {
    if (error) *error = "DISPLAY does not name an X display; window " + FormatHandle(window) + " takes no messages";
    return true;
  }
  std::string socketError;
  if (PrepareWindowFolder(folder, &socketError)) {
    RemoveDeadX11Sockets(folder);
    x11Listener_ = MessageListener::Bind(X11SocketPath(folder, displayKey, window), true, &socketError);
  }
  if (!x11Listener_) {
    if (error) *error = socketError + "; window " + FormatHandle(window) + " takes no messages";
    return true;
  }
  Listen(*x11Listener_);
  return true;
}

bool QtWindowPresence::AnnounceFolder(std::string* error) {
  registration_ = WindowRegistration::Register(DefaultWindowFolder(), windowClass_,
                                               widget_->windowTitle().toStdString(), CurrentRect(), error);
  if (!registration_) return false;
  handle_ = registration_->handle();
  Listen(registration_->listener());
  return true;
}

WindowRect QtWindowPresence::CurrentRect() const {
  const QRect frame = widget_->frameGeometry();
  return WindowRect{frame.x(), frame.y(), frame.width(), frame.height()};
}

void QtWindowPresence::WriteRecord() {
  if (!registration_ || !widget_) return;
  registration_->Update(widget_->windowTitle().toStdString(), CurrentRect());
}

bool QtWindowPresence::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_ || handle_ == kNoWindow) return false;
  switch (event->type()) {
    case QEvent::WindowTitleChange:
      WriteRecord();
      break;
    case QEvent::Move:
    case QEvent::Resize:
      if (registration_) recordTimer_.start();
      break;
    case QEvent::WinIdChange:
      // The native window was recreated: the old handle is gone with it.
      if (x11_ && WindowHandle(widget_->winId()) != handle_) {
        std::string error;
        if (!AnnounceX11(&error)) Withdraw();
      }
      break;
    default:
      break;
  }
  return false;
}

void QtWindowPresence::Deliver(const IncomingFrame& frame) {
  if (const auto* request = std::get_if<ControlRequest>(&frame)) {
    Apply(*request);
    return;
  }
  if (onMessage_) onMessage_(std::get<WindowMessage>(frame));
}

void QtWindowPresence::Apply(const ControlRequest& request) {
  if (!widget_) return;
  QWidget& widget = *widget_;
  switch (request.code) {
    case ControlCode::BringToFront:
      widget.raise();
      widget.activateWindow();
      break;
    case ControlCode::SetTopmost: {
      if (widget.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == request.topmost) break;
      // Changing window flags hides a visible window; it is shown again.
      const bool visible = widget.isVisible();
      widget.setWindowFlag(Qt::WindowStaysOnTopHint, request.topmost);
      if (visible) widget.show();
      break;
    }
    case ControlCode::MoveTo:
      widget.move(request.left, request.top);
      break;
    case ControlCode::Centre: {
      const QScreen* screen = widget.screen();
      if (!screen) break;
      const QRect area = screen->geometry();
      const QSize size = widget.frameGeometry().size();
      widget.move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
      break;
    }
  }
  WriteRecord();
}

}  // namespace lumora
