// Qt backend of the desktop.
#include "platform/qt/QtDesktop.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace lumora {

QtDesktop::~QtDesktop() {
  while (waitDepth_ > 0) SetWaitCursor(false);
}

ScreenRect QtDesktop::WorkArea() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  QRect r = screen->availableGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

std::filesystem::path QtDesktop::ProgramPath() {
  return programPath_ ? *programPath_ : RunningProgramPath();
}

void QtDesktop::SetWaitCursor(bool on) {
  if (on) {
    if (waitDepth_++ == 0) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else if (waitDepth_ > 0 && --waitDepth_ == 0) {
    QGuiApplication::restoreOverrideCursor();
  }
}

}  // namespace lumora
