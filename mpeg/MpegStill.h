// The routines the rest of the program calls: the first picture of an MPEG
// file as a 24-bit picture (MpegStillBitmap, in the item-list variant with
// its picture-count test and the information variant without), and the
// picture of a recording chosen by the kind code in its 16-byte trailer
// (RecordingBitmap). Both give a DibImage, the program's in-memory picture,
// where a screen-compatible bitmap would be of no use off Windows.
//
// Results are 1 or a negative code of MpegErrors.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "picture/DibImage.h"

namespace lumora::mpeg {

enum class StillVariant {
  ItemList,     // thumbnails of recordings: refuses streams whose last - first picture number is not positive
  Information,  // the information dialog: no picture-count test
};

// Recording trailer: the kind code sits in the 16 bytes at the end of the file.
inline constexpr int kTrailerBytes = 16;
enum RecordingKind : uint32_t {
  kRecordingVideo = 1,
  kRecordingAudioOnly = 2,  // no video: the built-in picture stands in
  kRecordingVideoAlt = 3,
};
// The built-in picture of recordings without video.
inline constexpr int kNoVideoPictureResource = 436;

// Opens `path`, applies the variant's picture-count test, decodes the first
// picture and fetches it in `format` into `bytes`. A stream without a
// decodable first picture fails with DecodePicture's code; the count test
// fails with -6.
int DecodeFirstPicture(const std::string& path, StillVariant variant, int format, std::vector<uint8_t>& bytes,
                       int& width, int& height);

// The first picture of `path` as a 24-bit picture (horizontal_size by
// vertical_size). `picture` is only replaced on success.
int MpegStillBitmap(const std::string& path, StillVariant variant, DibImage& picture);

// Loads the built-in picture of recordings without video (JPEG resource 436)
// into a picture; true on success. Supplied by the caller so the decoder
// needs neither the resources nor the JPEG codec.
using NoVideoPictureLoader = std::function<bool(DibImage&)>;

// Kind 1 or 3: MpegStillBitmap of the file, information variant. Kind 2: the
// picture `loadNoVideoPicture` gives (-2 when it gives none). Any other kind:
// -6. A file that cannot be opened or is shorter than its trailer: -4.
int RecordingBitmap(const std::string& path, DibImage& picture, const NoVideoPictureLoader& loadNoVideoPicture);

}  // namespace lumora::mpeg
