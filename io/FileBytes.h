// Whole-file reads and writes for the codecs. Readers take a file into memory
// once and parse the bytes; writers build the file's bytes and replace the
// file in one step with ReplaceFileWith (temporary file, sync, rename), so a
// save that fails halfway leaves the old file as it was.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileIo.h"

namespace lumora {

// Up to `maxBytes` bytes from the start of the file; nothing when it can't be
// opened or read.
inline std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t maxBytes) {
  std::vector<uint8_t> bytes;
  const int error = ReadWholeFile(path, maxBytes, bytes);
  if (error != 0 && error != EFBIG) return std::nullopt;
  bytes.resize(std::min(bytes.size(), maxBytes));
  return bytes;
}

// The whole file; nothing when it can't be opened or read, or is longer than
// `maxBytes`.
inline std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t maxBytes) {
  // A file over the limit is refused before anything is read.
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) > maxBytes || ec) return std::nullopt;
  std::vector<uint8_t> bytes;
  if (ReadWholeFile(path, maxBytes, bytes) != 0) return std::nullopt;
  return bytes;
}

}  // namespace lumora
