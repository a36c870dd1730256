// The picture view offscreen: loading a file written by our codecs, the zoom
// with its scroll ranges and positions, what the view shows, the selection
// tracker driven by the mouse, the magnifier, the wheel and the keys.
#include "editor/ImageCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "editor/ViewMath.h"
#include "media/codecs/PictureFiles.h"
#include "tests/TempDir.h"
#include "tests/support/QtTestApp.h"

namespace lumora {
namespace {

constexpr int32_t kPicWidth = 300, kPicHeight = 200;

QRgb Named(int x, int y) { return qRgb(x & 0xff, y & 0xff, 0x55); }

bool Same(const ViewRect& a, const ViewRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ImageCanvasTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { test::App(); }

  void SetUp() override {
    DibImage pic;
    ASSERT_TRUE(pic.Create(kPicWidth, kPicHeight, 24));
    RowTable rows(pic);
    for (int y = 0; y < kPicHeight; ++y)
      for (int x = 0; x < kPicWidth; ++x) {
        uint8_t* px = rows[y] + x * 3;
        px[0] = 0x55, px[1] = uint8_t(y), px[2] = uint8_t(x);
      }
    path_ = (dir_ / "picture.bmp").string();
    ASSERT_TRUE(SavePictureFile(pic, path_));
    canvas_.resize(200, 150);
    canvas_.show();
    canvas_.OnZoomChanged([this] { ++zooms_; });
    canvas_.OnSelectionChanged([this] { ++selections_; });
  }

  QWidget* View() { return canvas_.viewport(); }
  QImage Shown() { return View()->grab().toImage(); }
  QPoint Scroll() { return {canvas_.ScrollX(), canvas_.ScrollY()}; }

  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(View()->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(View(), &event);
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, from);
    Mouse(QEvent::MouseMove, (from + to) / 2);
    Mouse(QEvent::MouseMove, to);
    Mouse(QEvent::MouseButtonRelease, to);
  }
  Qt::CursorShape HoverCursor(QPoint at) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(View()->mapToGlobal(at)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(View(), &event);
    return View()->cursor().shape();
  }
  void Wheel(int delta, Qt::KeyboardModifiers modifiers) {
    const QPointF at(20, 20);
    QWheelEvent event(at, View()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(View(), &event);
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(&canvas_, &event);
  }

  test::TempDir dir_;
  std::string path_;
  EffectLevels levels_;
  ImageCanvas canvas_{levels_, nullptr};
  int zooms_ = 0, selections_ = 0;
};

TEST_F(ImageCanvasTest, ZoomStepsMoveTheRangesAndKeepThePositionsInProportion) {
  ASSERT_TRUE(canvas_.LoadPicture(path_));
  EXPECT_EQ(canvas_.Displayed().width(), kPicWidth);
  const int w = View()->width(), h = View()->height();
  ASSERT_LT(w, 200) << "the vertical bar takes room";
  ASSERT_LT(h, 150);
  EXPECT_EQ(canvas_.RangeX(), kPicWidth - (w + 1));
  EXPECT_EQ(canvas_.RangeY(), kPicHeight - (h + 1));
  EXPECT_EQ(Scroll(), QPoint(canvas_.RangeX() / 2, canvas_.RangeY() / 2)) << "new ranges start in the middle";
  EXPECT_EQ(canvas_.horizontalScrollBar()->singleStep(), 10);
  EXPECT_EQ(canvas_.verticalScrollBar()->pageStep(), 50);

  for (int step : {2, 3, 4, 8, 16}) {
    const ScrollAxis x{canvas_.RangeX(), canvas_.ScrollX()}, y{canvas_.RangeY(), canvas_.ScrollY()};
    ASSERT_TRUE(canvas_.ZoomIn());
    EXPECT_EQ(canvas_.ZoomStep(), step);
    EXPECT_FLOAT_EQ(canvas_.ZoomFactor(), ZoomFactorOf(step));
    EXPECT_EQ(canvas_.RangeX(), int(kPicWidth * ZoomFactorOf(step)) - (w + 1));
    EXPECT_EQ(canvas_.ScrollX(), ZoomedRange(x, canvas_.RangeX()).position);
    EXPECT_EQ(canvas_.ScrollY(), ZoomedRange(y, canvas_.RangeY()).position);
  }
  EXPECT_EQ(canvas_.RangeX(), 1200 - (w + 1));
  EXPECT_FALSE(canvas_.ZoomIn()) << "16 is the last step";
  EXPECT_FALSE(canvas_.SetZoomStep(16));
  EXPECT_FALSE(canvas_.SetZoomStep(5));
  EXPECT_EQ(zooms_, 5);

  // 25%: 150 x 100 fits, the bars go and the picture is centred.
  ASSERT_TRUE(canvas_.SetZoomStep(-4));
  EXPECT_FALSE(canvas_.ZoomOut());
  EXPECT_EQ(QPoint(canvas_.RangeX(), canvas_.RangeY()), QPoint(0, 0));
  EXPECT_EQ(Scroll(), QPoint(0, 0));
  ASSERT_EQ(View()->size(), QSize(200, 150));
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixel(24, 24), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(25, 25), Named(0, 0));
  EXPECT_EQ(shown.pixel(27, 26), Named(4, 2));
  EXPECT_EQ(shown.pixel(174, 124), Named(298, 198));
  EXPECT_EQ(shown.pixel(175, 125), qRgb(0, 0, 0));
  canvas_.SetBackground(0xff0000);  // blue
  EXPECT_EQ(Shown().pixel(0, 0), qRgb(0, 0, 255));

  // Back to 100%: the ranges come back with their positions in the middle.
  ASSERT_TRUE(canvas_.SetZoomStep(1));
  EXPECT_EQ(Scroll(), QPoint(canvas_.RangeX() / 2, canvas_.RangeY() / 2));
  EXPECT_EQ(Shown().pixel(0, 0), Named(canvas_.ScrollX(), canvas_.ScrollY()));
  EXPECT_EQ(zooms_, 7);

  // A file that cannot be read: no picture, no ranges, only the background.
  EXPECT_FALSE(canvas_.LoadPicture((dir_ / "missing.bmp").string()));
  EXPECT_TRUE(canvas_.Displayed().empty());
  EXPECT_EQ(QPoint(canvas_.RangeX(), canvas_.RangeY()), QPoint(0, 0));
  EXPECT_EQ(Shown().pixel(100, 75), qRgb(0, 0, 255));
}

TEST_F(ImageCanvasTest, ShowsTheEffectBaseWhileAskedAndFollowsWheelAndKeys) {
  ASSERT_TRUE(canvas_.LoadPicture(path_));
  const QPoint middle = Scroll();
  canvas_.EffectBase().Create(kPicWidth, kPicHeight, 8);  // black
  canvas_.ShowEffectBase(true);
  EXPECT_EQ(Shown().pixel(10, 10), qRgb(0, 0, 0));
  canvas_.ShowEffectBase(false);
  EXPECT_EQ(Shown().pixel(10, 10), Named(middle.x() + 10, middle.y() + 10));

  Wheel(-120, Qt::NoModifier);  // one notch down: the system's lines of 10 pixels
  EXPECT_EQ(Scroll(), middle + QPoint(0, 10 * QApplication::wheelScrollLines()));
  Wheel(120, Qt::ShiftModifier);
  EXPECT_EQ(Scroll().x(), middle.x() - 10 * QApplication::wheelScrollLines());
  Key(Qt::Key_End);
  Key(Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(Scroll(), QPoint(0, canvas_.RangeY()));
  Key(Qt::Key_Home);
  EXPECT_EQ(Scroll().y(), 0);

  Wheel(60, Qt::ControlModifier);
  EXPECT_EQ(zooms_, 0) << "half a notch";
  Wheel(60, Qt::ControlModifier);
  Wheel(-240, Qt::ControlModifier);
  EXPECT_EQ(zooms_, 3);
  EXPECT_EQ(canvas_.ZoomStep(), -2);
}

TEST_F(ImageCanvasTest, TheTrackerDrawsMovesAndResizesTheSelection) {
  ASSERT_TRUE(canvas_.LoadPicture(path_));
  levels_.regionSelect = true;
  const int w = View()->width(), h = View()->height();
  const QPoint s = Scroll();
  ASSERT_NE(s, QPoint(0, 0));
  canvas_.SelectMiddleHalf();
  ASSERT_TRUE(Same(levels_.selection, {s.x() + w / 4, s.y() + h / 4, s.x() + 3 * w / 4, s.y() + 3 * h / 4}));

  // The drawn rectangle: the stored one in client coordinates, right and bottom 2 pixels in.
  auto drawn = [&] {
    const ViewRect& r = levels_.selection;
    return QRect(QPoint(r.left - s.x(), r.top - s.y()), QPoint(r.right - 2 - s.x(), r.bottom - 2 - s.y()));
  };
  const QRect d = drawn();
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixel(d.topLeft()), qRgb(0, 0, 0)) << "a handle";
  EXPECT_EQ(shown.pixel(d.bottomRight()), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(d.bottomRight() + QPoint(1, 1)), Named(d.right() + 1 + s.x(), d.bottom() + 1 + s.y()));
  EXPECT_EQ(HoverCursor(d.center()), Qt::SizeAllCursor);
  EXPECT_EQ(HoverCursor(d.topLeft()), Qt::SizeFDiagCursor);
  EXPECT_EQ(HoverCursor(d.bottomRight()), Qt::SizeFDiagCursor);
  EXPECT_EQ(HoverCursor(d.bottomLeft()), Qt::SizeBDiagCursor);
  EXPECT_EQ(HoverCursor({d.right(), d.center().y()}), Qt::SizeHorCursor);
  EXPECT_EQ(HoverCursor({d.center().x(), d.top()}), Qt::SizeVerCursor);
  EXPECT_EQ(HoverCursor({2, 2}), Qt::ArrowCursor);

  // A rubber band drawn from the bottom right to the top left, outside the selection.
  Drag({w - 10, h - 10}, {10, 12});
  EXPECT_TRUE(Same(levels_.selection, {s.x() + 10, s.y() + 12, s.x() + w - 10, s.y() + h - 10}));
  EXPECT_EQ(selections_, 1);
  // Moved by its inside.
  Drag(drawn().center(), drawn().center() + QPoint(-7, 5));
  EXPECT_TRUE(Same(levels_.selection, {s.x() + 3, s.y() + 17, s.x() + w - 17, s.y() + h - 5}));
  EXPECT_EQ(selections_, 2);
  // Resized by the bottom-right handle, then the left handle dragged past the right edge.
  const ViewRect before = levels_.selection;
  Drag(drawn().bottomRight(), drawn().bottomRight() + QPoint(-20, -4));
  EXPECT_TRUE(Same(levels_.selection, {before.left, before.top, before.right - 20, before.bottom - 4}));
  const ViewRect resized = levels_.selection;
  Drag({drawn().left(), drawn().center().y()}, {drawn().right() + 2 + 6, drawn().center().y()});
  EXPECT_TRUE(Same(levels_.selection, {resized.right, resized.top, resized.right + 6, resized.bottom}));
  EXPECT_EQ(selections_, 4);
  // A click outside draws nothing; a drag beyond the view stops at its edge.
  const ViewRect kept = levels_.selection;
  Drag({1, h - 2}, {1, h - 2});
  EXPECT_TRUE(Same(levels_.selection, kept));
  EXPECT_EQ(selections_, 4);
  Drag({30, 40}, {-50, 500});
  EXPECT_TRUE(Same(levels_.selection, {s.x(), s.y() + 40, s.x() + 30, s.y() + h - 1}));
  EXPECT_EQ(selections_, 5);

  // A zoom rescales the selection.
  const ViewRect unzoomed = levels_.selection;
  ASSERT_TRUE(canvas_.SetZoomStep(4));
  EXPECT_TRUE(Same(levels_.selection, RescaleSelection(unzoomed, 1.0f, 2.0f)));
}

TEST_F(ImageCanvasTest, TheMagnifierFollowsThePointerAndLeavesNothingBehind) {
  ASSERT_TRUE(canvas_.LoadPicture(path_));
  const QImage before = Shown();
  const QPoint s = Scroll();
  Mouse(QEvent::MouseButtonPress, {90, 85});
  ASSERT_TRUE(canvas_.MagnifierActive());
  EXPECT_EQ(View()->cursor().shape(), Qt::BlankCursor);
  QImage shown = Shown();
  EXPECT_EQ(shown.pixel(10, 5), qRgb(255, 255, 255)) << "the frame's top-left corner";
  EXPECT_EQ(shown.pixel(90, 85), before.pixel(90, 85));
  EXPECT_EQ(shown.pixel(90 + 21, 85 + 9), Named(s.x() + 90 + 10, s.y() + 85 + 4));
  EXPECT_EQ(shown.pixel(90 - 21, 85 - 9), Named(s.x() + 90 - 11, s.y() + 85 - 5));

  Mouse(QEvent::MouseMove, {100, 90});
  shown = Shown();
  EXPECT_EQ(shown.pixel(20, 10), qRgb(255, 255, 255));
  EXPECT_EQ(shown.pixel(10, 5), before.pixel(10, 5)) << "the old place is drawn again";
  Mouse(QEvent::MouseButtonRelease, {100, 90});
  EXPECT_FALSE(canvas_.MagnifierActive());
  EXPECT_NE(View()->cursor().shape(), Qt::BlankCursor);
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(selections_, 0);
  EXPECT_TRUE(levels_.selection.empty());
}

}  // namespace
}  // namespace lumora
