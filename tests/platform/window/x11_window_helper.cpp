// Test helper: opens one mapped X window with a WM_CLASS and a UTF-8
// _NET_WM_NAME, prints its id, and keeps it until its standard input closes;
// then destroys it before ending.
//   x11_window_helper <class> <title> <left> <top> <width> <height>
// Output line:
//   window <HANDLE>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/window/MessageSocket.h"
#include "platform/window/X11WindowSystem.h"
#include "tests/support/XcbAtom.h"

namespace {

constexpr int kLifetimeMs = 60000;

using lumora::test::InternAtom;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: %s <class> <title> <left> <top> <width> <height>\n", argv[0]);
    return 2;
  }
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "no X server\n");
    return 1;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
  const xcb_window_t window = xcb_generate_id(connection);
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screens.data->root, std::int16_t(std::atoi(argv[3])),
                    std::int16_t(std::atoi(argv[4])), std::uint16_t(std::atoi(argv[5])),
                    std::uint16_t(std::atoi(argv[6])), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screens.data->root_visual, 0, nullptr);
  if (!lumora::SetX11WindowClass(connection, window, "helper", argv[1])) return 1;
  const std::string title = argv[2];
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, InternAtom(connection, "_NET_WM_NAME"),
                      InternAtom(connection, "UTF8_STRING"), 8, std::uint32_t(title.size()), title.data());
  xcb_map_window(connection, window);
  // A round trip, so the window is mapped before anyone hears of it.
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  std::printf("window %s\n", lumora::FormatHandle(window).c_str());
  std::fflush(stdout);

  pollfd wait{STDIN_FILENO, POLLIN, 0};
  char c;
  while (::poll(&wait, 1, kLifetimeMs) > 0 && ::read(STDIN_FILENO, &c, 1) > 0) {
  }
  // Destroyed and confirmed before exiting: the server tears down the windows
  // of a closed connection only some time after the process is gone.
  xcb_destroy_window(connection, window);
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  xcb_disconnect(connection);
  return 0;
}
