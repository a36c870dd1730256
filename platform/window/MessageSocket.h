// The message sockets of product-line windows: where a window's socket lies,
// the listener a window keeps open, and posting one frame to a window.
//
// Each window that takes private messages binds an AF_UNIX datagram socket in
// the runtime folder (WindowFolder.h: DefaultWindowFolder), named after its
// handle as 8 upper-case hex digits:
//
//   <folder>/<HANDLE>.sock                 runtime-folder windows
//   <folder>/x11-<host>_<display>-<HANDLE>.sock
//                                          X11 windows; the display part keeps
//                                          windows of two X servers apart
//
// One datagram is one frame (WindowFrame.h). The kernel queues only a few
// datagrams per socket (net.unix.max_dgram_qlen, 10 by default), so a sender
// whose receiver is busy waits for room, up to kMaxSendWait per frame; frames
// of one sender therefore arrive complete and in order. A missing socket or
// one nobody listens on (its process ended) fails at once, a receiver that
// takes nothing for kMaxSendWait fails the send then. The folder is private to
// the user (mode 0700), which is the only access control; receivers still
// treat every frame as outside data.
//
// Sockets are removed by their listener when it goes. Those of X11 windows
// whose process ended without that are removed by RemoveDeadX11Sockets, which
// every X11 window runs when it announces itself (the runtime-folder backend
// removes dead windows' sockets with their records, WindowFolder.h).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/FileIo.h"
#include "platform/window/WindowFrame.h"
#include "platform/window/WindowSystem.h"

namespace lumora {

// At most this many frames are taken per Drain, so that a flood cannot hold
// the UI thread; the rest wait for the next call.
inline constexpr std::size_t kMaxFramesPerDrain = 64;

// "0012ABCD".
std::string FormatHandle(WindowHandle window);

std::string FolderSocketPath(const std::string& folder, WindowHandle window);
// `displayKey` comes from X11DisplayKey (X11WindowSystem.h).
std::string X11SocketPath(const std::string& folder, std::string_view displayKey, WindowHandle window);

// Longest wait for room in a busy receiver's queue, per frame.
inline constexpr std::chrono::milliseconds kMaxSendWait{5000};

// Sends one frame to the socket at `path`, waiting up to `maxWait` while the
// receiver's queue is full. False when nobody listens there, the queue stayed
// full for `maxWait`, or the path is unusable.
bool SendFrame(const std::string& path, std::span<const std::uint8_t> frame,
               std::chrono::milliseconds maxWait = kMaxSendWait);

// Removes every X11 socket ("x11-*.sock") in `folder` that no process listens
// on any more; the runtime folder's own "<HANDLE>.sock" files are left to
// their records. Returns how many were removed.
std::size_t RemoveDeadX11Sockets(const std::string& folder);

// A bound, non-blocking datagram socket that takes a window's frames.
class MessageListener {
 public:
  // Binds at `path`. With `replaceStale` a file already there is removed first
  // (the caller owns the handle, so whatever is there is left over from a dead
  // process); without it an existing file makes binding fail, which lets the
  // runtime folder claim a handle. Returns nullptr with `error` filled on
  // failure.
  static std::unique_ptr<MessageListener> Bind(const std::string& path, bool replaceStale,
                                               std::string* error);
  ~MessageListener();
  MessageListener(const MessageListener&) = delete;
  MessageListener& operator=(const MessageListener&) = delete;

  // Readable when frames wait; for poll() or a socket notifier.
  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }

  // Takes the waiting frames without blocking (up to kMaxFramesPerDrain) and
  // calls `deliver` for each valid one; invalid frames are dropped and
  // counted. Returns how many were delivered.
  std::size_t Drain(const std::function<void(const IncomingFrame&)>& deliver);
  std::size_t rejectedFrames() const { return rejected_; }

 private:
  MessageListener(int fd, std::string path, dev_t device, ino_t inode)
      : fd_(fd), path_(std::move(path)), device_(device), inode_(inode) {}

  UniqueFd fd_;
  std::string path_;
  // Identity of the socket file we created: it is removed on destruction only
  // if nobody replaced it meanwhile.
  dev_t device_;
  ino_t inode_;
  std::size_t rejected_ = 0;
};

}  // namespace lumora
