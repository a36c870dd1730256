// FFmpeg glue shared by the AVI decompressor, the stream reader and the MPEG
// still capture.
#include "media/video/Ffmpeg.h"

extern "C" {
#include <libavutil/cpu.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdint>
#include <cstring>
#include <mutex>

namespace lumora::video {

namespace {

// The interpolation the ffmpeg command converts with, so that a picture
// comes out as that tool shows it.
constexpr int kScaleFlags = SWS_BICUBIC;

// The previews report failure by their results and log nothing; FFmpeg's own
// complaints about damaged input would otherwise land on stderr.
void QuietenFfmpeg() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

std::string FfmpegErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return std::string(text) + " (" + std::to_string(code) + ")";
}

FormatHandle OpenInput(const std::string& path, const AVInputFormat* demuxer, Deadline& deadline,
                       std::string& error) {
  QuietenFfmpeg();
  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) {
    error = "out of memory for the demuxer";
    return nullptr;
  }
  raw->interrupt_callback = {&Deadline::Interrupt, &deadline};
  // On failure avformat_open_input frees the context itself.
  int result = avformat_open_input(&raw, path.c_str(), demuxer, nullptr);
  if (result < 0) {
    error = "cannot open " + path + ": " + FfmpegErrorText(result);
    return nullptr;
  }
  FormatHandle format(raw);
  result = avformat_find_stream_info(format.get(), nullptr);
  if (result < 0) {
    error = "cannot read the streams of " + path + ": " + FfmpegErrorText(result);
    return nullptr;
  }
  return format;
}

CodecHandle OpenDecoder(const AVCodecParameters& parameters, std::string& error) {
  QuietenFfmpeg();
  const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
  if (!codec) {
    error = std::string("no decoder for ") + avcodec_get_name(parameters.codec_id);
    return nullptr;
  }
  CodecHandle context(avcodec_alloc_context3(codec));
  if (!context) {
    error = "out of memory for the decoder";
    return nullptr;
  }
  int result = avcodec_parameters_to_context(context.get(), &parameters);
  if (result < 0) {
    error = "decoder parameters refused: " + FfmpegErrorText(result);
    return nullptr;
  }
  context->thread_count = 1;
  result = avcodec_open2(context.get(), codec, nullptr);
  if (result < 0) {
    error = std::string("cannot open the ") + codec->name + " decoder: " + FfmpegErrorText(result);
    return nullptr;
  }
  return context;
}

bool FrameToBgrBottomUp(const AVFrame& frame, int width, int height, std::span<uint8_t> rows, size_t rowBytes) {
  if (frame.width <= 0 || frame.height <= 0 || width <= 0 || height <= 0) return false;
  if (rowBytes < size_t(width) * 3 || rows.size() / rowBytes < size_t(height)) return false;
  ScalerHandle scaler(sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), width, height,
                                     AV_PIX_FMT_BGR24, kScaleFlags, nullptr, nullptr, nullptr));
  if (!scaler) return false;
  // The scaler's vector code converts whole blocks of pixels: it writes past
  // the end of a row whose width is no multiple of the block, or leaves the
  // last pixels black when the row stride has no room for the block. It
  // converts into a frame with FFmpeg's own row alignment and padding, whose
  // rows are then copied out bottom row first.
  FrameHandle bgr(av_frame_alloc());
  if (!bgr) return false;
  bgr->format = AV_PIX_FMT_BGR24;
  bgr->width = width;
  bgr->height = height;
  if (av_frame_get_buffer(bgr.get(), int(av_cpu_max_align())) < 0) return false;
  if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, bgr->data, bgr->linesize) != height)
    return false;
  const size_t packed = size_t(width) * 3;
  for (int y = 0; y < height; ++y)
    std::memcpy(rows.data() + size_t(height - 1 - y) * rowBytes, bgr->data[0] + size_t(y) * size_t(bgr->linesize[0]),
                packed);
  return true;
}

}  // namespace lumora::video
