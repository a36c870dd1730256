#include "media/video/MediaFilters.h"

#include "media/video/Ffmpeg.h"

namespace lumora::video {

bool HasMpeg2VideoDecoder() { return avcodec_find_decoder(AV_CODEC_ID_MPEG2VIDEO) != nullptr; }

// "mpeg" is libavformat's name of the MPEG-PS demuxer.
bool HasMpegProgramStreamDemuxer() { return av_find_input_format("mpeg") != nullptr; }

}  // namespace lumora::video
