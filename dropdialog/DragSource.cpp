// QvDropDialog as a drag source: a file list dragged as local file URLs or as
// a block in the own format, with the wait cursor while the drag runs.
#include "dropdialog/QvDropDialog.h"

#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "platform/Desktop.h"

namespace {

Qt::DropActions ActionsOf(int effects) {
  Qt::DropActions actions;
  if (effects & QvDropDialog::kDropEffectCopy) actions |= Qt::CopyAction;
  if (effects & QvDropDialog::kDropEffectMove) actions |= Qt::MoveAction;
  if (effects & QvDropDialog::kDropEffectLink) actions |= Qt::LinkAction;
  return actions;
}

int EffectOf(Qt::DropAction action) {
  switch (action) {
    case Qt::CopyAction:
      return QvDropDialog::kDropEffectCopy;
    case Qt::MoveAction:
    case Qt::TargetMoveAction:
      return QvDropDialog::kDropEffectMove;
    case Qt::LinkAction:
      return QvDropDialog::kDropEffectLink;
    default:
      return QvDropDialog::kDropEffectNone;
  }
}

}  // namespace

QMimeData* QvDropDialog::MakeDragData(const std::vector<std::string>& paths, bool ownFormat) {
  // The block decides what can be dragged, in either format.
  std::optional<QByteArray> block = CreateDropFiles(paths);
  if (!block) return nullptr;
  auto* data = new QMimeData;
  if (ownFormat) {
    data->setData(QString::fromLatin1(kQuorvixFilesFormat), *block);
    return data;
  }
  QList<QUrl> urls;
  for (const std::string& path : paths)
    urls.push_back(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
  data->setUrls(urls);
  return data;
}

int QvDropDialog::DoDragDrop(const std::vector<std::string>& paths, int allowedEffects, bool ownFormat) {
  QMimeData* data = MakeDragData(paths, ownFormat);
  if (!data) return kDropEffectNone;
  // Qt may still use the drag object while its nested loop unwinds.
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  Qt::DropAction chosen = Qt::IgnoreAction;
  {
    lumora::WaitCursor wait(desktop());
    const Qt::DropActions allowed = ActionsOf(allowedEffects);
    chosen = platform_.runDrag ? platform_.runDrag(*drag, allowed) : drag->exec(allowed);
  }
  drag->deleteLater();
  return EffectOf(chosen);
}

int QvDropDialog::DoDragDrop2(const std::vector<std::string>& paths, int& effect, bool ownFormat) {
  dropOnSelf_ = false;
  draggingSelf_ = true;
  effect = DoDragDrop(paths, effect, ownFormat);
  draggingSelf_ = false;
  const bool cameBack = dropOnSelf_;
  // Cleared again so that later drags from elsewhere are not refused.
  dropOnSelf_ = false;
  return cameBack ? 0 : 1;
}
