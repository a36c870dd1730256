// Shared pieces of the main window tests: the one application object, waiting
// on the event loop, the doubles a MainDialog is built with (registry,
// desktop, prompts, shell, window system and the seams for the process exit,
// popup menus and modal dialogs), and synthetic mouse events.
#pragma once

#include <QApplication>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AlbumBrowser.h"
#include "app/ItemBrowser.h"
#include "app/MainDialog.h"
#include "platform/Registry.h"
#include "platform/testing/DesktopDoubles.h"
#include "platform/testing/FakeDesktop.h"
#include "platform/testing/RecordingShell.h"
#include "platform/testing/ScriptedPrompts.h"
#include "platform/window/testing/FakeWindowSystem.h"
#include "resources/Resources.h"
#include "tests/TempDir.h"
#include "tests/support/QtTestApp.h"

class QWidget;

namespace lumora::test {

// Keeps the process's current directory across a test (the window moves it
// into the albums).
class KeepCurrentDirectory {
 public:
  KeepCurrentDirectory() : saved_(std::filesystem::current_path()) {}
  ~KeepCurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(saved_, ignored);
  }

 private:
  std::filesystem::path saved_;
};

// One popup menu the window showed: its entries ("text" or "text [x]" when
// checked, "-" for separators, "Sub/text" inside a sub-menu) and where its
// top-left corner went.
struct ShownMenu {
  QStringList entries;
  QPoint at;
};

// Everything a MainDialog under test works with. The program file is
// "<temp>/Lumora", so "Albums", the list backgrounds and a resource library
// are looked for in the temporary folder; the runtime folder, where the
// window announces itself, is there too.
struct MainWindowDoubles {
  // `onDisk`: the registry keeps its hives in the temporary folder, so a test
  // can read what the next start would find; else it lives in memory.
  explicit MainWindowDoubles(bool onDisk = false);

  // The window, built with these doubles (not shown yet).
  std::unique_ptr<MainDialog> MakeWindow();
  // Builds the window and shows it (which initialises it).
  std::unique_ptr<MainDialog> ShowWindow();

  // The window moves the current directory into the albums; it comes back
  // when the doubles go.
  KeepCurrentDirectory keepDirectory;
  TempDir temp;
  std::optional<Registry> registry;
  testing_support::FakeDesktop desktop;
  testing_support::ScriptedPrompts prompts;
  testing_support::RecordingShell shell;
  // The shell the window gets instead of the recording one (a real one for
  // tests whose folders must really change); null: the recording shell.
  Shell* shellInUse = nullptr;
  FakeWindowSystem windows;
  // The window system the window gets instead of the fake one (a real X
  // display's); null: the fake one.
  WindowSystem* windowsInUse = nullptr;
  std::unique_ptr<Resources> resources;
  // The companion launcher's seams: the real media checks, and a pause after
  // starting the VCD program that returns at once.
  CompanionLauncher::Seams companionSeams{{}, {}, [](std::chrono::milliseconds) {}};
  // The scanners' source manager; empty: SANE's library.
  TwainLink::Loader loadSourceManager;

  std::vector<int> exitCodes;       // each call of the exit seam
  std::vector<ShownMenu> menus;     // each popup menu shown
  uint32_t menuChoice = 0;          // the command the next popup answers with; 0: none
  std::vector<QString> dialogs;     // the title of each modal dialog run
  std::function<void(QDialog&)> onDialog;  // looks at a modal dialog before it "closes"
  // Runs a drag of items in place of QDrag::exec; empty: no drag is expected.
  std::function<Qt::DropAction(QDrag&, Qt::DropActions)> runDrag;
  // The mail client the Mail button uses.
  testing_support::RecordingMailClient mail;
  // The desktop the wallpaper backends act on: a portal that never sets and
  // a desktop that does (their names "portal" and "gnome").
  testing_support::ScriptedDesktop portalDesktop{std::nullopt, false, false, {}, {}};
  testing_support::ScriptedDesktop wallpaperDesktop{"'file:///old.jpg'", true, true, {}, {}};
};

// The string value `name` under `subkey`, or nothing.
std::optional<std::string> ReadText(Registry& registry, std::string_view subkey, std::string_view name);
std::optional<uint32_t> ReadDword(Registry& registry, std::string_view subkey, std::string_view name);
// Names of the values under `subkey` in stored order.
std::vector<std::string> ValueNames(Registry& registry, std::string_view subkey);

// Mouse events as the window system delivers them: `local` in the widget's
// coordinates, the global point from the widget's position on screen.
void SendMouse(QWidget& widget, QEvent::Type type, const QPoint& local, Qt::MouseButton button,
               Qt::MouseButtons held);
void Press(QWidget& widget, const QPoint& local);
void MoveHeld(QWidget& widget, const QPoint& local);
void Release(QWidget& widget, const QPoint& local);
void Hover(QWidget& widget, const QPoint& local);
// A click (press and release) and a double click of the left button.
void Click(QWidget& widget, const QPoint& local);
void DoubleClick(QWidget& widget, const QPoint& local);
// A click of the left button posted to `widget`: it arrives when events are
// next processed, as a user's click does while a progress window pumps them.
void PostClick(QWidget& widget, const QPoint& local);

// Calls `during` each time an item load of `window` puts an item into the
// item list, with the list's count then: a look from inside the load, while
// its progress window is up. Holds until the connection is broken.
QMetaObject::Connection OnItemLoaded(MainDialog& window, std::function<void(int count)> during);

// Makes the album folder `name` under the doubles' "Albums" folder.
std::filesystem::path AddAlbum(const MainWindowDoubles& doubles, const std::string& name);
// Writes a picture of one colour through our codecs (the extension picks the
// format).
void WritePicture(const std::filesystem::path& path, int width, int height, QRgb colour);


}  // namespace lumora::test
