// Codec timings on a 12-megapixel picture (4000 x 3000): decode and encode of
// each format, beside two floors measured in the same run: libjpeg decoding
// the same file into one reused buffer (what our JPEG glue may cost on top),
// and a plain read and write of the BMP file's bytes (memory speed).
//
// The picture is $LUMORA_BENCH_PICTURE (any file the codecs read; the run
// script makes a photo-like one with ImageMagick) or, without it, a synthetic
// gradient with texture.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/BenchPicture.h"
#include "picture/DibImage.h"
#include "media/codecs/Bmp.h"
#include "media/codecs/Gif.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"
#include "io/FileBytes.h"
#include "media/codecs/PictureFiles.h"

namespace {

using namespace lumora;
namespace fs = std::filesystem;

struct Files {
  fs::path dir;
  std::string jpg, bmp, bmp8, gif, tif;
  DibImage colour, grey;
};

Files& Setup() {
  static Files* files = [] {
    auto* f = new Files;
    f->dir = fs::temp_directory_path() / ("lumora-bench-" + std::to_string(getpid()));
    fs::create_directories(f->dir);
    f->colour = bench::BenchPicture("bench_codecs");
    // The grey picture: the green channel through the 8-bit grey ramp.
    f->grey.Create(f->colour.width(), f->colour.height(), 8);
    f->grey.BuildPalette();
    RowTable in(f->colour), out(f->grey);
    for (int y = 0; y < in.rows(); ++y)
      for (int x = 0; x < f->colour.width(); ++x) out[y][x] = in[y][x * 3 + 1];
    f->jpg = (f->dir / "p.jpg").string();
    f->bmp = (f->dir / "p.bmp").string();
    f->bmp8 = (f->dir / "p8.bmp").string();
    f->gif = (f->dir / "p.gif").string();
    f->tif = (f->dir / "p.tif").string();
    if (!WriteJpegFile(f->colour, f->jpg) || !WriteBmpFile(f->colour, f->bmp) || !WriteBmpFile(f->grey, f->bmp8) ||
        WriteGifFile(f->grey, f->gif) != GifError::None || !WriteTiffFile(f->colour, f->tif)) {
      std::fprintf(stderr, "cannot write the benchmark files in %s\n", f->dir.c_str());
      std::exit(1);
    }
    std::atexit([] { fs::remove_all(Setup().dir); });
    return f;
  }();
  return *files;
}

// `reader` and `writer` give a codec's result, or true for a GIF that went well.
template <class Reader>
void Read(benchmark::State& state, Reader reader, const std::string& path) {
  for (auto _ : state) {
    DibImage pic;
    if (!reader(pic, path)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(pic.block().data());
  }
}

template <class Writer>
void Write(benchmark::State& state, Writer writer, const DibImage& pic, const std::string& path) {
  for (auto _ : state)
    if (!writer(pic, path)) state.SkipWithError("write failed");
}

void BM_JpegRead(benchmark::State& s) { Read(s, ReadJpegFile, Setup().jpg); }
void BM_JpegWrite(benchmark::State& s) { Write(s, WriteJpegFile, Setup().colour, (Setup().dir / "w.jpg").string()); }
void BM_BmpRead(benchmark::State& s) { Read(s, ReadBmpFile, Setup().bmp); }
void BM_BmpWrite(benchmark::State& s) { Write(s, WriteBmpFile, Setup().colour, (Setup().dir / "w.bmp").string()); }
void BM_GifRead(benchmark::State& s) {
  Read(s, [](DibImage& pic, const std::string& path) { return ReadGifFile(pic, path) == GifError::None; },
       Setup().gif);
}
void BM_GifWrite(benchmark::State& s) {
  Write(s, [](const DibImage& pic, const std::string& path) { return WriteGifFile(pic, path) == GifError::None; },
        Setup().grey, (Setup().dir / "w.gif").string());
}
void BM_TiffRead(benchmark::State& s) { Read(s, ReadTiffFile, Setup().tif); }
void BM_TiffWrite(benchmark::State& s) { Write(s, WriteTiffFile, Setup().colour, (Setup().dir / "w.tif").string()); }

// libjpeg alone: the same file decoded into one buffer that is reused, so
// neither page faults nor our picture handling are counted.
void BM_JpegFloorLibjpeg(benchmark::State& state) {
  auto bytes = ReadFileBytes(Setup().jpg, size_t(1) << 30);
  std::vector<uint8_t> out;
  for (auto _ : state) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes->data(), bytes->size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    size_t stride = size_t(cinfo.output_width) * 3;
    out.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = out.data() + stride * cinfo.output_scanline;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(out.data());
  }
}

// Reading the BMP file's bytes and writing them to another file: the memory
// speed the BMP codec is measured against.
void BM_BmpFloorFileCopy(benchmark::State& state) {
  const std::string to = (Setup().dir / "copy.bmp").string();
  for (auto _ : state) {
    auto bytes = ReadFileBytes(Setup().bmp, size_t(1) << 30);
    if (!bytes || !ReplaceFileWith(to, {*bytes})) state.SkipWithError("copy failed");
  }
}

// A new zero-filled block of the 12 MP picture's size, touched once: what
// every freshly decoded picture pays before its first pixel is stored.
void BM_FloorNewBlock(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint8_t> block(size_t(4000) * 3000 * 3 + 40);
    benchmark::DoNotOptimize(block.data());
  }
}

BENCHMARK(BM_FloorNewBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegFloorLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpFloorFileCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffWrite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
