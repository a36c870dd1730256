// Fuzzes the file list block parser with arbitrary received bytes: it must
// stay within the block, and every list it accepts must come back unchanged
// from a block built of its paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dropdialog/QvDropDialog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray block = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const std::optional<std::vector<std::string>> paths = QvDropDialog::ReadDropFiles(block);
  if (!paths) return 0;
  const std::optional<QByteArray> rebuilt = QvDropDialog::CreateDropFiles(*paths);
  if (!rebuilt || QvDropDialog::ReadDropFiles(*rebuilt) != paths) std::abort();
  return 0;
}
