// Delivers the frames of a window's message socket on the Qt UI thread: a
// socket notifier wakes the event loop, the listener is drained without
// blocking, and each valid frame goes to the handler.
#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

#include "platform/window/MessageSocket.h"

namespace lumora {

class QtWindowListener {
 public:
  using Handler = std::function<void(const IncomingFrame&)>;

  // `listener` must outlive this object. The handler may destroy this object;
  // frames still waiting from that wake-up are then dropped.
  QtWindowListener(MessageListener& listener, Handler handler);
  ~QtWindowListener();
  QtWindowListener(const QtWindowListener&) = delete;
  QtWindowListener& operator=(const QtWindowListener&) = delete;

 private:
  void OnReadable();

  MessageListener& listener_;
  Handler handler_;
  QSocketNotifier notifier_;
  // Cleared on destruction, so a delivery loop can tell it must stop.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace lumora
