// Scripted prompts for window tests.
#include "platform/testing/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace lumora::testing_support {

namespace {
const char* KindName(int k) {
  static const char* names[] = {"message box",    "file dialog", "colour dialog",
                                "folder browser", "device list", "scan dialog"};
  return names[k];
}
}  // namespace

ScriptedPrompts::~ScriptedPrompts() {
  for (const auto& s : script_)
    ADD_FAILURE() << "expected " << KindName(int(s.kind)) << " \"" << s.text << "\" was never shown";
}

ScriptedPrompts& ScriptedPrompts::ExpectMessage(std::string text, int answer) {
  script_.push_back({Kind::Message, std::move(text), std::nullopt, std::nullopt, answer, {}, {}, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::ExpectMessage(std::string text, std::string caption, uint32_t style,
                                                int answer) {
  script_.push_back({Kind::Message, std::move(text), std::move(caption), style, answer, {}, {}, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::ExpectOpenFiles(std::vector<std::string> files) {
  script_.push_back({Kind::OpenFiles, {}, {}, {}, 0, std::move(files), {}, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::ExpectColour(std::optional<Colour> colour) {
  script_.push_back({Kind::Colour, {}, {}, {}, 0, {}, colour, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::ExpectFolder(std::vector<std::string> typedPaths) {
  script_.push_back({Kind::Folder, {}, {}, {}, 0, std::move(typedPaths), {}, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::ExpectScanDevice(std::string name) {
  script_.push_back({Kind::ScanDevice, std::move(name), {}, {}, 0, {}, {}, {}});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::ExpectScanSettings(std::optional<ScanSettings> settings) {
  script_.push_back({Kind::ScanSettings, {}, {}, {}, 0, {}, {}, std::move(settings)});
  return *this;
}

std::optional<ScriptedPrompts::Step> ScriptedPrompts::Next(Kind kind, const std::string& what) {
  if (script_.empty()) {
    ADD_FAILURE() << "unexpected " << KindName(int(kind)) << ": " << what;
    return std::nullopt;
  }
  Step step = std::move(script_.front());
  script_.pop_front();
  if (step.kind != kind) {
    ADD_FAILURE() << "expected " << KindName(int(step.kind)) << " \"" << step.text << "\" but got "
                  << KindName(int(kind)) << ": " << what;
    return std::nullopt;
  }
  return step;
}

int ScriptedPrompts::ShowMessage(const std::string& text, const std::string& caption, uint32_t style) {
  shown_.push_back("message: " + text);
  auto step = Next(Kind::Message, text);
  if (!step) return (style & box::kButtonMask) == box::kOk ? kAnswerOk : kAnswerCancel;
  EXPECT_EQ(text, step->text) << "message box text";
  if (step->caption) {
    EXPECT_EQ(caption, *step->caption) << "caption of \"" << text << "\"";
  }
  if (step->style) {
    EXPECT_EQ(style, *step->style) << "style of \"" << text << "\"";
  }
  return step->answer;
}

std::vector<std::string> ScriptedPrompts::OpenFiles(const OpenFileRequest& request) {
  shown_.push_back("open files");
  lastFile_ = request;
  auto step = Next(Kind::OpenFiles, request.title);
  return step ? step->paths : std::vector<std::string>{};
}

std::optional<Colour> ScriptedPrompts::ChooseColour(Colour) {
  shown_.push_back("colour");
  auto step = Next(Kind::Colour, "colour");
  return step ? step->colour : std::nullopt;
}

std::optional<std::string> ScriptedPrompts::BrowseFolder(const FolderRequest& request) {
  shown_.push_back("folder: " + request.title);
  lastFolder_ = request;
  auto step = Next(Kind::Folder, request.title);
  if (!step) return std::nullopt;
  for (const auto& path : step->paths)
    if (!request.accept || request.accept(path)) return path;
  return std::nullopt;
}

std::optional<size_t> ScriptedPrompts::ChooseScanDevice(const std::vector<ScanDevice>& devices, size_t) {
  std::string names;
  for (const ScanDevice& d : devices) names += (names.empty() ? "" : ",") + d.name;
  shown_.push_back("devices: " + names);
  auto step = Next(Kind::ScanDevice, names);
  if (!step || step->text.empty()) return std::nullopt;
  for (size_t i = 0; i < devices.size(); ++i)
    if (devices[i].name == step->text) return i;
  ADD_FAILURE() << "device \"" << step->text << "\" is not in the list " << names;
  return std::nullopt;
}

std::optional<ScanSettings> ScriptedPrompts::ChooseScanSettings(const ScanChoices& choices) {
  shown_.push_back("scan: " + choices.device);
  lastScan_ = choices;
  auto step = Next(Kind::ScanSettings, choices.device);
  if (!step || !step->scan) return std::nullopt;
  ScanSettings answer = *step->scan;
  if (answer.mode.empty()) answer.mode = choices.mode;
  if (answer.resolution == 0) answer.resolution = choices.resolution;
  if (answer.source.empty()) answer.source = choices.source;
  return answer;
}

class ScriptedPrompts::Progress final : public ScanProgress {
 public:
  explicit Progress(std::shared_ptr<std::function<void()>> cancel) : cancel_(std::move(cancel)) {}
  ~Progress() override { *cancel_ = nullptr; }

 private:
  std::shared_ptr<std::function<void()>> cancel_;
};

std::unique_ptr<ScanProgress> ScriptedPrompts::ShowScanProgress(const std::string& device,
                                                                std::function<void()> cancel) {
  shown_.push_back("scanning: " + device);
  scanCancel_ = std::make_shared<std::function<void()>>(std::move(cancel));
  return std::make_unique<Progress>(scanCancel_);
}

bool ScriptedPrompts::CancelScan() {
  if (!scanCancel_ || !*scanCancel_) return false;
  (*scanCancel_)();
  return true;
}

}  // namespace lumora::testing_support
