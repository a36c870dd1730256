// The start-up steps: the resource library, the single-instance test, and the
// main window's modal run.
#include "app/AlbumHubApp.h"

#include <QEvent>
#include <QTimer>

#include "app/MainDialog.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/window/WindowSystem.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace lumora {

namespace {

// Calls back once the watched window has been shown (its initialisation is
// over by then), from the event loop of its modal run.
class ShownWatcher final : public QObject {
 public:
  explicit ShownWatcher(std::function<void()> callback) : callback_(std::move(callback)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && callback_) {
      QTimer::singleShot(0, watched, std::exchange(callback_, {}));
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> callback_;
};

}  // namespace

AlbumHubApp::AlbumHubApp(Services services) : services_(services) {}

int AlbumHubApp::Run() {
  // The resource library is mapped first, so the running copy is looked for
  // under the title it gave its window.
  const Resources resources(services_.desktop.ProgramFolder());
  const std::string title = resources.String(res::kStringProgramName).value_or("");

  std::unique_ptr<WindowSystem> ownWindows;
  WindowSystem* windows = services_.windows;
  if (!windows) {
    std::string error;
    ownWindows = OpenWindowSystemForQt(&error);
    windows = ownWindows.get();
  }
  if (windows) {
    const WindowHandle running = windows->FindTopLevel(kDialogWindowClass, title);
    if (running != kNoWindow) {
      windows->BringToFront(running);
      return 0;
    }
  }

  MainDialog dialog({services_.registry, services_.shell, services_.prompts, services_.desktop, resources, windows,
                     {}, {}, {}, {}, {}, {}, nullptr, {}});
  ShownWatcher watcher([this, &dialog] {
    if (onShown_) onShown_(dialog);
  });
  dialog.installEventFilter(&watcher);
  dialog.exec();
  return 0;
}

}  // namespace lumora
