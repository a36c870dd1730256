// The sample derived dialog.
#include "tests/dropdialog/SampleDropDialog.h"

namespace lumora::test {

SampleDropDialog::SampleDropDialog(Platform platform) : QvDropDialog(kTemplateId, nullptr, std::move(platform)) {}

bool SampleDropDialog::OnInitDialog() {
  QvDropDialog::OnInitDialog();
  DragAcceptFiles(true);
  return true;
}

int SampleDropDialog::OnDragOver(const QPoint& point) {
  return refuseArea.contains(point) ? kDropEffectNone : kDropEffectMove;
}

void SampleDropDialog::OnDropFiles(const QByteArray& fileList) {
  dropped.push_back(ReadDropFiles(fileList).value_or(std::vector<std::string>{}));
  if (failDrops) SetDropFail();
}

void SampleDropDialog::OnDeleteFiles(const QByteArray& fileList) {
  deleted.push_back(ReadDropFiles(fileList).value_or(std::vector<std::string>{}));
}

bool SampleDropDialog::OnDrop(const QMimeData* data, int effect, const QPoint& point) {
  dropEffects.push_back(effect);
  return QvDropDialog::OnDrop(data, effect, point);
}

void SampleDropDialog::OnDragLeave() {
  ++leaves;
  QvDropDialog::OnDragLeave();
}

}  // namespace lumora::test
