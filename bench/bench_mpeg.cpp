// In-process timings of the MPEG decoder: the first picture of each stream
// (open, decode, fetch as a pixmap: what lumora-cli mpeg-still does less
// process start-up and the file write), and the inverse DCT alone. The
// streams come from bench_mpeg.sh, in the folder LUMORA_BENCH_MPEG_DIR names.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "mpeg/Idct.h"
#include "mpeg/MpegStillDecoder.h"

namespace {

std::string StreamPath(const char* name) {
  const char* dir = std::getenv("LUMORA_BENCH_MPEG_DIR");
  return (std::filesystem::path(dir ? dir : ".") / name).string();
}

void FirstPicture(benchmark::State& state, const char* name) {
  const std::string path = StreamPath(name);
  std::vector<uint8_t> out;
  for (auto _ : state) {
    lumora::mpeg::MpegStillDecoder d;
    if (d.Open(path) != lumora::mpeg::kOk || d.DecodePicture() != lumora::mpeg::kOk) {
      state.SkipWithError(("cannot decode " + path).c_str());
      return;
    }
    out.resize(d.PictureBytes(lumora::mpeg::kFormatPpm));
    int w, h;
    benchmark::DoNotOptimize(d.FetchPicture(out, w, h, lumora::mpeg::kFormatPpm));
  }
}
BENCHMARK_CAPTURE(FirstPicture, Mpeg1Sif, "sif.mpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPicture, Mpeg2Sd, "sd.mpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPicture, Mpeg2Hd, "hd.m2v")->Unit(benchmark::kMillisecond);

void InverseDctBlocks(benchmark::State& state) {
  std::mt19937 random(1);
  std::uniform_int_distribution<int> level(-300, 300);
  std::vector<int16_t> blocks(64 * 256);
  for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = i % 64 < 10 ? int16_t(level(random)) : 0;
  std::vector<int16_t> work(64);
  uint8_t out[64];
  for (auto _ : state) {
    for (size_t b = 0; b < 256; ++b) {
      std::copy_n(blocks.begin() + long(b * 64), 64, work.begin());
      lumora::mpeg::IdctPut(work.data(), 63, out, 8);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 256);
}
BENCHMARK(InverseDctBlocks);

}  // namespace

BENCHMARK_MAIN();
