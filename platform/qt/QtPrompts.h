// Prompts shown as Qt dialogs: message boxes, the file dialog, the colour
// dialog and a folder browser that stays open until its check accepts a path.
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

 private:
  QWidget* parent_;
};

// The "description|patterns|" filter in the form of Qt's name filters,
// e.g. "Pictures (*.jpg *.bmp)".
QStringList QtNameFilters(std::string_view filter);

}  // namespace lumora
