// One still picture of an MPEG file, written as a .bmp file: the picture
// shown one second into the file (half a second when that position is
// refused, e.g. in a file shorter than a second), taken as an accurate seek
// takes it: decoding from the key picture before the position, discarding
// the pictures before it, and keeping the first whose presentation time is
// at or after it. A bare video stream, whose pictures carry no times, is
// decoded from its start and its pictures are timed by counting them.
#pragma once

#include <chrono>
#include <string>

namespace lumora::video {

// The two forms of the capture: the MPEG-1 form probes the file and takes
// MPEG-1 system streams and bare video streams; the MPEG-2 form reads it as
// an MPEG-2 program stream.
enum class MpegForm { Mpeg1, Mpeg2 };

// Positions asked for, in microseconds from the start of the file.
inline constexpr int64_t kStillPosition = 1'000'000;
inline constexpr int64_t kFallbackStillPosition = 500'000;
// The whole capture, opening included, gives up after this.
inline constexpr std::chrono::milliseconds kCaptureTimeLimit{5000};

// 1 when the still of `source` was written to `stillPath`, else 0 with
// `error` (when given) saying why.
int CaptureMpegStill(MpegForm form, const std::string& source, const std::string& stillPath,
                     std::string* error = nullptr);

}  // namespace lumora::video
