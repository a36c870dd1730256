// MpegStillDecoder: the decoder object with its open / decode / fetch / close
// life. It reads an MPEG-1 or MPEG-2 video stream (bare or inside a program
// stream) from a file and turns its pictures, in decoding order, into the
// output formats of PictureOutput.h. Operations return 1 or a negative code
// of MpegErrors.h; the state word is -127 while closed and 1 once open.
//
//   MpegStillDecoder d;
//   if (d.Open(path) == 1 && d.DecodePicture() == 1) {
//     std::vector<uint8_t> bmp(d.PictureBytes(kFormatBmp));
//     int w, h;
//     size_t n = d.FetchPicture(bmp, w, h, kFormatBmp);
//   }
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "mpeg/Headers.h"
#include "mpeg/LayerStream.h"
#include "mpeg/MpegErrors.h"
#include "mpeg/PictureDecoder.h"
#include "mpeg/PictureOutput.h"

namespace lumora::mpeg {

class MpegStillDecoder {
 public:
  MpegStillDecoder() = default;
  ~MpegStillDecoder() { Close(); }
  MpegStillDecoder(const MpegStillDecoder&) = delete;
  MpegStillDecoder& operator=(const MpegStillDecoder&) = delete;

  // Opens the stream in `path` with a reader buffer of `bufferBytes`. -3 when
  // not closed; the layer's codes (-4, -9, -6, -8, -2, -5) otherwise. On
  // failure the decoder is closed again.
  int Open(const std::string& path, size_t bufferBytes = kDefaultReaderBufferBytes);
  // Opens a base layer and, when `secondPath` is not empty, the SNR
  // enhancement layer in `secondPath` with its own reader buffer. Besides the
  // codes above, -22 when the second layer is no SNR enhancement of the
  // first: no scalable extension, another size, chroma format or
  // progressive_sequence, or an MPEG-1 base layer.
  int Open(const std::string& path, const std::string& secondPath, size_t bufferBytes, size_t secondBufferBytes);
  // Last picture number of the stream (see LayerStream::CountPictures).
  int CountPictures();
  // Decodes the next picture in decoding order (both fields of a field-coded
  // frame), refined by the second layer's picture when one is open. -3 when
  // closed, at the end of the stream, or for a P or B picture whose
  // reference was never decoded; -8 when a reader failed; -22 when the
  // second layer has no picture with the base picture's temporal reference
  // and structure next, or its sequence changes to one that disagrees.
  int DecodePicture();
  // Writes the last decoded picture in `format` into `dest` and returns the
  // bytes written with the size written in `width` and `height`; 0 on
  // failure with the code kept in error(): -3 for no picture, an unknown
  // format or a buffer smaller than PictureBytes(format).
  size_t FetchPicture(std::span<uint8_t> dest, int& width, int& height, int format);
  // The bytes FetchPicture needs for `format`; 0 when closed or unknown.
  size_t PictureBytes(int format) const;
  void Close();

  int state() const { return state_; }
  int error() const { return error_; }
  const SequenceInfo& sequence() const { return layer_.sequence(); }
  int64_t firstPicture() const { return layer_.firstPicture(); }
  int64_t lastPicture() const { return layer_.lastPicture(); }
  int64_t bytesPerPicture() const { return layer_.bytesPerPicture(); }
  // True once a picture was decoded; its header (temporal reference, type).
  bool HasPicture() const { return pictures_.LastPicture() != nullptr; }
  const PictureHeader& LastPictureHeader() const { return pictures_.LastHeader(); }

 private:
  PictureView View() const;
  // The enhancement picture for base picture `base`: 1, -8 or -22.
  int NextSecondPicture(const PictureHeader& base, PictureHeader& second);
  // Decodes the slices of both layers into the picture BeginPicture started.
  void DecodeSlices(const PictureHeader& second);
  int Reject(int code) {
    error_ = code;
    return code;
  }

  LayerStream layer_;
  LayerStream second_;
  bool hasSecond_ = false;
  PictureDecoder pictures_;
  OutputScratch scratch_;
  int state_ = kStateClosed;
  int error_ = 0;
};

}  // namespace lumora::mpeg
