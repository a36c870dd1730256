// Socket-notifier glue between a window's message listener and the UI thread.
#include "platform/qt/QtWindowListener.h"

#include <vector>

namespace lumora {

QtWindowListener::QtWindowListener(MessageListener& listener, Handler handler)
    : listener_(listener), handler_(std::move(handler)), notifier_(listener.fd(), QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { OnReadable(); });
}

QtWindowListener::~QtWindowListener() { *alive_ = false; }

void QtWindowListener::OnReadable() {
  std::vector<IncomingFrame> frames;
  listener_.Drain([&](const IncomingFrame& frame) { frames.push_back(frame); });
  const std::shared_ptr<bool> alive = alive_;
  // The handler is copied: it may destroy this object while it runs.
  const Handler handler = handler_;
  for (const IncomingFrame& frame : frames) {
    if (!*alive) return;
    handler(frame);
  }
}

}  // namespace lumora
