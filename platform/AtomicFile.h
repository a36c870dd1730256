// Whole-file replacement that never leaves a half-written file: the new
// contents go to a temporary file in the same folder, which is synced and
// then renamed over the old file (and the folder synced), so a crash or a
// full disk leaves either the old file or the new one (the syncs can be left
// out where losing the file in a crash does no harm).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace lumora {

// How far a replacement waits for the disk.
enum class FileSync {
  // The new file is synced before the rename and its folder after it: a
  // crash leaves the old file or the new one.
  Disk,
  // Renamed into place without syncs: no reader ever sees a half-written
  // file, but a crash soon after may leave neither. For outputs that are
  // cheap to make again, where two syncs would cost more than the making.
  None,
};

// Replaces the file at `path` with the concatenation of `parts`. An existing
// file keeps its permission bits. False, with the old file untouched and no
// temporary left behind, on any failure.
bool ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts,
                     FileSync sync = FileSync::Disk);

}  // namespace lumora
