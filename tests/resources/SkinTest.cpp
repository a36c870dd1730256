// Tests of the built-in skin: every bitmap the main window names is a 24-bit
// BMP of the size the layout table gives, keyed bitmaps hold the transparent
// colour only as whole pixels, the JPEG pictures decode through the program's
// own codec, and the cursor, icon and album list backgrounds are usable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/DibImage.h"
#include "media/codecs/Jpeg.h"
#include "resources/CursorFile.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "resources/SkinLayout.h"

namespace lumora {
namespace {

using skin::kKeyBlue;
using skin::kKeyClearance;
using skin::kKeyGreen;
using skin::kKeyRed;

const Resources& Builtin() {
  static const Resources resources(std::filesystem::temp_directory_path() / "lumora-no-library-here");
  return resources;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

struct Rgb {
  uint8_t r, g, b;
};

// A 24-bit uncompressed BMP read field by field, independently of the codecs.
struct Bmp {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // top row first
  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

std::optional<Bmp> ParseBmp(const std::vector<uint8_t>& b, std::string& why) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return why = "not a BMP", std::nullopt;
  if (Le32(b, 2) != b.size()) return why = "file size field " + std::to_string(Le32(b, 2)), std::nullopt;
  if (Le32(b, 14) != 40) return why = "header size " + std::to_string(Le32(b, 14)), std::nullopt;
  Bmp bmp;
  bmp.width = static_cast<int32_t>(Le32(b, 18));
  bmp.height = static_cast<int32_t>(Le32(b, 22));
  if (bmp.width <= 0 || bmp.height <= 0) return why = "not bottom-up", std::nullopt;
  if (Le16(b, 28) != 24 || Le32(b, 30) != 0) return why = "bit count " + std::to_string(Le16(b, 28)), std::nullopt;
  const size_t stride = (static_cast<size_t>(bmp.width) * 3 + 3) & ~size_t{3};
  const size_t offset = Le32(b, 10);
  if (offset + stride * bmp.height != b.size()) return why = "rows do not fill the file", std::nullopt;
  for (int y = bmp.height - 1; y >= 0; --y) {
    const uint8_t* row = b.data() + offset + stride * y;
    for (int x = 0; x < bmp.width; ++x) bmp.pixels.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  return bmp;
}

Bmp BuiltinBmp(uint32_t id) {
  const std::optional<std::vector<uint8_t>> bytes = Builtin().Bitmap(id);
  if (!bytes) {
    ADD_FAILURE() << "bitmap " << id << " missing";
    return {};
  }
  std::string why;
  std::optional<Bmp> bmp = ParseBmp(*bytes, why);
  if (!bmp) ADD_FAILURE() << "bitmap " << id << ": " << why;
  return bmp.value_or(Bmp{});
}

bool IsKey(Rgb c) { return c.r == kKeyRed && c.g == kKeyGreen && c.b == kKeyBlue; }
bool NearKey(Rgb c) {
  return std::abs(c.r - kKeyRed) <= kKeyClearance && std::abs(c.g - kKeyGreen) <= kKeyClearance &&
         std::abs(c.b - kKeyBlue) <= kKeyClearance;
}

// Pixels that a tolerant cut would take although they are not the key.
int NearKeyPixels(const Bmp& bmp) {
  int n = 0;
  for (const Rgb& c : bmp.pixels) n += NearKey(c) && !IsKey(c);
  return n;
}

void ExpectSize(const Bmp& bmp, int width, int height, uint32_t id) {
  EXPECT_EQ(bmp.width, width) << "bitmap " << id;
  EXPECT_EQ(bmp.height, height) << "bitmap " << id;
}

TEST(BuiltinSkin, ButtonBitmapsHaveTheirSetsSizeAndAShape) {
  for (const skin::ButtonSet& set : skin::kButtonSets) {
    for (uint32_t id : {set.normal, set.hover, set.active}) {
      if (id == 0) continue;
      const Bmp bmp = BuiltinBmp(id);
      ExpectSize(bmp, set.width, set.height, id);
      if (bmp.pixels.empty()) continue;
      // Rounded: the corners are cut away, the middle is the button.
      EXPECT_TRUE(IsKey(bmp.At(0, 0))) << "bitmap " << id;
      EXPECT_TRUE(IsKey(bmp.At(bmp.width - 1, bmp.height - 1))) << "bitmap " << id;
      EXPECT_FALSE(IsKey(bmp.At(bmp.width / 2, bmp.height / 2))) << "bitmap " << id;
      EXPECT_EQ(NearKeyPixels(bmp), 0) << "bitmap " << id;
    }
  }
}

TEST(BuiltinSkin, AlbumStripsAreKeyedCellsWithTheAlbumInEach) {
  for (const skin::Strip& strip : {skin::kCompactAlbums, skin::kMaxAlbums}) {
    const Bmp bmp = BuiltinBmp(strip.bitmap);
    ExpectSize(bmp, strip.cellWidth * strip.cells, strip.cellHeight, strip.bitmap);
    if (bmp.pixels.empty()) continue;
    EXPECT_EQ(NearKeyPixels(bmp), 0) << "bitmap " << strip.bitmap;
    for (int cell = 0; cell < strip.cells; ++cell) {
      const int left = cell * strip.cellWidth;
      EXPECT_TRUE(IsKey(bmp.At(left, 0))) << strip.bitmap << " cell " << cell;
      EXPECT_TRUE(IsKey(bmp.At(left + strip.cellWidth - 1, strip.cellHeight - 1))) << strip.bitmap << " cell " << cell;
      EXPECT_FALSE(IsKey(bmp.At(left + strip.cellWidth / 2, strip.cellHeight / 2)))
          << strip.bitmap << " cell " << cell;
    }
  }
}

// The item list ANDs the frame over white, draws the picture inside and masks
// black: the surround must be black, the print round the picture never.
TEST(BuiltinSkin, ThumbnailFramesMaskTheirSurroundOnly) {
  for (const skin::Frame& frame : {skin::kCompactThumbnailFrame, skin::kMaxThumbnailFrame}) {
    const Bmp bmp = BuiltinBmp(frame.bitmap);
    ExpectSize(bmp, frame.width, frame.height, frame.bitmap);
    if (bmp.pixels.empty()) continue;
    const Rgb corner = bmp.At(frame.width - 1, 0);
    EXPECT_EQ(corner.r + corner.g + corner.b, 0) << "bitmap " << frame.bitmap;
    int blackInside = 0;
    for (int y = 3; y < frame.height - 6; ++y) {
      for (int x = 3; x < frame.width - 6; ++x) {
        const Rgb c = bmp.At(x, y);
        blackInside += c.r == 0 && c.g == 0 && c.b == 0;
      }
    }
    EXPECT_EQ(blackInside, 0) << "bitmap " << frame.bitmap;
  }
}

TEST(BuiltinSkin, BackgroundPiecesAndSplashHaveTheirSizes) {
  for (const auto& pieces : {std::span<const skin::Piece>(skin::kMaxPieces), std::span<const skin::Piece>(skin::kEditorPieces)}) {
    for (const skin::Piece& piece : pieces) ExpectSize(BuiltinBmp(piece.bitmap), piece.width, piece.height, piece.bitmap);
  }
  ExpectSize(BuiltinBmp(res::kBitmapSplash), skin::kSplashWidth, skin::kSplashHeight, res::kBitmapSplash);
}

TEST(BuiltinSkin, JpegPicturesDecodeThroughTheProgramsCodec) {
  const struct {
    uint32_t id;
    int width, height;
  } pictures[] = {{res::kDataCompactBackground, skin::kCompactWidth, skin::kCompactHeight},
                  {res::kDataAudioOnlyPicture, skin::kAudioPictureWidth, skin::kAudioPictureHeight}};
  for (const auto& picture : pictures) {
    const std::optional<std::vector<uint8_t>> bytes = Builtin().Data(picture.id);
    ASSERT_TRUE(bytes) << "data " << picture.id;
    DibImage image;
    ASSERT_TRUE(ReadJpegResource(image, *bytes)) << "data " << picture.id;
    EXPECT_EQ(image.width(), picture.width) << "data " << picture.id;
    EXPECT_EQ(image.height(), picture.height) << "data " << picture.id;
    EXPECT_EQ(image.BitCount(), 24) << "data " << picture.id;
  }
}

TEST(BuiltinSkin, CursorPointsWithItsFingertipAndIconHoldsThreeSizes) {
  const std::optional<CursorImage> cursor = Builtin().Cursor(res::kCursorLinkHover);
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->hotspotX, 11);
  EXPECT_EQ(cursor->hotspotY, 1);
  EXPECT_EQ(cursor->bytes[6], 32);  // width of the first image

  const std::optional<std::vector<uint8_t>> icon = Builtin().Icon(res::kIconApplication);
  ASSERT_TRUE(icon);
  ASSERT_GE(icon->size(), 6u + 3 * 16);
  EXPECT_EQ(Le16(*icon, 2), 1);  // an icon file
  ASSERT_EQ(Le16(*icon, 4), 3);
  constexpr int kSides[] = {16, 32, 48};
  for (int i = 0; i < 3; ++i) {
    const size_t entry = 6 + 16 * i;
    EXPECT_EQ((*icon)[entry], kSides[i]) << "image " << i;
    EXPECT_LE(Le32(*icon, entry + 12) + Le32(*icon, entry + 8), icon->size()) << "image " << i;
  }
}

TEST(ProgramFolderSkin, AlbumListBackgroundsAreTiles) {
  for (std::string_view name : {skin::kCompactAlbumBase, skin::kMaxAlbumBase}) {
    const std::filesystem::path path = std::filesystem::path(LUMORA_PROGRAM_FILES) / name;
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    std::string why;
    const std::optional<Bmp> bmp = ParseBmp(bytes, why);
    ASSERT_TRUE(bmp) << path << ": " << why;
    EXPECT_EQ(bmp->width, skin::kAlbumBaseTile) << path;
    EXPECT_EQ(bmp->height, skin::kAlbumBaseTile) << path;
  }
}

}  // namespace
}  // namespace lumora
