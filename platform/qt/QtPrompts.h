// Prompts shown as Qt dialogs: message boxes, the file dialog, the colour
// dialog, a folder browser that stays open until its check accepts a path,
// and the scanner's device list, scan dialog and progress window.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/Prompts.h"

class QWidget;

namespace lumora {

class QtPrompts final : public Prompts {
 public:
  // Dialogs are centred on `parent` when one is given.
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) override;
  std::vector<std::string> OpenFiles(const OpenFileRequest& request) override;
  std::optional<Colour> ChooseColour(Colour initial) override;
  std::optional<std::string> BrowseFolder(const FolderRequest& request) override;
  std::optional<size_t> ChooseScanDevice(const std::vector<ScanDevice>& devices, size_t current) override;
  std::optional<ScanSettings> ChooseScanSettings(const ScanChoices& choices) override;
  std::unique_ptr<ScanProgress> ShowScanProgress(const std::string& device, std::function<void()> cancel) override;

 private:
  QWidget* parent_;
};

// The "description|patterns|" filter in the form of Qt's name filters,
// e.g. "Pictures (*.jpg *.bmp)".
QStringList QtNameFilters(std::string_view filter);

}  // namespace lumora
