// The frames that travel over a window's message socket: one datagram per
// frame, a fixed 20-byte header followed by the payload. All numbers are
// little-endian.
//
//   offset  size  field
//   0       4     magic "QVWM"
//   4       1     version, 1
//   5       1     kind: 1 private message, 2 control request
//   6       2     reserved, 0
//   8       4     number: the message number, or the control code
//   12      4     word parameter
//   16      4     payload length; equals the datagram size minus 20 and is at
//                 most kMaxPayloadBytes
//   20      n     payload
//
// Control requests are how the runtime-folder backend asks a window's own
// process to act on it (WindowSystem.h); the receiving Qt glue applies them:
//
//   code  request          word          payload
//   1     bring to front   0             none
//   2     set topmost      0 off, 1 on   none
//   3     move             0             int32 left, int32 top (8 bytes)
//   4     centre           0             none
//
// Datagrams come from any process of the same user, so the decoder checks
// every field and refuses anything it does not fully understand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/window/WindowSystem.h"

namespace lumora {

inline constexpr std::size_t kFrameHeaderBytes = 20;
// Fits one AF_UNIX datagram under the default socket buffer sizes.
inline constexpr std::size_t kMaxPayloadBytes = 64 * 1024;
inline constexpr std::size_t kMaxFrameBytes = kFrameHeaderBytes + kMaxPayloadBytes;
inline constexpr std::uint8_t kFrameVersion = 1;

enum class ControlCode : std::uint32_t {
  BringToFront = 1,
  SetTopmost = 2,
  MoveTo = 3,
  Centre = 4,
};

// A decoded control request; `topmost` is meaningful for SetTopmost, `left`
// and `top` for MoveTo.
struct ControlRequest {
  ControlCode code = ControlCode::BringToFront;
  bool topmost = false;
  std::int32_t left = 0;
  std::int32_t top = 0;
  bool operator==(const ControlRequest&) const = default;
};

// What one datagram carried.
using IncomingFrame = std::variant<WindowMessage, ControlRequest>;

enum class FrameError {
  None,
  Truncated,          // shorter than the header
  BadMagic,
  BadVersion,
  BadKind,
  ReservedNotZero,
  PayloadTooLarge,    // declared length above kMaxPayloadBytes
  LengthMismatch,     // declared length differs from the bytes that follow
  UnknownControl,
  BadControlPayload,  // word or payload do not fit the control code
};

// The outcome of decoding, with the numbers that describe a failure (the
// offending value and what was expected or allowed).
struct FrameStatus {
  FrameError error = FrameError::None;
  std::uint64_t value = 0;
  std::uint64_t expected = 0;
  bool ok() const { return error == FrameError::None; }
};

// One sentence naming the fault and its numbers.
std::string Describe(const FrameStatus& status);

// Empty when the payload exceeds kMaxPayloadBytes.
std::vector<std::uint8_t> EncodeMessageFrame(const WindowMessage& message);
std::vector<std::uint8_t> EncodeControlFrame(const ControlRequest& request);

// Decodes one whole datagram into `out`; `out` is untouched on failure.
FrameStatus DecodeFrame(std::span<const std::uint8_t> datagram, IncomingFrame& out);

}  // namespace lumora
