// Fuzzes the hive file reader: any input is read into a tree (damaged lines
// set aside) whose written form reads back without damage to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  lumora::RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
  lumora::RegDamage damage;
  const bool clean = lumora::ParseRegFile(text, root, damage);
  if (clean != (damage.lines == 0)) std::abort();
  const auto once = lumora::FormatRegFile(root);
  if (!once) std::abort();
  lumora::RegKeyNode again{"HKEY_LOCAL_MACHINE", {}, {}};
  if (!lumora::ParseRegFile(*once, again, damage)) std::abort();
  if (lumora::FormatRegFile(again) != once) std::abort();
  return 0;
}
