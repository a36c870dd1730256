// The built-in bitmaps lumora-cli needs (the thumbnail cells' frames), as
// C++ arrays generated at build time from the same files the program's
// resource tree holds, so the tool reads them without the resource system.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace lumora::cli {

// The BMP file bytes of built-in bitmap `id`; nothing for a bitmap the tool
// does not carry.
std::optional<std::span<const uint8_t>> BuiltinBitmap(uint32_t id);

}  // namespace lumora::cli
