// The splash window: decoding the bitmap with its colour table, placing the
// window and closing it on its timer or on the user's first key or click.
#include "ui/SplashWindow.h"

#include <QBasicTimer>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimerEvent>
#include <QWidget>

#include <cstdio>

#include "picture/DibImage.h"
#include "picture/qt/DibQImage.h"
#include "media/codecs/Bmp.h"
#include "platform/Desktop.h"

namespace lumora {

// The window itself: paints the picture and hides on its timer, a key press
// or a press of the left, right or middle mouse button. It is deleted by its
// SplashWindow, never by itself, so the main window can always close it.
class SplashView final : public QWidget {
 public:
  SplashView(const QImage& picture, int displayMs)
      : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
        picture_(QPixmap::fromImage(picture)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(picture_.size());
    setFocusPolicy(Qt::StrongFocus);
    if (displayMs > 0) timer_.start(displayMs, this);
  }

 protected:
  bool event(QEvent* e) override {
    // Every key, Tab and Alt combinations included, before any focus or
    // shortcut handling sees it.
    if (e->type() == QEvent::KeyPress) {
      Dismiss();
      return true;
    }
    return QWidget::event(e);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
  }

  void mousePressEvent(QMouseEvent* e) override {
    constexpr Qt::MouseButtons kClosing = Qt::LeftButton | Qt::RightButton | Qt::MiddleButton;
    if (e->button() & kClosing) Dismiss();
  }

  void timerEvent(QTimerEvent* e) override {
    if (e->timerId() != timer_.timerId()) return QWidget::timerEvent(e);
    Dismiss();
  }

 private:
  void Dismiss() {
    timer_.stop();
    hide();
  }

  QPixmap picture_;
  QBasicTimer timer_;
};

SplashWindow::SplashWindow(Desktop& desktop, std::optional<std::vector<uint8_t>> bitmapFile, int displayMs)
    : desktop_(desktop), bitmapFile_(std::move(bitmapFile)), displayMs_(displayMs) {}

SplashWindow::~SplashWindow() { Close(); }

bool SplashWindow::Show() {
  if (view_ || !bitmapFile_) return false;
  DibImage picture;
  if (BmpResult read = ReadBmpMemory(picture, *bitmapFile_); !read) {
    std::fprintf(stderr, "lumora: splash bitmap: BMP: %s\n", read.Reason().c_str());
    return false;
  }
  QImage image = ToQImage(picture);
  if (image.isNull()) return false;

  view_ = std::make_unique<SplashView>(image, displayMs_);
  const ScreenRect area = desktop_.WorkArea();
  view_->move(area.left + (area.width() - image.width()) / 2, area.top + (area.height() - image.height()) / 2);
  view_->show();
  view_->activateWindow();
  view_->repaint();  // the main window goes on initialising: paint now, not on the next event
  return true;
}

void SplashWindow::Close() { view_.reset(); }

bool SplashWindow::IsShown() const { return view_ && view_->isVisible(); }

QWidget* SplashWindow::window() const { return view_.get(); }

}  // namespace lumora
