// A dialog derived from QvDropDialog the way the main window derives from it:
// it accepts files after the base initialisation, answers the point form of
// OnDragOver by position (none inside a refuse area, else move) and takes the
// dropped files in OnDropFiles. Tests and the helper program use it; it shows
// the base class's protected state to them.
#pragma once

#include <QRect>

#include <string>
#include <vector>

#include "dropdialog/QvDropDialog.h"

namespace lumora::test {

class SampleDropDialog : public QvDropDialog {
 public:
  static constexpr int kTemplateId = 102;

  explicit SampleDropDialog(Platform platform);

  using QvDropDialog::OnDragOver;
  int OnDragOver(const QPoint& point) override;
  void OnDropFiles(const QByteArray& fileList) override;
  void OnDeleteFiles(const QByteArray& fileList) override;
  bool OnInitDialog() override;

  // What the tests set.
  QRect refuseArea;         // the point form answers none inside it
  bool failDrops = false;   // OnDropFiles calls SetDropFail

  // What the tests read.
  std::vector<std::vector<std::string>> dropped;  // each OnDropFiles, its paths
  std::vector<std::vector<std::string>> deleted;  // each OnDeleteFiles
  std::vector<int> dropEffects;                   // the effect of each OnDrop
  int leaves = 0;                                 // OnDragLeave calls

  bool OnDrop(const QMimeData* data, int effect, const QPoint& point) override;
  void OnDragLeave() override;

  using QvDropDialog::ChildDialogs;
  using QvDropDialog::Handle;
  WindowHandle OwnerWindow() const { return owner_; }
  const std::string& ProgramFileName() const { return programFileName_; }
  const std::vector<std::string>& DraggedExtensions() const { return draggedExtensions_; }
  bool Accepted() const { return accepted_; }
  bool RightButton() const { return rightButton_; }
  bool DropOnSelf() const { return dropOnSelf_; }
};

}  // namespace lumora::test
