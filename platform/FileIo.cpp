// Descriptor-level file reading and writing over POSIX.
#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace lumora {

namespace {

// The first buffer for a file whose size is not known in advance (pipes,
// files under /proc).
constexpr size_t kFirstChunk = 4096;

// Calls read(data, size, filled) until `out` is full or it returns 0 (the
// end of the file): the count read, or -1 with errno set.
template <typename Read>
ssize_t Fill(std::span<uint8_t> out, Read read) {
  size_t filled = 0;
  while (filled < out.size()) {
    const ssize_t got = read(out.data() + filled, out.size() - filled, filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    filled += size_t(got);
  }
  return ssize_t(filled);
}

template <typename Bytes>
int ReadToEndInto(int fd, size_t limit, Bytes& out) {
  out.clear();
  struct stat st {};
  size_t expected = 0;
  const size_t most = limit + 1;  // one more byte tells a larger file
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) expected = size_t(std::min<uint64_t>(uint64_t(st.st_size), limit));
  size_t filled = 0;
  try {
    out.resize(std::min(most, std::max(expected + 1, kFirstChunk)));
    while (true) {
      const ssize_t got =
          ReadFully(fd, std::span(reinterpret_cast<uint8_t*>(out.data()) + filled, out.size() - filled));
      if (got < 0) return errno;
      filled += size_t(got);
      if (filled < out.size() || out.size() == most) break;
      out.resize(std::min(most, 2 * out.size()));
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    return ENOMEM;
  }
  out.resize(filled);
  return filled > limit ? EFBIG : 0;
}

template <typename Bytes>
int ReadWholeFileInto(const std::string& path, size_t limit, Bytes& out, int openFlags) {
  out.clear();
  const UniqueFd fd = OpenFd(path, O_RDONLY | openFlags);
  if (!fd) return errno;
  return ReadToEnd(fd.get(), limit, out);
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool UniqueFd::Close() {
  if (fd_ < 0) return true;
  return ::close(Release()) == 0;
}

UniqueFd OpenFd(const std::string& path, int flags, mode_t mode) {
  return UniqueFd(::open(path.c_str(), flags | O_CLOEXEC, mode));
}

ssize_t ReadFully(int fd, std::span<uint8_t> out) {
  return Fill(out, [fd](uint8_t* data, size_t size, size_t) { return ::read(fd, data, size); });
}

ssize_t ReadFullyAt(int fd, uint64_t offset, std::span<uint8_t> out) {
  return Fill(out, [fd, offset](uint8_t* data, size_t size, size_t filled) {
    return ::pread(fd, data, size, off_t(offset + filled));
  });
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return false;
    if (wrote == 0) {
      errno = EIO;
      return false;
    }
    bytes = bytes.subspan(size_t(wrote));
  }
  return true;
}

int ReadToEnd(int fd, size_t limit, std::vector<uint8_t>& out) { return ReadToEndInto(fd, limit, out); }
int ReadToEnd(int fd, size_t limit, std::string& out) { return ReadToEndInto(fd, limit, out); }

int ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& out, int openFlags) {
  return ReadWholeFileInto(path, limit, out, openFlags);
}
int ReadWholeFile(const std::string& path, size_t limit, std::string& out, int openFlags) {
  return ReadWholeFileInto(path, limit, out, openFlags);
}

}  // namespace lumora
