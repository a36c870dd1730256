// The stream reader over FFmpeg: demuxer, video decoder and a 24-bit
// surface; the audio stream is only opened to report its decoded format.
#include "media/video/VideoStreamReader.h"

#include <algorithm>
#include <climits>

#include "picture/DibImage.h"
#include "media/video/AviFirstFrame.h"
#include "media/video/Ffmpeg.h"

namespace lumora::video {

namespace {

// Opening and reading the headers of a damaged file stops after this.
constexpr std::chrono::milliseconds kOpenTimeLimit{5000};
// Audio is reported as what the framework decodes it to: 16-bit PCM.
constexpr uint16_t kPcmFormatTag = 1;
constexpr uint16_t kPcmBits = 16;

struct RateStep {
  uint32_t upTo;  // rates up to and including this one
  uint32_t standard;
};
constexpr RateStep kQuickTimeRates[] = {{16537, 11025}, {27025, 22050}, {38050, 32000}, {46050, 44100}};
constexpr uint32_t kHighestStandardRate = 48000;

}  // namespace

struct VideoStreamReader::Handles {
  Deadline deadline{kOpenTimeLimit};  // declared first: the demuxer's interrupt callback points at it
  FormatHandle format;
  CodecHandle codec;
  FrameHandle frame;
  PacketHandle packet;
};

uint32_t RoundQuickTimeSampleRate(uint32_t rate) {
  for (const RateStep& step : kQuickTimeRates)
    if (rate <= step.upTo) return step.standard;
  return kHighestStandardRate;
}

VideoStreamReader::VideoStreamReader() = default;
VideoStreamReader::~VideoStreamReader() = default;

bool VideoStreamReader::Fail(std::string why) {
  Close();
  error_ = std::move(why);
  return false;
}

void VideoStreamReader::Close() {
  handles_.reset();
  surface_.clear();
  surfaceFilled_ = false;
  hasAudio_ = false;
  videoStream_ = -1;
  width_ = height_ = 0;
  timePerFrame_ = duration_ = 0;
  frameRate_ = 0;
}

bool VideoStreamReader::Open(const std::string& path, BitmapInfoHeader* header, WaveFormat* audio,
                             uint8_t* hasAudio, uint32_t* frameCount, int64_t* timePerFrame) {
  Close();
  error_.clear();
  path_ = path;
  quickTime_ = IsQuickTimeName(path);
  hasAudio_ = false;

  auto handles = std::make_unique<Handles>();
  handles->format = OpenInput(path, nullptr, handles->deadline, error_);
  if (!handles->format) return Fail(error_);
  AVFormatContext& format = *handles->format;
  if (!format.pb || !(format.pb->seekable & AVIO_SEEKABLE_NORMAL)) return Fail(path + ": the input can't seek");
  videoStream_ = av_find_best_stream(&format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (videoStream_ < 0) return Fail(path + ": no video stream");
  const AVStream& video = *format.streams[videoStream_];

  AVRational rate = video.avg_frame_rate.num > 0 && video.avg_frame_rate.den > 0 ? video.avg_frame_rate
                                                                                   : video.r_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) return Fail(path + ": the video has no frame rate");
  timePerFrame_ = av_rescale(kUnitsPerSecond, rate.den, rate.num);
  if (timePerFrame_ <= 0) return Fail(path + ": frame rate " + std::to_string(rate.num) + "/" +
                                      std::to_string(rate.den) + " gives no time per frame");
  frameRate_ = double(kUnitsPerSecond) / double(timePerFrame_);
  if (format.duration != AV_NOPTS_VALUE && format.duration > 0)
    duration_ = av_rescale(format.duration, kUnitsPerSecond, AV_TIME_BASE);
  else if (video.duration != AV_NOPTS_VALUE && video.duration > 0)
    duration_ = av_rescale_q(video.duration, video.time_base, AVRational{1, int(kUnitsPerSecond)});
  const int64_t frames = duration_ / timePerFrame_ - 1;

  // Without width and height there is no surface to make.
  const AVCodecParameters& parameters = *video.codecpar;
  if (parameters.width <= 0 || parameters.height <= 0)
    return Fail(path + ": the video format gives no width and height");
  if (!PictureSizeAllowed(parameters.width, parameters.height))
    return Fail(path + ": cannot decode a " + std::to_string(parameters.width) + " x " +
                std::to_string(parameters.height) + " picture, more than " + std::to_string(kMaxPicturePixels) +
                " pixels");
  const size_t rowBytes = size_t(parameters.width) * 3;
  handles->codec = OpenDecoder(parameters, error_);
  if (!handles->codec) return Fail(path + ": " + error_);
  handles->frame.reset(av_frame_alloc());
  handles->packet.reset(av_packet_alloc());
  if (!handles->frame || !handles->packet) return Fail("out of memory for the video frames");
  width_ = parameters.width;
  height_ = parameters.height;
  surface_.assign(rowBytes * size_t(height_), 0);

  WaveFormat wave;
  const int audioStream = av_find_best_stream(&format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (audioStream >= 0) {
    std::string ignored;
    const AVCodecParameters& sound = *format.streams[audioStream]->codecpar;
    if (OpenDecoder(sound, ignored) && sound.ch_layout.nb_channels > 0 && sound.sample_rate > 0) {
      hasAudio_ = true;
      wave.formatTag = kPcmFormatTag;
      wave.channels = uint16_t(std::min(sound.ch_layout.nb_channels, int(UINT16_MAX / (kPcmBits / 8))));
      wave.samplesPerSecond = uint32_t(sound.sample_rate);
      if (quickTime_) wave.samplesPerSecond = RoundQuickTimeSampleRate(wave.samplesPerSecond);
      wave.bitsPerSample = kPcmBits;
      wave.blockAlign = uint16_t(wave.channels * kPcmBits / 8);
      wave.averageBytesPerSecond = wave.samplesPerSecond * wave.blockAlign;
    }
  }
  handles_ = std::move(handles);

  if (header) {
    *header = BitmapInfoHeader{};
    header->width = width_;
    header->height = height_;
    header->planes = 1;
    header->bitCount = 24;
    header->compression = kCompressionRgb;
    header->sizeImage = uint32_t(surface_.size());
  }
  if (audio) *audio = wave;
  if (hasAudio) *hasAudio = hasAudio_ ? 1 : 0;
  if (frameCount) *frameCount = uint32_t(std::clamp<int64_t>(frames, 0, UINT32_MAX));
  if (timePerFrame) *timePerFrame = timePerFrame_;
  return true;
}

int VideoStreamReader::ReadFrame(uint32_t n, std::span<uint8_t> destination) {
  if (!handles_) return 0;
  if (destination.size() < surface_.size()) {
    error_ = "frame buffer of " + std::to_string(destination.size()) + " bytes, " +
             std::to_string(surface_.size()) + " needed";
    return 0;
  }
  AVFormatContext& format = *handles_->format;
  const AVStream& video = *format.streams[videoStream_];
  int64_t target = INT64_MIN;
  if (!quickTime_) {
    if (int64_t(n) > INT64_MAX / timePerFrame_) {
      error_ = path_ + ": frame " + std::to_string(n) + " lies beyond any time the file can hold";
      return 0;
    }
    const int64_t start = video.start_time != AV_NOPTS_VALUE ? video.start_time : 0;
    target = start + av_rescale_q(int64_t(n) * timePerFrame_, AVRational{1, int(kUnitsPerSecond)}, video.time_base);
    handles_->deadline.Restart(kFrameWaitLimit);
    if (av_seek_frame(&format, videoStream_, target, AVSEEK_FLAG_BACKWARD) < 0) {
      error_ = path_ + ": seek to frame " + std::to_string(n) + " refused";
      return 0;
    }
    avcodec_flush_buffers(handles_->codec.get());
  }
  DecodeTo(target);
  // A frame not ready in time leaves the surface as it was; a surface that
  // never held a frame has nothing to give.
  if (!surfaceFilled_) {
    error_ = path_ + ": no picture decoded for frame " + std::to_string(n);
    return 0;
  }
  std::copy(surface_.begin(), surface_.end(), destination.begin());
  return 1;
}

bool VideoStreamReader::DecodeTo(int64_t target) {
  Handles& h = *handles_;
  h.deadline.Restart(kFrameWaitLimit);
  AVCodecContext* codec = h.codec.get();
  bool draining = false;
  while (!h.deadline.Passed()) {
    int result = avcodec_receive_frame(codec, h.frame.get());
    if (result == 0) {
      const int64_t pts = h.frame->best_effort_timestamp;
      const bool reached = target == INT64_MIN || pts == AV_NOPTS_VALUE || pts >= target;
      bool stored = false;
      if (reached) stored = FrameToBgrBottomUp(*h.frame, width_, height_, surface_, size_t(width_) * 3);
      av_frame_unref(h.frame.get());
      if (stored) {
        surfaceFilled_ = true;
        return true;
      }
      continue;
    }
    if (result == AVERROR_EOF || (result != AVERROR(EAGAIN))) return false;
    if (draining) return false;
    result = av_read_frame(h.format.get(), h.packet.get());
    if (result < 0) {
      draining = true;
      avcodec_send_packet(codec, nullptr);
      continue;
    }
    if (h.packet->stream_index == videoStream_) avcodec_send_packet(codec, h.packet.get());
    av_packet_unref(h.packet.get());
  }
  return false;
}

}  // namespace lumora::video
