// The photo editor on a 12-megapixel JPEG (4000 x 3000), offscreen, in a
// window with a 1280 x 800 view: the JPEG's full decode beside entering the editor up
// to the first complete paint of the view; one level click (brightness)
// up to the repainted view, alone and with every level on; and a repaint of
// the view at each zoom step.
//
//   QT_QPA_PLATFORM=offscreen bench_editor
//
// LUMORA_BENCH_PICTURE names another picture to use.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "bench/BenchPicture.h"
#include "editor/ImageCanvas.h"
#include "editor/PhotoEditor.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/PictureFiles.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/qt/QtDesktop.h"
#include "resources/Resources.h"
#include "sharing/DesktopWallpaper.h"

namespace {

using namespace lumora;
namespace fs = std::filesystem;

// The window whose picture view is 1280 x 800.
constexpr int kWindowWidth = 1280 + 195;
constexpr int kWindowHeight = 800 + 185;

// Every question is answered No: the benchmark never saves.
class AnswerNo final : public Prompts {
 public:
  int ShowMessage(const std::string&, const std::string&, uint32_t) override { return kAnswerNo; }
  std::vector<std::string> OpenFiles(const OpenFileRequest&) override { return {}; }
  std::optional<Colour> ChooseColour(Colour) override { return std::nullopt; }
  std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }
  std::optional<size_t> ChooseScanDevice(const std::vector<ScanDevice>&, size_t) override { return std::nullopt; }
  std::optional<ScanSettings> ChooseScanSettings(const ScanChoices&) override { return std::nullopt; }
  std::unique_ptr<ScanProgress> ShowScanProgress(const std::string&, std::function<void()>) override {
    return nullptr;
  }
};

// The window the editor lives in, with the one picture as the album.
class Host final : public EditorHost {
 public:
  explicit Host(std::string path) : path_(std::move(path)) {
    window_.resize(kWindowWidth, kWindowHeight);
    window_.show();
    // Painting starts once the window is exposed.
    while (!window_.windowHandle() || !window_.windowHandle()->isExposed()) QCoreApplication::processEvents();
  }
  QWidget& Window() override { return window_; }
  void ShowButton(uint32_t, bool) override {}
  void SetButtonLook(uint32_t, int) override {}
  std::vector<std::string> ItemPaths() const override { return {path_}; }
  int LastSelectedItem() const override { return 0; }
  void SelectItem(int) override {}
  void RefreshItem(const std::string&) override {}
  bool EnterEditorForm() override { return true; }
  void LeaveEditorForm() override {}
  // The benchmarks never press "Wallpaper": no backends.
  DesktopWallpaper& Wallpaper() override { return wallpaper_; }
  void ShowDesktop() override {}

 private:
  std::string path_;
  QWidget window_;
  Registry registry_ = Registry::InMemory();
  DesktopWallpaper wallpaper_{registry_, {}};
};

struct Setup {
  Setup() {
    dir = fs::temp_directory_path() / ("lumora-bench-editor-" + std::to_string(getpid()));
    fs::create_directories(dir);
    jpg = (dir / "photo.jpg").string();
    const DibImage picture = bench::BenchPicture("bench_editor");
    if (!WriteJpegFile(picture, jpg)) {
      std::fprintf(stderr, "cannot write %s\n", jpg.c_str());
      std::exit(1);
    }
    host = std::make_unique<Host>(jpg);
    editor = std::make_unique<PhotoEditor>(PhotoEditor::Services{prompts, shell, desktop, resources}, *host);
  }
  ~Setup() { fs::remove_all(dir); }

  // Opens the picture and paints the view completely.
  void Enter() {
    editor->Enter();
    editor->Canvas().viewport()->repaint();
  }
  // Closes the editor without saving.
  void Discard() { editor->OnCommand(editor::kClose); }
  void Click(uint32_t control) {
    editor->OnCommand(control);
    editor->Canvas().viewport()->repaint();
  }

  fs::path dir;
  std::string jpg;
  AnswerNo prompts;
  PosixShell shell;
  QtDesktop desktop;
  Resources resources{fs::path()};
  std::unique_ptr<Host> host;
  std::unique_ptr<PhotoEditor> editor;
};

Setup& Bench() {
  static Setup* setup = new Setup;
  return *setup;
}

constexpr uint32_t kBrightnessDown = 1100, kBrightnessUp = 1101;

void BM_JpegFullDecode(benchmark::State& state) {
  for (auto _ : state) {
    DibImage picture;
    if (!LoadPictureFile(picture, Bench().jpg)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(picture.block().data());
  }
}
BENCHMARK(BM_JpegFullDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnterToFirstPaint(benchmark::State& state) {
  Setup& bench = Bench();
  for (auto _ : state) {
    bench.Enter();
    state.PauseTiming();
    bench.editor->OnCommand(editor::kClose);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EnterToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// Brightness up and down in turn: each click recomputes from the effect base.
void BM_LevelClick(benchmark::State& state) {
  Setup& bench = Bench();
  bench.Enter();
  bench.Click(kBrightnessUp);
  bool up = false;
  for (auto _ : state) {
    bench.Click(up ? kBrightnessUp : kBrightnessDown);
    up = !up;
  }
  bench.Discard();
}
BENCHMARK(BM_LevelClick)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every level and toggle on (the overlay aside), then brightness up and down.
void BM_LevelClickAllOn(benchmark::State& state) {
  Setup& bench = Bench();
  bench.Enter();
  for (const editor::LevelRow& row : editor::kLevelRows) bench.editor->OnCommand(row.up);
  for (const editor::ToggleButton& toggle : editor::kToggleButtons) bench.editor->OnCommand(toggle.control);
  bench.editor->OnCommand(editor::kRotateRight);
  bool up = false;
  for (auto _ : state) {
    bench.Click(up ? kBrightnessUp : kBrightnessDown);
    up = !up;
  }
  bench.Discard();
}
BENCHMARK(BM_LevelClickAllOn)->Unit(benchmark::kMillisecond)->UseRealTime();

// A repaint of the whole view at a zoom step.
void BM_Repaint(benchmark::State& state) {
  Setup& bench = Bench();
  bench.Enter();
  bench.editor->Canvas().SetZoomStep(int(state.range(0)));
  for (auto _ : state) bench.editor->Canvas().viewport()->repaint();
  bench.editor->OnCommand(editor::kClose);
}
BENCHMARK(BM_Repaint)->Arg(-4)->Arg(1)->Arg(2)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
