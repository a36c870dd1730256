// The first frame of an AVI file as the AVI file reader hands it out, and
// the test that sends a file to the stream reader instead.
//
// GetAviFirstFrame asks for frames 0, 1, ... of the first video stream up to
// the stream's length and takes the first one that comes back: uncompressed
// frames straight from the file, compressed ones decompressed (FFmpeg, to
// 24-bit uncompressed RGB). That frame makes a picture only when it is
// uncompressed with 8, 16, 24 or 32 bits a pixel.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "picture/DibImage.h"
#include "media/video/AviFile.h"

namespace lumora::video {

// Stream handler codes whose video only the stream reader decodes; compared
// case-sensitively.
inline constexpr std::string_view kStreamReaderHandlers[] = {"dvsd", "dvhd", "dvsl", "MP42", "PIMJ"};
// Where the first stream header's handler code lies in an AVI file of the usual layout.
inline constexpr uint32_t kFirstHandlerOffset = 112;

// True for QuickTime names: the extension begins, ignoring case, with ".mov" or ".qt".
bool IsQuickTimeName(std::string_view path);

// 1 when `path` must go to the stream reader: a QuickTime name (the file is
// not opened), or one of kStreamReaderHandlers at kFirstHandlerOffset. 0
// when no code matches or the file can't be read.
int NeedsStreamReader(const std::string& path);

// A frame as the frame reader returns it: header, colour table (4 bytes an
// entry, blue green red reserved), rows padded to 4 bytes in the header's
// row order.
struct AviFrame {
  BitmapInfoHeader header;
  std::vector<uint8_t> colours;
  std::vector<uint8_t> bits;
};

// An uncompressed frame straight from its chunk: rows padded to 4 bytes, or
// packed without padding as some writers store them. Nothing when the chunk
// holds fewer bytes than the header's rows need or the sizes are not sane.
std::optional<AviFrame> UncompressedFrame(const AviVideo& video, std::span<const uint8_t> chunk);

// The picture of a frame: 8-bit frames keep their colour table; 16-bit
// (5-5-5), 24-bit and 32-bit frames become 24-bit; rows stored top first are
// turned. False when the frame is not uncompressed 8, 16, 24 or 32-bit RGB.
bool FrameToPicture(const AviFrame& frame, DibImage& picture);

// 1 with `picture` replaced by the first frame of stream "vids" 0, or 0 with
// `error` (when given) saying why.
int GetAviFirstFrame(const std::string& path, DibImage& picture, std::string* error = nullptr);

}  // namespace lumora::video
