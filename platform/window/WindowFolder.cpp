// Record files of the runtime window folder: folder set-up, record text,
// process liveness, handle claims and withdrawal.
#include "platform/window/WindowFolder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/FileIo.h"

namespace lumora {
namespace {

constexpr std::string_view kRecordHeader = "quorvix-window 1";
constexpr std::string_view kRecordSuffix = ".win";
constexpr std::size_t kHandleDigits = 8;
// /proc/<pid>/stat: the start time is field 22; fields after the command name
// (which ends at the last ')') start with field 3.
constexpr std::size_t kStartTimeFieldAfterName = 22 - 3;
constexpr std::size_t kMaxProcStatBytes = 4096;

std::string ErrnoText(const std::string& what, int code) {
  return what + ": " + std::strerror(code) + " (errno " + std::to_string(code) + ")";
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& out) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

// Splits "a b c" at single blanks into exactly `count` fields.
bool SplitFields(std::string_view text, std::string_view* fields, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t blank = text.find(' ');
    const bool last = i + 1 == count;
    if (last != (blank == std::string_view::npos)) return false;
    fields[i] = text.substr(0, blank);
    if (!last) text.remove_prefix(blank + 1);
  }
  return true;
}

// Writes `text` to the new file `path`; nothing is left there on failure.
bool WriteNewFile(const std::string& path, std::string_view text) {
  UniqueFd fd = OpenFd(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (!fd) return false;
  bool ok = WriteAll(fd.get(), text);
  ok = fd.Close() && ok;
  if (!ok) ::unlink(path.c_str());
  return ok;
}

std::string TempPath(const std::string& folder, WindowHandle window) {
  return folder + "/." + FormatHandle(window) + "-" + std::to_string(::getpid()) + ".tmp";
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos;
}

// The handle of "<HANDLE>.win", or kNoWindow for any other name.
WindowHandle HandleOfRecordName(std::string_view name) {
  if (name.size() != kHandleDigits + kRecordSuffix.size() || !name.ends_with(kRecordSuffix))
    return kNoWindow;
  WindowHandle handle = kNoWindow;
  const std::string_view digits = name.substr(0, kHandleDigits);
  for (char c : digits)
    if (!(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'F')) return kNoWindow;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), handle, 16);
  return ec == std::errc() && end == digits.data() + digits.size() ? handle : kNoWindow;
}

WindowHandle RandomHandle() {
  WindowHandle handle = kNoWindow;
  while (handle == kNoWindow) {
    if (::getrandom(&handle, sizeof handle, 0) != sizeof handle) handle = kNoWindow;
  }
  return handle;
}

// Checks one folder level; `closed` demands no access at all for others,
// otherwise only that others cannot write.
bool CheckFolder(const std::string& path, bool closed, std::string* error) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (error) *error = ErrnoText("cannot inspect " + path, errno);
    return false;
  }
  const unsigned mode = info.st_mode & 07777;
  const unsigned forbidden = closed ? 077u : 022u;
  std::string fault;
  if (!S_ISDIR(info.st_mode)) fault = "is not a directory";
  else if (info.st_uid != ::geteuid())
    fault = "belongs to user " + std::to_string(info.st_uid) + ", not " + std::to_string(::geteuid());
  else if (mode & forbidden) {
    char text[64];
    std::snprintf(text, sizeof text, "has mode %04o; others must not have %04o", mode, forbidden);
    fault = text;
  }
  if (fault.empty()) return true;
  if (error) *error = path + " " + fault;
  return false;
}

bool MakeFolder(const std::string& path, std::string* error) {
  if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return true;
  if (error) *error = ErrnoText("cannot create " + path, errno);
  return false;
}

}  // namespace

std::string DefaultWindowFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return std::string(runtime) + "/quorvix/windows";
  return "/tmp/quorvix-" + std::to_string(::geteuid()) + "/windows";
}

bool PrepareWindowFolder(const std::string& folder, std::string* error) {
  const std::size_t slash = folder.find_last_of('/');
  if (folder.empty() || folder[0] != '/' || slash == std::string::npos || slash + 1 == folder.size()) {
    if (error) *error = "window folder \"" + folder + "\" is not an absolute path";
    return false;
  }
  const std::string parent = slash == 0 ? "/" : folder.substr(0, slash);
  return MakeFolder(parent, error) && CheckFolder(parent, false, error) &&
         MakeFolder(folder, error) && CheckFolder(folder, true, error);
}

std::string FormatRecord(const WindowRecord& record) {
  if (HasLineBreakOrNul(record.windowClass) || HasLineBreakOrNul(record.title)) return {};
  std::string text(kRecordHeader);
  text += "\npid " + std::to_string(record.pid);
  text += "\nstart " + std::to_string(record.startTime);
  text += "\nclass " + record.windowClass;
  text += "\ntitle " + record.title;
  text += "\nrect " + std::to_string(record.rect.left) + " " + std::to_string(record.rect.top) + " " +
          std::to_string(record.rect.width) + " " + std::to_string(record.rect.height) + "\n";
  return text;
}

std::optional<WindowRecord> ParseRecord(std::string_view text, WindowHandle handle, std::string* error) {
  auto fail = [&](std::string fault) {
    if (error) *error = std::move(fault);
    return std::optional<WindowRecord>();
  };
  if (text.size() > kMaxRecordBytes)
    return fail("record of " + std::to_string(text.size()) + " bytes exceeds " +
                std::to_string(kMaxRecordBytes));
  if (text.find('\0') != std::string_view::npos) return fail("record holds a NUL byte");
  if (text.empty() || text.back() != '\n') return fail("record does not end with a line break");

  constexpr std::string_view kKeys[] = {"pid", "start", "class", "title", "rect"};
  constexpr std::size_t kLines = 1 + std::size(kKeys);
  std::string_view lines[kLines];
  std::size_t count = 0;
  for (std::string_view rest = text.substr(0, text.size() - 1);; ++count) {
    if (count == kLines) return fail("record has more than " + std::to_string(kLines) + " lines");
    const std::size_t end = rest.find('\n');
    lines[count] = rest.substr(0, end);
    if (end == std::string_view::npos) {
      ++count;
      break;
    }
    rest.remove_prefix(end + 1);
  }
  if (count != kLines)
    return fail("record has " + std::to_string(count) + " lines, expected " + std::to_string(kLines));
  if (lines[0] != kRecordHeader) return fail("record does not start with \"" + std::string(kRecordHeader) + "\"");

  std::string_view values[std::size(kKeys)];
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const std::string_view line = lines[i + 1];
    if (line.size() <= kKeys[i].size() || !line.starts_with(kKeys[i]) || line[kKeys[i].size()] != ' ')
      return fail("line " + std::to_string(i + 2) + " is not \"" + std::string(kKeys[i]) + " ...\"");
    values[i] = line.substr(kKeys[i].size() + 1);
  }

  WindowRecord record;
  record.handle = handle;
  if (!ParseNumber(values[0], record.pid) || record.pid <= 0)
    return fail("pid \"" + std::string(values[0]) + "\" is not a positive number");
  if (!ParseNumber(values[1], record.startTime))
    return fail("start \"" + std::string(values[1]) + "\" is not a number");
  if (values[2].empty()) return fail("class is empty");
  // Values the writer would refuse (a carriage return) are refused here too.
  if (HasLineBreakOrNul(values[2]) || HasLineBreakOrNul(values[3]))
    return fail("class or title holds a line break");
  record.windowClass = values[2];
  record.title = values[3];
  std::string_view rect[4];
  if (!SplitFields(values[4], rect, 4) || !ParseNumber(rect[0], record.rect.left) ||
      !ParseNumber(rect[1], record.rect.top) || !ParseNumber(rect[2], record.rect.width) ||
      !ParseNumber(rect[3], record.rect.height) || record.rect.width < 0 || record.rect.height < 0)
    return fail("rect \"" + std::string(values[4]) + "\" is not left top width height");
  return record;
}

std::uint64_t ProcessStartTime(pid_t pid) {
  std::string text;
  if (pid <= 0 || ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", kMaxProcStatBytes, text, O_NOFOLLOW) != 0)
    return 0;
  const std::size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos || nameEnd + 2 > text.size()) return 0;
  std::string_view rest = std::string_view(text).substr(nameEnd + 2);
  for (std::size_t field = 0; field < kStartTimeFieldAfterName; ++field) {
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return 0;
    rest.remove_prefix(blank + 1);
  }
  std::uint64_t start = 0;
  return ParseNumber(rest.substr(0, rest.find(' ')), start) ? start : 0;
}

bool ProcessAlive(pid_t pid, std::uint64_t startTime) {
  if (pid <= 0) return false;
  std::string text;
  const std::string statPath = "/proc/" + std::to_string(pid) + "/stat";
  const int failure = ReadWholeFile(statPath, kMaxProcStatBytes, text, O_NOFOLLOW);
  if (failure == ENOENT || failure == ESRCH) return false;
  if (failure != 0) {
    // No /proc to ask: a signal test is all there is.
    return ::kill(pid, 0) == 0 || errno == EPERM;
  }
  const std::size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos || nameEnd + 2 >= text.size()) return false;
  const char state = text[nameEnd + 2];
  if (state == 'Z' || state == 'X' || state == 'x') return false;
  return startTime == 0 || ProcessStartTime(pid) == startTime;
}

std::string WindowFolder::RecordPath(WindowHandle window) const {
  return path_ + "/" + FormatHandle(window) + std::string(kRecordSuffix);
}

std::optional<WindowRecord> WindowFolder::ReadFile(WindowHandle window) const {
  std::string text;
  if (window == kNoWindow || ReadWholeFile(RecordPath(window), kMaxRecordBytes, text, O_NOFOLLOW) != 0)
    return std::nullopt;
  return ParseRecord(text, window);
}

void WindowFolder::RemoveDead(const WindowRecord& record) const {
  // Record first: while the old socket file stays, no new window can claim
  // this handle, so the socket removed next is still the dead one's.
  ::unlink(RecordPath(record.handle).c_str());
  ::unlink(FolderSocketPath(path_, record.handle).c_str());
}

std::optional<WindowRecord> WindowFolder::ReadLive(WindowHandle window) const {
  std::optional<WindowRecord> record = ReadFile(window);
  if (!record) return std::nullopt;
  if (ProcessAlive(record->pid, record->startTime)) return record;
  RemoveDead(*record);
  return std::nullopt;
}

std::vector<WindowRecord> WindowFolder::LiveRecords() const {
  std::vector<WindowRecord> records;
  DIR* dir = ::opendir(path_.c_str());
  if (!dir) return records;
  std::vector<WindowHandle> handles;
  while (const dirent* entry = ::readdir(dir)) {
    const WindowHandle handle = HandleOfRecordName(entry->d_name);
    if (handle != kNoWindow) handles.push_back(handle);
  }
  ::closedir(dir);
  for (WindowHandle handle : handles)
    if (std::optional<WindowRecord> record = ReadLive(handle)) records.push_back(std::move(*record));
  return records;
}

std::unique_ptr<WindowRegistration> WindowRegistration::Register(const std::string& folder,
                                                                 std::string windowClass,
                                                                 std::string title, WindowRect rect,
                                                                 std::string* error) {
  if (!PrepareWindowFolder(folder, error)) return nullptr;
  WindowRecord record{kNoWindow, ::getpid(), ProcessStartTime(::getpid()), std::move(windowClass),
                      std::move(title), rect};
  if (record.windowClass.empty() || FormatRecord(record).empty()) {
    if (error) *error = "window class is empty, or class or title holds a line break";
    return nullptr;
  }
  const WindowFolder directory(folder);
  std::string lastError = "no handle tried";
  for (int attempt = 0; attempt < kMaxHandleClaims; ++attempt) {
    record.handle = RandomHandle();
    std::unique_ptr<MessageListener> listener =
        MessageListener::Bind(FolderSocketPath(folder, record.handle), false, &lastError);
    if (!listener) continue;
    const std::string temp = TempPath(folder, record.handle);
    ::unlink(temp.c_str());
    if (!WriteNewFile(temp, FormatRecord(record))) {
      lastError = ErrnoText("cannot write " + temp, errno);
      continue;
    }
    const bool published = ::link(temp.c_str(), directory.RecordPath(record.handle).c_str()) == 0;
    if (!published) lastError = ErrnoText("cannot publish " + directory.RecordPath(record.handle), errno);
    ::unlink(temp.c_str());
    if (!published) continue;
    return std::unique_ptr<WindowRegistration>(
        new WindowRegistration(directory, std::move(record), std::move(listener)));
  }
  if (error)
    *error = "no window handle could be claimed in " + std::to_string(kMaxHandleClaims) +
             " attempts; last: " + lastError;
  return nullptr;
}

WindowRegistration::~WindowRegistration() {
  ::unlink(folder_.RecordPath(record_.handle).c_str());
  // The listener removes its socket when it goes.
}

bool WindowRegistration::Update(std::string title, WindowRect rect) {
  WindowRecord next = record_;
  next.title = std::move(title);
  next.rect = rect;
  const std::string text = FormatRecord(next);
  if (text.empty()) return false;
  const std::string temp = TempPath(folder_.path(), next.handle);
  ::unlink(temp.c_str());
  if (!WriteNewFile(temp, text)) return false;
  if (::rename(temp.c_str(), folder_.RecordPath(next.handle).c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  record_ = std::move(next);
  return true;
}

}  // namespace lumora
