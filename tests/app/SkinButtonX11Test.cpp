// A skin button whose click opens a message box, on a real X display (run
// under xvfb-run, no window manager): the pointer is moved and clicked by the
// X server's test extension, as a user's mouse would, and the box must answer
// the click on its button.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <optional>

#include "app/Skin.h"
#include "app/SkinButton.h"
#include "platform/Prompts.h"
#include "platform/qt/QtPrompts.h"
#include "tests/support/QtTestApp.h"

namespace lumora {
namespace {

// Longest wait for the X server and the program to show what the test did.
constexpr int kDisplayWaitMs = 30000;

// The pointer, driven through the test extension on a connection of its own.
class FakePointer {
 public:
  FakePointer() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_)) return;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection_, &xcb_test_id);
    if (extension && extension->present) root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~FakePointer() { xcb_disconnect(connection_); }
  bool ok() const { return root_ != XCB_NONE; }

  void MoveTo(const QPoint& at) {
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, int16_t(at.x()), int16_t(at.y()),
                        0);
    xcb_flush(connection_);
  }
  // Presses and releases the left button where the pointer is.
  void Click() {
    xcb_test_fake_input(connection_, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(connection_, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection_);
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_NONE;
};

class PlateSkin final : public BitmapSource {
 public:
  QImage Bitmap(uint32_t) const override {
    QImage plate(40, 24, QImage::Format_RGB32);
    plate.fill(qRgb(40, 90, 160));
    return plate;
  }
};

TEST(SkinButtonX11, AMessageBoxOpenedByAClickAnswersTheMouse) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
  test::App();
  FakePointer pointer;
  ASSERT_TRUE(pointer.ok()) << "no X test extension";

  PlateSkin skin;
  QWidget window;
  window.setGeometry(200, 200, 160, 100);
  auto* button = new SkinButton(skin, 1024, &window);
  ASSERT_TRUE(button->SetBitmaps(1, 0, 0, 0, 0));
  button->move(60, 38);
  QtPrompts prompts(&window);

  // The click asks as the delete confirmation does; a timer clicks the box's
  // Yes button once the box is on screen (Return would answer Yes too, but
  // nobody presses a key here), and ends the box after the longest wait.
  std::optional<int> answer;
  bool clickedBox = false;
  QObject::connect(button, &QAbstractButton::clicked, &window, [&] {
    QElapsedTimer waited;
    waited.start();
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      if (waited.elapsed() > kDisplayWaitMs) {
        box->reject();
        return;
      }
      if (clickedBox || !box->windowHandle() || !box->windowHandle()->isExposed()) return;
      QAbstractButton* yes = box->button(QMessageBox::Yes);
      if (!yes) return;
      clickedBox = true;
      pointer.MoveTo(yes->mapToGlobal(yes->rect().center()));
      pointer.Click();
    });
    driver.start(10);
    answer = prompts.ShowMessage("Are you sure you want to delete selected album?", "Lumora",
                                 box::kYesNo | box::kTopmost);
  });

  window.show();
  ASSERT_TRUE(test::RunEventsUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); },
                                   kDisplayWaitMs));
  pointer.MoveTo(button->mapToGlobal(QPoint(20, 12)));
  ASSERT_TRUE(test::RunEventsUntil([&] { return button->IsHovering(); }, kDisplayWaitMs)) << "the hover look";
  pointer.Click();
  ASSERT_TRUE(test::RunEventsUntil([&] { return answer.has_value(); }, 2 * kDisplayWaitMs));
  EXPECT_TRUE(clickedBox) << "the box came up";
  EXPECT_EQ(*answer, kAnswerYes) << "the click on Yes answered the box";
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

}  // namespace
}  // namespace lumora
