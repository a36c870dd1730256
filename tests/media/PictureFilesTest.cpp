// Load and save by name: the codec comes from the first of ".BMP", ".TIF",
// ".GIF", ".JPG" found in the upper-cased name, and nothing else.
#include "media/codecs/PictureFiles.h"

#include <set>

#include <gtest/gtest.h>

#include "media/codecs/Bmp.h"
#include "media/codecs/Gif.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"
#include "picture/DibImage.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

struct NameCase {
  const char* name;
  PictureFormat format;
};

class FormatForNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(FormatForNameTest, PicksTheCodec) { EXPECT_EQ(FormatForName(GetParam().name), GetParam().format); }

INSTANTIATE_TEST_SUITE_P(
    Names, FormatForNameTest,
    testing::Values(NameCase{"photo.bmp", PictureFormat::Bmp}, NameCase{"PHOTO.JPG", PictureFormat::Jpeg},
                    NameCase{"photo.bmp.jpg", PictureFormat::Bmp},  // ".BMP" is searched first
                    NameCase{"scan.tiff", PictureFormat::Tiff}, NameCase{"anim.Gif", PictureFormat::Gif},
                    NameCase{"x.jpeg", PictureFormat::None}, NameCase{"clip.mpg", PictureFormat::None},
                    NameCase{"/albums/old.gif.d/p.jpg", PictureFormat::Gif},  // anywhere in the path
                    NameCase{"", PictureFormat::None}));

TEST(PictureFiles, AnUnknownNameTouchesNeitherPictureNorFile) {
  test::TempDir dir;
  DibImage pic;
  ASSERT_TRUE(pic.Create(4, 4, 24));
  const auto before = pic.block();
  const auto path = (dir / "x.jpeg").string();
  test::WriteText(path, "not touched");
  EXPECT_FALSE(LoadPictureFile(pic, path));
  EXPECT_EQ(pic.block(), before);
  EXPECT_FALSE(SavePictureFile(pic, path));
  EXPECT_EQ(test::ReadText(path), "not touched");
}

TEST(PictureFiles, EachFormatRoundTripsThroughItsName) {
  test::TempDir dir;
  DibImage grey;
  ASSERT_TRUE(grey.Create(16, 8, 8));
  for (int i = 0; i < 16 * 8; ++i) grey.PixelBits()[i] = uint8_t(i * 2);
  ASSERT_TRUE(grey.BuildPalette());
  for (const char* name : {"a.bmp", "a.tif", "a.gif", "a.jpg"}) {
    const auto path = (dir / name).string();
    ASSERT_TRUE(SavePictureFile(grey, path)) << name;
    DibImage back;
    ASSERT_TRUE(LoadPictureFile(back, path)) << name;
    EXPECT_EQ(back.width(), 16) << name;
    EXPECT_EQ(back.height(), 8) << name;
  }
}

// Every error value of every codec has a text of its own, so no reason on an
// error line is blank or says another error's words.
TEST(PictureFiles, EveryCodecErrorHasItsOwnText) {
  auto check = [](const char* codec, int last, auto text) {
    std::set<std::string> seen;
    for (int e = 0; e <= last; ++e) {
      const std::string t(text(e));
      EXPECT_FALSE(t.empty()) << codec << " " << e;
      EXPECT_TRUE(seen.insert(t).second) << codec << " " << e << ": " << t;
    }
  };
  check("BMP", int(BmpError::NotWritable), [](int e) { return BmpErrorText(BmpError(e)); });
  check("JPEG", int(JpegError::CantWrite), [](int e) { return JpegErrorText(JpegError(e)); });
  check("TIFF", int(TiffError::CantWrite), [](int e) { return TiffErrorText(TiffError(e)); });
  check("GIF", int(GifError::BadDepth), [](int e) { return GifErrorText(GifError(e), "x.gif"); });
}

}  // namespace
}  // namespace lumora
