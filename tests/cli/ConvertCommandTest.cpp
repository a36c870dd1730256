// lumora-cli convert: formats by name, and an exit code for each way it fails.
#include "cli/ConvertCommand.h"

#include <array>
#include <sstream>

#include <gtest/gtest.h>

#include "picture/DibImage.h"
#include "tests/TempDir.h"
#include "media/codecs/PictureFiles.h"

namespace lumora::cli {
namespace {

struct Result {
  int code;
  std::string err;
};

Result Convert(const std::string& in, const std::string& out) {
  std::vector<std::string> args{in, out};
  std::ostringstream o, e;
  int code = RunConvertCommand(args, {o, e});
  return {code, e.str()};
}

// Red, green and blue of a pixel of an 8- or 24-bit picture.
std::array<int, 3> Colour(DibImage& pic, int x, int row) {
  const uint8_t* p = RowTable(pic)[row];
  if (pic.BitCount() == 24) return {p[x * 3 + 2], p[x * 3 + 1], p[x * 3]};
  const PaletteEntry& e = (*pic.palette())[p[x]];
  return {e.red, e.green, e.blue};
}

TEST(ConvertCommand, ConvertsByNameAndKeepsLosslessPixels) {
  test::TempDir dir;
  DibImage grey;
  ASSERT_TRUE(grey.Create(33, 7, 8));
  for (int i = 0; i < 36 * 7; ++i) grey.PixelBits()[i] = uint8_t(i * 7);
  ASSERT_TRUE(grey.BuildPalette());
  const auto src = (dir / "src.bmp").string();
  ASSERT_TRUE(SavePictureFile(grey, src));

  for (const char* name : {"a.gif", "a.tif", "a.bmp.jpg"}) {  // the last one is a bitmap file
    const auto out = (dir / name).string();
    Result r = Convert(src, out);
    ASSERT_EQ(r.code, kExitOk) << name << ": " << r.err;
    DibImage back;
    ASSERT_TRUE(LoadPictureFile(back, out)) << name;
    for (int row = 0; row < 7; ++row)
      for (int x = 0; x < 33; ++x)
        ASSERT_EQ(Colour(back, x, row), Colour(grey, x, row)) << name << " " << x << "," << row;
  }
  EXPECT_EQ(test::ReadText(dir / "a.bmp.jpg").substr(0, 2), "BM");
}

TEST(ConvertCommand, EachFailureHasItsExitCode) {
  test::TempDir dir;
  DibImage colour;
  ASSERT_TRUE(colour.Create(4, 4, 24));
  const auto src = (dir / "c.bmp").string();
  ASSERT_TRUE(SavePictureFile(colour, src));

  EXPECT_EQ(Convert(src, (dir / "c.jpeg").string()).code, kExitBadArguments);  // ".JPG" is not in ".JPEG"
  EXPECT_EQ(Convert((dir / "c.png").string(), (dir / "d.bmp").string()).code, kExitBadArguments);
  Result gif = Convert(src, (dir / "c.gif").string());
  EXPECT_EQ(gif.code, kExitBadArguments);
  EXPECT_NE(gif.err.find("256 colours"), std::string::npos) << gif.err;
  EXPECT_EQ(Convert((dir / "missing.bmp").string(), (dir / "d.bmp").string()).code, kExitBadInput);
  test::WriteText(dir / "fake.jpg", "not a jpeg");
  EXPECT_EQ(Convert((dir / "fake.jpg").string(), (dir / "d.bmp").string()).code, kExitBadInput);
  Result cannot = Convert(src, (dir / "no-such-folder" / "d.tif").string());
  EXPECT_EQ(cannot.code, kExitCannotWrite);
  EXPECT_EQ(std::count(cannot.err.begin(), cannot.err.end(), '\n'), 1);
}

}  // namespace
}  // namespace lumora::cli
