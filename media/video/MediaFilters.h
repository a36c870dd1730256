// The two parts of FFmpeg the video previews depend on, checked once at start:
// the MPEG-2 video decoder (previews of MPEG files and recordings) and the
// MPEG program stream demuxer (the still capture reads program streams).
#pragma once

namespace lumora::video {

// True when libavcodec carries an MPEG-2 video decoder.
bool HasMpeg2VideoDecoder();

// True when libavformat can open MPEG program streams.
bool HasMpegProgramStreamDemuxer();

}  // namespace lumora::video
