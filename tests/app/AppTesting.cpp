// Shared pieces of the main window tests.
#include "tests/app/AppTesting.h"

#include <stdlib.h>

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "picture/DibImage.h"
#include "media/codecs/PictureFiles.h"

namespace lumora::test {

MainWindowDoubles::MainWindowDoubles(bool onDisk) {
  App();
  ::setenv("XDG_RUNTIME_DIR", temp.path().string().c_str(), 1);
  // Each window's thumbnail cache starts empty and stays out of the user's.
  ::setenv("XDG_CACHE_HOME", (temp / "cache").string().c_str(), 1);
  if (onDisk)
    registry.emplace(temp / "registry");
  else
    registry.emplace(Registry::InMemory());
  desktop.workArea = {0, 0, 1280, 800};
  desktop.programPath = temp / "Lumora";
  desktop.tempFolder = temp.path();
  desktop.systemFolder = temp.path();
}

std::unique_ptr<MainDialog> MainWindowDoubles::MakeWindow() {
  resources = std::make_unique<Resources>(temp.path());
  Shell& usedShell = shellInUse ? *shellInUse : shell;
  WindowSystem* usedWindows = windowsInUse ? windowsInUse : &windows;
  MainDialog::Services services{*registry, usedShell, prompts, desktop, *resources, usedWindows, {}, {}, {}, {},
                                companionSeams, loadSourceManager, &mail, {}};
  services.wallpaperBackends = [this] {
    std::vector<std::unique_ptr<WallpaperBackend>> backends;
    backends.push_back(std::make_unique<testing_support::ScriptedWallpaper>("portal", portalDesktop));
    backends.push_back(std::make_unique<testing_support::ScriptedWallpaper>("gnome", wallpaperDesktop));
    return backends;
  };
  services.exitProcess = [this](int code) { exitCodes.push_back(code); };
  services.runDrag = [this](QDrag& drag, Qt::DropActions allowed) {
    EXPECT_TRUE(runDrag) << "a drag of items started";
    return runDrag ? runDrag(drag, allowed) : Qt::IgnoreAction;
  };
  services.runMenu = [this](QMenu& menu, const QPoint& at) -> QAction* {
    ShownMenu shown{{}, at};
    QAction* chosen = nullptr;
    const auto* window = dynamic_cast<const MainDialog*>(menu.parentWidget());
    QAction* wanted = window && menuChoice != 0 ? window->Action(menuChoice) : nullptr;
    // Sub-menu entries come as "Sub/entry".
    std::function<void(const QMenu&, const QString&)> list = [&](const QMenu& from, const QString& prefix) {
      for (QAction* action : from.actions()) {
        if (action->isSeparator()) {
          shown.entries << prefix + "-";
          continue;
        }
        if (action->menu()) {
          list(*action->menu(), prefix + action->text() + "/");
          continue;
        }
        shown.entries << prefix + action->text() + (action->isChecked() ? " [x]" : "");
        if (wanted && action == wanted) chosen = action;
      }
    };
    list(menu, QString());
    menus.push_back(shown);
    // As QMenu::exec: the menu hides, then the chosen entry's action triggers.
    emit menu.aboutToHide();
    if (chosen) chosen->trigger();
    return chosen;
  };
  services.runDialog = [this](QDialog& dialog) {
    dialogs.push_back(dialog.windowTitle());
    if (onDialog) onDialog(dialog);
    return int(QDialog::Accepted);
  };
  return std::make_unique<MainDialog>(std::move(services));
}

std::unique_ptr<MainDialog> MainWindowDoubles::ShowWindow() {
  std::unique_ptr<MainDialog> window = MakeWindow();
  window->show();
  return window;
}

std::optional<std::string> ReadText(Registry& registry, std::string_view subkey, std::string_view name) {
  RegKey key;
  RegData data;
  if (registry.OpenKey(Hive::LocalMachine, subkey, key) != RegStatus::Ok) return std::nullopt;
  if (registry.QueryValue(key, name, data) != RegStatus::Ok || data.type != uint32_t(RegType::String))
    return std::nullopt;
  std::string text(data.bytes.begin(), data.bytes.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::optional<uint32_t> ReadDword(Registry& registry, std::string_view subkey, std::string_view name) {
  RegKey key;
  RegData data;
  if (registry.OpenKey(Hive::LocalMachine, subkey, key) != RegStatus::Ok) return std::nullopt;
  if (registry.QueryValue(key, name, data) != RegStatus::Ok || data.bytes.size() != 4) return std::nullopt;
  return uint32_t(data.bytes[0] | data.bytes[1] << 8 | data.bytes[2] << 16 | uint32_t(data.bytes[3]) << 24);
}

std::vector<std::string> ValueNames(Registry& registry, std::string_view subkey) {
  std::vector<std::string> names;
  RegKey key;
  if (registry.OpenKey(Hive::LocalMachine, subkey, key) != RegStatus::Ok) return names;
  std::string name;
  for (size_t i = 0; registry.EnumValue(key, i, name) == RegStatus::Ok; ++i) names.push_back(name);
  return names;
}

void SendMouse(QWidget& widget, QEvent::Type type, const QPoint& local, Qt::MouseButton button,
               Qt::MouseButtons held) {
  const QPointF global = widget.mapToGlobal(QPointF(local));
  QMouseEvent event(type, QPointF(local), global, button, held, Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

void Press(QWidget& widget, const QPoint& local) {
  SendMouse(widget, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
}

void MoveHeld(QWidget& widget, const QPoint& local) {
  SendMouse(widget, QEvent::MouseMove, local, Qt::NoButton, Qt::LeftButton);
}

void Release(QWidget& widget, const QPoint& local) {
  SendMouse(widget, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
}

void Hover(QWidget& widget, const QPoint& local) {
  SendMouse(widget, QEvent::MouseMove, local, Qt::NoButton, Qt::NoButton);
}

void Click(QWidget& widget, const QPoint& local) {
  Press(widget, local);
  Release(widget, local);
}

void DoubleClick(QWidget& widget, const QPoint& local) {
  Click(widget, local);
  Press(widget, local);
  SendMouse(widget, QEvent::MouseButtonDblClick, local, Qt::LeftButton, Qt::LeftButton);
  Release(widget, local);
}

void PostClick(QWidget& widget, const QPoint& local) {
  const QPointF global = widget.mapToGlobal(QPointF(local));
  QCoreApplication::postEvent(&widget, new QMouseEvent(QEvent::MouseButtonPress, QPointF(local), global,
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(&widget, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(local), global,
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

QMetaObject::Connection OnItemLoaded(MainDialog& window, std::function<void(int count)> during) {
  ItemListView* list = window.ItemList();
  return QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list, [&window, list, during] {
    // Sorting after the load puts the items back too; only the load's count.
    if (window.Items().Loading()) during(list->Count());
  });
}

std::filesystem::path AddAlbum(const MainWindowDoubles& doubles, const std::string& name) {
  const std::filesystem::path folder = doubles.temp / "Albums" / name;
  std::filesystem::create_directories(folder);
  return folder;
}

void WritePicture(const std::filesystem::path& path, int width, int height, QRgb colour) {
  DibImage picture;
  ASSERT_TRUE(picture.Create(width, height, 24));
  RowTable rows(picture);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = rows[y];
    for (int x = 0; x < width; ++x) {
      row[3 * x] = uint8_t(qBlue(colour));
      row[3 * x + 1] = uint8_t(qGreen(colour));
      row[3 * x + 2] = uint8_t(qRed(colour));
    }
  }
  ASSERT_TRUE(SavePictureFile(picture, path.string())) << path;
}

}  // namespace lumora::test
