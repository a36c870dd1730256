// Effect pass timings on a 12-megapixel 24-bit picture: every pass (levels 1
// and 4 for the kernel passes), the whole pipeline with every effect on, and a
// plain memcpy of the picture as the floor. The picture is the 24-bit file
// named by LUMORA_BENCH_PICTURE, else a made-up 4000 x 3000 one. Run with
// --benchmark_repetitions=N --benchmark_report_aggregates_only=true for medians
// (bench_effects.sh does, and times the reference tools on the same file).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "editor/effects/ApplyEffects.h"
#include "editor/effects/Passes.h"
#include "media/codecs/PictureFiles.h"

namespace lumora {
namespace {

constexpr int32_t kWidth = 4000, kHeight = 3000;

// The picture file, or a photo-like picture: smooth gradients with noise on
// top, so that no pass meets only one value.
const DibImage& Photo() {
  static DibImage pic = [] {
    DibImage p;
    if (const char* path = std::getenv("LUMORA_BENCH_PICTURE")) {
      if (!LoadPictureFile(p, path) || p.BitCount() != 24) {
        std::fprintf(stderr, "bench_effects: %s is not a readable 24-bit picture\n", path);
        std::exit(1);
      }
      return p;
    }
    p.Create(kWidth, kHeight, 24);
    std::mt19937 gen(1);
    RowTable rows(p);
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        uint8_t* px = rows[y] + size_t(x) * 3;
        const uint32_t n = gen();
        px[0] = uint8_t(x * 255 / kWidth + (n & 31));
        px[1] = uint8_t(y * 255 / kHeight + (n >> 8 & 31));
        px[2] = uint8_t((x + y) * 127 / kHeight + (n >> 16 & 31));
      }
    return p;
  }();
  return pic;
}

// Times `pass` on a fresh copy of the picture each iteration; the copy is
// not timed.
template <typename Pass>
void TimePass(benchmark::State& state, Pass pass) {
  DibImage pic;
  pic.Assign(Photo());
  for (auto _ : state) {
    state.PauseTiming();
    if (pic.block().size() != Photo().block().size()) pic.Assign(Photo());
    std::memcpy(pic.block().data(), Photo().block().data(), pic.block().size());
    pic.RefreshInfo(false);
    state.ResumeTiming();
    pass(pic);
    benchmark::DoNotOptimize(pic.block().data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Photo().block().size()));
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> to(Photo().block().size());
  for (auto _ : state) {
    std::memcpy(to.data(), Photo().block().data(), to.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(to.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// The backup every neighbourhood pass takes first: a copy into a new block.
void BM_Snapshot(benchmark::State& state) {
  DibImage pic;
  pic.Assign(Photo());
  for (auto _ : state) {
    pic.Snapshot();
    benchmark::DoNotOptimize(pic.backup().data());
  }
}
BENCHMARK(BM_Snapshot)->Unit(benchmark::kMillisecond);

void BM_AdjustChannels(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { AdjustChannels(EffectRegion(p), 100, 0, 0); });
}
void BM_SwapChannels(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { SwapChannels(EffectRegion(p), kSwapRedBlue); });
}
void BM_Brighten(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { Brighten(EffectRegion(p), 40); });
}
void BM_Contrast(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { Contrast(EffectRegion(p), 26); });
}
void BM_Invert(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { Invert(EffectRegion(p)); });
}
void BM_GrayScale(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { GrayScale(EffectRegion(p)); });
}
void BM_Blur(benchmark::State& s) {
  TimePass(s, [&](DibImage& p) { Blur(EffectRegion(p), int(s.range(0))); });
}
void BM_Sharpen(benchmark::State& s) {
  TimePass(s, [&](DibImage& p) { Sharpen(EffectRegion(p), int(s.range(0))); });
}
void BM_Emboss(benchmark::State& s) {
  TimePass(s, [&](DibImage& p) { Emboss(EffectRegion(p), int(s.range(0))); });
}
void BM_Mosaic(benchmark::State& s) {
  TimePass(s, [&](DibImage& p) { Mosaic(EffectRegion(p), int(s.range(0))); });
}
void BM_RandomPattern(benchmark::State& s) {
  ClassicRandom random;
  TimePass(s, [&](DibImage& p) { RandomPattern(EffectRegion(p), 4, random); });
}
void BM_Tile(benchmark::State& s) {
  ClassicRandom random;
  TimePass(s, [&](DibImage& p) { Tile(EffectRegion(p), int(s.range(0)), 4, 0x808080, random); });
}
void BM_FlipHorizontal(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { FlipHorizontal(EffectRegion(p)); });
}
void BM_FlipVertical(benchmark::State& s) {
  TimePass(s, [](DibImage& p) { FlipVertical(EffectRegion(p)); });
}
void BM_Rotate(benchmark::State& s) {
  TimePass(s, [&](DibImage& p) { Rotate(p, int(s.range(0))); });
}
void BM_OverlayBlend(benchmark::State& s) {
  DibImage overlay;
  overlay.Create(640, 480, 24);
  for (size_t i = 40; i < overlay.block().size(); ++i) overlay.block()[i] = uint8_t(i * 13);
  TimePass(s, [&](DibImage& p) { OverlayBlend(OverlayRegion(p, overlay), BlendMethod(s.range(0))); });
}

BENCHMARK(BM_AdjustChannels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapChannels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Brighten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Contrast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Invert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayScale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blur)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sharpen)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Emboss)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mosaic)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tile)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipHorizontal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipVertical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverlayBlend)->Arg(int(BlendMethod::Screen))->Unit(benchmark::kMillisecond);

// Every effect on at its highest level, recomputed from the effect base as a
// level click would.
void BM_PipelineEverythingOn(benchmark::State& state) {
  DibImage displayed, base, overlay;
  displayed.Assign(Photo());
  overlay.Create(640, 480, 24);
  for (size_t i = 40; i < overlay.block().size(); ++i) overlay.block()[i] = uint8_t(i * 13);
  EffectLevels l;
  l.red = 250, l.green = -250, l.blue = 100;
  l.swapRedGreen = l.swapGreenBlue = l.swapRedBlue = true;
  l.brightness = 100, l.contrast = 100;
  l.blur = l.emboss = l.sharpen = l.mosaic = l.randomPattern = l.tileSize = l.scatter = 4;
  l.invert = l.greyScale = l.flipHorizontal = l.flipVertical = true;
  l.overlayLoaded = true;
  l.rotation = 1;
  ClassicRandom random;
  ApplyEffects({displayed, base, overlay}, l, std::nullopt, 0x204060, random);  // takes the base
  for (auto _ : state) {
    ApplyEffects({displayed, base, overlay}, l, std::nullopt, 0x204060, random);
    benchmark::DoNotOptimize(displayed.block().data());
  }
}
BENCHMARK(BM_PipelineEverythingOn)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
