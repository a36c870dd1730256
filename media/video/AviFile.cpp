// RIFF AVI headers and frame indexes. Chunks are "id, 32-bit size, data,
// pad byte to an even size"; lists are chunks whose data starts with a
// four-character list type. Every size is clamped to the chunk that holds it.
#include "media/video/AviFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "io/ByteReader.h"

namespace lumora::video {

namespace {

constexpr uint32_t kRiff = FourCc("RIFF");
constexpr uint32_t kList = FourCc("LIST");
constexpr uint32_t kAvi = FourCc("AVI ");
constexpr uint32_t kHdrl = FourCc("hdrl");
constexpr uint32_t kAvih = FourCc("avih");
constexpr uint32_t kStrl = FourCc("strl");
constexpr uint32_t kStrh = FourCc("strh");
constexpr uint32_t kStrf = FourCc("strf");
constexpr uint32_t kIndx = FourCc("indx");
constexpr uint32_t kMovi = FourCc("movi");
constexpr uint32_t kRec = FourCc("rec ");
constexpr uint32_t kIdx1 = FourCc("idx1");
constexpr uint32_t kVids = FourCc("vids");

constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kAvihBytes = 56;
constexpr uint32_t kStrhMinBytes = 48;  // up to dwSampleSize; rcFrame may be missing
constexpr uint32_t kIdx1EntryBytes = 16;
constexpr uint32_t kIndexHeaderBytes = 24;  // wLongsPerEntry .. dwReserved / qwBaseOffset
constexpr uint32_t kIndexChunkPrefix = 'i' | 'x' << 8;  // "ix##"
constexpr uint8_t kIndexOfIndexes = 0;
constexpr uint8_t kIndexOfChunks = 1;
// Chunk headers walked in movi when there is no usable index.
constexpr size_t kMaxMoviChunks = size_t(4) << 20;
// Nesting of "rec " lists inside movi.
constexpr int kMaxListDepth = 4;

struct Chunk {
  uint32_t id = 0;
  uint64_t dataOffset = 0;
  uint32_t size = 0;  // clamped to the enclosing range
  uint32_t declared = 0;  // as the header says
  uint64_t next = 0;  // offset of the following chunk (padded)
};

// The chunk header at `offset` inside [.., end); nothing when no header fits.
std::optional<Chunk> ChunkAt(ByteSource& source, uint64_t offset, uint64_t end) {
  if (offset > end || end - offset < kChunkHeaderBytes) return std::nullopt;
  uint8_t head[kChunkHeaderBytes];
  if (!source.Read(offset, head)) return std::nullopt;
  ByteReader reader(head);
  Chunk chunk;
  chunk.id = reader.U32Le();
  uint32_t size = reader.U32Le();
  chunk.dataOffset = offset + kChunkHeaderBytes;
  chunk.declared = size;
  chunk.size = uint32_t(std::min<uint64_t>(size, end - chunk.dataOffset));
  chunk.next = chunk.dataOffset + uint64_t(size) + (size & 1);
  return chunk;
}

std::optional<std::vector<uint8_t>> ReadBytes(ByteSource& source, uint64_t offset, uint32_t size) {
  std::vector<uint8_t> bytes(size);
  if (!source.Read(offset, bytes)) return std::nullopt;
  return bytes;
}

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// "NNdb" (uncompressed) or "NNdc" (compressed) of stream `stream`.
bool IsVideoChunkOf(uint32_t id, uint32_t stream) {
  uint8_t c0 = uint8_t(id), c1 = uint8_t(id >> 8), c2 = uint8_t(id >> 16), c3 = uint8_t(id >> 24);
  if (!IsDigit(c0) || !IsDigit(c1) || c2 != 'd' || (c3 != 'b' && c3 != 'c')) return false;
  return uint32_t((c0 - '0') * 10 + (c1 - '0')) == stream;
}

class AviReader {
 public:
  AviReader(ByteSource& source, AviVideo& video, std::string& error)
      : source_(source), video_(video), error_(error) {}

  bool Read() {
    const uint64_t fileSize = source_.Size();
    auto riff = ChunkAt(source_, 0, fileSize);
    if (!riff || riff->id != kRiff || riff->size < 4) return Fail("no RIFF header");
    uint8_t type[4];
    if (!source_.Read(riff->dataOffset, type) || ByteReader(type).U32Le() != kAvi)
      return Fail("RIFF form is not \"AVI \"");
    // A recording cut short leaves a RIFF size past the end: the file's end bounds it.
    ScanTopLevel(riff->dataOffset + 4, riff->dataOffset + riff->size);
    if (!error_.empty()) return false;
    if (!sawMain_) return Fail("no avih main header");
    if (!sawVideo_) return Fail("no video stream (\"vids\") among " + std::to_string(streams_) + " streams");
    // OpenDML files continue in further RIFF AVIX parts; their frames are reached through the indx.
    if (!superIndex_.empty() && ReadSuperIndex()) return true;
    video_.frames.clear();
    if (idx1_ && ReadIdx1()) return true;
    video_.frames.clear();
    WalkMovi(moviStart_, moviEnd_, 0);
    return true;
  }

 private:
  bool Fail(std::string why) {
    error_ = std::move(why);
    return false;
  }

  void ScanTopLevel(uint64_t offset, uint64_t end) {
    while (auto chunk = ChunkAt(source_, offset, end)) {
      if (chunk->id == kList && chunk->size >= 4) {
        uint8_t type[4];
        if (!source_.Read(chunk->dataOffset, type)) return;
        const uint32_t listType = ByteReader(type).U32Le();
        if (listType == kHdrl && !sawHdrl_) {
          sawHdrl_ = true;
          if (!ReadHeaderList(*chunk)) return;
        } else if (listType == kMovi && !sawMovi_) {
          sawMovi_ = true;
          moviStart_ = chunk->dataOffset + 4;
          moviEnd_ = chunk->dataOffset + chunk->size;
          moviListOffset_ = chunk->dataOffset;
        }
      } else if (chunk->id == kIdx1 && !idx1_) {
        idx1_ = *chunk;
      }
      offset = chunk->next;
    }
  }

  bool ReadHeaderList(const Chunk& hdrl) {
    if (hdrl.size > kMaxAviHeaderBytes)
      return Fail("hdrl list of " + std::to_string(hdrl.size) + " bytes exceeds " +
                  std::to_string(kMaxAviHeaderBytes));
    auto bytes = ReadBytes(source_, hdrl.dataOffset, hdrl.size);
    if (!bytes) return Fail("hdrl list unreadable");
    MemoryByteSource list(*bytes);
    uint64_t offset = 4;
    while (auto chunk = ChunkAt(list, offset, bytes->size())) {
      std::span<const uint8_t> data(bytes->data() + chunk->dataOffset, chunk->size);
      if (chunk->id == kAvih && !sawMain_) {
        if (!ReadMainHeader(data)) return false;
      } else if (chunk->id == kList && chunk->size >= 4 && ByteReader(data).U32Le() == kStrl) {
        if (streams_ == kMaxAviStreams)
          return Fail("more than " + std::to_string(kMaxAviStreams) + " stream header lists");
        if (!ReadStreamList(data.subspan(4), hdrl.dataOffset)) return false;
        ++streams_;
      }
      offset = chunk->next;
    }
    return true;
  }

  bool ReadMainHeader(std::span<const uint8_t> data) {
    if (data.size() < kAvihBytes)
      return Fail("avih of " + std::to_string(data.size()) + " bytes, expected " + std::to_string(kAvihBytes));
    ByteReader r(data);
    AviMainHeader& m = video_.main;
    m.microSecPerFrame = r.U32Le();
    r.Skip(12);  // max bytes per second, padding granularity, flags
    m.totalFrames = r.U32Le();
    r.Skip(4);  // initial frames
    m.streams = r.U32Le();
    r.Skip(4);  // suggested buffer size
    m.width = r.U32Le();
    m.height = r.U32Le();
    sawMain_ = true;
    return true;
  }

  // One strl list (its data after the list type); only the first video stream is kept.
  bool ReadStreamList(std::span<const uint8_t> list, uint64_t hdrlOffset) {
    if (sawVideo_) return true;
    MemoryByteSource source(list);
    std::optional<AviStreamHeader> header;
    std::span<const uint8_t> format, index;
    uint64_t offset = 0;
    while (auto chunk = ChunkAt(source, offset, list.size())) {
      std::span<const uint8_t> data = list.subspan(size_t(chunk->dataOffset), chunk->size);
      if (chunk->id == kStrh && !header) {
        if (data.size() < kStrhMinBytes)
          return Fail("stream " + std::to_string(streams_) + ": strh of " + std::to_string(data.size()) +
                      " bytes, expected at least " + std::to_string(kStrhMinBytes));
        ByteReader r(data);
        AviStreamHeader h;
        h.type = r.U32Le();
        h.handler = r.U32Le();
        r.Skip(12);  // flags, priority, language, initial frames
        h.scale = r.U32Le();
        h.rate = r.U32Le();
        h.start = r.U32Le();
        h.length = r.U32Le();
        header = h;
      } else if (chunk->id == kStrf && format.empty()) {
        format = data;
      } else if (chunk->id == kIndx && index.empty()) {
        index = data;
      }
      offset = chunk->next;
    }
    if (!header || header->type != kVids) return true;
    if (format.size() < kBitmapInfoHeaderBytes)
      return Fail("video stream " + std::to_string(streams_) + ": strf of " + std::to_string(format.size()) +
                  " bytes, expected at least " + std::to_string(kBitmapInfoHeaderBytes));
    ByteReader r(format);
    BitmapInfoHeader& f = video_.format;
    f.size = r.U32Le();
    f.width = r.I32Le();
    f.height = r.I32Le();
    f.planes = r.U16Le();
    f.bitCount = r.U16Le();
    f.compression = r.U32Le();
    f.sizeImage = r.U32Le();
    f.xPelsPerMeter = r.I32Le();
    f.yPelsPerMeter = r.I32Le();
    f.clrUsed = r.U32Le();
    f.clrImportant = r.U32Le();
    video_.formatExtra.assign(format.begin() + kBitmapInfoHeaderBytes, format.end());
    video_.header = *header;
    video_.streamNumber = streams_;
    superIndex_.assign(index.begin(), index.end());
    sawVideo_ = true;
    return true;
  }

  // Adds a frame when its chunk lies inside the file; false once the stream is full.
  bool AddFrame(uint64_t offset, uint32_t size) {
    if (video_.frames.size() == kMaxAviFrames) return false;
    const uint64_t fileSize = source_.Size();
    if (offset > fileSize || fileSize - offset < size) return true;
    video_.frames.push_back({offset, size});
    return true;
  }

  // The OpenDML index: an index of indexes (or, rarely, of chunks) in the strl.
  bool ReadSuperIndex() {
    ByteReader r(superIndex_);
    const uint16_t longsPerEntry = r.U16Le();
    r.U8();  // sub-type
    const uint8_t type = r.U8();
    const uint32_t entries = r.U32Le();
    r.U32Le();  // chunk id
    if (r.truncated()) return false;
    if (type == kIndexOfChunks) {
      r.Seek(0);
      ReadChunkIndex(r);
      return !video_.frames.empty();
    }
    if (type != kIndexOfIndexes || longsPerEntry != 4) return false;
    r.Seek(kIndexHeaderBytes);
    for (uint32_t i = 0; i < entries; ++i) {
      const uint64_t offset = uint64_t(r.U32Le()) | uint64_t(r.U32Le()) << 32;
      const uint32_t size = r.U32Le();
      r.U32Le();  // duration
      if (r.truncated()) break;
      auto chunk = ChunkAt(source_, offset, source_.Size());
      // dwSize counts the ix## chunk with its header; the header's own size is what is read.
      if (!chunk || (chunk->id & 0xFFFF) != kIndexChunkPrefix || size < kChunkHeaderBytes ||
          chunk->size > kMaxAviIndexBytes)
        continue;
      auto bytes = ReadBytes(source_, chunk->dataOffset, chunk->size);
      if (!bytes) continue;
      ByteReader sub(*bytes);
      if (!ReadChunkIndex(sub)) break;
    }
    return !video_.frames.empty();
  }

  // A standard index (ix## chunk or indx of chunks): base offset plus
  // {offset, size} pairs; bit 31 of the size marks a frame that is not a key frame.
  bool ReadChunkIndex(ByteReader& r) {
    const uint16_t longsPerEntry = r.U16Le();
    r.U8();
    const uint8_t type = r.U8();
    const uint32_t entries = r.U32Le();
    r.U32Le();  // chunk id
    const uint64_t base = uint64_t(r.U32Le()) | uint64_t(r.U32Le()) << 32;
    r.U32Le();  // reserved
    if (r.truncated() || type != kIndexOfChunks || longsPerEntry != 2) return true;
    for (uint32_t i = 0; i < entries; ++i) {
      const uint32_t offset = r.U32Le();
      const uint32_t size = r.U32Le() & 0x7FFFFFFFu;
      if (r.truncated()) return true;
      // dwOffset points at the chunk's data, past its 8-byte header.
      if (!AddFrame(base + offset, size)) return false;
    }
    return true;
  }

  // idx1: {id, flags, offset, size} for every chunk of every stream. Offsets
  // count from the movi list's type field, or (some writers) from the file's start.
  bool ReadIdx1() {
    if (idx1_->size > kMaxAviIndexBytes) return false;
    auto bytes = ReadBytes(source_, idx1_->dataOffset, idx1_->size);
    if (!bytes) return false;
    const size_t count = bytes->size() / kIdx1EntryBytes;
    std::optional<uint64_t> base;
    ByteReader r(*bytes);
    for (size_t i = 0; i < count; ++i) {
      const uint32_t id = r.U32Le();
      r.U32Le();  // flags
      const uint32_t offset = r.U32Le();
      const uint32_t size = r.U32Le();
      if (!IsVideoChunkOf(id, video_.streamNumber)) continue;
      if (!base) base = Idx1Base(id, offset);
      if (!base) return false;
      if (!AddFrame(*base + offset + kChunkHeaderBytes, size)) break;
    }
    return !video_.frames.empty();
  }

  // The base that makes the first entry land on a chunk with its id.
  std::optional<uint64_t> Idx1Base(uint32_t id, uint32_t offset) {
    for (uint64_t base : {moviListOffset_, uint64_t(0)}) {
      auto chunk = ChunkAt(source_, base + offset, source_.Size());
      if (chunk && chunk->id == id) return base;
    }
    return std::nullopt;
  }

  void WalkMovi(uint64_t offset, uint64_t end, int depth) {
    while (auto chunk = ChunkAt(source_, offset, end)) {
      if (++walked_ > kMaxMoviChunks) return;
      if (chunk->id == kList && chunk->size >= 4 && depth < kMaxListDepth) {
        uint8_t type[4];
        if (source_.Read(chunk->dataOffset, type) && ByteReader(type).U32Le() == kRec)
          WalkMovi(chunk->dataOffset + 4, chunk->dataOffset + chunk->size, depth + 1);
      } else if (IsVideoChunkOf(chunk->id, video_.streamNumber)) {
        // A chunk cut off by the end of the file is no frame.
        if (chunk->declared != chunk->size) return;
        if (!AddFrame(chunk->dataOffset, chunk->size)) return;
      }
      offset = chunk->next;
    }
  }

  ByteSource& source_;
  AviVideo& video_;
  std::string& error_;
  bool sawHdrl_ = false, sawMain_ = false, sawVideo_ = false, sawMovi_ = false;
  uint32_t streams_ = 0;
  uint64_t moviStart_ = 0, moviEnd_ = 0, moviListOffset_ = 0;
  std::optional<Chunk> idx1_;
  std::vector<uint8_t> superIndex_;
  size_t walked_ = 0;
};

}  // namespace

bool MemoryByteSource::Read(uint64_t offset, std::span<uint8_t> out) {
  if (offset > bytes_.size() || bytes_.size() - offset < out.size()) return false;
  std::copy_n(bytes_.begin() + ptrdiff_t(offset), out.size(), out.begin());
  return true;
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path) {
  UniqueFd file = OpenFd(path, O_RDONLY);
  if (!file) return nullptr;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  return std::unique_ptr<FileByteSource>(new FileByteSource(std::move(file), uint64_t(info.st_size)));
}

bool FileByteSource::Read(uint64_t offset, std::span<uint8_t> out) {
  if (offset > size_ || size_ - offset < out.size()) return false;
  return ReadFullyAt(file_.get(), offset, out) == ssize_t(out.size());
}

std::string FourCcText(uint32_t code) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const char c = char(code >> (8 * i));
    text += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return text;
}

std::span<const uint8_t> ColourTable(const AviVideo& video) {
  const std::span<const uint8_t> extra(video.formatExtra);
  const size_t headerRest = std::max(video.format.size, kBitmapInfoHeaderBytes) - kBitmapInfoHeaderBytes;
  return extra.subspan(std::min<size_t>(headerRest, extra.size()));
}

bool ReadAviVideo(ByteSource& source, AviVideo& video, std::string& error) {
  video = AviVideo{};
  error.clear();
  return AviReader(source, video, error).Read();
}

bool ReadAviChunk(ByteSource& source, const AviChunk& chunk, std::vector<uint8_t>& bytes) {
  if (chunk.size > kMaxAviFrameBytes) return false;
  bytes.resize(chunk.size);
  return source.Read(chunk.offset, bytes);
}

}  // namespace lumora::video
