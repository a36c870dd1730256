// The X11 backend against a real X server (run under xvfb-run, no window
// manager): another program's window found by WM_CLASS and title, raised,
// kept on top, moved and centred; messages to X11 windows; and our own Qt
// widget announced on the xcb platform, clearing dead sockets, and findable
// even when the runtime folder is unusable; showing the desktop, and the
// root-window wallpaper read back from the server.
#include "platform/window/X11WindowSystem.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QWidget>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/qt/QtWindowPresence.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/window/RootWallpaper.h"
#include "platform/window/MessageSocket.h"
#include "platform/window/WindowFolder.h"
#include "tests/platform/window/ChildProcess.h"
#include "tests/TempDir.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/XcbAtom.h"

namespace lumora {
namespace {

using testing::ChildProcess;

// A connection of the test's own, to look at the server directly. One stays
// open for the whole program: an X server resets when its last client leaves,
// and connections made during the reset fail.
class Observer {
 public:
  Observer() : connection_(xcb_connect(nullptr, nullptr)) {
    if (!xcb_connection_has_error(connection_))
      root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~Observer() { xcb_disconnect(connection_); }
  int error() const { return xcb_connection_has_error(connection_); }

  // Children of the root from bottom to top.
  std::vector<xcb_window_t> Stacking() {
    xcb_query_tree_reply_t* reply = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
    std::vector<xcb_window_t> order;
    if (!reply) return order;
    const xcb_window_t* children = xcb_query_tree_children(reply);
    order.assign(children, children + xcb_query_tree_children_length(reply));
    std::free(reply);
    return order;
  }
  bool Above(xcb_window_t upper, xcb_window_t lower) {
    const std::vector<xcb_window_t> order = Stacking();
    const auto upperAt = std::find(order.begin(), order.end(), upper);
    const auto lowerAt = std::find(order.begin(), order.end(), lower);
    return upperAt != order.end() && lowerAt != order.end() && upperAt > lowerAt;
  }
  std::vector<xcb_atom_t> State(xcb_window_t window) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, Atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
        nullptr);
    std::vector<xcb_atom_t> atoms;
    if (!reply) return atoms;
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
    std::free(reply);
    return atoms;
  }
  xcb_atom_t Atom(const char* name) { return test::InternAtom(connection_, name); }
  // Plays a window manager's announcement: a check window naming itself on
  // the root and on itself, and the root's lists of the given atoms' values.
  xcb_window_t AnnounceWindowManager(const std::vector<std::pair<const char*, std::vector<std::uint32_t>>>& lists) {
    const xcb_window_t check = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, check, root_, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    for (xcb_window_t on : {root_, check})
      xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, on, Atom("_NET_SUPPORTING_WM_CHECK"),
                          XCB_ATOM_WINDOW, 32, 1, &check);
    for (const auto& [name, values] : lists)
      xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, Atom(name), XCB_ATOM_CARDINAL, 32,
                          std::uint32_t(values.size()), values.data());
    Sync();
    return check;
  }
  void WithdrawWindowManager(xcb_window_t check, const std::vector<const char*>& lists) {
    xcb_delete_property(connection_, root_, Atom("_NET_SUPPORTING_WM_CHECK"));
    for (const char* name : lists) xcb_delete_property(connection_, root_, Atom(name));
    xcb_destroy_window(connection_, check);
    Sync();
  }
  // A round trip: every request before it has been carried out.
  void Sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }
  std::pair<int, int> ScreenSize() {
    xcb_get_geometry_reply_t* root = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr);
    if (!root) return {0, 0};
    const std::pair<int, int> size{root->width, root->height};
    std::free(root);
    return size;
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_NONE;
};

class X11WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    ASSERT_EQ(observer_.error(), 0) << "the test's own connection to " << std::getenv("DISPLAY") << " failed";
    ::setenv("XDG_RUNTIME_DIR", temp_.path().string().c_str(), 1);
    std::string error;
    windows_ = X11WindowSystem::Connect(nullptr, DefaultWindowFolder(), &error);
    ASSERT_TRUE(windows_) << error;
  }

  // Starts an X helper window and returns its id.
  WindowHandle StartHelper(ChildProcess& helper) {
    const std::optional<std::string> line = helper.ReadLine();
    if (!line || line->rfind("window ", 0) != 0) return kNoWindow;
    return WindowHandle(std::stoul(line->substr(7), nullptr, 16));
  }

  static Observer& SharedObserver() {
    static Observer observer;
    return observer;
  }

  test::TempDir temp_;
  std::unique_ptr<X11WindowSystem> windows_;
  Observer& observer_ = SharedObserver();
};

TEST(X11DisplayKey, NamesTheServerNotTheScreen) {
  EXPECT_EQ(X11DisplayKey(":0"), "local_0");
  EXPECT_EQ(X11DisplayKey(":0.1"), X11DisplayKey("unix:0"));
  EXPECT_EQ(X11DisplayKey("localhost:10.0"), "localhost_10");
  EXPECT_NE(X11DisplayKey("localhost:10"), X11DisplayKey(":10"));
  EXPECT_EQ(X11DisplayKey("no display"), "");
}

TEST_F(X11WindowSystemTest, AnotherProgramsWindowIsFoundByClassAndTitle) {
  ChildProcess tv({LUMORA_X11_WINDOW_HELPER, "quorvixTV 2.0", "Tunerec 2.0", "10", "20", "300", "200"});
  ChildProcess dialog({LUMORA_X11_WINDOW_HELPER, "#32770", "Tunerec - Screen \xC3\xA9", "0", "0", "50", "50"});
  const WindowHandle tvWindow = StartHelper(tv);
  const WindowHandle dialogWindow = StartHelper(dialog);
  ASSERT_NE(tvWindow, kNoWindow);
  ASSERT_NE(dialogWindow, kNoWindow);

  EXPECT_EQ(windows_->FindTopLevel("quorvixTV 2.0", "Tunerec 2.0"), tvWindow);
  EXPECT_EQ(windows_->FindTopLevel("#32770", "Tunerec - Screen \xC3\xA9"), dialogWindow);
  EXPECT_EQ(windows_->FindTopLevel("#32770", "Tunerec 2.0"), kNoWindow);
  EXPECT_EQ(windows_->FindTopLevel("helper", "Tunerec 2.0"), kNoWindow) << "the instance part is not the class";
  EXPECT_EQ(windows_->ClassOf(tvWindow), "quorvixTV 2.0");
  EXPECT_EQ(windows_->Rect(tvWindow), (WindowRect{10, 20, 300, 200}));
  EXPECT_TRUE(windows_->Exists(tvWindow));

  tv.CloseInput();
  EXPECT_EQ(tv.Wait(), 0);
  EXPECT_FALSE(windows_->Exists(tvWindow));
  EXPECT_EQ(windows_->FindTopLevel("quorvixTV 2.0", "Tunerec 2.0"), kNoWindow);
  EXPECT_FALSE(windows_->Rect(tvWindow));
  EXPECT_FALSE(windows_->BringToFront(tvWindow));
}

TEST_F(X11WindowSystemTest, AWindowManagersEmptyClientListFindsNothing) {
  ChildProcess tv({LUMORA_X11_WINDOW_HELPER, "quorvixTV 2.0", "Tunerec 2.0", "10", "20", "300", "200"});
  ASSERT_NE(StartHelper(tv), kNoWindow);
  // A window manager that manages no window yet announces an empty client
  // list; the list, not the root's children, is then the truth.
  const xcb_window_t check = observer_.AnnounceWindowManager(
      {{"_NET_SUPPORTED", {observer_.Atom("_NET_CLIENT_LIST")}}, {"_NET_CLIENT_LIST", {}}});
  EXPECT_EQ(windows_->FindTopLevel("quorvixTV 2.0", "Tunerec 2.0"), kNoWindow);
  observer_.WithdrawWindowManager(check, {"_NET_SUPPORTED", "_NET_CLIENT_LIST"});
  EXPECT_NE(windows_->FindTopLevel("quorvixTV 2.0", "Tunerec 2.0"), kNoWindow);
}

TEST_F(X11WindowSystemTest, RaisingAndTopmostChangeTheStackingOrder) {
  ChildProcess first({LUMORA_X11_WINDOW_HELPER, "#32770", "Mpegsmith 5.0 SE", "0", "0", "100", "100"});
  const WindowHandle lower = StartHelper(first);
  ChildProcess second({LUMORA_X11_WINDOW_HELPER, "#32770", "Clipsmith 5.0 SE", "50", "50", "100", "100"});
  const WindowHandle upper = StartHelper(second);
  ASSERT_NE(lower, kNoWindow);
  ASSERT_NE(upper, kNoWindow);
  ASSERT_TRUE(observer_.Above(upper, lower));

  ASSERT_TRUE(windows_->BringToFront(lower));
  EXPECT_TRUE(observer_.Above(lower, upper));

  const xcb_atom_t above = observer_.Atom("_NET_WM_STATE_ABOVE");
  ASSERT_TRUE(windows_->SetTopmost(upper, true));
  EXPECT_TRUE(observer_.Above(upper, lower));
  EXPECT_EQ(observer_.State(upper), std::vector<xcb_atom_t>{above});
  EXPECT_EQ(windows_->Rect(upper), (WindowRect{50, 50, 100, 100})) << "topmost must not move";

  ASSERT_TRUE(windows_->SetTopmost(upper, false));
  EXPECT_TRUE(observer_.State(upper).empty());
  EXPECT_TRUE(observer_.Above(upper, lower)) << "not topmost does not lower the window";
}

TEST_F(X11WindowSystemTest, WindowsAreMovedAndCentredWithTheirSize) {
  ChildProcess helper({LUMORA_X11_WINDOW_HELPER, "#32770", "Discsmith 1.0", "5", "6", "301", "151"});
  const WindowHandle window = StartHelper(helper);
  ASSERT_NE(window, kNoWindow);

  ASSERT_TRUE(windows_->MoveTo(window, 40, 30));
  EXPECT_EQ(windows_->Rect(window), (WindowRect{40, 30, 301, 151}));
  ASSERT_TRUE(windows_->MoveTo(window, -20, -10));
  EXPECT_EQ(windows_->Rect(window), (WindowRect{-20, -10, 301, 151}));

  const auto [width, height] = observer_.ScreenSize();
  ASSERT_TRUE(windows_->CentreOnScreen(window));
  EXPECT_EQ(windows_->Rect(window), (WindowRect{(width - 301) / 2, (height - 151) / 2, 301, 151}));
  EXPECT_FALSE(windows_->MoveTo(kNoWindow, 0, 0));
}

TEST_F(X11WindowSystemTest, MessagesReachTheListenerOfTheWindow) {
  ChildProcess helper({LUMORA_X11_WINDOW_HELPER, "#32770", "Lumora", "0", "0", "10", "10"});
  const WindowHandle window = StartHelper(helper);
  ASSERT_NE(window, kNoWindow);
  EXPECT_FALSE(windows_->Post(window, {2011, 1, {}})) << "nobody listens for this window yet";

  ASSERT_TRUE(PrepareWindowFolder(DefaultWindowFolder(), nullptr));
  std::string error;
  auto listener = MessageListener::Bind(X11SocketPath(DefaultWindowFolder(), windows_->displayKey(), window),
                                        true, &error);
  ASSERT_TRUE(listener) << error;
  ASSERT_TRUE(windows_->Post(window, {2011, 4, {9, 8, 7}}));
  std::vector<IncomingFrame> frames;
  listener->Drain([&](const IncomingFrame& frame) { frames.push_back(frame); });
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(std::get<WindowMessage>(frames[0]), (WindowMessage{2011, 4, {9, 8, 7}}));

  helper.CloseInput();
  helper.Wait();
  EXPECT_FALSE(windows_->Post(window, {2011, 4, {}})) << "the window is gone";
}

// Binds a datagram socket at `path` and closes it, leaving the file the way
// a process that ended without withdrawing its window leaves it.
void LeaveDeadSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
  ::close(fd);
}

TEST_F(X11WindowSystemTest, QtWidgetAnnouncesItsClassOnTheXcbPlatform) {
  test::App();
  ASSERT_TRUE(QtWindowsUseX11());
  // What earlier processes left: the socket of one that ended (on another
  // display too), that of one still listening, and a runtime-folder socket,
  // which belongs to its record.
  const std::string folder = DefaultWindowFolder();
  ASSERT_TRUE(PrepareWindowFolder(folder, nullptr));
  const std::string dead = X11SocketPath(folder, windows_->displayKey(), 0x00A00001);
  const std::string deadElsewhere = X11SocketPath(folder, "otherhost_7", 0x00A00002);
  const std::string folderSocket = FolderSocketPath(folder, 0x00A00003);
  LeaveDeadSocket(dead);
  LeaveDeadSocket(deadElsewhere);
  LeaveDeadSocket(folderSocket);
  std::string error;
  auto live = MessageListener::Bind(X11SocketPath(folder, windows_->displayKey(), 0x00A00004), true, &error);
  ASSERT_TRUE(live) << error;

  QWidget widget;
  widget.resize(120, 80);
  std::vector<WindowMessage> received;
  auto presence = QtWindowPresence::Announce(widget, "#32770", "Lumora",
                                             [&](const WindowMessage& m) { received.push_back(m); }, &error);
  ASSERT_TRUE(presence) << error;
  EXPECT_EQ(error, "");
  widget.show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_FALSE(std::filesystem::exists(deadElsewhere));
  EXPECT_TRUE(std::filesystem::exists(folderSocket));
  EXPECT_TRUE(std::filesystem::exists(live->path()));

  const WindowHandle handle = windows_->FindTopLevel("#32770", "Lumora");
  ASSERT_EQ(handle, presence->handle());
  EXPECT_EQ(handle, WindowHandle(widget.winId()));

  std::unique_ptr<WindowSystem> qtSide = OpenWindowSystemForQt(&error);
  ASSERT_TRUE(qtSide) << error;
  ASSERT_TRUE(qtSide->Post(handle, {2011, 1, {1, 2}}));
  test::RunEventsUntil([&] { return !received.empty(); });
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], (WindowMessage{2011, 1, {1, 2}}));

  presence.reset();
  EXPECT_FALSE(windows_->Post(handle, {2011, 1, {}})) << "withdrawn: its socket is gone";
}

TEST_F(X11WindowSystemTest, QtWidgetIsFoundWithoutTakingMessagesWhenTheRuntimeFolderIsUnusable) {
  test::App();
  const std::string notAFolder = temp_.path().string() + "/runtime";
  std::ofstream(notAFolder) << "a file where the runtime folder should be";
  ::setenv("XDG_RUNTIME_DIR", notAFolder.c_str(), 1);

  QWidget widget;
  std::string error;
  auto presence = QtWindowPresence::Announce(widget, "#32770", "Lumora - no runtime folder", {}, &error);
  ASSERT_TRUE(presence);
  EXPECT_NE(error.find("takes no messages"), std::string::npos) << error;
  widget.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(windows_->FindTopLevel("#32770", "Lumora - no runtime folder"), presence->handle());
  EXPECT_EQ(presence->handle(), WindowHandle(widget.winId()));
  EXPECT_FALSE(windows_->Post(presence->handle(), {2011, 1, {}}));
}


// ---- Show the desktop and the root-window wallpaper ---------------------------

// A connection of one test's own, closed at its end.
struct TestConnection {
  TestConnection() : c(xcb_connect(nullptr, nullptr)), root(xcb_setup_roots_iterator(xcb_get_setup(c)).data->root) {}
  ~TestConnection() { xcb_disconnect(c); }
  TestConnection(const TestConnection&) = delete;
  TestConnection& operator=(const TestConnection&) = delete;
  // A round trip: the server has carried out every request before it.
  void Sync() const { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
  xcb_connection_t* c;
  xcb_window_t root;
};

// The next client message to the root of `type`, read on `connection`, which
// selected the root's substructure events.
std::optional<xcb_client_message_event_t> NextClientMessage(xcb_connection_t* connection, xcb_atom_t type) {
  while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
    std::optional<xcb_client_message_event_t> message;
    if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
      const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(event);
      if (m->type == type) message = *m;
    }
    std::free(event);
    if (message) return message;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> RootCardinal(xcb_connection_t* c, xcb_window_t root, xcb_atom_t property, xcb_atom_t type) {
  auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, root, property, type, 0, 1), nullptr);
  std::optional<std::uint32_t> value;
  if (reply && xcb_get_property_value_length(reply) == 4)
    value = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
  std::free(reply);
  return value;
}

TEST_F(X11WindowSystemTest, ShowingTheDesktopAsksTheWindowManagerOrMarksTheRoot) {
  const TestConnection connection;
  ASSERT_EQ(xcb_connection_has_error(connection.c), 0);
  xcb_connection_t* c = connection.c;
  const xcb_window_t root = connection.root;
  const xcb_atom_t showing = observer_.Atom("_NET_SHOWING_DESKTOP");

  auto sync = [&connection] { connection.Sync(); };

  // No window manager: the root's property says the desktop was asked for.
  xcb_delete_property(c, root, showing);
  sync();
  ASSERT_TRUE(windows_->ShowDesktop());
  EXPECT_EQ(RootCardinal(c, root, showing, XCB_ATOM_CARDINAL), 1u);
  xcb_delete_property(c, root, showing);
  sync();

  // A window manager that supports it gets the EWMH request.
  const uint32_t redirect[] = {XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT};
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, redirect);
  sync();
  const xcb_window_t check = observer_.AnnounceWindowManager({{"_NET_SUPPORTED", {showing}}});
  ASSERT_TRUE(windows_->ShowDesktop());
  const std::optional<xcb_client_message_event_t> request = NextClientMessage(c, showing);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->window, root);
  EXPECT_EQ(request->data.data32[0], 1u);
  EXPECT_FALSE(RootCardinal(c, root, showing, XCB_ATOM_CARDINAL));
  observer_.WithdrawWindowManager(check, {"_NET_SUPPORTED"});
}

TEST(StretchPixels, CornersKeepTheirColourAndEdgesBlend) {
  const WallpaperPicture two{"", 2, 1, {0xFF0000, 0x0000FF}};
  struct Case {
    WallpaperPicture picture;
    int width, height;
    std::vector<std::uint32_t> expected;
  };
  const Case cases[] = {
      {two, 2, 1, {0xFF0000, 0x0000FF}},
      {two, 4, 1, {0xFF0000, 0xBF0040, 0x4000BF, 0x0000FF}},
      {two, 1, 2, {0x800080, 0x800080}},
      {{"", 1, 1, {0x123456}}, 3, 1, {0x123456, 0x123456, 0x123456}},
      {{"", 2, 2, {1, 2, 3}}, 4, 4, {}},  // too few pixels
      {two, 0, 3, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(StretchPixels(c.picture, c.width, c.height), c.expected) << c.width;
}

TEST_F(X11WindowSystemTest, RootWallpaperIsAScreenSizedPixmapThatOutlivesItsConnection) {
  const TestConnection connection;
  ASSERT_EQ(xcb_connection_has_error(connection.c), 0);
  xcb_connection_t* c = connection.c;
  const xcb_window_t root = connection.root;
  const xcb_atom_t rootPixmap = observer_.Atom("_XROOTPMAP_ID");
  const xcb_atom_t setRootPixmap = observer_.Atom("ESETROOT_PMAP_ID");
  auto exists = [c](xcb_pixmap_t pixmap) {
    auto* reply = xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr);
    std::free(reply);
    return reply != nullptr;
  };

  RootWallpaper wallpaper;
  ASSERT_TRUE(wallpaper.Restore("none"));
  EXPECT_EQ(wallpaper.Current(), "none");
  // Four colours in two rows, the picture's corners.
  const WallpaperPicture picture{"/unused.bmp", 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}};
  ASSERT_TRUE(wallpaper.Set(picture));
  const std::optional<std::uint32_t> first = RootCardinal(c, root, rootPixmap, XCB_ATOM_PIXMAP);
  ASSERT_TRUE(first);
  EXPECT_EQ(RootCardinal(c, root, setRootPixmap, XCB_ATOM_PIXMAP), first);
  EXPECT_EQ(wallpaper.Current(), "pixmap:" + std::to_string(*first));

  // The pixmap holds the picture stretched over the whole screen.
  const auto [width, height] = observer_.ScreenSize();
  auto* image = xcb_get_image_reply(
      c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, *first, 0, 0, uint16_t(width), uint16_t(height), ~0u), nullptr);
  ASSERT_TRUE(image);
  ASSERT_EQ(xcb_get_image_data_length(image), width * height * 4);
  std::vector<std::uint32_t> shown(size_t(width) * size_t(height));
  std::memcpy(shown.data(), xcb_get_image_data(image), shown.size() * 4);
  std::free(image);
  for (std::uint32_t& p : shown) p &= 0xFFFFFF;
  EXPECT_EQ(shown.front(), 0xFF0000u);
  EXPECT_EQ(shown[size_t(width) - 1], 0x00FF00u);
  EXPECT_EQ(shown[size_t(width) * size_t(height - 1)], 0x0000FFu);
  EXPECT_EQ(shown.back(), 0xFFFFFFu);
  EXPECT_TRUE(shown == StretchPixels(picture, width, height));

  // Another picture of ours frees the first; setting "none" frees the second.
  ASSERT_TRUE(wallpaper.Set(picture));
  const std::optional<std::uint32_t> second = RootCardinal(c, root, rootPixmap, XCB_ATOM_PIXMAP);
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  EXPECT_FALSE(exists(*first));
  ASSERT_TRUE(wallpaper.Restore("none"));
  EXPECT_FALSE(RootCardinal(c, root, rootPixmap, XCB_ATOM_PIXMAP));
  EXPECT_FALSE(RootCardinal(c, root, setRootPixmap, XCB_ATOM_PIXMAP));
  EXPECT_FALSE(exists(*second));

  // Another program's pixmap comes back and is never freed by us.
  const xcb_pixmap_t theirs = xcb_generate_id(c);
  xcb_create_pixmap(c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root_depth, theirs, root, 8, 8);
  connection.Sync();
  ASSERT_TRUE(wallpaper.Set(picture));
  ASSERT_TRUE(wallpaper.Restore("pixmap:" + std::to_string(theirs)));
  EXPECT_EQ(RootCardinal(c, root, rootPixmap, XCB_ATOM_PIXMAP), theirs);
  EXPECT_TRUE(exists(theirs));
  for (const std::string& bad : std::vector<std::string>{"pixmap:0", "pixmap:12x", "other", "pixmap:" + std::to_string(theirs + 99)})
    EXPECT_FALSE(wallpaper.Restore(bad)) << bad;
  ASSERT_TRUE(wallpaper.Restore("none"));
}

}  // namespace
}  // namespace lumora
