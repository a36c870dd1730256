// Whole-file reads and writes for the codecs. Readers take a file into memory
// once and parse the bytes; writers build the file's bytes and replace the
// file in one step with ReplaceFileWith (temporary file, sync, rename), so a
// save that fails halfway leaves the old file as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"

namespace lumora {

namespace file_bytes_detail {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace file_bytes_detail

// Up to `maxBytes` bytes from the start of the file; nothing when it can't be
// opened or read.
inline std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t maxBytes) {
  file_bytes_detail::UniqueFile f(std::fopen(path.c_str(), "rb"));
  if (!f) return std::nullopt;
  std::vector<uint8_t> bytes(maxBytes);
  size_t got = std::fread(bytes.data(), 1, maxBytes, f.get());
  if (got < maxBytes && std::ferror(f.get())) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

// The whole file; nothing when it can't be opened or read, or is longer than
// `maxBytes`.
inline std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path, size_t maxBytes) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > maxBytes) return std::nullopt;
  file_bytes_detail::UniqueFile f(std::fopen(path.c_str(), "rb"));
  if (!f) return std::nullopt;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(size_t(size));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  size_t got = std::fread(bytes.data(), 1, bytes.size(), f.get());
  if (got != bytes.size()) return std::nullopt;
  // A file that grew since its size was taken is read no further: the caller
  // parses what the size promised and finds out whether that is enough.
  return bytes;
}

}  // namespace lumora
