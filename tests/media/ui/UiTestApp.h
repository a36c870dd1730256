// The one QApplication of the media window tests (offscreen platform), and a
// wait for something the event loop brings about.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace lumora::test {

// Made once and never destroyed: a static application's destructor would run
// after Qt's own statics (input devices) are gone.
inline void UiApp() {
  static int argc = 1;
  static char name[] = "media_ui_tests";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

// Processes events until `done` holds or `timeoutMs` passed; the answer of `done`.
template <typename Done>
bool ProcessEventsUntil(Done done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents();
    QThread::msleep(2);
  }
  return true;
}

}  // namespace lumora::test
