// Reading a layer's video bytes from a file: the buffered file source, the
// probe that tells a video elementary stream from a program stream, the
// unwrapping of a program stream's video packets (MPEG-1 and MPEG-2 packs and
// packet headers), and the splitting of the video bytes into start-code units.
//
// Contract: Get() hands out the video elementary stream byte by byte and -1
// at its end; a failed file read is kept as a sticky error (error()), after
// which the stream reads as ended. Nothing here reads outside its buffers.
#pragma once

#include <cstdint>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace lumora::mpeg {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Reader buffer used when a caller asks for none.
inline constexpr size_t kDefaultReaderBufferBytes = 2048;
// A start-code unit longer than this is cut: no picture of an allowed size
// needs a slice or header of this length.
inline constexpr size_t kMaxUnitBytes = size_t(16) << 20;

enum class StreamKind { Elementary, Program };

// The probe of the Part "opening a layer": 1 with `kind` set, -9 for a
// transport stream, -6 for any other first start code or none, -8 for a read
// error. Reads from the start of `file` with its own buffer and leaves the
// file position where it found it.
int ProbeStream(std::FILE* file, StreamKind& kind);

// Sequential bytes of a file through one buffer.
class FileSource {
 public:
  FileSource(std::FILE* file, size_t bufferBytes);

  int Get() {
    if (pos_ < filled_) return buffer_[pos_++];
    return Refill();
  }
  // Moves to an absolute file offset, dropping the buffer.
  bool Seek(uint64_t offset);
  bool error() const { return error_; }

 private:
  int Refill();

  std::FILE* file_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0;
  size_t filled_ = 0;
  bool error_ = false;
  bool ended_ = false;
};

// The video elementary stream of a file: its bytes as they are, or the
// payloads of the first video stream (0xE0-0xEF) of a program stream.
class VideoByteStream {
 public:
  VideoByteStream(std::FILE* file, StreamKind kind, size_t bufferBytes);

  int Get() {
    if (kind_ == StreamKind::Elementary) return source_.Get();
    if (payloadLeft_ > 0) {
      int c = source_.Get();
      if (c < 0) {
        payloadLeft_ = 0;
        return -1;
      }
      --payloadLeft_;
      return c;
    }
    return NextPayloadByte();
  }
  bool Rewind();
  bool error() const { return source_.error(); }

 private:
  int NextPayloadByte();
  bool NextVideoPacket();
  bool SkipBytes(uint32_t count);

  FileSource source_;
  StreamKind kind_;
  uint32_t payloadLeft_ = 0;
  int videoId_ = -1;  // the program stream's video stream, once seen
};

// One start-code unit: the byte after the prefix 0x000001 and the bytes up to
// the next prefix (trailing zero bytes dropped).
struct StartCodeUnit {
  uint8_t code = 0;
  std::vector<uint8_t> data;
};

class UnitReader {
 public:
  UnitReader(std::FILE* file, StreamKind kind, size_t bufferBytes);

  // The next unit; false at the end of the stream (or after a read error).
  bool Next(StartCodeUnit& unit);
  // Makes `unit` the one Next returns next time.
  void PutBack(StartCodeUnit&& unit);
  bool Rewind();
  bool error() const { return bytes_.error(); }

 private:
  VideoByteStream bytes_;
  bool atCode_ = false;  // the prefix of the next unit was read already
  bool hasPutBack_ = false;
  StartCodeUnit putBack_;
};

}  // namespace lumora::mpeg
