// SkinButton: the drawing table, bitmaps and their fallbacks, hover tracking
// by the pointer's entering and leaving, and the shape cut from the normal
// bitmap.
#include "app/SkinButton.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QWidget>

#include <map>

#include "app/ButtonShape.h"
#include "app/Skin.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

constexpr QRgb kKey = qRgb(255, 0, 255);
constexpr int kTolerance = 8;

class TestSkin final : public BitmapSource {
 public:
  QImage Bitmap(uint32_t id) const override {
    const auto found = images.find(id);
    return found == images.end() ? QImage() : found->second;
  }
  std::map<uint32_t, QImage> images;
};

// A 20 x 20 bitmap of one colour with its four corner pixels keyed out.
QImage Plate(QRgb colour) {
  QImage image(20, 20, QImage::Format_RGB32);
  image.fill(colour);
  for (const QPoint corner : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 19), QPoint(19, 19)})
    image.setPixel(corner, kKey);
  return image;
}

using Slot = SkinButton::Slot;

TEST(SkinButtonDrawing, TheTableChoosesByReadinessStateHoverAndPress) {
  struct Case {
    bool ready, enabled;
    int look;
    bool hover, pressed;
    Slot slot;
  };
  const Case cases[] = {
      {false, true, 0, true, true, SkinButton::kNone},
      {true, false, 2, true, false, SkinButton::kDisabled},
      {true, true, 0, false, false, SkinButton::kNormal},
      {true, true, 1, false, false, SkinButton::kHoverBitmap},
      {true, true, 2, false, false, SkinButton::kActive},
      {true, true, 3, false, false, SkinButton::kDisabled},
      {true, true, 0, true, false, SkinButton::kHoverBitmap},
      {true, true, 1, true, false, SkinButton::kHoverBitmap},
      {true, true, 2, true, false, SkinButton::kActive},  // state 2 under the pointer stays active
      {true, true, 3, true, false, SkinButton::kHoverBitmap},
      {true, true, 0, true, true, SkinButton::kActive},   // pressed shows active
      {true, true, 1, true, true, SkinButton::kHoverBitmap},
      {true, true, 2, true, true, SkinButton::kActive},
      {true, true, 3, true, true, SkinButton::kActive},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SkinButton::ChooseSlot(c.ready, c.enabled, c.look, c.hover, c.pressed), c.slot)
        << "ready " << c.ready << " enabled " << c.enabled << " look " << c.look << " hover " << c.hover
        << " pressed " << c.pressed;
  }
}

// Made before the fixture's widgets.
struct ApplicationFirst {
  ApplicationFirst() { test::App(); }
};

class SkinButtonTest : public ::testing::Test, private ApplicationFirst {
 protected:
  SkinButtonTest() {
    skin_.images = {{1, Plate(qRgb(200, 0, 0))}, {2, Plate(qRgb(0, 200, 0))}, {3, Plate(qRgb(0, 0, 200))}};
    parent_.setGeometry(100, 100, 200, 200);
    button_ = new SkinButton(skin_, 1124, &parent_);
    button_->SetTransparentColour(kKey, kTolerance);
    button_->SetBitmaps(1, 0, 2, 3, 0);
    button_->move(50, 50);
    QObject::connect(button_, &QAbstractButton::clicked, [this] { ++clicks_; });
    parent_.show();
  }
  QRgb Shown() const { return button_->BitmapIn(button_->SlotToDraw()).pixel(10, 10); }

  TestSkin skin_;
  QWidget parent_;
  SkinButton* button_;
  int clicks_ = 0;
};

TEST_F(SkinButtonTest, BitmapsFallBackToTheNormalOneAndAMissingNormalOneLeavesItInvisible) {
  EXPECT_TRUE(button_->IsReady());
  EXPECT_EQ(button_->size(), QSize(20, 20));
  EXPECT_EQ(button_->BitmapIn(SkinButton::kAlternate), skin_.images[1]) << "alternate id 0";
  EXPECT_EQ(button_->BitmapIn(SkinButton::kDisabled), skin_.images[1]) << "disabled id 0";

  EXPECT_FALSE(button_->SetBitmaps(1, 0, 2, 3, 77)) << "the last load failed";
  EXPECT_TRUE(button_->IsReady());
  EXPECT_EQ(button_->BitmapIn(SkinButton::kDisabled), skin_.images[1]);
  EXPECT_TRUE(button_->SetBitmaps(1, 0, 77, 3, 0)) << "only the last load decides";
  EXPECT_EQ(button_->BitmapIn(SkinButton::kHoverBitmap), skin_.images[1]);

  EXPECT_FALSE(button_->SetBitmaps(99, 0, 2, 3, 0));
  EXPECT_FALSE(button_->IsReady());
  EXPECT_EQ(button_->SlotToDraw(), SkinButton::kNone);
}

// The pointer entering and leaving the button, as the window system reports
// it.
void Enter(QWidget& widget, const QPoint& local) {
  const QPointF at(local);
  QEnterEvent event(at, at, widget.mapToGlobal(at));
  QApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(&widget, &event);
}

TEST_F(SkinButtonTest, HoverFollowsEnterAndLeaveAndShowsTheHoverOrActiveBitmapWithoutAGrab) {
  button_->SetLookState(SkinButton::kLookActive);
  Enter(*button_, {10, 10});
  EXPECT_TRUE(button_->IsHovering());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "a modal window opened by a click must get the mouse";
  EXPECT_EQ(Shown(), qRgb(0, 0, 200)) << "look state 2 under the pointer shows active";
  Leave(*button_);
  EXPECT_FALSE(button_->IsHovering());
  EXPECT_EQ(Shown(), qRgb(0, 0, 200));

  button_->SetLookState(SkinButton::kLookNormal);
  EXPECT_EQ(Shown(), qRgb(200, 0, 0));
  Enter(*button_, {10, 10});
  EXPECT_EQ(Shown(), qRgb(0, 200, 0));
  test::Press(*button_, {11, 10});
  EXPECT_TRUE(button_->IsPressed());
  EXPECT_EQ(Shown(), qRgb(0, 0, 200)) << "pressed shows active";
  test::MoveHeld(*button_, {12, 11});
  EXPECT_TRUE(button_->IsPressed()) << "still on it";
  test::Release(*button_, {12, 11});
  EXPECT_FALSE(button_->IsPressed());
  EXPECT_EQ(clicks_, 1);
  EXPECT_TRUE(button_->IsHovering()) << "still over it";
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

  button_->Redraw();
  EXPECT_FALSE(button_->IsHovering()) << "a redraw clears the hover flag";
  button_->setEnabled(false);
  EXPECT_EQ(button_->SlotToDraw(), SkinButton::kDisabled);
}

TEST_F(SkinButtonTest, MovingOffWithTheLeftButtonHeldEndsTheHoverLookAndTheReleaseThereDoesNotClick) {
  Enter(*button_, {10, 10});
  test::Press(*button_, {10, 10});
  test::MoveHeld(*button_, {19, 19});  // a keyed-out corner is off the shape
  EXPECT_FALSE(button_->IsHovering());
  EXPECT_FALSE(button_->IsPressed());
  EXPECT_EQ(Shown(), qRgb(200, 0, 0));
  test::MoveHeld(*button_, {70, -30});
  test::Release(*button_, {70, -30});
  Leave(*button_);  // the window system reports the leave with the release
  EXPECT_FALSE(button_->IsHovering());
  EXPECT_EQ(clicks_, 0);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(SkinButtonTest, TheShapeCutsTheKeyOutAndAnAllKeyBitmapLeavesNothing) {
  EXPECT_FALSE(button_->Shape().contains(QPoint(0, 0)));
  EXPECT_TRUE(button_->Shape().contains(QPoint(1, 0)));
  EXPECT_FALSE(button_->mask().contains(QPoint(19, 19)));
  EXPECT_EQ(parent_.childAt(50, 50), nullptr) << "a keyed-out corner takes no clicks";
  EXPECT_EQ(parent_.childAt(60, 60), button_);

  QImage allKey(20, 20, QImage::Format_RGB32);
  allKey.fill(kKey);
  skin_.images[4] = allKey;
  ASSERT_TRUE(button_->SetBitmaps(4, 0, 0, 0, 0));
  EXPECT_TRUE(button_->Shape().isEmpty());
  EXPECT_EQ(parent_.childAt(60, 60), nullptr) << "an empty shape shows nothing";
}

TEST(ButtonShape, ThePerChannelToleranceReachesUpFromTheKeyOnly) {
  QImage image(6, 1, QImage::Format_RGB32);
  const QRgb pixels[] = {qRgb(255, 0, 255), qRgb(255, 8, 255), qRgb(255, 9, 255),
                         qRgb(254, 0, 255), qRgb(255, 4, 250), qRgb(10, 20, 30)};
  for (int x = 0; x < 6; ++x) image.setPixel(x, 0, pixels[x]);
  const QRegion tolerant = ShapeFromBitmap(image, kKey, 8);
  const bool expected[] = {false, false, true, true, true, true};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(tolerant.contains(QPoint(x, 0)), expected[x]) << "x " << x;
  EXPECT_TRUE(ShapeFromBitmap(image, kKey, 0).contains(QPoint(1, 0))) << "no tolerance: only the key itself";
  QImage white(1, 1, QImage::Format_RGB32);
  white.fill(qRgb(255, 255, 255));
  EXPECT_TRUE(ShapeFromBitmap(white, qRgb(250, 250, 250), 10).isEmpty()) << "the range ends at 255, not past it";
  EXPECT_FALSE(ShapeFromBitmap(white, qRgb(250, 250, 250), 4).isEmpty());
}

TEST(ButtonShape, ManyRunsAreJoinedAcrossBatches) {
  // Every other pixel keyed out: 60 runs a row, 6000 in all, three batches.
  QImage image(120, 100, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, (x + y) % 2 ? kKey : qRgb(0, 128, 0));
  const QRegion shape = ShapeFromBitmap(image, kKey, 0);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ASSERT_EQ(shape.contains(QPoint(x, y)), (x + y) % 2 == 0) << x << ", " << y;
}

}  // namespace
}  // namespace lumora
