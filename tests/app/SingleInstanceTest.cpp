// Two starts of the Lumora program on one X display (run under xvfb-run, no
// window manager): the second finds the first's window by class and title,
// brings it to the front and ends with code 0, showing no window of its own;
// with a usable runtime folder and with one that cannot be made, where
// messages are lost but the window must still be found.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/window/WindowFolder.h"
#include "platform/window/X11WindowSystem.h"
#include "tests/TempDir.h"
#include "tests/platform/window/ChildProcess.h"

namespace lumora {
namespace {

using testing::ChildProcess;

constexpr auto kStartWait = std::chrono::seconds(30);

// The test's own view of the X server.
class Observer {
 public:
  Observer() : connection_(xcb_connect(nullptr, nullptr)) {
    if (!xcb_connection_has_error(connection_))
      root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~Observer() { xcb_disconnect(connection_); }
  bool ok() const { return root_ != XCB_NONE; }

  // True when `upper` is stacked above `lower` among the root's children.
  bool Above(xcb_window_t upper, xcb_window_t lower) {
    xcb_query_tree_reply_t* reply = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
    if (!reply) return false;
    const xcb_window_t* children = xcb_query_tree_children(reply);
    const xcb_window_t* end = children + xcb_query_tree_children_length(reply);
    const auto upperAt = std::find(children, end, upper);
    const auto lowerAt = std::find(children, end, lower);
    const bool above = upperAt != end && lowerAt != end && upperAt > lowerAt;
    std::free(reply);
    return above;
  }

  bool Viewable(xcb_window_t window) {
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
  }

  xcb_window_t Focus() {
    xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
    const xcb_window_t focus = reply ? reply->focus : XCB_NONE;
    std::free(reply);
    return focus;
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_NONE;
};

// Waits until the child has ended, without reaping it; false on time-out.
bool Ended(const ChildProcess& child, std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    siginfo_t info{};
    if (::waitid(P_PID, id_t(child.pid()), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == child.pid())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// What $XDG_RUNTIME_DIR holds for both starts.
enum class RuntimeFolder { Usable, AFile };

class SingleInstance : public ::testing::TestWithParam<RuntimeFolder> {};

TEST_P(SingleInstance, ASecondStartRaisesTheFirstWindowAndEndsWithZero) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
  test::TempDir temp;
  ::setenv("QUORVIX_REGISTRY_DIR", (temp / "registry").c_str(), 1);
  if (GetParam() == RuntimeFolder::AFile) std::ofstream(temp / "runtime") << "not a folder";
  ::setenv("XDG_RUNTIME_DIR", (GetParam() == RuntimeFolder::AFile ? temp / "runtime" : temp.path()).c_str(), 1);
  Observer observer;
  ASSERT_TRUE(observer.ok());
  std::string error;
  auto windows = X11WindowSystem::Connect(nullptr, DefaultWindowFolder(), &error);
  ASSERT_TRUE(windows) << error;

  ChildProcess first({LUMORA_PROGRAM});
  ASSERT_TRUE(first.started());
  // The window is announced while it initialises; wait until it is on screen.
  WindowHandle lumora = kNoWindow;
  const auto deadline = std::chrono::steady_clock::now() + kStartWait;
  while (!(lumora != kNoWindow && observer.Viewable(lumora)) && std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(Ended(first, std::chrono::seconds(0))) << "the first start ended on its own";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    lumora = windows->FindTopLevel("#32770", "Lumora");
  }
  ASSERT_NE(lumora, kNoWindow) << "the first start shows no window";
  ASSERT_TRUE(observer.Viewable(lumora));

  // Another program's window on top of it.
  ChildProcess cover({LUMORA_X11_WINDOW_HELPER, "#32770", "Cover", "0", "0", "1024", "768"});
  const std::optional<std::string> line = cover.ReadLine();
  ASSERT_TRUE(line && line->rfind("window ", 0) == 0);
  const xcb_window_t coverWindow = xcb_window_t(std::stoul(line->substr(7), nullptr, 16));
  ASSERT_TRUE(observer.Above(coverWindow, lumora));

  ChildProcess second({LUMORA_PROGRAM});
  ASSERT_TRUE(Ended(second, kStartWait)) << "the second start is still running";
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_TRUE(observer.Above(lumora, coverWindow)) << "the first window came to the front";
  EXPECT_EQ(observer.Focus(), lumora);
  EXPECT_FALSE(Ended(first, std::chrono::seconds(0)));
  EXPECT_EQ(windows->FindTopLevel("#32770", "Lumora"), lumora) << "one Lumora window only";

  // The next case starts afresh once this window is gone.
  first.KillLeavingZombie();
  const auto gone = std::chrono::steady_clock::now() + kStartWait;
  while (windows->Exists(lumora) && std::chrono::steady_clock::now() < gone)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(windows->Exists(lumora));
}

INSTANTIATE_TEST_SUITE_P(RuntimeFolders, SingleInstance,
                         ::testing::Values(RuntimeFolder::Usable, RuntimeFolder::AFile),
                         [](const ::testing::TestParamInfo<RuntimeFolder>& info) {
                           return info.param == RuntimeFolder::Usable ? "UsableRuntimeFolder"
                                                                      : "RuntimeFolderIsAFile";
                         });

}  // namespace
}  // namespace lumora
