// Drives one acquisition without a window, through the same link, source
// manager and saving as the program: the first SANE device, the given mode,
// resolution and source answered in place of the scan dialog, the pages saved
// as PIC<n>.bmp into the folder. Timed beside scanimage by bench/scan.sh.
//   bench_scan <album folder> [mode] [dpi] [source]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "media/twain/TwainLink.h"
#include "platform/Prompts.h"
#include "platform/SaneSource.h"

namespace {

using namespace lumora;

// The user who picks the first device and scans with fixed settings.
class FixedAnswers final : public Prompts {
 public:
  explicit FixedAnswers(ScanSettings settings) : settings_(std::move(settings)) {}
  int ShowMessage(const std::string& text, const std::string&, uint32_t) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return kAnswerOk;
  }
  std::vector<std::string> OpenFiles(const OpenFileRequest&) override { return {}; }
  std::optional<Colour> ChooseColour(Colour) override { return std::nullopt; }
  std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }
  std::optional<size_t> ChooseScanDevice(const std::vector<ScanDevice>&, size_t) override { return 0; }
  std::optional<ScanSettings> ChooseScanSettings(const ScanChoices&) override { return settings_; }
  std::unique_ptr<ScanProgress> ShowScanProgress(const std::string&, std::function<void()>) override {
    return nullptr;
  }

 private:
  ScanSettings settings_;
};

class Folder final : public TwainOwner {
 public:
  explicit Folder(std::string path) : path_(std::move(path) + "/") {}
  std::string AlbumFolder() const override { return path_; }
  void AddAcquiredItem(const std::string&) override {}

 private:
  std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <album folder> [mode] [dpi] [source]\n", argv[0]);
    return 2;
  }
  FixedAnswers prompts({argc > 2 ? argv[2] : "Color", argc > 3 ? std::atoi(argv[3]) : 300,
                        argc > 4 ? argv[4] : "Flatbed"});
  Folder album(argv[1]);
  TwainLink link(prompts, "bench_scan", [&prompts] { return LoadSaneSourceManager(prompts); });
  if (!link.Start(&album) || !link.SelectSource() || !link.Acquire()) return 1;
  // The window's timer polls every 70 ms; here the poll waits 1 ms so the
  // timing shows the work rather than the poll period.
  while (link.SourceOpen())
    if (!link.ProcessEvent()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return link.Imported() == link.Transferred() && link.Imported() > 0 ? 0 : 1;
}
