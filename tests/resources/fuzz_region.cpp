// libFuzzer target: the region parser on arbitrary bytes. Every field of an accepted
// region is folded into a checksum so that nothing the parser returns goes unread.
#include <cstddef>
#include <cstdint>

#include "resources/Region.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const lumora::RegionParseResult parsed = lumora::ParseRegionData({data, size});
  if (!parsed.region) return parsed.message.empty() ? 1 : 0;
  uint32_t sum = 0;
  auto fold = [&sum](const lumora::RegionRect& r) {
    sum = sum * 31 + static_cast<uint32_t>(r.left + r.top * 3 + r.right * 5 + r.bottom * 7);
    if (r.left >= r.right || r.top >= r.bottom) __builtin_trap();
  };
  fold(parsed.region->bounds);
  for (const lumora::RegionRect& r : parsed.region->rects) fold(r);
  return sum == 0xFFFFFFFFu ? 1 : 0;
}
