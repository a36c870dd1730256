// The companion launcher on a real X display with an EWMH window manager
// (run under xvfb-run with openbox): the test companion program, started from
// a temporary "AppPath", is found, kept on top in the full layout and let go
// in the compact one (read back from its _NET_WM_STATE), centred when its
// button is pressed again, and its end returns the buttons. A window of
// another user's process is never found.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "app/CompanionLauncher.h"
#include "app/SkinButton.h"
#include "platform/Shell.h"
#include "platform/window/X11WindowSystem.h"
#include "settings/Settings.h"
#include "tests/app/AppTesting.h"
#include "tests/support/XcbAtom.h"

namespace lumora {
namespace {

constexpr int kStateWaitMs = 30000;

// The test's own view of the X server.
class Observer {
 public:
  Observer() : connection_(xcb_connect(nullptr, nullptr)) {
    if (!xcb_connection_has_error(connection_)) {
      const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
      root_ = screen->root;
      width_ = screen->width_in_pixels;
      height_ = screen->height_in_pixels;
    }
  }
  ~Observer() { xcb_disconnect(connection_); }
  bool ok() const { return root_ != XCB_NONE; }
  int width() const { return width_; }
  int height() const { return height_; }

  xcb_atom_t Atom(const char* name) { return test::InternAtom(connection_, name); }

  std::vector<xcb_atom_t> Atoms(xcb_window_t window, const char* property) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, Atom(property), XCB_ATOM_ANY, 0, 64), nullptr);
    std::vector<xcb_atom_t> atoms;
    if (reply && reply->format == 32) {
      const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
      atoms.assign(values, values + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return atoms;
  }

  // The window manager's client window titled `title` (_NET_WM_NAME), or none.
  xcb_window_t ClientTitled(std::string_view title) {
    for (const xcb_window_t window : Atoms(root_, "_NET_CLIENT_LIST")) {
      xcb_get_property_reply_t* reply = xcb_get_property_reply(
          connection_, xcb_get_property(connection_, 0, window, Atom("_NET_WM_NAME"), XCB_ATOM_ANY, 0, 256), nullptr);
      const bool match =
          reply && std::string_view(static_cast<const char*>(xcb_get_property_value(reply)),
                                    std::size_t(xcb_get_property_value_length(reply))) == title;
      std::free(reply);
      if (match) return window;
    }
    return XCB_NONE;
  }

  bool WindowManagerRuns() { return !Atoms(root_, "_NET_SUPPORTING_WM_CHECK").empty(); }

  bool Above(xcb_window_t window) {
    const std::vector<xcb_atom_t> state = Atoms(window, "_NET_WM_STATE");
    return std::find(state.begin(), state.end(), Atom("_NET_WM_STATE_ABOVE")) != state.end();
  }

  // Asks the window manager to close the window, as its close button does.
  void Close(xcb_window_t window) {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom("_NET_CLOSE_WINDOW");
    event.data.data32[1] = 2;  // from a pager: the user's own request
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_NONE;
  int width_ = 0;
  int height_ = 0;
};

TEST(CompanionX11, TheTestCompanionIsStartedKeptOnTopOrNotCentredAndItsEndReturnsTheButtons) {
  Observer x;
  ASSERT_TRUE(x.ok());
  ASSERT_TRUE(test::RunEventsUntil([&] { return x.WindowManagerRuns(); }, kStateWaitMs)) << "openbox runs";

  test::MainWindowDoubles doubles;
  std::string error;
  auto windows = X11WindowSystem::Connect(nullptr, doubles.temp.path().string(), &error);
  ASSERT_TRUE(windows) << error;
  PosixShell shell;
  doubles.shellInUse = &shell;
  doubles.windowsInUse = windows.get();
  // The test companion, playing the editing program under its file name.
  const std::filesystem::path folder = doubles.temp.path() / "companions";
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink(LUMORA_TEST_COMPANION, folder / "Clipsmith");
  ASSERT_TRUE(WriteMachineString(*doubles.registry, ClipsmithKey, kAppPath, folder.string()));
  test::AddAlbum(doubles, "Trip");
  auto window = doubles.ShowWindow();
  CompanionLauncher& companions = window->Companions();
  const auto look = [&] { return window->Button(layout::kClipButton)->LookState(); };

  ASSERT_TRUE(window->OnCommand(layout::kClipButton));
  EXPECT_EQ(look(), SkinButton::kLookActive);
  EXPECT_FALSE(window->Button(layout::kTvButton)->isEnabled());
  ASSERT_TRUE(test::RunEventsUntil([&] { return !companions.TimerActive(700); }, kStateWaitMs));
  const WindowHandle clip = windows->FindTopLevel("#32770", "Clipsmith 5.0 SE");
  ASSERT_NE(clip, kNoWindow) << "found before the poll limit";
  EXPECT_TRUE(companions.TimerActive(400)) << "watched";
  EXPECT_TRUE(window->Button(layout::kTvButton)->isEnabled());
  EXPECT_EQ(look(), SkinButton::kLookActive);

  ASSERT_TRUE(window->OnCommand(layout::kMaximizeSmall));
  EXPECT_TRUE(test::RunEventsUntil([&] { return x.Above(clip); }, kStateWaitMs)) << "on top in the full layout";
  ASSERT_TRUE(window->OnCommand(layout::kMaximize));
  EXPECT_TRUE(test::RunEventsUntil([&] { return !x.Above(clip); }, kStateWaitMs)) << "let go in the compact one";

  // Pressed again while it runs: brought forward, centred.
  ASSERT_TRUE(window->OnCommand(layout::kClipButtonSmall));
  const auto centred = [&] {
    const std::optional<WindowRect> rect = windows->Rect(clip);
    return rect && rect->left == (x.width() - rect->width) / 2 && rect->top == (x.height() - rect->height) / 2;
  };
  EXPECT_TRUE(test::RunEventsUntil(centred, kStateWaitMs));

  x.Close(clip);
  ASSERT_TRUE(test::RunEventsUntil([&] { return !companions.TimerActive(400); }, kStateWaitMs));
  EXPECT_EQ(look(), SkinButton::kLookNormal);
  EXPECT_EQ(window->Button(layout::kClipButtonSmall)->LookState(), SkinButton::kLookNormal);
}

TEST(CompanionX11, AWindowOfAnotherUsersProcessIsNeverFound) {
  if (::getuid() != 0) GTEST_SKIP() << "only root can start a program as another user";
  Observer x;
  ASSERT_TRUE(x.ok());
  ASSERT_TRUE(test::RunEventsUntil([&] { return x.WindowManagerRuns(); }, kStateWaitMs)) << "openbox runs";
  test::TempDir temp;
  std::string error;
  auto windows = X11WindowSystem::Connect(nullptr, temp.path().string(), &error);
  ASSERT_TRUE(windows) << error;
  PosixShell shell;
  ASSERT_TRUE(shell.StartProgram(LUMORA_TEST_COMPANION, {"--as-user", "65534", "#32770", "Guardcam"}, ""));
  xcb_window_t theirs = XCB_NONE;
  ASSERT_TRUE(test::RunEventsUntil([&] { return (theirs = x.ClientTitled("Guardcam")) != XCB_NONE; }, kStateWaitMs));
  EXPECT_EQ(windows->FindTopLevel("#32770", "Guardcam"), kNoWindow);

  ASSERT_TRUE(shell.StartProgram(LUMORA_TEST_COMPANION, {"#32770", "Guardcam"}, ""));
  WindowHandle ours = kNoWindow;
  ASSERT_TRUE(test::RunEventsUntil(
      [&] { return (ours = windows->FindTopLevel("#32770", "Guardcam")) != kNoWindow; }, kStateWaitMs));
  EXPECT_NE(ours, theirs);
  x.Close(theirs);
  x.Close(ours);
}

}  // namespace
}  // namespace lumora
