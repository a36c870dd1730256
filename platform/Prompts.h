// Prompts: every message box and every file, colour and folder dialog goes
// through this interface, so windows can be driven by tests with scripted
// answers and no test ever waits on a modal window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// Message box style bits, with the values the stored dialogs and messages use.
namespace box {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kOkCancel = 0x1;
inline constexpr uint32_t kYesNoCancel = 0x3;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kButtonMask = 0xF;
inline constexpr uint32_t kIconStop = 0x10;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconExclamation = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
inline constexpr uint32_t kIconMask = 0xF0;
inline constexpr uint32_t kSystemModal = 0x1000;
inline constexpr uint32_t kTopmost = 0x40000;
}  // namespace box

// What a message box returns.
enum Answer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// One "description|patterns|" pair of a file filter; patterns are separated
// by ";" as in "*.jpg;*.bmp".
struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;
};
// Splits "Pictures|*.jpg;*.bmp|All files|*.*|" into its pairs; a trailing
// description without patterns is dropped.
std::vector<FileFilter> ParseFileFilter(std::string_view filter);

struct OpenFileRequest {
  std::string title;
  std::string filter;  // "description|patterns|..." form
  std::string initialFolder;
  bool multiple = false;
};

struct FolderRequest {
  std::string title;
  std::string prompt;
  std::string initialFolder;
  // Checks the path the user chose; false keeps the dialog open so the user
  // can type another. Absent: every existing folder is accepted.
  std::function<bool(const std::string&)> accept;
};

// Colours are 0x00BBGGRR, as the stored settings and effect levels keep them.
using Colour = uint32_t;
inline constexpr Colour MakeColour(uint8_t r, uint8_t g, uint8_t b) {
  return Colour(r) | Colour(g) << 8 | Colour(b) << 16;
}

// A scanner or camera as the device list shows it.
struct ScanDevice {
  std::string name;  // the device's own name, "test:0"
  std::string vendor;
  std::string model;
};

// What the scan dialog offers: each list holds the device's choices (empty
// when the device has no such option) with the current one first selected.
struct ScanChoices {
  std::string device;  // shown in the title
  std::vector<std::string> modes;
  std::string mode;
  std::vector<int> resolutions;  // dots per inch
  int resolution = 0;
  std::vector<std::string> sources;  // "Flatbed", "Automatic Document Feeder", ...
  std::string source;
};

struct ScanSettings {
  std::string mode;
  int resolution = 0;
  std::string source;
  bool operator==(const ScanSettings&) const = default;
};

// A window shown while pages are scanned; it goes when the object does.
class ScanProgress {
 public:
  virtual ~ScanProgress() = default;
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // Shows `text` with `caption` and the buttons and icon of `style`; returns
  // the button pressed (Cancel or No when the box is closed otherwise).
  virtual int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) = 0;
  // The chosen files, empty when cancelled.
  virtual std::vector<std::string> OpenFiles(const OpenFileRequest& request) = 0;
  virtual std::optional<Colour> ChooseColour(Colour initial) = 0;
  virtual std::optional<std::string> BrowseFolder(const FolderRequest& request) = 0;
  // The device list: vendor, model and name of each; returns the chosen
  // device's index, nothing when cancelled. `current` is selected first.
  virtual std::optional<size_t> ChooseScanDevice(const std::vector<ScanDevice>& devices, size_t current) = 0;
  // The scan dialog: mode, resolution and source, with Scan and Cancel;
  // nothing when cancelled.
  virtual std::optional<ScanSettings> ChooseScanSettings(const ScanChoices& choices) = 0;
  // A modeless window saying that `device` scans, with a Cancel button that
  // calls `cancel` (on this thread). May return null when nothing is shown.
  virtual std::unique_ptr<ScanProgress> ShowScanProgress(const std::string& device, std::function<void()> cancel) = 0;
};

}  // namespace lumora
