// Files through their descriptors: the owning descriptor every file of the
// platform layer is held in, reading a whole (bounded) file and writing a
// whole buffer. Interrupted calls are repeated.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// A file descriptor closed when it goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Close(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int Release();
  // Closes now; false (errno set) when the close reported an error, which for
  // a written file means its data may not have reached the disk.
  bool Close();

 private:
  int fd_ = -1;
};

// open(2) with O_CLOEXEC added; an empty UniqueFd (errno set) on failure.
UniqueFd OpenFd(const std::string& path, int flags, mode_t mode = 0);

// Reads until `out` is full or the file ends: the count read, or -1 with
// errno set.
ssize_t ReadFully(int fd, std::span<uint8_t> out);

// The same from `offset` on, leaving the file position alone.
ssize_t ReadFullyAt(int fd, uint64_t offset, std::span<uint8_t> out);

// Writes all of `bytes`; false with errno set.
bool WriteAll(int fd, std::span<const uint8_t> bytes);
inline bool WriteAll(int fd, std::string_view text) {
  return WriteAll(fd, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// The rest of the file, but no more than `limit` + 1 bytes: 0, the errno of
// the failure (ENOMEM when there is no memory for it), or EFBIG when it holds
// more than `limit` bytes (`out` then has the first `limit` + 1).
int ReadToEnd(int fd, size_t limit, std::vector<uint8_t>& out);
int ReadToEnd(int fd, size_t limit, std::string& out);

// The whole file at `path` (opened with O_RDONLY and `openFlags`), as
// ReadToEnd.
int ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& out, int openFlags = 0);
int ReadWholeFile(const std::string& path, size_t limit, std::string& out, int openFlags = 0);

}  // namespace lumora
