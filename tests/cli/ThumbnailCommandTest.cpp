// lumora-cli thumbnail: the cell of each layout as the list shows it, an
// exit code for each way it fails, and --out-dir giving the one-file cells
// in lumora-cli-media's process and through the lumora-cli program.
#include "cli/ThumbnailCommand.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "albums/Thumbnail.h"
#include "albums/ThumbnailCache.h"
#include "cli/BuiltinBitmaps.h"
#include "cli/MediaCommands.h"
#include "picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"
#include "platform/Desktop.h"
#include "platform/Exec.h"
#include "resources/Resources.h"
#include "tests/TempDir.h"
#include "tests/media/video/AviWriter.h"

namespace lumora::cli {
namespace {

namespace fs = std::filesystem;

int Thumbnail(std::vector<std::string> args, std::string* err = nullptr) {
  std::ostringstream o, e;
  const int code = RunThumbnail(args, {o, e});
  if (err) *err = e.str();
  return code;
}

// The lumora-cli program (its still cells made in its own process, its
// videos' in lumora-cli-media's).
int ThumbnailProgram(std::vector<std::string> args) {
  args.insert(args.begin(), {LUMORA_CLI_PATH, "thumbnail"});
  const ChildRun run = RunChild(LUMORA_CLI_PATH, args);
  EXPECT_EQ(run.startError, 0);
  return run.exitCode;
}

// A picture whose every pixel differs from its neighbours, so a cell made
// from the wrong rows or columns shows.
DibImage Pattern(int width, int height) {
  DibImage pic;
  EXPECT_TRUE(pic.Create(width, height, 24));
  RowTable rows(pic);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) rows[y][x * 3 + c] = uint8_t(x * 7 + y * 13 + c * 50);
  return pic;
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

  const std::string b = (dir / "b.jpg").string();
  for (const auto& [args, code] : std::vector<std::pair<std::vector<std::string>, int>>{
           {{"--out-dir"}, kExitBadArguments},
           {{"--out-dir", dir.path().string()}, kExitBadArguments},
           {{"--max", "--out-dir", (dir / "missing").string(), b}, kExitCannotWrite},
           {{"--out-dir", b, b}, kExitCannotWrite},
       })
    EXPECT_EQ(Thumbnail(args), code) << testing::PrintToString(args);
}

TEST(ThumbnailCommand, BuiltInFramesAreTheResourceFiles) {
  const Resources resources(RunningProgramPath().parent_path());
  for (const ThumbnailCell* cell : {&kOriginalCell, &kMaxCell}) {
    const auto builtIn = BuiltinBitmap(cell->frameBitmap);
    ASSERT_TRUE(builtIn.has_value()) << cell->frameBitmap;
    EXPECT_EQ(std::vector<uint8_t>(builtIn->begin(), builtIn->end()), resources.Bitmap(cell->frameBitmap));
  }
  EXPECT_FALSE(BuiltinBitmap(0).has_value());
}

// Every kind, a failing file, a file that is no item and two files of one
// name: --out-dir writes each cell as the one-file command does, in either
// program, names the second "photo" photo-2 and exits with the first
// failure's code.
TEST(ThumbnailCommand, OutDirGivesTheOneFileCells) {
  test::TempDir dir;
  fs::create_directory(dir / "sub");
  const DibImage landscape = Pattern(640, 480), portrait = Pattern(90, 160), small = Pattern(40, 30);
  ASSERT_TRUE(WriteJpegFile(landscape, (dir / "photo.jpg").string()));
  ASSERT_TRUE(WriteJpegFile(portrait, (dir / "sub" / "photo.jpg").string()));
  ASSERT_TRUE(WriteTiffFile(portrait, (dir / "scan.tif").string()));
  ASSERT_TRUE(WriteBmpFile(small, (dir / "icon.BMP").string()));
  video::test::AviLayout clip;
  clip.width = 64, clip.height = 48;
  const DibImage frame = Pattern(64, 48);
  clip.frames = {std::vector<uint8_t>(frame.PixelBits(), frame.PixelBits() + 64 * 48 * 3)};
  const std::vector<uint8_t> avi = video::test::WriteAvi(clip);
  test::WriteText(dir / "clip.avi", std::string(avi.begin(), avi.end()));
  test::WriteText(dir / "broken.jpg", "not a picture");
  test::WriteText(dir / "notes.txt", "text");

  const std::vector<std::pair<std::string, std::string>> made = {
      {"photo.jpg", "photo.bmp"}, {"scan.tif", "scan.bmp"},         {"icon.BMP", "icon.bmp"},
      {"clip.avi", "clip.bmp"},   {"sub/photo.jpg", "photo-2.bmp"},
  };
  std::vector<std::string> files;
  for (const char* name : {"photo.jpg", "broken.jpg", "scan.tif", "notes.txt", "icon.BMP", "clip.avi",
                           "sub/photo.jpg"})
    files.push_back((dir / name).string());
  std::vector<std::string> expectedNames;
  for (const auto& m : made) expectedNames.push_back(m.second);
  std::sort(expectedNames.begin(), expectedNames.end());

  for (const bool max : {false, true}) {
    const std::vector<std::string> layout = max ? std::vector<std::string>{"--max"} : std::vector<std::string>{};
    const fs::path one = dir / ("one" + std::to_string(max));
    fs::create_directory(one);
    for (const auto& [in, out] : made) {
      std::vector<std::string> args = layout;
      args.insert(args.end(), {(dir / in).string(), (one / out).string()});
      ASSERT_EQ(Thumbnail(args), kExitOk) << in;
      args.back() = (one / ("program-" + out)).string();
      ASSERT_EQ(ThumbnailProgram(args), kExitOk) << in;
      EXPECT_EQ(test::ReadText(one / ("program-" + out)), test::ReadText(one / out)) << in << " max " << max;
    }
    for (const bool program : {false, true}) {
      const fs::path many = dir / ("many" + std::to_string(max) + std::to_string(program));
      fs::create_directory(many);
      std::vector<std::string> args = {"--out-dir", many.string()};
      args.insert(args.end(), files.begin(), files.end());
      args.insert(args.end(), layout.begin(), layout.end());
      std::string err;
      EXPECT_EQ(program ? ThumbnailProgram(args) : Thumbnail(args, &err), kExitBadInput);
      EXPECT_EQ(test::NamesIn(many), expectedNames) << "max " << max << " program " << program;
      for (const auto& [in, out] : made)
        EXPECT_EQ(test::ReadText(many / out), test::ReadText(one / out)) << in << " max " << max << " program " << program;
      if (program) continue;
      std::istringstream lines(err);
      std::vector<std::string> messages;
      for (std::string line; std::getline(lines, line);) messages.push_back(line);
      ASSERT_EQ(messages.size(), 3u) << err;
      EXPECT_NE(messages[0].find("broken.jpg': JPEG: "), std::string::npos) << messages[0];
      EXPECT_NE(messages[1].find("notes.txt' is no album item"), std::string::npos) << messages[1];
      EXPECT_NE(messages[2].find("sub/photo.jpg' goes to photo-2.bmp"), std::string::npos) << messages[2];
    }
  }

  // A cell never overwrites an input: icon.bmp made into the input's own folder.
  ASSERT_TRUE(WriteBmpFile(small, (dir / "icon.bmp").string()));
  const std::string icon = test::ReadText(dir / "icon.bmp");
  EXPECT_EQ(Thumbnail({"--out-dir", dir.path().string(), (dir / "icon.bmp").string()}), kExitOk);
  EXPECT_EQ(test::ReadText(dir / "icon.bmp"), icon);
  EXPECT_EQ(test::ReadText(dir / "icon-2.bmp"), test::ReadText(dir / "one0" / "icon.bmp"));
}

}  // namespace
}  // namespace lumora::cli
