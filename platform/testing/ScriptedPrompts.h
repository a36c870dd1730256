// Prompts answered from a script: each expected prompt is checked (kind and
// text) and answered, so window tests run to the end without a modal window.
// An unexpected prompt, or an expectation left over at the end, fails the test.
#pragma once

#include <deque>
#include <string>

#include "platform/Prompts.h"

namespace lumora::testing_support {

class ScriptedPrompts final : public Prompts {
 public:
  ~ScriptedPrompts() override;

  // The next prompt must be a message box with exactly this text (and, when
  // given, this caption and style); it is answered with `answer`.
  ScriptedPrompts& ExpectMessage(std::string text, int answer = kAnswerOk);
  ScriptedPrompts& ExpectMessage(std::string text, std::string caption, uint32_t style, int answer);
  // The next prompt must be the file dialog; it returns `files` (empty: cancel).
  ScriptedPrompts& ExpectOpenFiles(std::vector<std::string> files);
  ScriptedPrompts& ExpectColour(std::optional<Colour> colour);
  // The next prompt must be the folder browser. The user "types" each path in
  // turn until the request's check accepts one; none accepted means cancel.
  ScriptedPrompts& ExpectFolder(std::vector<std::string> typedPaths);
  // The next prompt must be the device list; the device named `name` is
  // chosen (empty: cancel; a name the list lacks fails the test).
  ScriptedPrompts& ExpectScanDevice(std::string name);
  // The next prompt must be the scan dialog; it answers `settings` (nothing:
  // cancel), each empty field keeping the dialog's current choice.
  ScriptedPrompts& ExpectScanSettings(std::optional<ScanSettings> settings);
  // Presses Cancel in the scan progress window that is showing; false when none is.
  bool CancelScan();
  // The choices the last scan dialog offered.
  const ScanChoices& lastScanChoices() const { return lastScan_; }

  // Every prompt shown, as "message: <text>", "open files", "colour", "folder: <title>",
  // "devices: <name>,<name>", "scan: <device>", "scanning: <device>".
  const std::vector<std::string>& shown() const { return shown_; }
  // The request of the last file or folder dialog, for checks on its fields.
  const OpenFileRequest& lastFileRequest() const { return lastFile_; }
  const FolderRequest& lastFolderRequest() const { return lastFolder_; }
  bool AllAnswered() const { return script_.empty(); }

  int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) override;
  std::vector<std::string> OpenFiles(const OpenFileRequest& request) override;
  std::optional<Colour> ChooseColour(Colour initial) override;
  std::optional<std::string> BrowseFolder(const FolderRequest& request) override;
  std::optional<size_t> ChooseScanDevice(const std::vector<ScanDevice>& devices, size_t current) override;
  std::optional<ScanSettings> ChooseScanSettings(const ScanChoices& choices) override;
  std::unique_ptr<ScanProgress> ShowScanProgress(const std::string& device, std::function<void()> cancel) override;

 private:
  enum class Kind { Message, OpenFiles, Colour, Folder, ScanDevice, ScanSettings };
  class Progress;
  struct Step {
    Kind kind;
    std::string text;
    std::optional<std::string> caption;
    std::optional<uint32_t> style;
    int answer = 0;
    std::vector<std::string> paths;
    std::optional<Colour> colour;
    std::optional<ScanSettings> scan;
  };
  // The next step if it is of `kind`; records a test failure otherwise.
  std::optional<Step> Next(Kind kind, const std::string& what);

  std::deque<Step> script_;
  std::vector<std::string> shown_;
  OpenFileRequest lastFile_;
  FolderRequest lastFolder_;
  ScanChoices lastScan_;
  // The cancel of the progress window showing, shared with that window so
  // either may go first.
  std::shared_ptr<std::function<void()>> scanCancel_;
};

}  // namespace lumora::testing_support
