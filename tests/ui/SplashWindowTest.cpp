// The splash window: shown only for a bitmap that decodes, the size of the
// bitmap and centred in the work area, painted through the bitmap's colour
// table, on top and frameless, and closed by its timer, a key or a mouse
// button press, never by moving the mouse.
#include "ui/SplashWindow.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/TempDir.h"
#include "picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "platform/testing/FakeDesktop.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "tests/support/QtTestApp.h"

namespace lumora {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 40;
constexpr QRgb kTopColour = qRgb(200, 30, 40);
constexpr QRgb kBottomColour = qRgb(20, 60, 190);

// An 8-bit BMP file: the top half palette entry 1, the bottom half entry 2.
std::vector<uint8_t> TwoColourBitmap() {
  DibImage picture;
  EXPECT_TRUE(picture.Create(kWidth, kHeight, 8));
  for (auto [index, colour] : {std::pair{1, kTopColour}, std::pair{2, kBottomColour}}) {
    uint8_t* e = picture.block().data() + kInfoHeaderBytes + index * 4;
    e[0] = uint8_t(qBlue(colour)), e[1] = uint8_t(qGreen(colour)), e[2] = uint8_t(qRed(colour));
  }
  RowTable rows(picture);
  for (int y = 0; y < kHeight; ++y) std::fill_n(rows[y], kWidth, y < kHeight / 2 ? 1 : 2);
  auto parts = EncodeBmp(picture);
  std::vector<uint8_t> file = parts->head;
  file.insert(file.end(), parts->rows.begin(), parts->rows.end());
  return file;
}

class SplashWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { test::App(); }
  void SetUp() override { desktop_.workArea = {100, 50, 1380, 1074}; }

  static void Send(QWidget* to, QEvent&& event) { QCoreApplication::sendEvent(to, &event); }
  static QMouseEvent Mouse(QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(10, 10);
    return QMouseEvent(type, at, at, button, Qt::MouseButtons(button), Qt::NoModifier);
  }

  testing_support::FakeDesktop desktop_;
};

TEST_F(SplashWindowTest, ShowsTheBitmapCentredOnTopWithItsColours) {
  SplashWindow splash(desktop_, TwoColourBitmap(), 0);
  ASSERT_TRUE(splash.Show());
  EXPECT_FALSE(splash.Show()) << "already up";
  QWidget* window = splash.window();
  EXPECT_TRUE(splash.IsShown());
  EXPECT_EQ(window->geometry(), QRect(100 + (1280 - kWidth) / 2, 50 + (1024 - kHeight) / 2, kWidth, kHeight));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  const QImage shown = window->grab().toImage();
  EXPECT_EQ(shown.pixel(0, 0), kTopColour);
  EXPECT_EQ(shown.pixel(kWidth - 1, kHeight / 2 - 1), kTopColour);
  EXPECT_EQ(shown.pixel(0, kHeight / 2), kBottomColour);
  EXPECT_EQ(shown.pixel(kWidth - 1, kHeight - 1), kBottomColour);
  splash.Close();
  EXPECT_EQ(splash.window(), nullptr);

  std::vector<uint8_t> truncated = TwoColourBitmap();
  truncated.resize(60);
  for (auto bitmap : {std::optional<std::vector<uint8_t>>(), std::optional(truncated)}) {
    SplashWindow none(desktop_, bitmap, 0);
    EXPECT_FALSE(none.Show());
    EXPECT_EQ(none.window(), nullptr);
  }
}

TEST_F(SplashWindowTest, ClosedByItsTimerAKeyOrAMouseButtonButNotByAMove) {
  SplashWindow timed(desktop_, TwoColourBitmap(), 30);
  SplashWindow untimed(desktop_, TwoColourBitmap(), 0);
  ASSERT_TRUE(timed.Show());
  ASSERT_TRUE(untimed.Show());
  EXPECT_TRUE(test::RunEventsUntil([&] { return !timed.IsShown(); }));
  EXPECT_TRUE(untimed.IsShown()) << "no display time, no timer";
  Send(untimed.window(), Mouse(QEvent::MouseMove, Qt::NoButton));
  Send(untimed.window(), Mouse(QEvent::MouseButtonPress, Qt::BackButton));
  EXPECT_TRUE(untimed.IsShown()) << "a move or a side button";

  auto closesOn = [&](auto event) {
    SplashWindow splash(desktop_, TwoColourBitmap(), 0);
    EXPECT_TRUE(splash.Show());
    Send(splash.window(), std::move(event));
    return !splash.IsShown();
  };
  EXPECT_TRUE(closesOn(QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier)));
  EXPECT_TRUE(closesOn(QKeyEvent(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier)));
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
    EXPECT_TRUE(closesOn(Mouse(QEvent::MouseButtonPress, button))) << "button " << int(button);
}

// The program's own splash bitmap shows whole. With LUMORA_SCREENSHOT_DIR set
// the window is saved there as splash.png.
TEST_F(SplashWindowTest, TheProgramsSplashBitmapShows) {
  test::TempDir programFolder;  // no resource library: the built-in set
  Resources resources(programFolder.path());
  std::optional<std::vector<uint8_t>> bitmap = resources.Bitmap(res::kBitmapSplash);
  ASSERT_TRUE(bitmap) << "no splash bitmap " << res::kBitmapSplash << " among the built-in resources";
  DibImage picture;
  ASSERT_TRUE(ReadBmpMemory(picture, *bitmap));
  SplashWindow splash(desktop_, bitmap, 0);
  ASSERT_TRUE(splash.Show());
  EXPECT_EQ(splash.window()->size(), QSize(picture.width(), picture.height()));
  if (const char* dir = std::getenv("LUMORA_SCREENSHOT_DIR")) {
    EXPECT_TRUE(splash.window()->grab().toImage().save(QString::fromLocal8Bit(dir) + "/splash.png"));
  }
}

}  // namespace
}  // namespace lumora
