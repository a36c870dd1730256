// libFuzzer target: the thumbnail cache's PNG reader on arbitrary bytes (the
// cache holds other programs' files). The keys read without the pixels must
// be those read with them (all text chunks before the pixels come first), an
// accepted picture is as large as its header says, and writing it with its
// keys and reading it back gives the same picture and keys.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "albums/ThumbnailCache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const std::optional<lumora::ThumbnailPng> full = lumora::ReadThumbnailPng(bytes, true);
  const std::optional<lumora::ThumbnailPng> head = lumora::ReadThumbnailPng(bytes, false);
  if (!full) return 0;
  if (!head || head->width != full->width || head->height != full->height ||
      head->keys.size() > full->keys.size())
    __builtin_trap();
  for (size_t i = 0; i < head->keys.size(); ++i)
    if (head->keys[i] != full->keys[i]) __builtin_trap();
  if (full->picture.width() != full->width || full->picture.height() != full->height) __builtin_trap();

  // Keys that libpng writes as they are: Latin-1 names of 1 to 79 bytes, no NUL in the text.
  std::vector<std::pair<std::string, std::string>> keys;
  for (const auto& [key, value] : full->keys)
    if (!key.empty() && key.size() < 80 && value.find('\0') == std::string::npos) keys.emplace_back(key, value);
  const std::vector<uint8_t> written = lumora::WriteThumbnailPng(full->picture, keys);
  const std::optional<lumora::ThumbnailPng> again = lumora::ReadThumbnailPng(written, true);
  if (!again || again->width != full->width || again->height != full->height) __builtin_trap();
  if (std::memcmp(again->picture.PixelBits(), full->picture.PixelBits(),
                  lumora::DibStride(full->width, 24) * size_t(full->height)) != 0)
    __builtin_trap();
  return 0;
}
