// Message-socket frames: what is encoded decodes to the same thing, and the
// decoder refuses every malformed datagram with the numbers of its fault.
#include "platform/window/WindowFrame.h"

#include <gtest/gtest.h>

#include <functional>

namespace lumora {
namespace {

WindowMessage SampleMessage() {
  WindowMessage message{2011, 1, {}};
  for (int i = 0; i < 260; ++i) message.payload.push_back(std::uint8_t(i * 7));
  return message;
}

void PutLe32(std::vector<std::uint8_t>& frame, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) frame[at + i] = std::uint8_t(value >> (8 * i));
}

TEST(WindowFrame, MessagesAndControlsSurviveEncodeAndDecode) {
  const WindowMessage messages[] = {SampleMessage(), {99, 0, {}}, {0xFFFFFFFF, 0x80000001, {0}}};
  for (const WindowMessage& message : messages) {
    IncomingFrame decoded;
    const std::vector<std::uint8_t> frame = EncodeMessageFrame(message);
    ASSERT_EQ(frame.size(), kFrameHeaderBytes + message.payload.size());
    const FrameStatus status = DecodeFrame(frame, decoded);
    ASSERT_TRUE(status.ok()) << Describe(status);
    EXPECT_EQ(std::get<WindowMessage>(decoded), message);
  }
  const ControlRequest controls[] = {{ControlCode::BringToFront},
                                     {ControlCode::SetTopmost, true},
                                     {ControlCode::SetTopmost, false},
                                     {ControlCode::MoveTo, false, -1200, 70000},
                                     {ControlCode::Centre}};
  for (const ControlRequest& request : controls) {
    IncomingFrame decoded;
    const FrameStatus status = DecodeFrame(EncodeControlFrame(request), decoded);
    ASSERT_TRUE(status.ok()) << Describe(status);
    EXPECT_EQ(std::get<ControlRequest>(decoded), request);
  }
}

TEST(WindowFrame, HeaderLayoutIsLittleEndianWithLengthAtSixteen) {
  const std::vector<std::uint8_t> frame = EncodeMessageFrame({0x01020304, 0x0A0B0C0D, {0xEE, 0xFF}});
  const std::vector<std::uint8_t> expected = {'Q', 'V', 'W', 'M', 1, 1, 0, 0, 4, 3, 2, 1,
                                              0x0D, 0x0C, 0x0B, 0x0A, 2, 0, 0, 0, 0xEE, 0xFF};
  EXPECT_EQ(frame, expected);
}

TEST(WindowFrame, PayloadLimitHoldsOnBothSides) {
  WindowMessage largest{1, 0, std::vector<std::uint8_t>(kMaxPayloadBytes, 0x5A)};
  IncomingFrame decoded;
  EXPECT_TRUE(DecodeFrame(EncodeMessageFrame(largest), decoded).ok());

  largest.payload.push_back(0);
  EXPECT_TRUE(EncodeMessageFrame(largest).empty());

  // A frame that declares, and carries, one byte too many.
  std::vector<std::uint8_t> frame = EncodeMessageFrame({1, 0, std::vector<std::uint8_t>(kMaxPayloadBytes)});
  frame.push_back(0);
  PutLe32(frame, 16, std::uint32_t(kMaxPayloadBytes + 1));
  const FrameStatus status = DecodeFrame(frame, decoded);
  EXPECT_EQ(status.error, FrameError::PayloadTooLarge);
  EXPECT_EQ(Describe(status), "payload length 65537 exceeds the limit of 65536");
}

TEST(WindowFrame, EveryTruncationIsRefused) {
  const std::vector<std::uint8_t> frame = EncodeMessageFrame(SampleMessage());
  for (std::size_t size = 0; size < frame.size(); ++size) {
    IncomingFrame decoded = ControlRequest{ControlCode::Centre};
    const FrameStatus status = DecodeFrame(std::span(frame.data(), size), decoded);
    EXPECT_EQ(status.error, size < kFrameHeaderBytes ? FrameError::Truncated : FrameError::LengthMismatch)
        << "size " << size;
    // A refused frame leaves the output alone.
    EXPECT_TRUE(std::holds_alternative<ControlRequest>(decoded));
  }
  IncomingFrame decoded;
  const FrameStatus status = DecodeFrame(std::span(frame.data(), 7), decoded);
  EXPECT_EQ(Describe(status), "frame of 7 bytes is shorter than the 20-byte header");
}

struct Corruption {
  const char* name;
  std::function<void(std::vector<std::uint8_t>&)> change;
  FrameError error;
};

TEST(WindowFrame, CorruptHeadersAndControlsAreRefused) {
  const Corruption cases[] = {
      {"magic", [](auto& f) { f[0] = 'X'; }, FrameError::BadMagic},
      {"version", [](auto& f) { f[4] = 2; }, FrameError::BadVersion},
      {"kind zero", [](auto& f) { f[5] = 0; }, FrameError::BadKind},
      {"kind three", [](auto& f) { f[5] = 3; }, FrameError::BadKind},
      {"reserved", [](auto& f) { f[7] = 1; }, FrameError::ReservedNotZero},
      {"trailing byte", [](auto& f) { f.push_back(0); }, FrameError::LengthMismatch},
      {"length short", [](auto& f) { PutLe32(f, 16, 7); }, FrameError::LengthMismatch},
      {"length huge", [](auto& f) { PutLe32(f, 16, 0xFFFFFFFF); }, FrameError::PayloadTooLarge},
      {"control zero", [](auto& f) { f[5] = 2; PutLe32(f, 8, 0); }, FrameError::UnknownControl},
      {"control five", [](auto& f) { f[5] = 2; PutLe32(f, 8, 5); }, FrameError::UnknownControl},
      {"front with payload", [](auto& f) { f[5] = 2; PutLe32(f, 8, 1); }, FrameError::BadControlPayload},
  };
  const std::vector<std::uint8_t> valid = EncodeMessageFrame({5, 6, {1, 2, 3}});
  for (const Corruption& corruption : cases) {
    std::vector<std::uint8_t> frame = valid;
    corruption.change(frame);
    IncomingFrame decoded;
    EXPECT_EQ(DecodeFrame(frame, decoded).error, corruption.error) << corruption.name;
  }

  const std::vector<std::uint8_t> move = EncodeControlFrame({ControlCode::MoveTo, false, 1, 2});
  const std::vector<std::uint8_t> topmost = EncodeControlFrame({ControlCode::SetTopmost, true});
  const Corruption controls[] = {
      {"move short", [](auto& f) { f.pop_back(); PutLe32(f, 16, 7); }, FrameError::BadControlPayload},
      {"move with word", [](auto& f) { PutLe32(f, 12, 1); }, FrameError::BadControlPayload},
  };
  for (const Corruption& corruption : controls) {
    std::vector<std::uint8_t> frame = move;
    corruption.change(frame);
    IncomingFrame decoded;
    EXPECT_EQ(DecodeFrame(frame, decoded).error, corruption.error) << corruption.name;
  }
  std::vector<std::uint8_t> frame = topmost;
  PutLe32(frame, 12, 2);
  IncomingFrame decoded;
  const FrameStatus status = DecodeFrame(frame, decoded);
  EXPECT_EQ(status.error, FrameError::BadControlPayload);
  EXPECT_EQ(Describe(status), "control request with word or payload size 2, expected 1");
}

}  // namespace
}  // namespace lumora
