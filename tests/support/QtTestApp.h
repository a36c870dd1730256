// The one QApplication of a Qt test binary and a wait for what the event
// loop brings about, shared by every test that shows a widget.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace lumora::test {

// Longest wait for something the event loop should bring: only a failing
// test waits this long, so it is generous enough for a machine under load.
inline constexpr int kEventWaitMs = 30000;

// Made on first use and never destroyed: a static application's destructor
// would run after Qt's own statics (input devices) are gone.
inline QApplication& App() {
  static int argc = 1;
  static char name[] = "lumora-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Runs the event loop until `done` holds; false after `timeoutMs`.
inline bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs = kEventWaitMs) {
  QTimer tick;  // wakes the loop even when nothing else happens
  tick.start(5);
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

}  // namespace lumora::test
