// File times through statx (which carries the birth time where the file
// system keeps one) and the local-time offset through localtime_r.
#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

namespace lumora {

std::optional<FileTimes> ReadFileTimes(const std::string& path) {
  struct statx st {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME | STATX_ATIME | STATX_CTIME, &st) != 0) return std::nullopt;
  FileTimes times;
  if (st.stx_mask & STATX_BTIME) times.created = LocalSeconds(st.stx_btime.tv_sec);
  times.modified = LocalSeconds(st.stx_mtime.tv_sec);
  times.accessed = LocalSeconds(st.stx_atime.tv_sec);
  times.changed = LocalSeconds(st.stx_ctime.tv_sec);
  return times;
}

int64_t LocalSeconds(int64_t utcSeconds) {
  const std::time_t t = static_cast<std::time_t>(utcSeconds);
  std::tm local{};
  if (!::localtime_r(&t, &local)) return utcSeconds;
  return utcSeconds + local.tm_gmtoff;
}

}  // namespace lumora
