// lumora-skin: draws the program's skin and writes it into the resource tree.
//
//   lumora-skin <resources folder> [--preview <folder>]
//
// Writes builtin/bitmap/<id>.bmp, builtin/data/452 and 436 (JPEG),
// builtin/cursor/532.cur, builtin/icon/128.ico, program/TValbumbase.bmp and
// program/newAlbumBase.bmp under the resources folder, and SkinFiles.cmake there
// listing the built-in files. With --preview it also writes skin-sheet.png,
// compact-mock.png, max-mock.png and editor-mock.png (and mock-ups at other
// sizes) to that folder.
// Every size is checked against the layout table before anything is written.
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "resources/ResourceIds.h"
#include "resources/SkinLayout.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Preview.h"
#include "tools/skin/Skin.h"
#include "tools/skin/SkinFiles.h"

namespace fs = std::filesystem;
using namespace lumora;
using namespace lumora::skin;

namespace {

constexpr int kMockWidth = 1280;
constexpr int kMockHeight = 800;
constexpr int kSmallestWidth = 800;
constexpr int kSmallestHeight = 570;

bool CheckSize(const Skin& skin, uint32_t id, int width, int height, std::string& error) {
  const auto it = skin.bitmaps.find(id);
  if (it == skin.bitmaps.end()) {
    error = "bitmap " + std::to_string(id) + " was not drawn";
    return false;
  }
  if (it->second.width() != width || it->second.height() != height) {
    error = "bitmap " + std::to_string(id) + " is " + std::to_string(it->second.width()) + " x " +
            std::to_string(it->second.height()) + ", the table says " + std::to_string(width) + " x " +
            std::to_string(height);
    return false;
  }
  return true;
}

bool CheckSizes(const Skin& skin, std::string& error) {
  for (const ButtonSet& set : kButtonSets) {
    for (uint32_t id : {set.normal, set.hover, set.active}) {
      if (id != 0 && !CheckSize(skin, id, set.width, set.height, error)) return false;
    }
  }
  for (const auto& pieces : {std::span<const Piece>(kMaxPieces), std::span<const Piece>(kEditorPieces)}) {
    for (const Piece& piece : pieces) {
      if (!CheckSize(skin, piece.bitmap, piece.width, piece.height, error)) return false;
    }
  }
  for (const Strip& strip : {kCompactAlbums, kMaxAlbums}) {
    if (!CheckSize(skin, strip.bitmap, strip.cellWidth * strip.cells, strip.cellHeight, error)) return false;
  }
  for (const Frame& frame : {kCompactThumbnailFrame, kMaxThumbnailFrame}) {
    if (!CheckSize(skin, frame.bitmap, frame.width, frame.height, error)) return false;
  }
  return CheckSize(skin, res::kBitmapSplash, kSplashWidth, kSplashHeight, error);
}

bool WriteSkin(const Skin& skin, const fs::path& root, std::string& error) {
  std::vector<std::string> builtin;
  const auto write = [&](const std::string& relative, const std::vector<uint8_t>& bytes, bool listed) {
    if (listed) builtin.push_back(relative);
    return WriteFileBytes(root / relative, bytes, error);
  };
  for (const auto& [id, image] : skin.bitmaps) {
    if (!write("builtin/bitmap/" + std::to_string(id) + ".bmp", BmpBytes(image), true)) return false;
  }
  if (!write("builtin/data/" + std::to_string(res::kDataCompactBackground), JpegBytes(skin.compactBackground), true) ||
      !write("builtin/data/" + std::to_string(res::kDataAudioOnlyPicture), JpegBytes(skin.audioPicture), true) ||
      !write("builtin/cursor/" + std::to_string(res::kCursorLinkHover) + ".cur",
             IconFileBytes(skin.cursor, IconKind::Cursor), true) ||
      !write("builtin/icon/" + std::to_string(res::kIconApplication) + ".ico",
             IconFileBytes(skin.icon, IconKind::Icon), true) ||
      !write("program/" + std::string(kCompactAlbumBase), BmpBytes(skin.compactAlbumBase), false) ||
      !write("program/" + std::string(kMaxAlbumBase), BmpBytes(skin.maxAlbumBase), false)) {
    return false;
  }
  std::string list =
      "# The skin's files in the built-in resource tree, written by tools/skin/generate.sh\n"
      "# together with the files themselves.\n"
      "set(LUMORA_SKIN_FILES\n";
  for (const std::string& file : builtin) list += "  " + file + "\n";
  list += ")\n";
  return WriteFileBytes(root / "SkinFiles.cmake", std::vector<uint8_t>(list.begin(), list.end()), error);
}

bool WritePreview(const Skin& skin, const fs::path& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  const struct {
    const char* name;
    QImage image;
  } pictures[] = {
      {"skin-sheet.png", PreviewSheet(skin)},
      {"compact-mock.png", CompactMock(skin)},
      {"max-mock.png", MaxMock(skin, kMockWidth, kMockHeight)},
      {"max-mock-800x570.png", MaxMock(skin, kSmallestWidth, kSmallestHeight)},
      {"editor-mock.png", EditorMock(skin, kMockWidth, kMockHeight, 1)},
      {"editor-mock-800x570.png", EditorMock(skin, kSmallestWidth, kSmallestHeight, 2)},
      {"editor-mock-1024x738.png", EditorMock(skin, 1024, 738, 0)},
  };
  for (const auto& picture : pictures) {
    const fs::path path = folder / picture.name;
    if (!picture.image.save(QString::fromStdString(path.string()), "PNG")) {
      error = "cannot write " + path.string();
      return false;
    }
  }
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: lumora-skin <resources folder> [--preview <folder>]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) return Usage();
  const fs::path root = argv[1];
  fs::path preview;
  if (argc == 4) {
    if (std::string(argv[2]) != "--preview") return Usage();
    preview = argv[3];
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  QString fontError;
  if (!LoadFonts(fontError)) {
    std::fprintf(stderr, "lumora-skin: %s\n", qPrintable(fontError));
    return 1;
  }
  Skin skin;
  DrawButtons(skin);
  DrawAlbums(skin);
  DrawChrome(skin);
  DrawExtras(skin);

  std::string error;
  if (!CheckSizes(skin, error) || !WriteSkin(skin, root, error) ||
      (!preview.empty() && !WritePreview(skin, preview, error))) {
    std::fprintf(stderr, "lumora-skin: %s\n", error.c_str());
    return 1;
  }
  std::printf("lumora-skin: %zu bitmaps, 2 JPEG pictures, cursor, icon and 2 list backgrounds written to %s\n",
              skin.bitmaps.size(), root.string().c_str());
  return 0;
}
