// Test helper: registers one window in a runtime folder, prints its handle,
// then prints every frame that arrives until its standard input closes.
//   window_folder_helper <folder> <class> <title>
// Output lines:
//   handle <HANDLE>
//   message <number> <word> <payload as hex>
//   control <code> <topmost 0|1> <left> <top>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <variant>

#include "platform/window/WindowFolder.h"

namespace {

// Ends on its own when the test forgets it.
constexpr int kLifetimeMs = 60000;
constexpr lumora::WindowRect kInitialRect{100, 50, 320, 240};

void Print(const lumora::IncomingFrame& frame) {
  if (const auto* message = std::get_if<lumora::WindowMessage>(&frame)) {
    std::printf("message %u %u ", message->number, message->word);
    for (std::uint8_t byte : message->payload) std::printf("%02x", byte);
    std::printf("\n");
  } else {
    const auto& request = std::get<lumora::ControlRequest>(frame);
    std::printf("control %u %d %d %d\n", unsigned(request.code), request.topmost ? 1 : 0, request.left,
                request.top);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <folder> <class> <title>\n", argv[0]);
    return 2;
  }
  std::string error;
  auto registration = lumora::WindowRegistration::Register(argv[1], argv[2], argv[3], kInitialRect, &error);
  if (!registration) {
    std::fprintf(stderr, "registration failed: %s\n", error.c_str());
    return 1;
  }
  std::printf("handle %s\n", lumora::FormatHandle(registration->handle()).c_str());
  std::fflush(stdout);

  pollfd waits[2] = {{registration->listener().fd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  while (::poll(waits, 2, kLifetimeMs) > 0) {
    if (waits[0].revents & POLLIN) registration->listener().Drain(Print);
    if (waits[1].revents & (POLLIN | POLLHUP)) {
      char c;
      if (::read(STDIN_FILENO, &c, 1) <= 0) return 0;
    }
  }
  return 3;
}
