// File buffering, stream probe, program stream unwrapping and start-code units.
#include "mpeg/StreamReader.h"

#include "mpeg/MpegErrors.h"

namespace lumora::mpeg {

namespace {

constexpr uint8_t kTransportSync = 0x47;
constexpr uint8_t kSequenceHeaderCode = 0xB3;
constexpr uint8_t kPackHeaderCode = 0xBA;
constexpr uint8_t kSystemHeaderCode = 0xBB;
constexpr uint8_t kFirstVideoStream = 0xE0;
constexpr uint8_t kLastVideoStream = 0xEF;
// Stuffing bytes an MPEG-1 packet header may carry.
constexpr int kMaxPacketStuffing = 16;

}  // namespace

int ProbeStream(std::FILE* file, StreamKind& kind) {
  long saved = std::ftell(file);
  if (saved < 0 || std::fseek(file, 0, SEEK_SET) != 0) return kErrRead;
  int result = kErrStream;
  {
    FileSource probe(file, kDefaultReaderBufferBytes);
    int first = probe.Get();
    if (first == kTransportSync) {
      result = kErrUnsupported;
    } else {
      int zeros = first == 0 ? 1 : 0;
      for (int c = probe.Get(); c >= 0; c = probe.Get()) {
        if (c == 0) {
          ++zeros;
          continue;
        }
        if (c == 1 && zeros >= 2) {
          int code = probe.Get();
          if (code == kSequenceHeaderCode) {
            kind = StreamKind::Elementary;
            result = kOk;
          } else if (code == kPackHeaderCode || code == kFirstVideoStream) {
            kind = StreamKind::Program;
            result = kOk;
          }
          break;
        }
        zeros = 0;
      }
      if (probe.error()) result = kErrRead;
    }
  }
  if (std::fseek(file, saved, SEEK_SET) != 0) return kErrRead;
  return result;
}

FileSource::FileSource(std::FILE* file, size_t bufferBytes)
    : file_(file), buffer_(bufferBytes ? bufferBytes : kDefaultReaderBufferBytes) {}

int FileSource::Refill() {
  if (ended_ || error_) return -1;
  filled_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  pos_ = 0;
  if (filled_ == 0) {
    if (std::ferror(file_)) error_ = true;
    ended_ = true;
    return -1;
  }
  return buffer_[pos_++];
}

bool FileSource::Seek(uint64_t offset) {
  pos_ = filled_ = 0;
  ended_ = false;
  if (error_) return false;
  if (offset > uint64_t(LONG_MAX) || std::fseek(file_, long(offset), SEEK_SET) != 0) {
    error_ = true;
    return false;
  }
  return true;
}

VideoByteStream::VideoByteStream(std::FILE* file, StreamKind kind, size_t bufferBytes)
    : source_(file, bufferBytes), kind_(kind) {}

bool VideoByteStream::Rewind() {
  payloadLeft_ = 0;
  videoId_ = -1;
  return source_.Seek(0);
}

int VideoByteStream::NextPayloadByte() {
  while (payloadLeft_ == 0) {
    if (!NextVideoPacket()) return -1;
  }
  --payloadLeft_;
  return source_.Get();
}

namespace {

// Reads up to and including the next start-code prefix (two or more zero
// bytes and a one); false when the bytes end first.
template <typename Bytes>
bool SkipPastStartCodePrefix(Bytes& bytes) {
  int zeros = 0;
  for (int c; (c = bytes.Get()) >= 0;) {
    if (c == 1 && zeros >= 2) return true;
    zeros = c == 0 ? zeros + 1 : 0;
  }
  return false;
}

}  // namespace

bool VideoByteStream::SkipBytes(uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    if (source_.Get() < 0) return false;
  }
  return true;
}

// Moves to the payload of the next packet of the video stream, skipping packs,
// system headers, other streams and anything that is not a system start code.
bool VideoByteStream::NextVideoPacket() {
  for (;;) {
    if (!SkipPastStartCodePrefix(source_)) return false;
    int id = source_.Get();
    if (id < 0) return false;
    if (id == kPackHeaderCode) {
      int b = source_.Get();
      if (b < 0) return false;
      if ((b >> 6) == 1) {  // MPEG-2 pack: 9 more bytes, the last giving the stuffing length
        if (!SkipBytes(8)) return false;
        int last = source_.Get();
        if (last < 0 || !SkipBytes(uint32_t(last & 7))) return false;
      } else if ((b >> 4) == 2) {  // MPEG-1 pack: 7 more bytes
        if (!SkipBytes(7)) return false;
      }
      continue;
    }
    if (id < kSystemHeaderCode) continue;  // program end, or no system start code: look further
    int hi = source_.Get(), lo = source_.Get();
    if (hi < 0 || lo < 0) return false;
    uint32_t length = uint32_t(hi << 8 | lo);
    bool video = id >= kFirstVideoStream && id <= kLastVideoStream && (videoId_ < 0 || videoId_ == id);
    if (!video) {
      if (!SkipBytes(length)) return false;
      continue;
    }
    videoId_ = id;
    uint32_t used = 0;
    int b = source_.Get();
    if (b < 0) return false;
    ++used;
    if ((b >> 6) == 2) {  // MPEG-2 packet header: flags, header length, header fields
      int flags = source_.Get(), headerLength = source_.Get();
      if (flags < 0 || headerLength < 0) return false;
      used += 2;
      if (!SkipBytes(uint32_t(headerLength))) return false;
      used += uint32_t(headerLength);
    } else {  // MPEG-1: stuffing, buffer size, time stamps
      for (int n = 0; b == 0xFF && n < kMaxPacketStuffing; ++n) {
        if ((b = source_.Get()) < 0) return false;
        ++used;
      }
      if ((b >> 6) == 1) {
        if (!SkipBytes(1) || (b = source_.Get()) < 0) return false;
        used += 2;
      }
      uint32_t stamps = (b >> 4) == 2 ? 4 : (b >> 4) == 3 ? 9 : 0;
      if (!SkipBytes(stamps)) return false;
      used += stamps;
    }
    if (used > length) continue;  // a packet header longer than its packet: skip it
    payloadLeft_ = length - used;
    if (payloadLeft_ > 0) return true;
  }
}

UnitReader::UnitReader(std::FILE* file, StreamKind kind, size_t bufferBytes)
    : bytes_(file, kind, bufferBytes) {}

bool UnitReader::Rewind() {
  atCode_ = false;
  hasPutBack_ = false;
  return bytes_.Rewind();
}

void UnitReader::PutBack(StartCodeUnit&& unit) {
  putBack_ = std::move(unit);
  hasPutBack_ = true;
}

bool UnitReader::Next(StartCodeUnit& unit) {
  if (hasPutBack_) {
    hasPutBack_ = false;
    std::swap(unit, putBack_);
    return true;
  }
  if (!atCode_) {
    if (!SkipPastStartCodePrefix(bytes_)) return false;
  }
  atCode_ = false;
  int code = bytes_.Get();
  if (code < 0) return false;
  unit.code = uint8_t(code);
  unit.data.clear();
  // The unit keeps every byte before the next prefix: trailing zeros may be
  // fields of its header (stuffing zeros read as padding anyway).
  int zeros = 0;
  for (int c = bytes_.Get(); c >= 0; c = bytes_.Get()) {
    if (c == 1 && zeros >= 2) {
      atCode_ = true;
      break;
    }
    zeros = c == 0 ? zeros + 1 : 0;
    if (unit.data.size() < kMaxUnitBytes) unit.data.push_back(uint8_t(c));
  }
  if (atCode_ && unit.data.size() >= 2 && unit.data.size() < kMaxUnitBytes) unit.data.resize(unit.data.size() - 2);
  return true;
}

}  // namespace lumora::mpeg
