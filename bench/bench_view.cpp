// The picture view's paint: a 4000 x 3000 24-bit picture drawn into a
// 1280 x 800 view at 25%, 100%, 200% and 1600%, scrolled to the middle,
// through ViewRenderer; beside it Qt's own nearest-neighbour drawing of the
// same visible part (QPainter::drawImage into a QImage) and a plain fill of
// the view as the floor. Run with --benchmark_repetitions=N
// --benchmark_report_aggregates_only=true for medians (bench_view.sh does).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <vector>

#include "bench/BenchPicture.h"
#include "editor/ViewMath.h"
#include "editor/ViewRender.h"
#include "picture/qt/DibQImage.h"

namespace lumora {
namespace {

constexpr int32_t kViewWidth = 1280, kViewHeight = 800;

const DibImage& Photo() {
  static const DibImage pic = bench::BenchPicture("bench_view");
  return pic;
}

// The view at a zoom step, scrolled to the middle of its ranges.
ViewPlacement Placement(int step) {
  const float zoom = ZoomFactorOf(step);
  return {zoom,
          ScrollRange(Photo().width(), zoom, kViewWidth) / 2,
          ScrollRange(Photo().height(), zoom, kViewHeight) / 2,
          kViewWidth,
          kViewHeight,
          0x404040};
}

void BM_Render(benchmark::State& state) {
  const ViewPlacement view = Placement(int(state.range(0)));
  std::vector<ViewPixel> out(size_t(kViewWidth) * kViewHeight);
  ViewRenderer renderer;
  const DibImage& picture = Photo();  // made before the timing starts
  for (auto _ : state) {
    renderer.Render(picture, view, out.data(), size_t(kViewWidth));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kViewWidth * kViewHeight);
}

// Qt scaling the visible part of the picture (already a top-down QImage)
// into the view with nearest sampling.
void BM_QtDrawImage(benchmark::State& state) {
  const ViewPlacement view = Placement(int(state.range(0)));
  static const QImage picture = ToQImage(Photo());
  QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
  const QRectF source(view.scrollX / view.zoom, view.scrollY / view.zoom,
                      std::min<qreal>(Photo().width(), kViewWidth / view.zoom),
                      std::min<qreal>(Photo().height(), kViewHeight / view.zoom));
  const QRectF shown(0, 0, source.width() * view.zoom, source.height() * view.zoom);
  for (auto _ : state) {
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(shown, picture, source);
    painter.end();
    benchmark::DoNotOptimize(target.constBits());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kViewWidth * kViewHeight);
}

void BM_FillView(benchmark::State& state) {
  std::vector<ViewPixel> out(size_t(kViewWidth) * kViewHeight);
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), ViewPixel(0xff404040));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_Render)->ArgName("step")->Arg(-4)->Arg(1)->Arg(2)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtDrawImage)->ArgName("step")->Arg(-4)->Arg(1)->Arg(2)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillView)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
