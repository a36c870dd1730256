// lumora-cli thumbnail: the cell of each layout as the list shows it, and an
// exit code for each way it fails.
#include "cli/ThumbnailCommand.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "albums/Thumbnail.h"
#include "albums/ThumbnailCache.h"
#include "picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "platform/Desktop.h"
#include "resources/Resources.h"
#include "tests/TempDir.h"

namespace lumora::cli {
namespace {

int Thumbnail(std::vector<std::string> args) {
  std::ostringstream o, e;
  return RunThumbnailCommand(args, {o, e});
}

uint32_t Rgb(DibImage& pic, int x, int y) {
  const uint8_t* p = RowTable(pic)[y] + 3 * x;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

TEST(ThumbnailCommand, WritesTheCellOfEachLayout) {
  test::TempDir dir;
  DibImage black;  // a picture of pure black: it must stay black inside the frame
  ASSERT_TRUE(black.Create(640, 480, 24));
  const std::string in = (dir / "Photo.JPG").string();
  ASSERT_TRUE(WriteJpegFile(black, in));

  const std::string compact = (dir / "compact.bmp").string();
  ASSERT_EQ(Thumbnail({in, compact}), kExitOk);
  DibImage cell;
  ASSERT_TRUE(ReadBmpFile(cell, compact));
  ASSERT_EQ(cell.width(), 58);
  ASSERT_EQ(cell.height(), 42);
  EXPECT_EQ(Rgb(cell, 4 + 24, 2 + 18) & 0xF0F0F0, 0u) << "the picture at its place (4, 2), 48 x 36";

  // Outside the picture the cell is the frame, its black showing the list's colour.
  const Resources resources(RunningProgramPath().parent_path());
  DibImage frame;
  ASSERT_TRUE(ReadBmpMemory(frame, resources.Bitmap(kOriginalCell.frameBitmap).value()));
  ASSERT_EQ(frame.width(), 58);
  int clear = 0;
  for (int y = 0; y < 42; ++y)
    for (int x = 0; x < 58; ++x) {
      if (x >= 4 && x < 52 && y >= 2 && y < 38) continue;
      const uint32_t f = Rgb(frame, x, y);
      clear += f == 0;
      ASSERT_EQ(Rgb(cell, x, y), f == 0 ? 0xC0CBD9u : f) << x << ", " << y;
    }
  EXPECT_GT(clear, 0) << "the frame has clear pixels to test";

  const std::string max = (dir / "max.BMP").string();
  ASSERT_EQ(Thumbnail({"--max", in, max}), kExitOk);
  ASSERT_TRUE(ReadBmpFile(cell, max));
  EXPECT_EQ(cell.width(), 107);
  EXPECT_EQ(cell.height(), 86);
}

TEST(ThumbnailCommand, TheDesktopsCacheIsUsedOnlyWhenAskedFor) {
  test::TempDir dir;
  ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
  DibImage black;
  ASSERT_TRUE(black.Create(640, 480, 24));
  const std::string in = (dir / "photo.jpg").string(), out = (dir / "cell.bmp").string();
  ASSERT_TRUE(WriteJpegFile(black, in));
  const ThumbnailCache cache = ThumbnailCache::ForThisUser().value();

  ASSERT_EQ(Thumbnail({in, out}), kExitOk);
  EXPECT_FALSE(std::filesystem::exists(dir / "cache")) << "exact: no cache read or written";
  ASSERT_EQ(Thumbnail({in, out, "--cache"}), kExitOk);
  ASSERT_TRUE(std::filesystem::exists(cache.NormalPath(in))) << "written when missing";

  // Another entry, white, stands for the file now: only --cache shows it.
  DibImage white;
  ASSERT_TRUE(white.Create(128, 96, 24));
  std::fill(white.PixelBits(), white.PixelBits() + DibStride(128, 24) * 96, uint8_t(0xFF));
  const std::optional<ThumbnailPng> written = ReadThumbnailPng(
      [&] {
        std::ifstream file(cache.NormalPath(in), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
      }(),
      false);
  ASSERT_TRUE(written);
  const std::vector<uint8_t> png = WriteThumbnailPng(white, written->keys);
  std::ofstream(cache.NormalPath(in), std::ios::binary).write(reinterpret_cast<const char*>(png.data()), long(png.size()));
  for (const auto& [args, centre] : {std::pair{std::vector<std::string>{in, out}, 0x000000u},
                                     std::pair{std::vector<std::string>{in, out, "--cache"}, 0xFFFFFFu}}) {
    ASSERT_EQ(Thumbnail(args), kExitOk);
    DibImage cell;
    ASSERT_TRUE(ReadBmpFile(cell, out));
    EXPECT_EQ(Rgb(cell, 29, 20), centre) << args.size();
  }
  ::unsetenv("XDG_CACHE_HOME");
}

TEST(ThumbnailCommand, RefusesWhatTheListWouldNotShow) {
  test::TempDir dir;
  const std::string out = (dir / "out.bmp").string();
  test::WriteText(dir / "a.jpeg", "x");
  EXPECT_EQ(Thumbnail({(dir / "a.jpeg").string(), out}), kExitBadArguments);
  test::WriteText(dir / "a.jpg", "not a picture");
  EXPECT_EQ(Thumbnail({(dir / "a.jpg").string(), (dir / "out.png").string()}), kExitBadArguments);
  EXPECT_EQ(Thumbnail({(dir / "a.jpg").string(), out, "--small"}), kExitBadArguments);
  EXPECT_EQ(Thumbnail({(dir / "a.jpg").string(), out}), kExitBadInput);
  test::WriteText(dir / "empty.jpg", "");
  EXPECT_EQ(Thumbnail({(dir / "empty.jpg").string(), out}), kExitBadInput);
  EXPECT_FALSE(std::filesystem::exists(out));

  DibImage white;
  ASSERT_TRUE(white.Create(8, 8, 24));
  ASSERT_TRUE(WriteJpegFile(white, (dir / "b.jpg").string()));
  EXPECT_EQ(Thumbnail({(dir / "b.jpg").string(), (dir / "missing" / "out.bmp").string()}), kExitCannotWrite);
}

}  // namespace
}  // namespace lumora::cli
