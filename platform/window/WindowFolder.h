// The runtime folder of product-line windows, used where no X server is
// reachable: one record file per window, beside the window's message socket.
//
// Folder: $XDG_RUNTIME_DIR/quorvix/windows, or /tmp/quorvix-<uid>/windows when
// XDG_RUNTIME_DIR is unset. It and its parent are created with mode 0700 and
// refused when another user owns them or others can write there.
//
// Record "<HANDLE>.win" (8 upper-case hex digits), UTF-8 text, one "key value"
// line each, every key exactly once, in this order:
//
//   quorvix-window 1
//   pid 4242
//   start 123456            process start time in clock ticks after boot
//                           (/proc/<pid>/stat field 22), 0 when unknown
//   class #32770
//   title Lumora
//   rect 10 20 300 400      left top width height of the outer rectangle
//
// Handles are random 32-bit numbers, unique across processes: a window first
// binds its socket "<HANDLE>.sock" (bind fails when the file exists) and then
// publishes its record by hard-linking a finished temporary file to
// "<HANDLE>.win" (link fails when the name exists), so both names are claimed
// exclusively and readers never see a half-written record. Later changes are
// written to a temporary file and renamed over the record.
//
// A record whose process has ended (or whose pid now belongs to a process
// started at another time) is ignored, and removed with its socket when found.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/MessageSocket.h"
#include "platform/window/WindowSystem.h"

namespace lumora {

// Record files larger than this are not records.
inline constexpr std::size_t kMaxRecordBytes = 4096;
// Random handles tried before registration gives up.
inline constexpr int kMaxHandleClaims = 16;

struct WindowRecord {
  WindowHandle handle = kNoWindow;
  pid_t pid = 0;
  std::uint64_t startTime = 0;
  std::string windowClass;
  std::string title;
  WindowRect rect;
  bool operator==(const WindowRecord&) const = default;
};

// The folder for this user's session, not yet created.
std::string DefaultWindowFolder();

// Creates the folder and its parent (mode 0700) when missing and checks both:
// real directories owned by this user, the folder closed to others, the
// parent not writable by others. False with `error` naming the fault.
bool PrepareWindowFolder(const std::string& folder, std::string* error);

// The record's text; empty when class or title hold a line break or a NUL,
// which a record line cannot carry.
std::string FormatRecord(const WindowRecord& record);

// Parses a record's text (outside data: every field is checked). The handle
// comes from the file name and is copied into the result.
std::optional<WindowRecord> ParseRecord(std::string_view text, WindowHandle handle,
                                        std::string* error = nullptr);

// The start time of a running process (clock ticks after boot), 0 when it
// cannot be read.
std::uint64_t ProcessStartTime(pid_t pid);

// True while the process runs and is not a zombie; when `startTime` is not 0
// it must match too, so a reused pid does not revive an old record.
bool ProcessAlive(pid_t pid, std::uint64_t startTime);

// Reading the records of live windows.
class WindowFolder {
 public:
  explicit WindowFolder(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }
  std::string RecordPath(WindowHandle window) const;

  // Every live window's record; dead records met on the way are removed.
  std::vector<WindowRecord> LiveRecords() const;
  // The record of one live window; a dead one is removed.
  std::optional<WindowRecord> ReadLive(WindowHandle window) const;

 private:
  std::optional<WindowRecord> ReadFile(WindowHandle window) const;
  void RemoveDead(const WindowRecord& record) const;

  std::string path_;
};

// One window of this process in the folder: claims a handle, owns its message
// listener, keeps the record current and withdraws both on destruction.
class WindowRegistration {
 public:
  // Registers a window of this process. Returns nullptr with `error` filled
  // when the folder is unusable or no handle could be claimed.
  static std::unique_ptr<WindowRegistration> Register(const std::string& folder,
                                                      std::string windowClass, std::string title,
                                                      WindowRect rect, std::string* error);
  ~WindowRegistration();
  WindowRegistration(const WindowRegistration&) = delete;
  WindowRegistration& operator=(const WindowRegistration&) = delete;

  WindowHandle handle() const { return record_.handle; }
  const WindowRecord& record() const { return record_; }
  MessageListener& listener() { return *listener_; }

  // Rewrites the record with a new title and rectangle (temporary file and
  // rename). False when it cannot be written; the old record then stays.
  bool Update(std::string title, WindowRect rect);

 private:
  WindowRegistration(WindowFolder folder, WindowRecord record,
                     std::unique_ptr<MessageListener> listener)
      : folder_(std::move(folder)), record_(std::move(record)), listener_(std::move(listener)) {}

  WindowFolder folder_;
  WindowRecord record_;
  std::unique_ptr<MessageListener> listener_;
};

}  // namespace lumora
