// The preview of a video item: the reader chosen by the extension, the MPEG
// still made in a private folder and loaded back by name.
#include "media/video/ItemPreview.h"

#include <cstring>
#include <filesystem>
#include <memory>

#include "io/FileKinds.h"
#include "mpeg/MpegErrors.h"
#include "mpeg/MpegStill.h"
#include "media/video/AviFirstFrame.h"
#include "media/video/MpegStillCapture.h"
#include "media/video/MpegSystemScanner.h"
#include "media/video/VideoStreamReader.h"
#include "platform/PrivateFolder.h"
#include "media/codecs/PictureFiles.h"

namespace lumora::video {

namespace {

constexpr const char* kStillName = "lumoraTemp.bmp";
constexpr std::string_view kStillFolderPrefix = "lumora-still";

ItemPreviewResult Failed(PreviewStatus status, std::string error) {
  ItemPreviewResult result;
  result.status = status;
  result.error = std::move(error);
  return result;
}

ItemPreviewResult Succeeded(DibImage picture) {
  ItemPreviewResult result;
  result.status = PreviewStatus::Ok;
  result.picture = std::move(picture);
  return result;
}

// Frame 0 of the stream reader, its unpadded rows padded into a picture.
ItemPreviewResult StreamReaderPreview(const std::string& path) {
  VideoStreamReader reader;
  BitmapInfoHeader header;
  if (!reader.Open(path, &header, nullptr, nullptr, nullptr, nullptr))
    return Failed(PreviewStatus::NoPicture, reader.error());
  std::vector<uint8_t> frame(size_t(header.width) * 3 * size_t(header.height));
  if (!reader.ReadFrame(0, frame)) return Failed(PreviewStatus::NoPicture, reader.error());
  DibImage picture;
  if (!picture.Create(header.width, header.height, 24))
    return Failed(PreviewStatus::NoPicture, path + ": no picture of " + std::to_string(header.width) + " x " +
                                                std::to_string(header.height) + " can be made");
  const size_t packed = size_t(header.width) * 3, stride = DibStride(header.width, 24);
  for (int32_t y = 0; y < header.height; ++y)
    std::memcpy(picture.PixelBits() + size_t(y) * stride, &frame[size_t(y) * packed], packed);
  return Succeeded(std::move(picture));
}

ItemPreviewResult AviPreview(const std::string& path) {
  if (NeedsStreamReader(path)) return StreamReaderPreview(path);
  DibImage picture;
  std::string error;
  if (!GetAviFirstFrame(path, picture, &error)) return Failed(PreviewStatus::NoPicture, error);
  return Succeeded(std::move(picture));
}

ItemPreviewResult MpegPreview(const std::string& path, const std::string& stillFolder) {
  MpegSystemScanner scanner;
  scanner.Scan(path, nullptr, nullptr);
  std::unique_ptr<PrivateFolder> ownFolder;
  std::string folder = stillFolder;
  if (folder.empty()) {
    std::string error;
    ownFolder = PrivateFolder::Create(kStillFolderPrefix, &error);
    if (!ownFolder) return Failed(PreviewStatus::NoPicture, error);
    folder = ownFolder->path();
  }
  if (folder.back() != '/') folder += '/';
  const std::string still = folder + kStillName;
  // A still left by an earlier capture must not stand in for this file's.
  std::error_code ignored;
  std::filesystem::remove(still, ignored);
  const MpegForm form = UsesMpeg2Capture(scanner.result().streamKind) ? MpegForm::Mpeg2 : MpegForm::Mpeg1;
  CaptureMpegStill(form, path, still);
  DibImage picture;
  if (PictureFileResult loaded = LoadPictureFile(picture, still); !loaded) {
    ItemPreviewResult failed = Failed(PreviewStatus::StillNotLoaded, still);
    failed.stillReason = loaded.Message();
    return failed;
  }
  std::filesystem::remove(still, ignored);
  return Succeeded(std::move(picture));
}

ItemPreviewResult RecordingPreview(const std::string& path) {
  DibImage picture;
  const int result = mpeg::MpegStillBitmap(path, mpeg::StillVariant::ItemList, picture);
  if (result != mpeg::kOk)
    return Failed(PreviewStatus::NoPicture, path + ": MPEG still decoder error " + std::to_string(result) + ", " +
                                                    std::string(mpeg::CodeText(result)));
  return Succeeded(std::move(picture));
}

}  // namespace

ItemPreviewResult LoadItemPreview(const std::string& path, const std::string& stillFolder) {
  if (const FileKind* kind = FileKindOfExtension(path); kind && !kind->still) {
    switch (kind->format) {
      case FileFormat::Avi: return AviPreview(path);
      case FileFormat::Mpeg: return MpegPreview(path, stillFolder);
      case FileFormat::Recording: return RecordingPreview(path);
      default: break;
    }
  }
  return Failed(PreviewStatus::NotVideo, path + ": \"" + LowerFileExtension(path) + "\" is not a video extension");
}

}  // namespace lumora::video
