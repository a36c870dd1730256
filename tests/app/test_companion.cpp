// A stand-in for the product line's companion programs: opens one top-level
// X window with a window class and title, optionally after a delay, and keeps
// it until it gets SIGTERM or SIGINT, or the window manager closes the window.
// Like other programs' windows, it tells its process id and machine.
//   test_companion [--delay <ms>] [--as-user <uid>] [<class> <title>]
// --as-user (root only): the process becomes that user's once connected, as
// a program of another user's session on the same display.
// Without a class and title it plays the companion whose file name it is
// started under ("quorvixTV", "Clipsmith", "Mpegsmith", "Discsmith"), so a
// link of that name in the folder an "AppPath" names makes it that companion.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/Companions.h"
#include "platform/window/X11WindowSystem.h"
#include "tests/support/XcbAtom.h"

namespace {

using lumora::test::InternAtom;

void SetProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                 std::uint8_t format, std::uint32_t count, const void* data) {
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, format, count, data);
}

}  // namespace

int main(int argc, char** argv) {
  int delayMs = 0;
  long asUser = -1;
  int next = 1;
  for (; next + 1 < argc && std::strncmp(argv[next], "--", 2) == 0; next += 2) {
    if (std::strcmp(argv[next], "--delay") == 0) delayMs = std::atoi(argv[next + 1]);
    if (std::strcmp(argv[next], "--as-user") == 0) asUser = std::atol(argv[next + 1]);
  }
  std::string windowClass;
  std::string title;
  if (argc - next == 2) {
    windowClass = argv[next];
    title = argv[next + 1];
  } else {
    const std::string name = std::filesystem::path(argv[0]).filename().string();
    for (const lumora::companions::Companion& companion : lumora::companions::kCompanions) {
      if (!companion.fileName.empty() && name == companion.fileName) {
        windowClass = companion.window.windowClass;
        title = companion.window.title;
      }
    }
  }
  if (windowClass.empty()) {
    std::fprintf(stderr, "usage: %s [--delay <ms>] [--as-user <uid>] <class> <title>\n", argv[0]);
    return 2;
  }

  // The signals arrive as reads of a descriptor, beside the X connection's.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
  pollfd delay{signalFd, POLLIN, 0};
  if (delayMs > 0 && ::poll(&delay, 1, delayMs) > 0) return 0;

  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "no X server\n");
    return 1;
  }
  if (asUser >= 0 && (::setgid(gid_t(asUser)) != 0 || ::setuid(uid_t(asUser)) != 0)) {
    std::fprintf(stderr, "cannot become user %ld\n", asUser);
    return 1;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
  const xcb_screen_t& screen = *screens.data;
  const xcb_window_t window = xcb_generate_id(connection);
  const std::uint32_t values[] = {screen.white_pixel};
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen.root, 0, 0, 320, 200, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual, XCB_CW_BACK_PIXEL, values);
  if (!lumora::SetX11WindowClass(connection, window, "test_companion", windowClass)) return 1;
  SetProperty(connection, window, InternAtom(connection, "_NET_WM_NAME"), InternAtom(connection, "UTF8_STRING"), 8,
              std::uint32_t(title.size()), title.data());
  SetProperty(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, std::uint32_t(title.size()), title.data());
  const std::uint32_t pid = std::uint32_t(::getpid());
  SetProperty(connection, window, InternAtom(connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  SetProperty(connection, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8, std::uint32_t(std::strlen(host)),
              host);
  const xcb_atom_t deleteWindow = InternAtom(connection, "WM_DELETE_WINDOW");
  SetProperty(connection, window, InternAtom(connection, "WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, &deleteWindow);
  xcb_map_window(connection, window);
  xcb_flush(connection);

  pollfd wait[] = {{signalFd, POLLIN, 0}, {xcb_get_file_descriptor(connection), POLLIN, 0}};
  bool running = true;
  while (running && ::poll(wait, 2, -1) > 0) {
    if (wait[0].revents) break;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
      if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && message->data.data32[0] == deleteWindow)
        running = false;
      std::free(event);
    }
    if (xcb_connection_has_error(connection)) running = false;
  }
  // Destroyed and confirmed before exiting: the server tears down the windows
  // of a closed connection only some time after the process is gone.
  xcb_destroy_window(connection, window);
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  xcb_disconnect(connection);
  return 0;
}
