// libFuzzer target: the cursor-file hotspot reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "resources/CursorFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const lumora::CursorParseResult parsed = lumora::ParseCursorHotspot({data, size});
  if (!parsed.hotspot) return parsed.error.empty() ? 1 : 0;
  // A returned hotspot lies inside the largest possible cursor image.
  if (parsed.hotspot->x < 0 || parsed.hotspot->x >= 256 || parsed.hotspot->y < 0 ||
      parsed.hotspot->y >= 256)
    __builtin_trap();
  return 0;
}
