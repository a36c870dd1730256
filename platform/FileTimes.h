// The times a file or folder carries (birth, last write, last access) and
// their conversion to local wall-clock time, which the program shows and
// orders items by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumora {

// Seconds since 1970-01-01 00:00:00 of the local wall clock (not UTC).
struct FileTimes {
  std::optional<int64_t> created;  // absent where the file system keeps no birth time
  int64_t modified = 0;
  int64_t accessed = 0;
  int64_t changed = 0;  // last change of the data or the inode (owner, mode, links)
};

// The times of `path` (symbolic links followed); nothing when it does not exist.
std::optional<FileTimes> ReadFileTimes(const std::string& path);

// Seconds since the epoch (UTC) as local wall-clock seconds.
int64_t LocalSeconds(int64_t utcSeconds);

}  // namespace lumora
