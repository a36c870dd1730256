// CaptureMpegStill over FFmpeg: demuxer, MPEG video decoder and the seek
// rules of a playing graph, ending in our own .bmp writer.
#include "media/video/MpegStillCapture.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "media/video/Ffmpeg.h"

namespace lumora::video {

namespace {

constexpr std::string_view kMpeg1Demuxers[] = {"mpeg", "mpegvideo"};
// Bare video streams: the file holds no time stamps.
constexpr std::string_view kBareVideoDemuxer = "mpegvideo";
constexpr const char* kProgramStreamDemuxer = "mpeg";
// How far before the position the first seek goes, and how much further
// back a second one goes when the first landed past the key picture the
// position needs (AV_TIME_BASE units).
constexpr int64_t kSeekPreroll = 500'000;
constexpr int64_t kSeekBackStep = 1'000'000;
// Decodes a position may take after the first: from further back, then from the start.
constexpr int kRetries = 2;

class Capture {
 public:
  Capture(MpegForm form, const std::string& source) : form_(form), source_(source) {}

  bool Run(DibImage& still, std::string& error) {
    const AVInputFormat* demuxer = nullptr;
    if (form_ == MpegForm::Mpeg2) demuxer = av_find_input_format(kProgramStreamDemuxer);
    format_ = OpenInput(source_, demuxer, deadline_, error);
    if (!format_) return false;
    const std::string_view name = format_->iformat->name;
    if (form_ == MpegForm::Mpeg1 &&
        std::find(std::begin(kMpeg1Demuxers), std::end(kMpeg1Demuxers), name) == std::end(kMpeg1Demuxers)) {
      error = source_ + ": read as \"" + std::string(name) + "\", not an MPEG system or video stream";
      return false;
    }
    bare_ = name == kBareVideoDemuxer;
    stream_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream_ < 0) {
      error = source_ + ": no video stream";
      return false;
    }
    const AVCodecParameters& parameters = *format_->streams[stream_]->codecpar;
    if (parameters.codec_id != AV_CODEC_ID_MPEG1VIDEO && parameters.codec_id != AV_CODEC_ID_MPEG2VIDEO) {
      error = source_ + ": video is " + avcodec_get_name(parameters.codec_id) + ", not MPEG-1 or MPEG-2";
      return false;
    }
    codec_ = OpenDecoder(parameters, error);
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!codec_ || !frame_ || !packet_) {
      if (error.empty()) error = "out of memory for the decoder";
      return false;
    }

    start_ = format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
    // Seek to one second; when that is refused to half a second, whose result
    // is not checked: a refused second seek leaves the file at its start. A
    // file whose length was not known before ends before a position when the
    // decode finds no picture at or after it: that position counts as refused.
    bool rewind = false;
    for (int64_t position : {kStillPosition, kFallbackStillPosition}) {
      if (!Seek(position)) continue;
      if (StillAt(position, still)) return true;
      if (!passedEnd_) return Failed(position, error);
      rewind = true;
    }
    if (rewind && avformat_seek_file(format_.get(), -1, 0, 0, 0, AVSEEK_FLAG_BYTE) >= 0)
      avcodec_flush_buffers(codec_.get());
    return StillAt(0, still) || Failed(0, error);
  }

 private:
  bool StillAt(int64_t position, DibImage& still) {
    const AVStream& video = *format_->streams[stream_];
    target_ = av_rescale_q(start_ + position, AV_TIME_BASE_Q, video.time_base);
    targetPosition_ = start_ + position;
    passedEnd_ = false;
    return DecodeStill(still);
  }

  bool Failed(int64_t position, std::string& error) const {
    error = source_ + ": no picture at or after " + std::to_string(position / 1000) + " ms" +
            (deadline_.Passed() ? " within the time limit" : "");
    return false;
  }

  // Positions at or past the end of a file of known length are refused; a
  // length guessed from the bit rate (a bare video stream's) is no measure
  // and refuses nothing. The
  // demuxer lands near the time asked for, not on a key picture, and
  // sometimes after it: the seek goes a little before the position so that
  // the key picture the position needs is usually among the first read.
  // A bare video stream is decoded from its start, where its pictures' times
  // are counted from (DecodeStill).
  bool Seek(int64_t position) {
    if (format_->duration != AV_NOPTS_VALUE && format_->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE &&
        position >= format_->duration)
      return false;
    const int64_t at = start_ + std::max<int64_t>(0, position - kSeekPreroll);
    const int result = bare_ ? avformat_seek_file(format_.get(), -1, 0, 0, 0, AVSEEK_FLAG_BYTE)
                             : avformat_seek_file(format_.get(), -1, INT64_MIN, at, at, 0);
    if (result < 0) return false;
    avcodec_flush_buffers(codec_.get());
    return true;
  }

  // Decodes from the first key picture on and keeps the first picture at or
  // after the target. A seek may land past the key picture the target needs:
  // when the first key picture leaves room for a picture between the target
  // and itself, or none comes before the end, the decode starts again from
  // further back, and then from the start of the file.
  // A bare stream's pictures carry no times, and the demuxer's guesses give
  // every picture after a reordered one the time of the next. Decoded from
  // the start, a picture is shown after those before it in the order shown,
  // each for one frame time of the sequence header's rate and the fields it
  // repeats.
  bool DecodeStill(DibImage& still) {
    const AVStream& video = *format_->streams[stream_];
    const AVRational rate = video.avg_frame_rate.num > 0 ? video.avg_frame_rate : video.r_frame_rate;
    const int64_t frameTime = rate.num > 0 && rate.den > 0 ? av_rescale_q(1, av_inv_q(rate), video.time_base) : 0;
    const int64_t origin = av_rescale_q(start_, AV_TIME_BASE_Q, video.time_base);
    int64_t halfFramesShown = 0;
    // Further back in time while that is after the start; then the first byte
    // of the file, since a seek by time may land past the first key picture
    // too. A bare stream's decode started at the first byte.
    const int64_t back = targetPosition_ - kSeekPreroll - kSeekBackStep;
    int retries = bare_ ? kRetries : back > start_ ? 0 : 1;
    bool sawKey = false, draining = false;
    // The last picture of a stream may come without a time: it follows the one before.
    int64_t lastPts = AV_NOPTS_VALUE;
    auto retry = [&] {
      if (retries == kRetries) return false;
      const bool toStart = retries++ == 1;
      sawKey = draining = false;
      lastPts = AV_NOPTS_VALUE;
      const int result = toStart ? avformat_seek_file(format_.get(), -1, 0, 0, 0, AVSEEK_FLAG_BYTE)
                                 : avformat_seek_file(format_.get(), -1, INT64_MIN, back, back, 0);
      if (result < 0) return false;
      avcodec_flush_buffers(codec_.get());
      return true;
    };
    while (!deadline_.Passed()) {
      int result = avcodec_receive_frame(codec_.get(), frame_.get());
      if (result == 0) {
        const AVFrame& f = *frame_;
        int64_t pts = f.best_effort_timestamp;
        const AVRational coded = codec_->framerate;
        if (bare_ && coded.num > 0 && coded.den > 0) {
          const AVRational halfFrame = av_mul_q(av_inv_q(coded), AVRational{1, 2});
          pts = origin + av_rescale_q(halfFramesShown, halfFrame, video.time_base);
          halfFramesShown += 2 + std::max(0, f.repeat_pict);
        } else if (pts == AV_NOPTS_VALUE && lastPts != AV_NOPTS_VALUE && frameTime > 0) {
          pts = lastPts + frameTime;
        }
        lastPts = pts;
        const bool key = f.key_frame || f.pict_type == AV_PICTURE_TYPE_I;
        const bool early = pts != AV_NOPTS_VALUE && pts < target_;
        // A picture one frame time before this one would still be at or after the target.
        const bool roomBefore = pts != AV_NOPTS_VALUE && pts - frameTime >= target_;
        bool stored = false;
        if (!sawKey && key && roomBefore && retries < kRetries) {
          av_frame_unref(frame_.get());
          if (!retry()) return false;
          continue;
        }
        sawKey = sawKey || key;
        if (sawKey && !early) stored = Store(f, still);
        av_frame_unref(frame_.get());
        if (stored) return true;
        continue;
      }
      if (result != AVERROR(EAGAIN) && !(result == AVERROR_EOF && draining)) return false;
      if (draining) {
        // Every pass has read to the end without a picture at or after the target.
        if (retries == kRetries) {
          passedEnd_ = true;
          return false;
        }
        if (!retry()) return false;
        continue;
      }
      result = av_read_frame(format_.get(), packet_.get());
      if (result < 0) {
        draining = true;
        avcodec_send_packet(codec_.get(), nullptr);
        continue;
      }
      if (packet_->stream_index == stream_) avcodec_send_packet(codec_.get(), packet_.get());
      av_packet_unref(packet_.get());
    }
    return false;
  }

  static bool Store(const AVFrame& frame, DibImage& still) {
    if (!PictureSizeAllowed(frame.width, frame.height)) return false;
    DibImage picture;
    if (!picture.Create(frame.width, frame.height, 24)) return false;
    const size_t stride = DibStride(frame.width, 24);
    std::span<uint8_t> rows(picture.PixelBits(), stride * size_t(frame.height));
    if (!FrameToBgrBottomUp(frame, rows, stride)) return false;
    still = std::move(picture);
    return true;
  }

  MpegForm form_;
  const std::string& source_;
  Deadline deadline_{kCaptureTimeLimit};  // before the demuxer, whose interrupt callback points at it
  FormatHandle format_;
  CodecHandle codec_;
  FrameHandle frame_;
  PacketHandle packet_;
  int stream_ = -1;
  int64_t start_ = 0;   // AV_TIME_BASE units
  int64_t target_ = 0;  // the video stream's time base
  int64_t targetPosition_ = 0;  // the same in AV_TIME_BASE units
  bool passedEnd_ = false;      // the last decode read to the end without finding the target
  bool bare_ = false;           // a bare video stream, decoded from its start
};

}  // namespace

int CaptureMpegStill(MpegForm form, const std::string& source, const std::string& stillPath, std::string* error) {
  std::string why;
  DibImage still;
  if (!Capture(form, source).Run(still, why)) {
    if (error) *error = why;
    return 0;
  }
  if (BmpResult written = WriteBmpFile(still, stillPath); !written) {
    if (error) *error = "cannot write the still " + stillPath + ": BMP: " + written.Reason();
    return 0;
  }
  return 1;
}

}  // namespace lumora::video
