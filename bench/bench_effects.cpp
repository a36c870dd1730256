// Effect pass timings on a 12-megapixel 24-bit picture: every pass of the
// pipeline's table (levels 1 and 4 for the filter passes), the whole pipeline
// with every effect on, and a plain memcpy of the picture as the floor. The picture is the 24-bit file
// named by LUMORA_BENCH_PICTURE, else a made-up 4000 x 3000 one. Run with
// --benchmark_repetitions=N --benchmark_report_aggregates_only=true for medians
// (bench_effects.sh does, and times the reference tools on the same file).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench/BenchPicture.h"
#include "editor/effects/ApplyEffects.h"
#include "editor/effects/Passes.h"
#include "media/codecs/PictureFiles.h"

namespace lumora {
namespace {


// The picture file, or a photo-like picture: smooth gradients with noise on
// top, so that no pass meets only one value.
const DibImage& Photo() {
  static const DibImage pic = bench::BenchPicture("bench_effects");
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

// The picture the overlay blend blends in: 640 x 480, 24 bits, a pattern.
const DibImage& Overlay() {
  static DibImage overlay = [] {
    DibImage o;
    o.Create(640, 480, 24);
    for (size_t i = 40; i < o.block().size(); ++i) o.block()[i] = uint8_t(i * 13);
    return o;
  }();
  return overlay;
}

// One pass of the pipeline's table at `value` over the whole picture; the
// tile scatters at level 4 on a grey background, the overlay blends by screen.
void TimeTablePass(benchmark::State& state, const EffectPass& pass, int value) {
  EffectLevels levels;
  levels.scatter = kMaxFilterLevel;
  levels.blendMethod = int(BlendMethod::Screen);
  const std::optional<PictureRect> wholePicture;
  ClassicRandom random;
  const PassProgress report;
  TimePass(state, [&](DibImage& p) {
    pass.run(PassInputs{p, Overlay(), wholePicture, levels, 0x808080, random, report}, value);
  });
}

// Every pass of the table, named after its `lumora-cli effects` option: level
// passes at their first step and, for the filter levels, at the highest
// too; the rotation a quarter and a half turn; toggles and the overlay on.
bool RegisterTablePasses() {
  for (const EffectPass& pass : EffectPasses()) {
    std::vector<int> values{1};
    if (pass.control == PassControl::Level) {
      const LevelRange range = RangeOf(pass.level);
      values = {range.step};
      if (range.highest == kMaxFilterLevel) values.push_back(range.highest);
    } else if (pass.control == PassControl::Rotation) {
      values = {1, 2};
    }
    const std::string name = "BM_" + std::string(pass.option.substr(2));
    for (const int value : values) {
      const std::string full = pass.control == PassControl::Level || pass.control == PassControl::Rotation
                                   ? name + "/" + std::to_string(value)
                                   : name;
      benchmark::RegisterBenchmark(full.c_str(), [&pass, value](benchmark::State& s) {
        TimeTablePass(s, pass, value);
      })->Unit(benchmark::kMillisecond);
    }
  }
  return true;
}
[[maybe_unused]] const bool kTablePassesRegistered = RegisterTablePasses();

// Every effect on at its highest level (a quarter turn for the rotation),
// recomputed from the effect base as a level click would.
void BM_PipelineEverythingOn(benchmark::State& state) {
  DibImage displayed, base, overlay;
  displayed.Assign(Photo());
  overlay.Assign(Overlay());
  EffectLevels l;
  for (const EffectPass& pass : EffectPasses()) {
    switch (pass.control) {
      case PassControl::Level: LevelOf(l, pass.level) = RangeOf(pass.level).highest; break;
      case PassControl::Toggle: ToggleOf(l, pass.toggle) = true; break;
      case PassControl::Rotation: l.rotation = 1; break;
      case PassControl::Overlay: l.overlayLoaded = true; break;
    }
  }
  l.scatter = kMaxFilterLevel;
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
