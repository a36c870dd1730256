// The decompressor of compressed AVI frames: FFmpeg's decoder for the
// stream's compression code, standing in for an installed codec, asked for
// its default output, 24-bit uncompressed RGB.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "media/video/AviFile.h"
#include "media/video/AviFirstFrame.h"
#include "media/video/Ffmpeg.h"

namespace lumora::video {

class AviDecompressor {
 public:
  // A decoder for the stream's biCompression code (else its strh handler
  // code); nothing, with `error` set, when FFmpeg has none.
  static std::unique_ptr<AviDecompressor> Open(const AviVideo& video, std::string& error);

  // Feeds one frame chunk; the frame the decoder hands back for it, if any
  // (decoders with a delay hand frames back later; damaged chunks give none).
  std::optional<AviFrame> Decompress(std::span<const uint8_t> chunk);
  // After the last chunk: the first frame the decoder still holds, if any.
  std::optional<AviFrame> Drain();

 private:
  AviDecompressor(CodecHandle codec, FrameHandle frame, PacketHandle packet)
      : codec_(std::move(codec)), frame_(std::move(frame)), packet_(std::move(packet)) {}
  std::optional<AviFrame> Receive();

  CodecHandle codec_;
  FrameHandle frame_;
  PacketHandle packet_;
  std::vector<uint8_t> palette_;  // AV_PKT_DATA_PALETTE for the first packet of paletted streams
};

}  // namespace lumora::video
