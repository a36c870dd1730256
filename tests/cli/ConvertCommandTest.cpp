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

// A bitmap file header and information header, little-endian: 24 bits, no
// compression, `width` x `height` pixels and no rows after it.
std::string BmpHeader(uint32_t width, uint32_t height) {
  std::string h(54, '\0');
  auto put = [&h](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) h[at + size_t(i)] = char(v >> (8 * i) & 0xFF);
  };
  h[0] = 'B', h[1] = 'M';
  put(2, 54, 4), put(10, 54, 4), put(14, 40, 4), put(18, width, 4), put(22, height, 4), put(26, 1, 2),
      put(28, 24, 2);
  return h;
}

// The error line names the codec and says why, after the message it always had.
TEST(ConvertCommand, TheErrorLineGivesTheCodecsReason) {
  test::TempDir dir;
  DibImage colour;
  ASSERT_TRUE(colour.Create(2, 2, 24));
  const auto good = (dir / "good.bmp").string();
  ASSERT_TRUE(SavePictureFile(colour, good));
  test::WriteText(dir / "huge.bmp", BmpHeader(30000, 30000));
  test::WriteText(dir / "short.bmp", BmpHeader(2, 2));
  test::WriteText(dir / "text.jpg", "not a jpeg");
  test::WriteText(dir / "cut.jpg", std::string("\xFF\xD8", 2));
  test::WriteText(dir / "odd.gif", "GIF88a");
  test::WriteText(dir / "text.tif", "not a tiff");
  const struct {
    std::string in, out, line;
  } cases[] = {
      {(dir / "huge.bmp").string(), good, "BMP: picture too large: 30000 x 30000"},
      {(dir / "short.bmp").string(), good, "BMP: file ends before the rows it promises"},
      {(dir / "missing.bmp").string(), good, "BMP: the file can't be read"},
      {(dir / "text.jpg").string(), good, "JPEG: the JPEG library stopped on an error: Not a JPEG file"},
      {(dir / "cut.jpg").string(), good, "JPEG: the file ends or its data is corrupt before the first rows"},
      {(dir / "odd.gif").string(), good, "GIF: Error, Bad GIF Version number"},
      {(dir / "text.tif").string(), good, "TIFF: not a TIFF file libtiff can open"},
      {good, (dir / "missing" / "out.bmp").string(), "cannot write '" + (dir / "missing" / "out.bmp").string() +
                                                         "': BMP: the file can't be written"},
      {good, (dir / "missing" / "out.jpg").string(), "': JPEG: the file can't be written"},
  };
  for (const auto& c : cases) {
    Result r = Convert(c.in, c.out);
    EXPECT_NE(r.code, kExitOk) << c.in;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.line), std::string::npos) << c.in << " -> " << c.out << ": " << r.err;
  }
}

}  // namespace
}  // namespace lumora::cli
