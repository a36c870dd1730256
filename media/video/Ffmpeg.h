// Owning handles for the FFmpeg objects the video readers use, the text of an
// FFmpeg error code, a deadline that aborts blocking reads, and the step that
// turns a decoded frame into 24-bit blue-green-red rows.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
#include <libavutil/frame.h>
}

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace lumora::video {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
  void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerHandle = std::unique_ptr<SwsContext, ScalerFreer>;

// "Invalid data found when processing input (-1094995529)".
std::string FfmpegErrorText(int code);

// A point in time after which blocking FFmpeg reads give up. Installed as
// the interrupt callback of a format context, it makes every read return
// AVERROR_EXIT once the time has passed, so a damaged or endless input can't
// hold the caller longer than the limit.
class Deadline {
 public:
  explicit Deadline(std::chrono::milliseconds limit) : end_(std::chrono::steady_clock::now() + limit) {}
  bool Passed() const { return std::chrono::steady_clock::now() >= end_; }
  void Restart(std::chrono::milliseconds limit) { end_ = std::chrono::steady_clock::now() + limit; }
  // For AVFormatContext::interrupt_callback (opaque = this).
  static int Interrupt(void* opaque) { return static_cast<const Deadline*>(opaque)->Passed() ? 1 : 0; }

 private:
  std::chrono::steady_clock::time_point end_;
};

// Opens `path` with the given demuxer (nullptr: probe), interrupted by
// `deadline`, and reads the stream information. Nothing, with `error` set,
// when either fails.
FormatHandle OpenInput(const std::string& path, const AVInputFormat* demuxer, Deadline& deadline,
                       std::string& error);

// A decoder for `parameters`, opened single-threaded. Nothing, with `error`
// set, when FFmpeg has none or it won't open.
CodecHandle OpenDecoder(const AVCodecParameters& parameters, std::string& error);

// Converts a decoded frame to 24-bit blue-green-red rows of `width` by
// `height` pixels (scaled when the frame's size differs), bottom row first,
// `rowBytes` apart (at least width * 3). False when a size is not positive,
// `rows` holds fewer than height * rowBytes bytes, or the conversion fails.
bool FrameToBgrBottomUp(const AVFrame& frame, int width, int height, std::span<uint8_t> rows, size_t rowBytes);
// The same at the frame's own size.
inline bool FrameToBgrBottomUp(const AVFrame& frame, std::span<uint8_t> rows, size_t rowBytes) {
  return FrameToBgrBottomUp(frame, frame.width, frame.height, rows, rowBytes);
}

}  // namespace lumora::video
