// libFuzzer target: record files of the runtime window folder. A record that
// parses must format to text that parses to the same record.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/window/WindowFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<lumora::WindowRecord> record = lumora::ParseRecord(text, 0x1234, &error);
  if (!record) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (lumora::ParseRecord(lumora::FormatRecord(*record), 0x1234) != record) std::abort();
  return 0;
}
