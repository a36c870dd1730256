// lumora-cli effects: the options become the editor's levels, the file
// written is the pipeline's picture, and every failure has its exit code and
// one error line.
#include "cli/EffectsCommand.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "editor/effects/ApplyEffects.h"
#include "tests/TempDir.h"
#include "tests/media/CodecTestTools.h"
#include "media/codecs/PictureFiles.h"

namespace lumora::cli {
namespace {

struct Result {
  int code;
  std::string err;
};

Result Effects(std::vector<std::string> args) {
  std::ostringstream out, err;
  int code = RunEffectsCommand(args, {out, err});
  EXPECT_TRUE(out.str().empty());
  return {code, err.str()};
}

DibImage Sample(int w, int h) {
  DibImage pic;
  pic.Create(w, h, 24);
  for (size_t i = 40; i < pic.block().size(); ++i) pic.block()[i] = uint8_t(i * 37);
  return pic;
}

// The pixel rows of a picture file, or of what the pipeline makes of `in`.
std::vector<uint8_t> Rows(DibImage& pic) {
  std::vector<uint8_t> bytes;
  RowTable rows(pic);
  for (int y = 0; y < pic.height(); ++y) bytes.insert(bytes.end(), rows[y], rows[y] + pic.width() * 3);
  return bytes;
}
std::vector<uint8_t> Rows(const std::string& path) {
  DibImage pic;
  EXPECT_TRUE(LoadPictureFile(pic, path)) << path;
  return Rows(pic);
}
std::vector<uint8_t> Rows(const DibImage& in, EffectLevels levels, std::optional<PictureRect> region,
                          uint32_t background, DibImage overlay = {}, uint32_t seed = 1) {
  DibImage displayed, base;
  displayed.Assign(in);
  ClassicRandom random;
  random.Seed(seed);
  EXPECT_TRUE(ApplyEffects({displayed, base, overlay}, levels, region, background, random));
  return Rows(displayed);
}

TEST(EffectsCommand, WritesThePipelinesPictureForTheEditorsLevels) {
  test::TempDir dir;
  const std::string in = (dir / "in.bmp").string(), out = (dir / "out.bmp").string();
  const std::string over = (dir / "over.bmp").string();
  const DibImage sample = Sample(30, 20);
  ASSERT_TRUE(SavePictureFile(sample, in));
  ASSERT_TRUE(SavePictureFile(Sample(2, 3), over));

  Result r = Effects({in, out, "--brightness", "20", "--contrast", "-40", "--blur", "1", "--swap-rb", "--red", "-250",
                      "--rotate", "-1", "--region", "1,2,8,40", "--overlay", over, "--blend", "Multiply"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EffectLevels l;
  l.brightness = 20, l.contrast = -40, l.blur = 1, l.swapRedBlue = true, l.red = -250, l.rotation = -1;
  l.overlayLoaded = true, l.blendMethod = 6;
  DibImage overlay;
  ASSERT_TRUE(LoadPictureFile(overlay, over));
  EXPECT_EQ(Rows(out), Rows(sample, l, PictureRect{1, 2, 8, 40}, 0, std::move(overlay)));

  // The seed makes the random effects reproducible; an empty region is the whole picture.
  auto random = [&](const std::string& seed) {
    EXPECT_EQ(Effects({in, out, "--noise", "3", "--tile", "1", "--scatter", "2", "--background", "FF8000", "--seed",
                       seed, "--region", "3,3,3,9"})
                  .code,
              kExitOk);
    return Rows(out);
  };
  l = {};
  l.randomPattern = 3, l.tileSize = 1, l.scatter = 2;
  EXPECT_EQ(random("7"), Rows(sample, l, std::nullopt, 0x0080FF, {}, 7)) << "background red FF, green 80";
  EXPECT_EQ(random("7"), random("7"));
  EXPECT_NE(random("7"), random("8"));
}

TEST(EffectsCommand, OneAndFourBitPicturesGoThroughThePassesWithTheirColours) {
  // Line art and 16-colour pictures enter the pipeline as 8-bit pictures with
  // their own colour table: turned and mirrored like the same colours at 24
  // bits, written as 8 bits with the same table.
  test::TempDir dir;
  const std::string in = (dir / "in.bmp").string(), out = (dir / "out.bmp").string();
  std::vector<std::array<uint8_t, 3>> colours;
  for (uint8_t i = 0; i < 16; ++i) colours.push_back({uint8_t(i * 16), uint8_t(255 - i * 9), uint8_t(i * 5)});
  struct Case {
    std::vector<std::string> options;
    int rotation;
    bool flips;
  };
  const Case cases[] = {{{"--rotate", "1"}, 1, false}, {{"--flip-h", "--flip-v", "--rotate", "-1"}, -1, true}};
  for (int bits : {1, 4}) {
    const std::vector<std::array<uint8_t, 3>> table(colours.begin(), colours.begin() + (1 << bits));
    const DibImage picture = test::PalettedPicture(bits, table, 13, 6, [](int x, int y) { return x * x + 3 * y; });
    ASSERT_TRUE(SavePictureFile(picture, in));
    // The same colours at 24 bits, through the passes' 24-bit path.
    const test::RgbImage rgb = test::PictureRgb(picture);
    DibImage asColour;
    ASSERT_TRUE(asColour.Create(rgb.width, rgb.height, 24));
    RowTable rows(asColour);
    for (int y = 0; y < rgb.height; ++y)
      for (int x = 0; x < rgb.width; ++x)
        for (int k = 0; k < 3; ++k) rows[y][3 * x + k] = rgb.rgb[size_t(3 * (y * rgb.width + x) + 2 - k)];

    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(bits) + " bits, " + c.options.front());
      std::vector<std::string> args = {in, out};
      args.insert(args.end(), c.options.begin(), c.options.end());
      ASSERT_EQ(Effects(args).code, kExitOk);
      DibImage written;
      ASSERT_TRUE(LoadPictureFile(written, out));
      EXPECT_EQ(written.BitCount(), 8);
      ASSERT_TRUE(written.palette());
      EXPECT_EQ(written.palette()->size(), table.size());
      EffectLevels l;
      l.rotation = c.rotation;
      l.flipHorizontal = l.flipVertical = c.flips;
      DibImage displayed, base, overlay;
      displayed.Assign(asColour);
      ASSERT_TRUE(ApplyEffects({displayed, base, overlay}, l, std::nullopt, 0, ProgramRandom()));
      EXPECT_EQ(test::PictureRgb(written), test::PictureRgb(displayed));
    }
  }
}

TEST(EffectsCommand, FailuresHaveTheirExitCodesAndOneLine) {
  test::TempDir dir;
  const std::string in = (dir / "in.bmp").string(), out = (dir / "out.bmp").string();
  ASSERT_TRUE(SavePictureFile(Sample(4, 4), in));
  test::WriteText(dir / "junk.bmp", "not a picture");
  const std::pair<int, std::vector<std::string>> cases[] = {
      {kExitBadArguments, {in}},
      {kExitBadArguments, {in, out, "extra.bmp"}},
      {kExitBadArguments, {in, out, "--brightness", "30"}},  // between the editor's steps
      {kExitBadArguments, {in, out, "--red", "300"}},
      {kExitBadArguments, {in, out, "--blur", "x"}},
      {kExitBadArguments, {in, out, "--scatter", "2"}},  // the editor never has a scatter without a tile size
      {kExitBadArguments, {in, out, "--blend", "overlay"}},
      {kExitBadArguments, {in, out, "--background", "12345G"}},
      {kExitBadArguments, {in, out, "--region", "1,2,3"}},
      {kExitBadArguments, {in, out, "--seed", "-1"}},
      {kExitBadArguments, {in, out, "--rotate"}},
      {kExitBadArguments, {in, out, "--invert", "--invert"}},
      {kExitBadArguments, {in, out, "--sepia"}},
      {kExitBadArguments, {in, (dir / "out.png").string()}},
      {kExitBadInput, {(dir / "junk.bmp").string(), out}},
      {kExitBadInput, {(dir / "missing.jpg").string(), out}},
      {kExitBadInput, {in, out, "--overlay", (dir / "junk.bmp").string()}},
      {kExitCannotWrite, {in, (dir / "no" / "out.bmp").string()}},
  };
  for (const auto& [code, args] : cases) {
    Result r = Effects(args);
    EXPECT_EQ(r.code, code) << (args.size() > 2 ? args[2] : args.back());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("lumora-cli effects: ", 0), 0u) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace lumora::cli
