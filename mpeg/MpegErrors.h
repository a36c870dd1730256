// Result codes of the MPEG still-frame decoder and their texts. Operations
// return 1 for success or one of the negative codes below; the same codes are
// kept as a layer's state after its reader failed.
#pragma once

#include <string_view>

namespace lumora::mpeg {

enum Code : int {
  kOk = 1,
  kErrHeader = -2,       // a header does not parse, or a size MPEG does not allow
  kErrState = -3,        // wrong state, unknown output format, or a picture that can't be decoded
  kErrOpen = -4,         // the file cannot be opened
  kErrMemory = -5,       // out of memory
  kErrStream = -6,       // unrecognised stream start, or last picture before the first
  kErrRead = -8,         // the layer's reader failed
  kErrUnsupported = -9,  // transport stream, or a chroma format the output can't give
  kErrLayers = -22,      // the two layers disagree
};

// State word of a closed decoder or layer.
inline constexpr int kStateClosed = -127;

// One sentence for each code, for messages and logs of callers.
constexpr std::string_view CodeText(int code) {
  switch (code) {
    case kOk: return "success";
    case kErrHeader: return "a header does not parse or gives a size MPEG does not allow";
    case kErrState: return "the picture cannot be decoded or fetched in this state";
    case kErrOpen: return "the file cannot be opened";
    case kErrMemory: return "out of memory";
    case kErrStream: return "not an MPEG video or program stream, or its last picture comes before its first";
    case kErrRead: return "the stream could not be read";
    case kErrUnsupported: return "transport stream or unsupported chroma format";
    case kErrLayers: return "the two layers disagree";
    case kStateClosed: return "closed";
    default: return "unknown code";
  }
}

}  // namespace lumora::mpeg
