// lumora-cli effects: the options become the editor's levels, the result is
// the pipeline's, and every failure has its exit code and one error line.
#include "cli/EffectsCommand.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "editor/effects/ApplyEffects.h"
#include "tests/TempDir.h"

namespace lumora::cli {
namespace {

struct Result {
  int code;
  std::string out, err;
};

Result Effects(std::vector<std::string> args) {
  std::ostringstream out, err;
  int code = RunEffectsCommand(args, {out, err});
  return {code, out.str(), err.str()};
}

DibImage Sample(int w, int h) {
  DibImage pic;
  pic.Create(w, h, 24);
  RowTable rows(pic);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * 3; ++i) rows[y][i] = uint8_t(i * 37 + y * 11);
  return pic;
}

// The picture the pipeline makes of `in` with `levels`, to compare with the command's output.
DibImage Expected(const DibImage& in, EffectLevels levels, std::optional<PictureRect> region = std::nullopt,
                  uint32_t background = 0, DibImage overlay = {}, uint32_t seed = 1) {
  DibImage displayed, base;
  displayed.Assign(in);
  ClassicRandom random;
  random.Seed(seed);
  EXPECT_TRUE(ApplyEffects({displayed, base, overlay}, levels, region, background, random));
  return displayed;
}

// Pixel bytes only: the files' headers may differ in fields the pictures do not use.
std::vector<uint8_t> Pixels(DibImage& pic) {
  std::vector<uint8_t> bytes;
  RowTable rows(pic);
  for (int y = 0; y < pic.height(); ++y) bytes.insert(bytes.end(), rows[y], rows[y] + pic.width() * 3);
  return bytes;
}

std::vector<uint8_t> Load(const std::filesystem::path& p) {
  DibImage pic;
  EXPECT_TRUE(pic.LoadFile(p.string())) << p;
  return Pixels(pic);
}

TEST(EffectsCommand, RunsThePipelineWithTheEditorsLevels) {
  test::TempDir dir;
  const std::string in = (dir / "in.bmp").string(), out = (dir / "out.bmp").string();
  DibImage sample = Sample(9, 7);
  ASSERT_TRUE(sample.SaveFile(in));

  Result r = Effects({in, out, "--brightness", "20", "--contrast", "-40", "--blur", "1", "--swap-rb", "--red", "-250",
                      "--region", "1,2,8,40"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_TRUE(r.out.empty());
  EffectLevels l;
  l.brightness = 20, l.contrast = -40, l.blur = 1, l.swapRedBlue = true, l.red = -250;
  DibImage expected = Expected(sample, l, PictureRect{1, 2, 8, 40});
  EXPECT_EQ(Load(out), Pixels(expected));

  // Rotation, tile and background; an empty region is the whole picture.
  ASSERT_EQ(Effects({in, out, "--rotate", "-1", "--tile", "1", "--background", "FF8000", "--region", "3,3,3,9"}).code,
            kExitOk);
  l = {};
  l.rotation = -1, l.tileSize = 1;
  DibImage turned = Expected(sample, l, std::nullopt, 0x0080FF);
  EXPECT_EQ(Load(out), Pixels(turned));
  DibImage written;
  ASSERT_TRUE(written.LoadFile(out));
  EXPECT_EQ(written.width(), 7);
  EXPECT_EQ(RowTable(written)[6][0], 0x00) << "background blue";
  EXPECT_EQ(RowTable(written)[6][2], 0xFF) << "background red";

  // An overlay by method name.
  const std::string over = (dir / "over.bmp").string();
  DibImage overlay = Sample(2, 2);
  ASSERT_TRUE(overlay.SaveFile(over));
  ASSERT_EQ(Effects({in, out, "--overlay", over, "--blend", "Multiply"}).code, kExitOk);
  l = {};
  l.overlayLoaded = true, l.blendMethod = 6;
  DibImage blended = Expected(sample, l, std::nullopt, 0, std::move(overlay));
  EXPECT_EQ(Load(out), Pixels(blended));
}

TEST(EffectsCommand, TheSeedMakesTheRandomEffectsReproducible) {
  test::TempDir dir;
  const std::string in = (dir / "in.bmp").string();
  DibImage sample = Sample(30, 20);
  ASSERT_TRUE(sample.SaveFile(in));
  auto run = [&](const std::string& name, const std::string& seed) {
    const std::string out = (dir / name).string();
    EXPECT_EQ(Effects({in, out, "--noise", "3", "--tile", "1", "--scatter", "2", "--seed", seed}).code, kExitOk);
    return Load(out);
  };
  const auto a = run("a.bmp", "7"), b = run("b.bmp", "7"), c = run("c.bmp", "8");
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EffectLevels l;
  l.randomPattern = 3, l.tileSize = 1, l.scatter = 2;
  DibImage expected = Expected(sample, l, std::nullopt, 0, {}, 7);
  EXPECT_EQ(a, Pixels(expected));
}

TEST(EffectsCommand, FailuresHaveTheirExitCodesAndOneLine) {
  test::TempDir dir;
  const std::string in = (dir / "in.bmp").string(), out = (dir / "out.bmp").string();
  ASSERT_TRUE(Sample(4, 4).SaveFile(in));
  const std::vector<std::string> badArguments[] = {
      {},
      {in},
      {in, out, "extra.bmp"},
      {in, out, "--brightness", "30"},
      {in, out, "--brightness", "120"},
      {in, out, "--red", "x"},
      {in, out, "--blur", "5"},
      {in, out, "--scatter", "2"},
      {in, out, "--blend", "9"},
      {in, out, "--blend", "overlay"},
      {in, out, "--background", "12345"},
      {in, out, "--background", "12345G"},
      {in, out, "--region", "1,2,3"},
      {in, out, "--region", "1,2,3,4,5"},
      {in, out, "--seed", "-1"},
      {in, out, "--rotate"},
      {in, out, "--invert", "--invert"},
      {in, out, "--sepia"},
      {in, (dir / "out.png").string()},
  };
  for (const auto& args : badArguments) {
    Result r = Effects(args);
    EXPECT_EQ(r.code, kExitBadArguments) << (args.size() > 2 ? args[2] : "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("lumora-cli effects: ", 0), 0u) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out));

  test::WriteText(dir / "junk.bmp", "not a picture");
  for (const auto& args : {std::vector<std::string>{(dir / "junk.bmp").string(), out},
                           {(dir / "missing.jpg").string(), out},
                           {in, out, "--overlay", (dir / "junk.bmp").string()}}) {
    Result r = Effects(args);
    EXPECT_EQ(r.code, kExitBadInput);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }

  Result r = Effects({in, (dir / "no" / "such" / "out.bmp").string(), "--invert"});
  EXPECT_EQ(r.code, kExitCannotWrite);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

}  // namespace
}  // namespace lumora::cli
