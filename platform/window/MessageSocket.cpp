// AF_UNIX datagram sockets for window messages: path scheme, the send that
// waits for room, the listener's bind and drain, and removing dead sockets.
#include "platform/window/MessageSocket.h"

#include <dirent.h>
#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace lumora {
namespace {

// Fills `address` with `path`; false when the path does not fit sun_path.
bool MakeAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

std::string ErrnoText(const char* what, const std::string& path, int code) {
  return std::string(what) + " " + path + ": " + std::strerror(code) + " (errno " +
         std::to_string(code) + ")";
}

}  // namespace

std::string FormatHandle(WindowHandle window) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(window));
  return text;
}

std::string FolderSocketPath(const std::string& folder, WindowHandle window) {
  return folder + "/" + FormatHandle(window) + ".sock";
}

std::string X11SocketPath(const std::string& folder, std::string_view displayKey, WindowHandle window) {
  return folder + "/x11-" + std::string(displayKey) + "-" + FormatHandle(window) + ".sock";
}

bool SendFrame(const std::string& path, std::span<const std::uint8_t> frame, std::chrono::milliseconds maxWait) {
  sockaddr_un address;
  if (frame.empty() || !MakeAddress(path, address)) return false;
  UniqueFd fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.get() < 0) return false;
  // Connected to its receiver, the socket polls writable only while the
  // receiver's queue has room (and wakes when the receiver ends).
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + maxWait;
  for (;;) {
    const ssize_t sent = ::send(fd.get(), frame.data(), frame.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(frame.size())) return true;
    if (sent >= 0) return false;  // a datagram goes whole or not at all
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;  // the receiver ended, or worse
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd room{fd.get(), POLLOUT, 0};
    ::poll(&room, 1, int(left));  // a time-out or an interruption: the next send tells
  }
}

std::size_t RemoveDeadX11Sockets(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::vector<std::string> candidates;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.starts_with("x11-") && name.ends_with(".sock")) candidates.push_back(folder + "/" + std::string(name));
  }
  ::closedir(dir);

  std::size_t removed = 0;
  for (const std::string& path : candidates) {
    sockaddr_un address;
    struct stat before {};
    if (!MakeAddress(path, address) || ::lstat(path.c_str(), &before) != 0 || !S_ISSOCK(before.st_mode)) continue;
    UniqueFd probe(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (probe.get() < 0) break;
    // A socket file whose socket is closed refuses connections; one with a
    // listener accepts them, however busy it is.
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        errno != ECONNREFUSED)
      continue;
    // Only the file probed: a window announcing itself may have just put a
    // new socket in its place.
    struct stat now {};
    if (::lstat(path.c_str(), &now) == 0 && now.st_dev == before.st_dev && now.st_ino == before.st_ino &&
        ::unlink(path.c_str()) == 0)
      ++removed;
  }
  return removed;
}

std::unique_ptr<MessageListener> MessageListener::Bind(const std::string& path, bool replaceStale,
                                                       std::string* error) {
  auto fail = [&](std::string text) {
    if (error) *error = std::move(text);
    return std::unique_ptr<MessageListener>();
  };
  sockaddr_un address;
  if (!MakeAddress(path, address))
    return fail("socket path of " + std::to_string(path.size()) + " bytes does not fit the " +
                std::to_string(sizeof address.sun_path - 1) + " of an AF_UNIX address: " + path);
  UniqueFd fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.get() < 0) return fail(ErrnoText("cannot create a socket for", path, errno));
  if (replaceStale && ::unlink(path.c_str()) != 0 && errno != ENOENT)
    return fail(ErrnoText("cannot remove the old socket", path, errno));
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return fail(ErrnoText("cannot bind", path, errno));
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    const int code = errno;
    ::unlink(path.c_str());
    return fail(ErrnoText("cannot stat the new socket", path, code));
  }
  return std::unique_ptr<MessageListener>(
      new MessageListener(fd.Release(), path, info.st_dev, info.st_ino));
}

MessageListener::~MessageListener() {
  struct stat info {};
  if (::stat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_)
    ::unlink(path_.c_str());
}

std::size_t MessageListener::Drain(const std::function<void(const IncomingFrame&)>& deliver) {
  // One byte more than the largest valid frame, so that MSG_TRUNC reveals
  // anything larger.
  std::vector<std::uint8_t> buffer(kMaxFrameBytes + 1);
  std::size_t delivered = 0;
  for (std::size_t taken = 0; taken < kMaxFramesPerDrain;) {
    const ssize_t size = ::recv(fd_.get(), buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
    if (size < 0) {
      if (errno == EINTR) continue;
      break;  // EAGAIN: nothing more waits
    }
    ++taken;
    if (static_cast<std::size_t>(size) > buffer.size()) {
      ++rejected_;
      continue;
    }
    IncomingFrame frame;
    if (!DecodeFrame(std::span(buffer.data(), static_cast<std::size_t>(size)), frame).ok()) {
      ++rejected_;
      continue;
    }
    ++delivered;
    deliver(frame);
  }
  return delivered;
}

}  // namespace lumora
