// Encoding and checked decoding of message-socket frames.
#include "platform/window/WindowFrame.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace lumora {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'Q', 'V', 'W', 'M'};
constexpr std::uint8_t kKindMessage = 1;
constexpr std::uint8_t kKindControl = 2;
constexpr std::size_t kMovePayloadBytes = 8;

struct ErrorText {
  FrameError error;
  const char* text;  // printf-style with the value and the expected number
};

constexpr ErrorText kErrorTexts[] = {
    {FrameError::None, "frame is valid"},
    {FrameError::Truncated, "frame of %llu bytes is shorter than the %llu-byte header"},
    {FrameError::BadMagic, "magic 0x%08llX is not 0x%08llX"},
    {FrameError::BadVersion, "version %llu is not %llu"},
    {FrameError::BadKind, "kind %llu is neither 1 (message) nor %llu (control)"},
    {FrameError::ReservedNotZero, "reserved field is %llu, not %llu"},
    {FrameError::PayloadTooLarge, "payload length %llu exceeds the limit of %llu"},
    {FrameError::LengthMismatch, "payload length %llu differs from the %llu bytes that follow"},
    {FrameError::UnknownControl, "control code %llu is unknown (highest %llu)"},
    {FrameError::BadControlPayload, "control request with word or payload size %llu, expected %llu"},
};

std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
         std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(std::uint8_t(value >> shift));
}

std::vector<std::uint8_t> EncodeFrame(std::uint8_t kind, std::uint32_t number, std::uint32_t word,
                                      std::span<const std::uint8_t> payload) {
  std::vector<std::uint8_t> out;
  if (payload.size() > kMaxPayloadBytes) return out;
  out.reserve(kFrameHeaderBytes + payload.size());
  out.insert(out.end(), kMagic.begin(), kMagic.end());
  out.push_back(kFrameVersion);
  out.push_back(kind);
  out.push_back(0);
  out.push_back(0);
  AppendLe32(out, number);
  AppendLe32(out, word);
  AppendLe32(out, std::uint32_t(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

FrameStatus Fail(FrameError error, std::uint64_t value, std::uint64_t expected) {
  return FrameStatus{error, value, expected};
}

FrameStatus DecodeControl(std::uint32_t code, std::uint32_t word,
                          std::span<const std::uint8_t> payload, ControlRequest& out) {
  constexpr auto kHighest = std::uint32_t(ControlCode::Centre);
  if (code < std::uint32_t(ControlCode::BringToFront) || code > kHighest)
    return Fail(FrameError::UnknownControl, code, kHighest);
  ControlRequest request;
  request.code = ControlCode(code);
  switch (request.code) {
    case ControlCode::BringToFront:
    case ControlCode::Centre:
      if (word != 0) return Fail(FrameError::BadControlPayload, word, 0);
      if (!payload.empty()) return Fail(FrameError::BadControlPayload, payload.size(), 0);
      break;
    case ControlCode::SetTopmost:
      if (word > 1) return Fail(FrameError::BadControlPayload, word, 1);
      if (!payload.empty()) return Fail(FrameError::BadControlPayload, payload.size(), 0);
      request.topmost = word == 1;
      break;
    case ControlCode::MoveTo:
      if (word != 0) return Fail(FrameError::BadControlPayload, word, 0);
      if (payload.size() != kMovePayloadBytes)
        return Fail(FrameError::BadControlPayload, payload.size(), kMovePayloadBytes);
      request.left = std::int32_t(ReadLe32(payload, 0));
      request.top = std::int32_t(ReadLe32(payload, 4));
      break;
  }
  out = request;
  return {};
}

}  // namespace

std::string Describe(const FrameStatus& status) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.error != status.error) continue;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, entry.text, static_cast<unsigned long long>(status.value),
                  static_cast<unsigned long long>(status.expected));
    return buffer;
  }
  return "unknown frame error";
}

std::vector<std::uint8_t> EncodeMessageFrame(const WindowMessage& message) {
  return EncodeFrame(kKindMessage, message.number, message.word, message.payload);
}

std::vector<std::uint8_t> EncodeControlFrame(const ControlRequest& request) {
  std::uint32_t word = 0;
  std::vector<std::uint8_t> payload;
  if (request.code == ControlCode::SetTopmost) word = request.topmost ? 1 : 0;
  if (request.code == ControlCode::MoveTo) {
    AppendLe32(payload, std::uint32_t(request.left));
    AppendLe32(payload, std::uint32_t(request.top));
  }
  return EncodeFrame(kKindControl, std::uint32_t(request.code), word, payload);
}

FrameStatus DecodeFrame(std::span<const std::uint8_t> datagram, IncomingFrame& out) {
  if (datagram.size() < kFrameHeaderBytes)
    return Fail(FrameError::Truncated, datagram.size(), kFrameHeaderBytes);
  if (!std::equal(kMagic.begin(), kMagic.end(), datagram.begin()))
    return Fail(FrameError::BadMagic, ReadLe32(datagram, 0), ReadLe32(kMagic, 0));
  const std::uint8_t version = datagram[4];
  if (version != kFrameVersion) return Fail(FrameError::BadVersion, version, kFrameVersion);
  const std::uint8_t kind = datagram[5];
  if (kind != kKindMessage && kind != kKindControl) return Fail(FrameError::BadKind, kind, kKindControl);
  const std::uint32_t reserved = std::uint32_t(datagram[6]) | std::uint32_t(datagram[7]) << 8;
  if (reserved != 0) return Fail(FrameError::ReservedNotZero, reserved, 0);
  const std::uint32_t number = ReadLe32(datagram, 8);
  const std::uint32_t word = ReadLe32(datagram, 12);
  const std::uint32_t length = ReadLe32(datagram, 16);
  if (length > kMaxPayloadBytes) return Fail(FrameError::PayloadTooLarge, length, kMaxPayloadBytes);
  const std::size_t following = datagram.size() - kFrameHeaderBytes;
  if (length != following) return Fail(FrameError::LengthMismatch, length, following);
  const auto payload = datagram.subspan(kFrameHeaderBytes);

  if (kind == kKindControl) {
    ControlRequest request;
    FrameStatus status = DecodeControl(number, word, payload, request);
    if (status.ok()) out = request;
    return status;
  }
  out = WindowMessage{number, word, std::vector<std::uint8_t>(payload.begin(), payload.end())};
  return {};
}

}  // namespace lumora
