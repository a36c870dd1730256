// Whole-file replacement that never leaves a half-written file: the new
// contents go to a temporary file in the same folder, which is synced and
// then renamed over the old file (and the folder synced), so a crash or a
// full disk leaves either the old file or the new one (the syncs can be left
// out where losing the file in a crash does no harm).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>

namespace lumora {

// Replaces the file at `path` with the concatenation of `parts`. An existing
// file keeps its permission bits. False, with the old file untouched and no
// temporary left behind, on any failure.
bool ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts);

// How a replacement is written when the defaults do not fit: `mode` set
// gives the new file exactly those permission bits (private files); `sync`
// off skips the syncs, for files that are cheap to make again, such as
// cached thumbnails, where a sync per file would cost more than the file.
struct ReplaceOptions {
  std::optional<unsigned> mode;
  bool sync = true;
};
bool ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts,
                     const ReplaceOptions& options);

}  // namespace lumora
