// Whole-file reads and writes for the codecs. Readers take a file into memory
// once and parse the bytes; writers build the file's bytes and replace the
// file in one step: they write a temporary file in the same folder, flush and
// close it, and only then rename it over the old file, so a save that fails
// halfway leaves the old file as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace lumora {

namespace file_bytes_detail {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Tries this many temporary names before a save gives up.
inline constexpr int kTempNameAttempts = 16;
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

// Replaces the file at `path` with the concatenation of `parts`, through a
// temporary file in the same folder that is renamed over it once complete.
// False, with the old file untouched and no temporary left, on any failure.
inline bool ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts) {
  namespace fs = std::filesystem;
  std::random_device random;
  for (int attempt = 0; attempt < file_bytes_detail::kTempNameAttempts; ++attempt) {
    std::string tmp = path + ".save-" + std::to_string(random() % 1000000000u) + ".tmp";
    // "x": never reuse a name that exists, whoever made it.
    file_bytes_detail::UniqueFile f(std::fopen(tmp.c_str(), "wbx"));
    if (!f) {
      std::error_code ec;
      if (fs::exists(tmp, ec)) continue;
      return false;  // the folder can't be written
    }
    bool ok = true;
    for (std::span<const uint8_t> part : parts) {
      if (!part.empty() && std::fwrite(part.data(), 1, part.size(), f.get()) != part.size()) {
        ok = false;
        break;
      }
    }
    ok = ok && std::fflush(f.get()) == 0;
    ok = std::fclose(f.release()) == 0 && ok;
    std::error_code ec;
    if (ok) fs::rename(tmp, path, ec);
    if (!ok || ec) {
      fs::remove(tmp, ec);
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace lumora
