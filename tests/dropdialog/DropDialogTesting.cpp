// Shared pieces of the drop dialog tests.
#include "tests/dropdialog/DropDialogTesting.h"

#include <stdlib.h>

#include <QDragEnterEvent>
#include <QFile>
#include <QUrl>

namespace lumora::test {

DialogDoubles::DialogDoubles() {
  ::setenv("XDG_RUNTIME_DIR", temp.path().string().c_str(), 1);
  desktop.programPath = temp / "lumora";
  desktop.tempFolder = temp.path();
  App();
}

QvDropDialog::Platform DialogDoubles::Platform(QStringList arguments) {
  QvDropDialog::Platform platform;
  platform.registry = &registry;
  platform.windows = &windows;
  platform.desktop = &desktop;
  platform.arguments = std::move(arguments);
  return platform;
}

std::unique_ptr<QMimeData> UrlData(const std::vector<std::string>& paths) {
  auto data = std::make_unique<QMimeData>();
  QList<QUrl> urls;
  for (const std::string& path : paths) urls.push_back(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
  data->setUrls(urls);
  return data;
}

std::unique_ptr<QMimeData> OwnFormatData(const QByteArray& block) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QvDropDialog::kQuorvixFilesFormat, block);
  return data;
}

namespace {

template <typename Event>
DragAnswer Send(QWidget& target, Event& event) {
  event.setAccepted(false);
  QCoreApplication::sendEvent(&target, &event);
  return {event.isAccepted(), event.dropAction()};
}

}  // namespace

DragAnswer SendEnter(QWidget& target, const QMimeData& data, const DragStep& step) {
  QDragEnterEvent event(step.point, step.allowed, &data, step.buttons, step.modifiers);
  return Send(target, event);
}

DragAnswer SendMove(QWidget& target, const QMimeData& data, const DragStep& step) {
  QDragMoveEvent event(step.point, step.allowed, &data, step.buttons, step.modifiers);
  return Send(target, event);
}

DragAnswer SendDrop(QWidget& target, const QMimeData& data, const DragStep& step) {
  QDropEvent event(QPointF(step.point), step.allowed, &data, step.buttons, step.modifiers);
  return Send(target, event);
}

void SendLeave(QWidget& target) {
  QDragLeaveEvent event;
  QCoreApplication::sendEvent(&target, &event);
}

}  // namespace lumora::test
