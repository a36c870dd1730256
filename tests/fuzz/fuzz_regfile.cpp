// Fuzzes the hive file reader: any input either is refused or parses into a
// tree whose written form parses again to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  lumora::RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
  lumora::RegParseError error;
  if (!lumora::ParseRegFile(text, root, error)) return 0;
  std::string once = lumora::FormatRegFile(root);
  lumora::RegKeyNode again{"HKEY_LOCAL_MACHINE", {}, {}};
  if (!lumora::ParseRegFile(once, again, error)) std::abort();
  if (lumora::FormatRegFile(again) != once) std::abort();
  return 0;
}
