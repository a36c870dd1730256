// The splash window: shown only for a bitmap that decodes, the size of the
// bitmap and centred in the work area, painted through the bitmap's colour
// table, on top and frameless, and closed by its timer, a key or a mouse
// button press, never by moving the mouse.
#include "media/ui/SplashWindow.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <cstdlib>

#include <gtest/gtest.h>

#include "../../TempDir.h"
#include "UiTestApp.h"
#include "editor/picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "platform/testing/FakeDesktop.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace lumora {
namespace {

using testing_support::FakeDesktop;

constexpr int kWidth = 64;
constexpr int kHeight = 40;
constexpr QRgb kTopColour = qRgb(200, 30, 40);
constexpr QRgb kBottomColour = qRgb(20, 60, 190);

// An 8-bit BMP file: the top half palette entry 1, the bottom half entry 2.
std::vector<uint8_t> TwoColourBitmap() {
  DibImage picture;
  EXPECT_TRUE(picture.Create(kWidth, kHeight, 8));
  auto setEntry = [&](int index, QRgb colour) {
    uint8_t* e = picture.block().data() + kInfoHeaderBytes + index * 4;
    e[0] = uint8_t(qBlue(colour));
    e[1] = uint8_t(qGreen(colour));
    e[2] = uint8_t(qRed(colour));
  };
  setEntry(1, kTopColour);
  setEntry(2, kBottomColour);
  RowTable rows(picture);
  for (int y = 0; y < kHeight; ++y) std::fill_n(rows[y], kWidth, y < kHeight / 2 ? 1 : 2);
  auto parts = EncodeBmp(picture);
  EXPECT_TRUE(parts);
  std::vector<uint8_t> file = parts->head;
  file.insert(file.end(), parts->rows.begin(), parts->rows.end());
  return file;
}

class SplashWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { test::UiApp(); }
  void SetUp() override { desktop_.workArea = {100, 50, 1380, 1074}; }

  static void Send(QWidget* to, QEvent&& event) { QCoreApplication::sendEvent(to, &event); }
  static QMouseEvent Mouse(QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(10, 10);
    return QMouseEvent(type, at, at, button, button == Qt::NoButton ? Qt::NoButton : Qt::MouseButtons(button),
                       Qt::NoModifier);
  }

  FakeDesktop desktop_;
};

TEST_F(SplashWindowTest, ShowsTheBitmapCentredOnTopWithItsColours) {
  SplashWindow splash(desktop_, TwoColourBitmap(), 0);
  ASSERT_TRUE(splash.Show());
  EXPECT_FALSE(splash.Show()) << "already up";
  QWidget* window = splash.window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(splash.IsShown());
  EXPECT_EQ(window->size(), QSize(kWidth, kHeight));
  EXPECT_EQ(window->pos(), QPoint(100 + (1280 - kWidth) / 2, 50 + (1024 - kHeight) / 2));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);

  const QImage shown = window->grab().toImage();
  EXPECT_EQ(shown.pixel(0, 0), kTopColour);
  EXPECT_EQ(shown.pixel(kWidth - 1, kHeight / 2 - 1), kTopColour);
  EXPECT_EQ(shown.pixel(0, kHeight / 2), kBottomColour);
  EXPECT_EQ(shown.pixel(kWidth - 1, kHeight - 1), kBottomColour);

  splash.Close();
  EXPECT_EQ(splash.window(), nullptr);
  EXPECT_FALSE(splash.IsShown());
}

TEST_F(SplashWindowTest, NoWindowWithoutADecodableBitmap) {
  SplashWindow missing(desktop_, std::nullopt, 0);
  EXPECT_FALSE(missing.Show());
  EXPECT_EQ(missing.window(), nullptr);
  std::vector<uint8_t> truncated = TwoColourBitmap();
  truncated.resize(60);
  SplashWindow broken(desktop_, truncated, 0);
  EXPECT_FALSE(broken.Show());
  EXPECT_EQ(broken.window(), nullptr);
}

TEST_F(SplashWindowTest, ItsTimerClosesItAndWithoutADisplayTimeItStays) {
  SplashWindow timed(desktop_, TwoColourBitmap(), 30);
  SplashWindow untimed(desktop_, TwoColourBitmap(), 0);
  ASSERT_TRUE(timed.Show());
  ASSERT_TRUE(untimed.Show());
  EXPECT_TRUE(test::ProcessEventsUntil([&] { return !timed.IsShown(); }, 10000));
  EXPECT_TRUE(untimed.IsShown());
  EXPECT_NE(timed.window(), nullptr) << "hidden, and deleted only by Close";
}

TEST_F(SplashWindowTest, KeyAndMouseButtonPressesCloseItAndMovesDoNot) {
  {
    SplashWindow splash(desktop_, TwoColourBitmap(), 0);
    ASSERT_TRUE(splash.Show());
    Send(splash.window(), Mouse(QEvent::MouseMove, Qt::NoButton));
    Send(splash.window(), Mouse(QEvent::MouseButtonPress, Qt::BackButton));
    EXPECT_TRUE(splash.IsShown()) << "a move or a side button";
    Send(splash.window(), QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
    EXPECT_FALSE(splash.IsShown()) << "key press";
  }
  {
    SplashWindow splash(desktop_, TwoColourBitmap(), 0);
    ASSERT_TRUE(splash.Show());
    Send(splash.window(), QKeyEvent(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier));
    EXPECT_FALSE(splash.IsShown()) << "a system key";
  }
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    SplashWindow splash(desktop_, TwoColourBitmap(), 0);
    ASSERT_TRUE(splash.Show());
    Send(splash.window(), Mouse(QEvent::MouseButtonPress, button));
    EXPECT_FALSE(splash.IsShown()) << "button " << int(button);
  }
}

// The program's own splash bitmap shows whole. With LUMORA_SCREENSHOT_DIR set
// the window is saved there as splash.png.
TEST_F(SplashWindowTest, TheProgramsSplashBitmapShows) {
  test::TempDir programFolder;  // holds no resource library: the built-in set
  Resources resources(programFolder.path());
  std::optional<std::vector<uint8_t>> bitmap = resources.Bitmap(res::kBitmapSplash);
  if (!bitmap) GTEST_SKIP() << "no splash bitmap " << res::kBitmapSplash << " among the resources";
  DibImage picture;
  ASSERT_NE(ReadBmpMemory(picture, *bitmap), 0);
  SplashWindow splash(desktop_, bitmap, 0);
  ASSERT_TRUE(splash.Show());
  EXPECT_EQ(splash.window()->size(), QSize(picture.width(), picture.height()));
  const QImage shot = splash.window()->grab().toImage();
  if (const char* dir = std::getenv("LUMORA_SCREENSHOT_DIR")) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(dir) + "/splash.png"));
  }
}

}  // namespace
}  // namespace lumora
