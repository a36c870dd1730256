// A small RIFF AVI writer for tests: one video stream with the given
// handler, format and frame chunks, indexed by idx1, by an OpenDML
// super-index whose standard index lies in a second RIFF "AVIX" part, or not
// at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::video::test {

enum class AviIndex { Idx1, OpenDml, None };

struct AviLayout {
  std::string handler = std::string(4, '\0');
  uint32_t compression = 0;  // biCompression
  int32_t width = 0, height = 0;
  uint16_t bitCount = 24;
  std::vector<uint8_t> headerTail;  // after the 40 header bytes and counted in biSize (a V4 or V5 header's rest)
  std::vector<uint8_t> colours;     // colour table after the header, 4 bytes an entry
  std::vector<std::vector<uint8_t>> frames;
  AviIndex index = AviIndex::Idx1;
  uint32_t length = 0;  // strh dwLength; 0: the number of frames
};

class ChunkWriter {
 public:
  void U16(uint16_t v) { Append(v, 2); }
  void U32(uint32_t v) { Append(v, 4); }
  void U64(uint64_t v) { Append(v, 8); }
  void Code(const std::string& four) { bytes.insert(bytes.end(), four.begin(), four.begin() + 4); }
  void Bytes(const std::vector<uint8_t>& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
  // Opens a chunk (or list, with `listType`); returns where its size goes.
  size_t Open(const std::string& id, const std::string& listType = {}) {
    Code(id);
    const size_t at = bytes.size();
    U32(0);
    if (!listType.empty()) Code(listType);
    return at;
  }
  void Close(size_t at) {
    const uint32_t size = uint32_t(bytes.size() - at - 4);
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(size >> (8 * i));
    if (size & 1) bytes.push_back(0);
  }
  std::vector<uint8_t> bytes;

 private:
  void Append(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
};

inline std::vector<uint8_t> WriteAvi(const AviLayout& s) {
  ChunkWriter w;
  const size_t riff = w.Open("RIFF", "AVI ");
  const size_t hdrl = w.Open("LIST", "hdrl");
  const size_t avih = w.Open("avih");
  w.U32(40000);  // 25 frames a second
  for (int i = 0; i < 3; ++i) w.U32(0);
  w.U32(uint32_t(s.frames.size()));
  w.U32(0);
  w.U32(1);  // streams
  w.U32(0);
  w.U32(uint32_t(s.width));
  w.U32(uint32_t(s.height < 0 ? -s.height : s.height));
  for (int i = 0; i < 4; ++i) w.U32(0);
  w.Close(avih);
  const size_t strl = w.Open("LIST", "strl");
  const size_t strh = w.Open("strh");
  w.Code("vids");
  w.Code(s.handler);
  for (int i = 0; i < 3; ++i) w.U32(0);  // flags, priority and language, initial frames
  w.U32(1);                               // scale
  w.U32(25);                              // rate
  w.U32(0);                               // start
  w.U32(s.length ? s.length : uint32_t(s.frames.size()));
  for (int i = 0; i < 3; ++i) w.U32(0);  // buffer size, quality, sample size
  for (int i = 0; i < 2; ++i) w.U32(0);  // frame rectangle
  w.Close(strh);
  const size_t strf = w.Open("strf");
  w.U32(uint32_t(40 + s.headerTail.size()));
  w.U32(uint32_t(s.width));
  w.U32(uint32_t(s.height));
  w.U16(1);
  w.U16(s.bitCount);
  w.U32(s.compression);
  for (int i = 0; i < 3; ++i) w.U32(0);
  w.U32(uint32_t(s.colours.size() / 4));
  w.U32(0);
  w.Bytes(s.headerTail);
  w.Bytes(s.colours);
  w.Close(strf);
  size_t indxEntry = 0;
  if (s.index == AviIndex::OpenDml) {
    const size_t indx = w.Open("indx");
    w.U16(4);
    w.bytes.push_back(0);
    w.bytes.push_back(0);  // index of indexes
    w.U32(1);
    w.Code("00dc");
    for (int i = 0; i < 3; ++i) w.U32(0);
    indxEntry = w.bytes.size();
    w.U64(0);  // offset of ix00, filled in below
    w.U32(0);
    w.U32(uint32_t(s.frames.size()));
    w.Close(indx);
  }
  w.Close(strl);
  w.Close(hdrl);

  const size_t movi = w.Open("LIST", "movi");
  const size_t moviType = movi + 4;
  std::vector<std::pair<uint32_t, uint32_t>> placed;  // offset from movi type, size
  for (const auto& frame : s.frames) {
    const size_t chunk = w.Open("00dc");
    placed.push_back({uint32_t(chunk - 4 - moviType), uint32_t(frame.size())});
    w.Bytes(frame);
    w.Close(chunk);
  }
  w.Close(movi);
  if (s.index == AviIndex::Idx1) {
    const size_t idx1 = w.Open("idx1");
    for (const auto& [offset, size] : placed) {
      w.Code("00dc");
      w.U32(0x10);
      w.U32(offset);
      w.U32(size);
    }
    w.Close(idx1);
  }
  w.Close(riff);
  if (s.index == AviIndex::OpenDml) {
    const size_t avix = w.Open("RIFF", "AVIX");
    const size_t ixList = w.Open("LIST", "movi");
    const uint64_t ixOffset = w.bytes.size();
    const size_t ix = w.Open("ix00");
    w.U16(2);
    w.bytes.push_back(0);
    w.bytes.push_back(1);  // index of chunks
    w.U32(uint32_t(placed.size()));
    w.Code("00dc");
    w.U64(0);  // base offset: entries hold absolute offsets of the chunk data
    w.U32(0);
    for (const auto& [offset, size] : placed) {
      w.U32(uint32_t(moviType + offset + 8));
      w.U32(size);
    }
    w.Close(ix);
    const uint32_t ixSize = uint32_t(w.bytes.size() - ixOffset);
    w.Close(ixList);
    w.Close(avix);
    for (int i = 0; i < 8; ++i) w.bytes[indxEntry + size_t(i)] = uint8_t(ixOffset >> (8 * i));
    for (int i = 0; i < 4; ++i) w.bytes[indxEntry + 8 + size_t(i)] = uint8_t(ixSize >> (8 * i));
  }
  return w.bytes;
}

}  // namespace lumora::video::test
