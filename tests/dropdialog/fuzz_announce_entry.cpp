// Fuzzes the announce entry parser of message 2011: any payload is either
// refused or gives a child that the entry builder writes back the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dropdialog/QvDropDialog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray entry = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const std::optional<QvDropDialog::ChildDialog> child = QvDropDialog::ReadAnnounceEntry(entry);
  if (!child) return 0;
  if (child->window == lumora::kNoWindow || child->programFileName.empty() || child->programFileName.size() > 255)
    std::abort();
  const QByteArray rebuilt = QvDropDialog::MakeAnnounceEntry(child->window, child->programFileName);
  if (QvDropDialog::ReadAnnounceEntry(rebuilt) != child) std::abort();
  return 0;
}
