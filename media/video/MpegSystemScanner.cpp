// The scan: a most-significant-bit-first reader over blocks of the file, the
// start-code loop, pack and system headers skipped field by field, packet
// headers of both forms with their time stamps, and the payload handlers of
// the video, audio and private streams.
#include "media/video/MpegSystemScanner.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "io/FileKinds.h"

namespace lumora::video {

namespace {

constexpr uint8_t kPackCode = 0xBA;
constexpr uint8_t kSystemHeaderCode = 0xBB;
constexpr uint8_t kEndCode = 0xB9;
constexpr uint8_t kFirstPacketCode = 0xBC;
constexpr uint8_t kProgramStreamMap = 0xBC;
constexpr uint8_t kPrivateStream1 = 0xBD;
constexpr uint8_t kPaddingStream = 0xBE;
constexpr uint8_t kPrivateStream2 = 0xBF;
constexpr uint8_t kAudioStream0 = 0xC0;
constexpr uint8_t kVideoStream0 = 0xE0;
constexpr uint32_t kSequenceHeader = 0x000001B3;
constexpr uint32_t kGroupHeader = 0x000001B8;
// 90 kHz stamps in 27 MHz clock ticks, and the length of one tick.
constexpr double kTicksPerStamp = 300;
constexpr double kSecondsPerTick = 3.7037037037037036e-8;
// MPEG-1 packet headers have at most 16 stuffing bytes.
constexpr int kMaxStuffingBytes = 16;

// Reads fields most significant bit first across blocks of the file. Past
// the end it gives zeros and sets atEnd, so the scan's loops always finish.
class BlockBitReader {
 public:
  BlockBitReader(const std::function<size_t(std::span<uint8_t>)>& fill, size_t blockBytes)
      : fill_(fill), block_(std::max<size_t>(blockBytes, 2)) {}

  uint32_t Bits(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      value <<= 1;
      if (!Available()) continue;
      value |= (block_[pos_] >> (7 - bit_)) & 1u;
      if (++bit_ == 8) {
        bit_ = 0;
        ++pos_;
      }
    }
    return value;
  }
  // The next `count` bits (at most 8) without consuming them.
  uint32_t Peek(int count) {
    if (!Lookahead(2) && size_ - pos_ == 0) return 0;
    const uint32_t pair = uint32_t(block_[pos_]) << 8 | (pos_ + 1 < size_ ? block_[pos_ + 1] : 0u);
    return (pair >> (16 - bit_ - count)) & ((1u << count) - 1);
  }
  void Align() {
    if (bit_ != 0) {
      bit_ = 0;
      ++pos_;
    }
  }
  // The next whole byte (the reader must be aligned); false at the end.
  bool Byte(uint8_t& byte) {
    if (!Available()) return false;
    byte = block_[pos_++];
    return true;
  }
  void SkipBytes(uint64_t count) {
    Align();
    while (count > 0 && Available()) {
      const uint64_t step = std::min<uint64_t>(count, size_ - pos_);
      pos_ += size_t(step);
      count -= step;
    }
  }
  bool atEnd() const { return atEnd_; }

 private:
  // True when a bit is there to read, refilling at a block's end.
  bool Available() { return pos_ < size_ || Lookahead(1); }

  // Makes at least `bytes` unread bytes present when the file has them: the
  // unread tail moves to the block's front and the next block fills the rest.
  bool Lookahead(size_t bytes) {
    if (size_ - pos_ >= bytes) return true;
    if (atEnd_) return false;
    const size_t tail = size_ - pos_;
    std::copy(block_.begin() + ptrdiff_t(pos_), block_.begin() + ptrdiff_t(size_), block_.begin());
    pos_ = 0;
    size_ = tail;
    while (size_ < bytes) {
      const size_t got = fill_(std::span<uint8_t>(block_).subspan(size_));
      if (got == 0) {
        if (size_ == 0) atEnd_ = true;
        return false;
      }
      size_ += got;
    }
    return true;
  }

  const std::function<size_t(std::span<uint8_t>)>& fill_;
  std::vector<uint8_t> block_;
  size_t size_ = 0, pos_ = 0;
  int bit_ = 0;
  bool atEnd_ = false;
};

class ScanRun {
 public:
  ScanRun(BlockBitReader& in, MpegScanResult& result) : in_(in), r_(result) {}

  void Run() {
    while (!Done()) {
      const int code = NextStartCode();
      if (code < 0 || code == kEndCode) return;
      if (code == kPackCode)
        Pack();
      else if (code == kSystemHeaderCode)
        SystemHeader();
      else if (code >= kFirstPacketCode)
        Packet(uint8_t(code));
    }
  }

 private:
  bool Done() const {
    return in_.atEnd() || (r_.videoFound && r_.audioFound) || r_.gopCount >= kMaxScannedGops;
  }

  // The byte after the next byte-aligned 0x000001; -1 at the end of the file.
  int NextStartCode() {
    in_.Align();
    uint32_t window = 0xFFFFFFFFu;
    uint8_t byte = 0;
    while (in_.Byte(byte)) {
      window = window << 8 | byte;
      if ((window & 0xFFFFFF00u) == 0x00000100u) return int(window & 0xFF);
    }
    return -1;
  }

  void Pack() {
    if (r_.streamKind == kStreamNoPack)
      r_.streamKind = in_.Peek(2) == 0b01 ? kStreamMpeg2Program : kStreamMpeg1System;
    if (r_.streamKind == kStreamMpeg2Program) {
      in_.Bits(77);  // '01', SCR with its extension and markers, mux rate, reserved
      in_.SkipBytes(in_.Bits(3));
    } else {
      in_.Bits(64);  // '0010', SCR and mux rate with their markers
    }
  }

  void SystemHeader() {
    const uint32_t length = in_.Bits(16);
    uint32_t used = 6;
    // A header too short for its fixed fields ends where its length says.
    if (length < used) {
      in_.SkipBytes(length);
      return;
    }
    in_.Bits(1);   // marker
    in_.Bits(22);  // rate bound
    in_.Bits(1);
    in_.Bits(6);   // audio bound
    in_.Bits(4);   // fixed, CSPS, audio lock, video lock
    in_.Bits(1);
    in_.Bits(5);   // video bound
    in_.Bits(8);   // packet rate restriction, reserved
    // Stream bounds, 3 bytes each, while the next bit is 1 and the header has room.
    while (!in_.atEnd() && used + 3 <= length && in_.Peek(1) == 1) {
      in_.Bits(8);   // stream id
      in_.Bits(2);   // '11'
      in_.Bits(14);  // buffer bound scale and size
      used += 3;
    }
    if (length > used) in_.SkipBytes(length - used);
  }

  double Pts() {
    in_.Bits(4);
    uint64_t stamp = uint64_t(in_.Bits(3)) << 30;
    in_.Bits(1);
    stamp |= uint64_t(in_.Bits(15)) << 15;
    in_.Bits(1);
    stamp |= in_.Bits(15);
    in_.Bits(1);
    return double(stamp) * kTicksPerStamp * kSecondsPerTick;
  }

  void KeepPts(double seconds) {
    if (r_.firstPts < 0) r_.firstPts = seconds;
    r_.lastPts = seconds;
  }

  // Bytes of packet header after the length field; the rest is payload. The
  // header ends with the packet even when its data length claims more, so
  // what follows the packet is read as the next start code.
  uint32_t Mpeg2Header(uint32_t length) {
    constexpr uint32_t kFlagBytes = 3;
    if (length < kFlagBytes) {
      in_.SkipBytes(length);
      return length;
    }
    in_.Bits(8);  // '10', scrambling, priority, alignment, copyright, original
    const uint32_t ptsDts = in_.Bits(2);
    const uint32_t escr = in_.Bits(1), esRate = in_.Bits(1), trick = in_.Bits(1), copy = in_.Bits(1),
                   crc = in_.Bits(1);
    in_.Bits(1);  // extension: its bytes are among the remaining header bytes
    const uint32_t headerData = std::min(in_.Bits(8), length - kFlagBytes);
    uint32_t used = 0;
    auto fits = [&](uint32_t bytes) { return used + bytes <= headerData; };
    if ((ptsDts == 2 || ptsDts == 3) && fits(5)) {
      KeepPts(Pts());
      used += 5;
      if (ptsDts == 3 && fits(5)) {
        in_.Bits(40);  // decoding time stamp
        used += 5;
      }
    }
    if (escr && fits(6)) in_.Bits(48), used += 6;
    if (esRate && fits(3)) in_.Bits(24), used += 3;
    if (trick && fits(1)) in_.Bits(8), used += 1;
    if (copy && fits(1)) in_.Bits(8), used += 1;
    if (crc && fits(2)) in_.Bits(16), used += 2;
    in_.SkipBytes(headerData - used);
    return kFlagBytes + headerData;
  }

  uint32_t Mpeg1Header(uint32_t length) {
    uint32_t used = 0;
    for (int i = 0; i < kMaxStuffingBytes && used < length && in_.Peek(8) == 0xFF; ++i) {
      in_.Bits(8);
      ++used;
    }
    if (used + 2 <= length && in_.Peek(2) == 0b01) {
      in_.Bits(16);  // '01', buffer scale and size
      used += 2;
    }
    const uint32_t marker = in_.Peek(4);
    if (marker == 0b0010 && used + 5 <= length) {
      KeepPts(Pts());
      used += 5;
    } else if (marker == 0b0011 && used + 10 <= length) {
      KeepPts(Pts());
      in_.Bits(40);
      used += 10;
    } else if (used < length) {
      in_.Bits(8);  // 0000 1111: no time stamps
      ++used;
    }
    return used;
  }

  static bool HasNoHeader(uint8_t id) {
    return id == kProgramStreamMap || id == kPaddingStream || id == kPrivateStream2 || id == 0xF0 || id == 0xF1 ||
           id == 0xF2 || id == 0xF8 || id == 0xFF;
  }

  void Packet(uint8_t id) {
    const uint32_t length = in_.Bits(16);
    uint32_t header = 0;
    if (!HasNoHeader(id)) header = in_.Peek(2) == 0b10 ? Mpeg2Header(length) : Mpeg1Header(length);
    uint64_t payload = length - std::min(length, header);
    if (id == kVideoStream0) {
      VideoPayload(payload);
    } else if (id == kAudioStream0) {
      AudioPayload(payload);
    } else if (r_.vobName && (id == kPrivateStream1 || id == kPrivateStream2) && payload > 0) {
      uint8_t substream = 0;
      in_.Byte(substream);
      r_.privateBytes[substream] += payload;
      in_.SkipBytes(payload - 1);
    } else {
      in_.SkipBytes(payload);
    }
  }

  // Start codes may straddle packets: the window carries over. The scan ends
  // at the group of pictures that reaches the limit.
  void VideoPayload(uint64_t payload) {
    uint8_t byte = 0;
    for (uint64_t i = 0; i < payload && in_.Byte(byte); ++i) {
      videoWindow_ = videoWindow_ << 8 | byte;
      if (videoWindow_ == kSequenceHeader) r_.videoFound = true;
      if (videoWindow_ == kGroupHeader && ++r_.gopCount == kMaxScannedGops) return;
    }
  }

  // The four-state recogniser of an audio frame header: 0xFF, a byte with
  // its high four bits set, any byte, then the fields from the last four.
  void AudioPayload(uint64_t payload) {
    uint8_t byte = 0;
    for (uint64_t i = 0; i < payload && in_.Byte(byte); ++i) {
      audioBytes_[audioState_ < 4 ? audioState_ : 3] = byte;
      switch (audioState_) {
        case 0:
          if (byte == 0xFF) audioState_ = 1;
          break;
        case 1:
          audioState_ = (byte & 0xF0) == 0xF0 ? 2 : 0;
          break;
        case 2:
          audioState_ = 3;
          break;
        case 3:
          r_.audioLayer = (audioBytes_[1] >> 1) & 3;
          r_.audioBitrateIndex = audioBytes_[2] >> 4;
          r_.audioFrequencyIndex = (audioBytes_[2] >> 2) & 3;
          r_.audioMode = audioBytes_[3] >> 6;
          r_.audioFound = true;
          audioState_ = 4;
          break;
        default:
          break;
      }
    }
  }

  BlockBitReader& in_;
  MpegScanResult& r_;
  uint32_t videoWindow_ = 0xFFFFFFFFu;
  int audioState_ = 0;
  uint8_t audioBytes_[4] = {};
};

bool NameHasVob(const std::string& path) { return AsciiLower(path).find(".vob") != std::string::npos; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool UsesMpeg2Capture(int streamKind) { return streamKind >= 2 && streamKind <= 4; }

void MpegSystemScanner::Run(const BlockFill& fill, size_t blockBytes, bool vobName) {
  result_ = MpegScanResult{};
  result_.vobName = vobName;
  uint64_t given = 0;
  const BlockFill bounded = [&](std::span<uint8_t> block) -> size_t {
    if (given >= kMaxScanBytes) return 0;
    const size_t n = fill(block.first(size_t(std::min<uint64_t>(block.size(), kMaxScanBytes - given))));
    given += n;
    return n;
  };
  BlockBitReader reader(bounded, blockBytes);
  ScanRun(reader, result_).Run();
}

void MpegSystemScanner::Scan(const std::string& path, int* videoFound, int* audioFound) {
  result_ = MpegScanResult{};
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (file) {
    Run([&](std::span<uint8_t> block) { return std::fread(block.data(), 1, block.size(), file.get()); },
        kScanBlockBytes, NameHasVob(path));
  }
  if (videoFound) *videoFound = result_.videoFound ? 1 : 0;
  if (audioFound) *audioFound = result_.audioFound ? 1 : 0;
}

void MpegSystemScanner::ScanBytes(std::span<const uint8_t> bytes, bool vobName, size_t blockBytes) {
  size_t offset = 0;
  Run(
      [&](std::span<uint8_t> block) {
        const size_t n = std::min(block.size(), bytes.size() - offset);
        std::copy_n(bytes.begin() + ptrdiff_t(offset), n, block.begin());
        offset += n;
        return n;
      },
      // A block larger than the bytes would only be allocated and zeroed.
      std::min(blockBytes, bytes.size() + 2), vobName);
}

}  // namespace lumora::video
