// libFuzzer target: message-socket frames as any process could send them.
// A frame that decodes must encode back to the very same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <variant>
#include <vector>

#include "platform/window/WindowFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> datagram(data, size);
  lumora::IncomingFrame frame;
  const lumora::FrameStatus status = lumora::DecodeFrame(datagram, frame);
  if (!status.ok()) {
    if (lumora::Describe(status).empty()) std::abort();
    return 0;
  }
  const std::vector<std::uint8_t> again =
      std::holds_alternative<lumora::WindowMessage>(frame)
          ? lumora::EncodeMessageFrame(std::get<lumora::WindowMessage>(frame))
          : lumora::EncodeControlFrame(std::get<lumora::ControlRequest>(frame));
  if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
  return 0;
}
