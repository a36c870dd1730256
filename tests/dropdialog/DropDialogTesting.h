// Shared pieces of the drop dialog tests: the application object, waiting on
// the event loop, the platform doubles a dialog is built with, drag data, and
// synthetic drag events sent the way Qt's drag manager sends them.
#pragma once

#include <QApplication>
#include <QMimeData>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dropdialog/QvDropDialog.h"
#include "platform/Registry.h"
#include "platform/testing/FakeDesktop.h"
#include "platform/window/testing/FakeWindowSystem.h"
#include "tests/TempDir.h"
#include "tests/support/QtTestApp.h"

namespace lumora::test {

// What a dialog under test works with: an in-memory registry, a desktop whose
// program file is "<temp>/lumora", a fake window system, and the runtime
// folder (where the dialog announces itself) in the temporary folder.
struct DialogDoubles {
  DialogDoubles();
  QvDropDialog::Platform Platform(QStringList arguments = {"lumora"});

  TempDir temp;
  Registry registry = Registry::InMemory();
  testing_support::FakeDesktop desktop;
  FakeWindowSystem windows;
};

// Drag data with the paths as local file URLs, or a block in the own format.
std::unique_ptr<QMimeData> UrlData(const std::vector<std::string>& paths);
std::unique_ptr<QMimeData> OwnFormatData(const QByteArray& block);

// What the receiver answered to one drag event.
struct DragAnswer {
  bool accepted = false;
  Qt::DropAction action = Qt::IgnoreAction;
};

struct DragStep {
  QPoint point{10, 10};
  Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
  Qt::MouseButtons buttons = Qt::LeftButton;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

DragAnswer SendEnter(QWidget& target, const QMimeData& data, const DragStep& step = {});
DragAnswer SendMove(QWidget& target, const QMimeData& data, const DragStep& step = {});
DragAnswer SendDrop(QWidget& target, const QMimeData& data, const DragStep& step = {});
void SendLeave(QWidget& target);

}  // namespace lumora::test
