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
  // Opens a base layer and, when `secondPath` is not empty, the SNR or
  // spatial enhancement layer in `secondPath` with its own reader buffer.
  // Besides the codes above, -22 when the second layer is no enhancement of
  // the first: no scalable extension, another chroma format or
  // progressive_sequence, another size (SNR) or lower-layer size (spatial),
  // or an MPEG-1 base layer; -9 for a temporal layer.
  int Open(const std::string& path, const std::string& secondPath, size_t bufferBytes, size_t secondBufferBytes);
  // Last picture number of the stream (see LayerStream::CountPictures).
  int CountPictures();
  // Decodes the next picture in decoding order (both fields of a field-coded
  // frame), refined by the second layer's picture when one is open. -3 when
  // closed, at the end of the stream, or for a P or B picture whose
  // reference was never decoded; -8 when a reader failed; -22 when the
  // second layer has no picture with the base picture's temporal reference
  // (and, for SNR, structure) next, or its sequence changes to one that
  // disagrees. A spatial layer's picture is the one decoded and fetched; it
  // is decoded when it is an intra-coded progressive frame over a progressive
  // base frame, else the call gives -9.
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
  // The sequence of the pictures fetched: the spatial layer's when one is open.
  const SequenceInfo& sequence() const { return mode_ == kSpatialScalability ? second_.sequence() : layer_.sequence(); }
  int64_t firstPicture() const { return layer_.firstPicture(); }
  int64_t lastPicture() const { return layer_.lastPicture(); }
  int64_t bytesPerPicture() const { return layer_.bytesPerPicture(); }
  // True once a picture was decoded; its header (temporal reference, type).
  bool HasPicture() const { return Output().LastPicture() != nullptr; }
  const PictureHeader& LastPictureHeader() const { return Output().LastHeader(); }

 private:
  PictureView View() const;
  const PictureDecoder& Output() const { return mode_ == kSpatialScalability ? upper_ : pictures_; }
  // The base layer's next picture (both fields of a field-coded frame),
  // refined by the SNR layer when one is open.
  int DecodeBasePicture();
  // The spatial layer's picture over the base picture just decoded.
  int DecodeSpatialPicture();
  // The layers' sequences still fit together, in the mode they were opened with.
  bool SecondLayerAgrees() const;
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
  int mode_ = -1;  // the second layer's scalable mode, -1 without one
  PictureDecoder pictures_;
  PictureDecoder upper_;  // spatial layer pictures
  OutputScratch scratch_;
  int state_ = kStateClosed;
  int error_ = 0;
};

}  // namespace lumora::mpeg
