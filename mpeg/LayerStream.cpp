// Opening a layer, counting its pictures and walking its pictures in decoding order.
#include "mpeg/LayerStream.h"

#include <climits>
#include <new>
#include <vector>

#include "mpeg/PictureDecoder.h"

namespace lumora::mpeg {

namespace {

constexpr uint8_t kPictureCode = 0x00;
constexpr uint8_t kFirstSliceCode = 0x01;
constexpr uint8_t kLastSliceCode = 0xAF;
constexpr uint8_t kUserDataCode = 0xB2;
constexpr uint8_t kSequenceHeaderCode = 0xB3;
constexpr uint8_t kExtensionCode = 0xB5;
constexpr uint8_t kGroupCode = 0xB8;
// Bytes of a group-of-pictures header after its start code.
constexpr size_t kGroupHeaderBytes = 4;

bool IsSlice(uint8_t code) { return code >= kFirstSliceCode && code <= kLastSliceCode; }

}  // namespace

int LayerStream::Fail(int code) {
  Close();
  return code;
}

void LayerStream::Close() {
  reader_.reset();
  file_.reset();
  state_ = kStateClosed;
  hasKept_ = false;
}

// Parses the sequence header in `unit` and the extensions and user data
// after it; the first unit after them is put back.
int LayerStream::ReadSequence(StartCodeUnit& unit) {
  SequenceInfo seq;
  QuantMatrices matrices;
  int r = ParseSequenceHeader(unit.data, seq, matrices);
  if (r != kOk) return r;
  while (reader_->Next(unit)) {
    if (unit.code == kExtensionCode) {
      if ((r = ParseSequenceExtension(unit.data, seq)) != kOk) return r;
    } else if (unit.code != kUserDataCode) {
      reader_->PutBack(std::move(unit));
      break;
    }
  }
  if ((r = CheckSequence(seq)) != kOk) return r;
  // Spatial, SNR and temporal enhancement layers predict from a base layer's
  // pictures: alone they decode as nothing. As a second layer SNR and
  // spatial layers are read.
  const bool secondLayer =
      secondLayer_ && (seq.scalableMode == kSnrScalability || seq.scalableMode == kSpatialScalability);
  if (seq.hasScalableExtension && seq.scalableMode != kDataPartitioning && !secondLayer) return kErrUnsupported;
  if (!(seq == seq_)) sequenceChanged_ = true;
  seq_ = seq;
  matrices_ = matrices;
  return kOk;
}

int LayerStream::Open(const std::string& path, size_t bufferBytes, bool secondLayer) {
  if (state_ != kStateClosed) return kErrState;
  secondLayer_ = secondLayer;
  file_.reset(std::fopen(path.c_str(), "rb"));
  if (!file_) return kErrOpen;
  StreamKind kind;
  int r = ProbeStream(file_.get(), kind);
  if (r != kOk) return Fail(r);
  try {
    reader_ = std::make_unique<UnitReader>(file_.get(), kind, bufferBytes);
  } catch (const std::bad_alloc&) {
    return Fail(kErrMemory);
  }
  // Up to the sequence header, then the first group of pictures.
  bool found = false;
  while (reader_->Next(unit_)) {
    if (unit_.code == kSequenceHeaderCode) {
      found = true;
      break;
    }
  }
  if (reader_->error()) return Fail(kErrRead);
  if (!found) return Fail(kErrHeader);
  if ((r = ReadSequence(unit_)) != kOk) return Fail(r);
  found = false;
  while (reader_->Next(unit_)) {
    if (unit_.code == kGroupCode) {
      found = ParseGroupOfPictures(unit_.data, gop_) == kOk;
      break;
    }
    if (unit_.code == kPictureCode || IsSlice(unit_.code)) break;
  }
  if (reader_->error()) return Fail(kErrRead);
  if (!found) return Fail(kErrHeader);
  firstPicture_ = PictureNumber(gop_, seq_.FrameRate());
  lastPicture_ = -1;
  bytesPerPicture_ = 0;
  error_ = 0;
  sequenceChanged_ = true;
  state_ = kOk;
  return kOk;
}

int LayerStream::CountPictures() {
  if (state_ != kOk) return state_ == kStateClosed ? kErrState : state_;
  std::FILE* f = file_.get();
  long saved = std::ftell(f);
  if (saved < 0 || std::fseek(f, 0, SEEK_END) != 0) return kErrRead;
  long length = std::ftell(f);
  if (length < 0) return kErrRead;
  // Backwards through the file in windows that overlap by the header's
  // length, for the last start code 0x000001B8 followed by a valid time code.
  GroupOfPictures last = gop_;
  bool found = false;
  std::vector<uint8_t> window(kCountWindowBytes + kGroupHeaderBytes + 3);
  long end = length;
  while (!found && end > 0) {
    long start = end > long(kCountWindowBytes) ? end - long(kCountWindowBytes) : 0;
    long stop = end + long(kGroupHeaderBytes + 3) < length ? end + long(kGroupHeaderBytes + 3) : length;
    size_t want = size_t(stop - start);
    if (std::fseek(f, start, SEEK_SET) != 0 || std::fread(window.data(), 1, want, f) != want) {
      std::fseek(f, saved, SEEK_SET);
      return kErrRead;
    }
    for (size_t i = size_t(end - start); i-- > 0;) {
      if (i + 4 + kGroupHeaderBytes > want) continue;
      if (window[i] == 0 && window[i + 1] == 0 && window[i + 2] == 1 && window[i + 3] == kGroupCode &&
          ParseGroupOfPictures(std::span(window.data() + i + 4, kGroupHeaderBytes), last) == kOk) {
        found = true;
        break;
      }
    }
    end = start;
  }
  if (std::fseek(f, saved, SEEK_SET) != 0) return kErrRead;
  int64_t number = PictureNumber(last, seq_.FrameRate());
  if (number < firstPicture_) {
    lastPicture_ = -1;
    error_ = kErrStream;
    return kErrStream;
  }
  lastPicture_ = number;
  bytesPerPicture_ = int64_t(length) / (number - firstPicture_ + 1);
  return kOk;
}

void LayerStream::KeepPicture(const PictureHeader& header) {
  kept_ = header;
  hasKept_ = true;
}

int LayerStream::NextPicture(PictureHeader& header) {
  if (state_ != kOk) return state_ == kStateClosed ? kErrState : state_;
  if (hasKept_) {
    hasKept_ = false;
    header = kept_;
    return kOk;
  }
  while (reader_->Next(unit_)) {
    if (unit_.code == kSequenceHeaderCode) {
      // A damaged repeat of the sequence header leaves the sequence as it was.
      ReadSequence(unit_);
      continue;
    }
    if (unit_.code == kGroupCode) {
      ParseGroupOfPictures(unit_.data, gop_);
      continue;
    }
    if (unit_.code != kPictureCode) continue;
    PictureHeader p;
    if (ParsePictureHeader(unit_.data, seq_.mpeg2, p) != kOk) continue;
    bool coding = false, ok = true;
    while (reader_->Next(unit_)) {
      if (unit_.code == kExtensionCode) {
        if (ParsePictureExtension(unit_.data, seq_, p, matrices_) != kOk) ok = false;
        if (!unit_.data.empty() && (unit_.data[0] >> 4) == 8) coding = true;
      } else if (unit_.code != kUserDataCode) {
        reader_->PutBack(std::move(unit_));
        break;
      }
    }
    // MPEG-2 pictures need their coding extension; a picture whose headers
    // do not parse is passed over with its slices.
    if (!ok || (seq_.mpeg2 && !coding)) continue;
    header = p;
    return kOk;
  }
  if (reader_->error()) {
    state_ = kErrRead;
    return kErrRead;
  }
  return kErrState;
}

void LayerStream::DecodeSlices(PictureDecoder& decoder, bool snrLayer) {
  while (reader_->Next(unit_)) {
    if (!IsSlice(unit_.code)) {
      reader_->PutBack(std::move(unit_));
      return;
    }
    if (snrLayer) {
      decoder.DecodeSnrSlice(unit_.code, unit_.data);
    } else {
      decoder.DecodeSlice(unit_.code, unit_.data);
    }
  }
}

}  // namespace lumora::mpeg
