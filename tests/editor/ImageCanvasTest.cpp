// The picture view offscreen: a file written by our codecs loaded, the zoom
// with its scroll ranges and positions, what the view shows, the selection
// tracker driven by the mouse, the magnifier, the wheel and the keys.
#include "editor/ImageCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <array>

#include "editor/ViewMath.h"
#include "media/codecs/PictureFiles.h"
#include "tests/TempDir.h"
#include "tests/editor/NamedPicture.h"
#include "tests/support/QtTestApp.h"

namespace lumora {
namespace {

constexpr int32_t kPicWidth = 300, kPicHeight = 200;

QRgb Named(int x, int y) { return qRgb(x & 0xff, y & 0xff, 0x55); }
std::array<int32_t, 4> Edges(const ViewRect& r) { return {r.left, r.top, r.right, r.bottom}; }

class ImageCanvasTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { test::App(); }

  void SetUp() override {
    const DibImage pic = test::NamedPicture(kPicWidth, kPicHeight);
    ASSERT_TRUE(SavePictureFile(pic, path_));
    canvas_.resize(200, 150);
    canvas_.OnZoomChanged([this] { ++zooms_; });
    canvas_.OnSelectionChanged([this] { ++selections_; });
  }

  QWidget* View() { return canvas_.viewport(); }
  QImage Shown() { return View()->grab().toImage(); }
  QPoint Scroll() { return {canvas_.ScrollX(), canvas_.ScrollY()}; }
  void Send(QWidget* to, QEvent&& event) { QCoreApplication::sendEvent(to, &event); }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    Send(View(), QMouseEvent(type, QPointF(at), QPointF(View()->mapToGlobal(at)), button, held, Qt::NoModifier));
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, from);
    Mouse(QEvent::MouseMove, (from + to) / 2);
    Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  Qt::CursorShape HoverCursor(QPoint at) {
    Mouse(QEvent::MouseMove, at, Qt::NoButton);
    return View()->cursor().shape();
  }
  void Wheel(int delta, Qt::KeyboardModifiers modifiers) {
    Send(View(), QWheelEvent(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                             Qt::NoScrollPhase, false));
  }

  test::TempDir dir_;
  std::string path_ = (dir_ / "picture.bmp").string();
  EffectLevels levels_;
  ImageCanvas canvas_{levels_, nullptr};
  int zooms_ = 0, selections_ = 0;
};

TEST_F(ImageCanvasTest, ZoomStepsMoveTheRangesAndKeepThePositionsInProportion) {
  ASSERT_TRUE(canvas_.LoadPicture(path_));  // before the view is shown: ranges from the size it will have
  canvas_.show();
  const int w = View()->width(), h = View()->height();
  ASSERT_TRUE(w < 200 && h < 150) << "both bars take room";
  EXPECT_EQ(QPoint(canvas_.RangeX(), canvas_.RangeY()), QPoint(kPicWidth - (w + 1), kPicHeight - (h + 1)));
  EXPECT_EQ(Scroll(), QPoint(canvas_.RangeX() / 2, canvas_.RangeY() / 2)) << "new ranges start in the middle";
  EXPECT_EQ(Shown().pixel(0, 0), Named(canvas_.ScrollX(), canvas_.ScrollY()));

  for (int step : {2, 3, 4, 8, 16}) {
    const ScrollAxis x{canvas_.RangeX(), canvas_.ScrollX()}, y{canvas_.RangeY(), canvas_.ScrollY()};
    ASSERT_TRUE(canvas_.ZoomIn());
    EXPECT_EQ(canvas_.ZoomStep(), step);
    EXPECT_EQ(canvas_.RangeX(), int(kPicWidth * ZoomFactorOf(step)) - (w + 1));
    EXPECT_EQ(Scroll(), QPoint(ZoomedRange(x, canvas_.RangeX()).position, ZoomedRange(y, canvas_.RangeY()).position));
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
  canvas_.SetBackground(0xff0000);  // blue
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixel(24, 24), qRgb(0, 0, 255));
  EXPECT_EQ(shown.pixel(25, 25), Named(0, 0));
  EXPECT_EQ(shown.pixel(27, 26), Named(4, 2));
  EXPECT_EQ(shown.pixel(174, 124), Named(298, 198));
  EXPECT_EQ(shown.pixel(175, 125), qRgb(0, 0, 255));

  // The effect base instead of the picture, while asked.
  canvas_.EffectBase().Create(kPicWidth, kPicHeight, 8);  // black
  canvas_.ShowEffectBase(true);
  EXPECT_EQ(Shown().pixel(25, 25), qRgb(0, 0, 0));
  canvas_.ShowEffectBase(false);
  EXPECT_EQ(Shown().pixel(25, 25), Named(0, 0));

  // A file that cannot be read: no picture, no ranges, only the background.
  EXPECT_FALSE(canvas_.LoadPicture((dir_ / "missing.bmp").string()));
  EXPECT_TRUE(canvas_.Displayed().empty());
  EXPECT_EQ(QPoint(canvas_.RangeX(), canvas_.RangeY()), QPoint(0, 0));
  EXPECT_EQ(Shown().pixel(100, 75), qRgb(0, 0, 255));
}

TEST_F(ImageCanvasTest, WheelAndKeysScrollAndZoom) {
  canvas_.show();
  ASSERT_TRUE(canvas_.LoadPicture(path_));
  const QPoint middle = Scroll();
  const int notch = 10 * QApplication::wheelScrollLines();
  Wheel(-120, Qt::NoModifier);
  EXPECT_EQ(Scroll(), middle + QPoint(0, notch));
  Wheel(120, Qt::ShiftModifier);
  EXPECT_EQ(Scroll(), middle + QPoint(-notch, notch));
  Send(&canvas_, QKeyEvent(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier));
  Send(&canvas_, QKeyEvent(QEvent::KeyPress, Qt::Key_Home, Qt::ShiftModifier));
  EXPECT_EQ(Scroll(), QPoint(0, canvas_.RangeY()));

  Wheel(60, Qt::ControlModifier);
  EXPECT_EQ(zooms_, 0) << "half a notch";
  Wheel(60, Qt::ControlModifier);
  Wheel(-240, Qt::ControlModifier);
  EXPECT_EQ(zooms_, 3);
  EXPECT_EQ(canvas_.ZoomStep(), -2);
}

TEST_F(ImageCanvasTest, TheTrackerDrawsMovesAndResizesTheSelection) {
  canvas_.show();
  ASSERT_TRUE(canvas_.LoadPicture(path_));
  levels_.regionSelect = true;
  const int w = View()->width(), h = View()->height();
  const QPoint s = Scroll();
  canvas_.SelectMiddleHalf();
  ASSERT_EQ(Edges(levels_.selection), Edges(MiddleHalf(w, h, s.x(), s.y())));

  // Drawn in client coordinates with the right and bottom edges 2 pixels in.
  auto drawn = [&] {
    const ViewRect& r = levels_.selection;
    return QRect(QPoint(r.left - s.x(), r.top - s.y()), QPoint(r.right - 2 - s.x(), r.bottom - 2 - s.y()));
  };
  const QRect d = drawn();
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixel(d.bottomRight()), qRgb(255, 255, 255)) << "a handle's edge";
  EXPECT_EQ(shown.pixel(d.bottomRight() - QPoint(1, 1)), qRgb(0, 0, 0)) << "a handle";
  EXPECT_EQ(shown.pixel(d.bottomRight() + QPoint(1, 1)), Named(d.right() + 1 + s.x(), d.bottom() + 1 + s.y()));
  EXPECT_EQ(HoverCursor(d.center()), Qt::SizeAllCursor);
  EXPECT_EQ(HoverCursor(d.topLeft()), Qt::SizeFDiagCursor);
  EXPECT_EQ(HoverCursor(d.bottomLeft()), Qt::SizeBDiagCursor);
  EXPECT_EQ(HoverCursor({d.right(), d.center().y()}), Qt::SizeHorCursor);
  EXPECT_EQ(HoverCursor({d.center().x(), d.top()}), Qt::SizeVerCursor);
  EXPECT_EQ(HoverCursor({2, 2}), Qt::ArrowCursor);

  // A rubber band outside the selection, drawn from the bottom right to the top left.
  Drag({w - 10, h - 10}, {10, 12});
  EXPECT_EQ(Edges(levels_.selection), (std::array{s.x() + 10, s.y() + 12, s.x() + w - 10, s.y() + h - 10}));
  // Moved by its inside, resized by the bottom-right handle, then the left
  // handle dragged past the right edge.
  Drag(drawn().center(), drawn().center() + QPoint(-7, 5));
  EXPECT_EQ(Edges(levels_.selection), (std::array{s.x() + 3, s.y() + 17, s.x() + w - 17, s.y() + h - 5}));
  Drag(drawn().bottomRight(), drawn().bottomRight() + QPoint(-20, -4));
  const ViewRect r = levels_.selection;
  EXPECT_EQ(Edges(r), (std::array{s.x() + 3, s.y() + 17, s.x() + w - 37, s.y() + h - 9}));
  Drag({drawn().left(), drawn().center().y()}, {drawn().right() + 8, drawn().center().y()});
  EXPECT_EQ(Edges(levels_.selection), (std::array{r.right, r.top, r.right + 6, r.bottom}));
  EXPECT_EQ(selections_, 4);
  // A click outside draws nothing; a drag beyond the view stops at its edge.
  Drag({1, h - 2}, {1, h - 2});
  EXPECT_EQ(selections_, 4);
  Drag({30, 40}, {-50, 500});
  EXPECT_EQ(Edges(levels_.selection), (std::array{s.x(), s.y() + 40, s.x() + 30, s.y() + h - 1}));
  EXPECT_EQ(selections_, 5);

  const ViewRect unzoomed = levels_.selection;
  ASSERT_TRUE(canvas_.SetZoomStep(4));
  EXPECT_EQ(Edges(levels_.selection), Edges(RescaleSelection(unzoomed, 1.0f, 2.0f)));
}

TEST_F(ImageCanvasTest, TheMagnifierFollowsThePointerAndLeavesNothingBehind) {
  canvas_.show();
  ASSERT_TRUE(canvas_.LoadPicture(path_));
  const QImage before = Shown();
  const QPoint s = Scroll();
  Mouse(QEvent::MouseButtonPress, {90, 85});
  ASSERT_TRUE(canvas_.MagnifierActive());
  EXPECT_EQ(View()->cursor().shape(), Qt::BlankCursor);
  QImage shown = Shown();
  EXPECT_EQ(shown.pixel(10, 5), qRgb(255, 255, 255)) << "the frame's top-left corner";
  EXPECT_EQ(shown.pixel(90 + 21, 85 + 9), Named(s.x() + 90 + 10, s.y() + 85 + 4));
  EXPECT_EQ(shown.pixel(90 - 21, 85 - 9), Named(s.x() + 90 - 11, s.y() + 85 - 5));

  Mouse(QEvent::MouseMove, {100, 90});
  shown = Shown();
  EXPECT_EQ(shown.pixel(20, 10), qRgb(255, 255, 255));
  EXPECT_EQ(shown.pixel(10, 5), before.pixel(10, 5)) << "the old place is drawn again";
  Mouse(QEvent::MouseButtonRelease, {100, 90}, Qt::NoButton);
  EXPECT_FALSE(canvas_.MagnifierActive());
  EXPECT_NE(View()->cursor().shape(), Qt::BlankCursor);
  EXPECT_EQ(Shown(), before);
  EXPECT_TRUE(levels_.selection.empty());
  // In a corner the loupe is cut off by the view's edges.
  Mouse(QEvent::MouseButtonPress, {5, 3});
  EXPECT_EQ(Shown().pixel(84, 82), qRgb(255, 255, 255)) << "the frame's bottom-right corner";
  EXPECT_EQ(Shown().pixel(79, 79), Named(s.x() + 42, s.y() + 41));
  Mouse(QEvent::MouseButtonRelease, {5, 3}, Qt::NoButton);
}

}  // namespace
}  // namespace lumora
