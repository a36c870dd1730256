// Our own widgets as product-line windows on Qt's offscreen platform (the
// runtime-folder backend): found by class and title, messages delivered by
// the event loop, control requests applied to the widget and written back to
// the record, and withdrawal with the widget.
#include "platform/qt/QtWindowPresence.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QScreen>

#include <filesystem>

#include "platform/qt/QtWindowSystem.h"
#include "platform/window/FolderWindowSystem.h"
#include "tests/TempDir.h"
#include "tests/support/QtTestApp.h"

namespace lumora {
namespace {

using test::App;
using test::RunEventsUntil;

class QtWindowPresenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", temp_.path().string().c_str(), 1);
    App();
    ASSERT_FALSE(QtWindowsUseX11());
  }

  std::unique_ptr<QtWindowPresence> Announce(QWidget& widget, const char* title,
                                             QtWindowPresence::MessageHandler handler = {}) {
    std::string error;
    auto presence = QtWindowPresence::Announce(widget, "#32770", title, std::move(handler), &error);
    EXPECT_TRUE(presence) << error;
    return presence;
  }

  test::TempDir temp_;
  FolderWindowSystem windows_{temp_.path().string() + "/quorvix/windows"};
};

TEST_F(QtWindowPresenceTest, PostedMessageArrivesThroughTheEventLoop) {
  QWidget widget;
  std::vector<WindowMessage> received;
  auto presence = Announce(widget, "Lumora", [&](const WindowMessage& m) { received.push_back(m); });
  ASSERT_TRUE(presence);
  EXPECT_EQ(widget.windowTitle(), "Lumora");
  const WindowHandle handle = windows_.FindTopLevel("#32770", "Lumora");
  ASSERT_EQ(handle, presence->handle());

  const WindowMessage drop{2011, 3, {'/', 'a', '.', 'j', 'p', 'g', 0, 0}};
  ASSERT_TRUE(windows_.Post(handle, drop));
  ASSERT_TRUE(windows_.Post(handle, {2011, 99, {}}));
  EXPECT_TRUE(received.empty()) << "delivered outside the event loop";
  ASSERT_TRUE(RunEventsUntil([&] { return received.size() == 2; }));
  EXPECT_EQ(received[0], drop);
  EXPECT_EQ(received[1], (WindowMessage{2011, 99, {}}));
}

TEST_F(QtWindowPresenceTest, ControlRequestsMoveTheWidgetAndTheRecordFollows) {
  QWidget widget;
  widget.resize(200, 100);
  widget.move(10, 10);
  widget.show();
  auto presence = Announce(widget, "Tunerec - Screen");
  ASSERT_TRUE(presence);
  const WindowHandle handle = presence->handle();
  const QSize size = widget.frameGeometry().size();

  ASSERT_TRUE(windows_.MoveTo(handle, 40, 30));
  ASSERT_TRUE(RunEventsUntil([&] { return widget.frameGeometry().topLeft() == QPoint(40, 30); }));
  EXPECT_EQ(windows_.Rect(handle), (WindowRect{40, 30, size.width(), size.height()}));

  const QRect screen = widget.screen()->geometry();
  const QPoint centred(screen.x() + (screen.width() - size.width()) / 2,
                       screen.y() + (screen.height() - size.height()) / 2);
  ASSERT_TRUE(windows_.CentreOnScreen(handle));
  ASSERT_TRUE(RunEventsUntil([&] { return widget.frameGeometry().topLeft() == centred; }));
  EXPECT_EQ(windows_.Rect(handle), (WindowRect{centred.x(), centred.y(), size.width(), size.height()}));

  ASSERT_TRUE(windows_.SetTopmost(handle, true));
  ASSERT_TRUE(RunEventsUntil([&] { return widget.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }));
  EXPECT_TRUE(widget.isVisible()) << "changing the flag must not hide the window";
  ASSERT_TRUE(windows_.SetTopmost(handle, false));
  ASSERT_TRUE(RunEventsUntil([&] { return !widget.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }));
  EXPECT_TRUE(widget.isVisible());

  // The program's own moves and resizes reach the record as well.
  widget.setGeometry(70, 80, 150, 120);
  const QRect frame = widget.frameGeometry();
  ASSERT_TRUE(RunEventsUntil([&] {
    return windows_.Rect(handle) == WindowRect{frame.x(), frame.y(), frame.width(), frame.height()};
  }));
}

TEST_F(QtWindowPresenceTest, TitleChangesAreFollowedAndTheWidgetsEndWithdrawsIt) {
  auto* widget = new QWidget;
  auto presence = Announce(*widget, "Lumora");
  ASSERT_TRUE(presence);
  const WindowHandle handle = presence->handle();

  widget->setWindowTitle("Lumora - Editor");
  EXPECT_EQ(windows_.FindTopLevel("#32770", "Lumora"), kNoWindow);
  EXPECT_EQ(windows_.FindTopLevel("#32770", "Lumora - Editor"), handle);

  delete widget;
  EXPECT_EQ(presence->handle(), kNoWindow);
  EXPECT_FALSE(windows_.Exists(handle));
  EXPECT_TRUE(std::filesystem::is_empty(temp_.path().string() + "/quorvix/windows"));
  presence.reset();

  QWidget kept;
  auto second = Announce(kept, "Lumora");
  ASSERT_TRUE(second);
  const WindowHandle secondHandle = second->handle();
  second.reset();
  EXPECT_FALSE(windows_.Exists(secondHandle));
  kept.setWindowTitle("still usable");  // no filter of a destroyed presence runs
}

TEST_F(QtWindowPresenceTest, HandlerMayEndThePresenceWhileFramesWait) {
  QWidget widget;
  std::unique_ptr<QtWindowPresence> presence;
  int calls = 0;
  presence = Announce(widget, "Lumora", [&](const WindowMessage&) {
    ++calls;
    presence.reset();
  });
  ASSERT_TRUE(presence);
  const WindowHandle handle = presence->handle();
  ASSERT_TRUE(windows_.Post(handle, {2011, 2, {}}));
  ASSERT_TRUE(windows_.Post(handle, {2011, 2, {}}));
  ASSERT_TRUE(RunEventsUntil([&] { return !presence; }));
  // Let any late notification run against the ended presence.
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(windows_.Exists(handle));
}

}  // namespace
}  // namespace lumora
