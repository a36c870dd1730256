// The still picture of a video item, as the item browser and the information
// view ask for it. The extension decides (the video rows of the file kinds
// table, io/FileKinds.h, by the last extension in lower case):
//
//   ".avi"           NeedsStreamReader ? frame 0 of the stream reader
//                                      : GetAviFirstFrame
//   ".mpg", ".mpeg"  MpegSystemScanner, then CaptureMpegStill (the MPEG-2
//                    form for stream kinds 2 to 4, the MPEG-1 form otherwise)
//                    into "lumoraTemp.bmp" in a private per-user folder,
//                    then that still loaded back by name
//   ".erm"           MpegStillBitmap, item-list variant
//
// The call blocks until the picture is made (an MPEG capture waits a bounded
// time) and shows nothing; the caller decides what the user sees.
#pragma once

#include <string>

#include "picture/DibImage.h"

namespace lumora::video {

enum class PreviewStatus {
  Ok,
  // The extension is none of ".avi", ".mpg", ".mpeg", ".erm".
  NotVideo,
  // The file gave no picture (unreadable, damaged, no video, a format no
  // reader takes): the browser leaves the item out.
  NoPicture,
  // MPEG only: the still file could not be loaded back. `error` is the still
  // file's path; the caller shows "Load() failed - %s" with it.
  StillNotLoaded,
};

struct ItemPreviewResult {
  PreviewStatus status = PreviewStatus::NoPicture;
  // With Ok: the picture, bottom-up rows, 24 bits a pixel (8 bits with its
  // colour table for a paletted AVI frame; the other depths of AVI frames
  // become 24-bit).
  DibImage picture;
  // Without Ok: for StillNotLoaded the still file's path, otherwise one line
  // saying what failed and where (for logs and the command-line tool).
  std::string error;
  // For StillNotLoaded: why the still did not load, "<FORMAT>: <reason>".
  std::string stillReason;

  bool ok() const { return status == PreviewStatus::Ok; }
};

// The preview of the video item at `path`. `stillFolder` is where an MPEG
// still is written; empty means a fresh private folder (mode 0700, under
// $XDG_RUNTIME_DIR, else the temporary folder) that is removed again before
// the call returns.
ItemPreviewResult LoadItemPreview(const std::string& path, const std::string& stillFolder = {});

}  // namespace lumora::video
