// Compressed AVI frames through FFmpeg: the codec is found from the
// four-character code the way FFmpeg's own AVI reader finds it, the strf
// bytes after the 40-byte header are the codec's extra data, and paletted
// streams get their colour table as packet side data.
#include "media/video/AviDecompressor.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "picture/DibImage.h"

namespace lumora::video {

namespace {

constexpr int kPaletteEntries = 256;

AVCodecID CodecFor(uint32_t code) {
  const AVCodecTag* const tables[] = {avformat_get_riff_video_tags(), nullptr};
  return av_codec_get_id(tables, code);
}

}  // namespace

std::unique_ptr<AviDecompressor> AviDecompressor::Open(const AviVideo& video, std::string& error) {
  AVCodecID id = CodecFor(video.format.compression);
  if (id == AV_CODEC_ID_NONE) id = CodecFor(video.header.handler);
  if (id == AV_CODEC_ID_NONE) {
    error = "no decompressor for compression \"" + FourCcText(video.format.compression) + "\" (handler \"" +
            FourCcText(video.header.handler) + "\")";
    return nullptr;
  }
  std::unique_ptr<AVCodecParameters, void (*)(AVCodecParameters*)> parameters(
      avcodec_parameters_alloc(), [](AVCodecParameters* p) { avcodec_parameters_free(&p); });
  if (!parameters) {
    error = "out of memory for the decoder parameters";
    return nullptr;
  }
  parameters->codec_type = AVMEDIA_TYPE_VIDEO;
  parameters->codec_id = id;
  parameters->codec_tag = video.format.compression;
  parameters->width = video.format.width;
  // Rows stored top first have a negative height; INT32_MIN has no positive twin.
  parameters->height = video.format.height == INT32_MIN ? 0 : std::abs(video.format.height);
  parameters->bits_per_coded_sample = video.format.bitCount;
  if (!video.formatExtra.empty()) {
    const size_t size = video.formatExtra.size();
    parameters->extradata = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!parameters->extradata) {
      error = "out of memory for the codec data";
      return nullptr;
    }
    std::memcpy(parameters->extradata, video.formatExtra.data(), size);
    parameters->extradata_size = int(size);
  }
  CodecHandle codec = OpenDecoder(*parameters, error);
  if (!codec) return nullptr;
  FrameHandle frame(av_frame_alloc());
  PacketHandle packet(av_packet_alloc());
  if (!frame || !packet) {
    error = "out of memory for the decoder's frame";
    return nullptr;
  }
  std::unique_ptr<AviDecompressor> decompressor(
      new AviDecompressor(std::move(codec), std::move(frame), std::move(packet)));
  // Paletted codecs (RLE8, ...) carry their colour table in the format: opaque blue-green-red entries.
  const std::span<const uint8_t> table = ColourTable(video);
  if (video.format.bitCount <= 8 && table.size() >= 4) {
    decompressor->palette_.assign(size_t(kPaletteEntries) * 4, 0);
    const size_t entries = std::min<size_t>(table.size() / 4, kPaletteEntries);
    for (size_t i = 0; i < entries; ++i) {
      const uint32_t argb = 0xFF000000u | uint32_t(table[4 * i]) | uint32_t(table[4 * i + 1]) << 8 |
                            uint32_t(table[4 * i + 2]) << 16;
      std::memcpy(&decompressor->palette_[4 * i], &argb, 4);
    }
  }
  return decompressor;
}

std::optional<AviFrame> AviDecompressor::Decompress(std::span<const uint8_t> chunk) {
  // An empty packet would end the stream; a dropped (empty) frame has nothing to decode.
  if (chunk.empty()) return std::nullopt;
  av_packet_unref(packet_.get());
  if (av_new_packet(packet_.get(), int(chunk.size())) < 0) return std::nullopt;
  std::memcpy(packet_->data, chunk.data(), chunk.size());
  if (!palette_.empty()) {
    uint8_t* side = av_packet_new_side_data(packet_.get(), AV_PKT_DATA_PALETTE, palette_.size());
    if (side) std::memcpy(side, palette_.data(), palette_.size());
    palette_.clear();
  }
  // A chunk the decoder refuses gives no frame; the caller goes on to the next.
  if (avcodec_send_packet(codec_.get(), packet_.get()) < 0) return std::nullopt;
  return Receive();
}

std::optional<AviFrame> AviDecompressor::Drain() {
  if (avcodec_send_packet(codec_.get(), nullptr) < 0) return std::nullopt;
  return Receive();
}

std::optional<AviFrame> AviDecompressor::Receive() {
  while (true) {
    const int result = avcodec_receive_frame(codec_.get(), frame_.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return std::nullopt;
    if (result < 0) return std::nullopt;
    const AVFrame& f = *frame_;
    if (!PictureSizeAllowed(f.width, f.height)) {
      av_frame_unref(frame_.get());
      continue;
    }
    const size_t stride = DibStride(f.width, 24);
    AviFrame out;
    out.header.width = f.width;
    out.header.height = f.height;
    out.header.bitCount = 24;
    out.header.compression = kCompressionRgb;
    out.header.sizeImage = uint32_t(stride * size_t(f.height));
    out.bits.resize(out.header.sizeImage);
    const bool converted = FrameToBgrBottomUp(f, out.bits, stride);
    av_frame_unref(frame_.get());
    if (converted) return out;
  }
}

}  // namespace lumora::video
