// AlbumHubApp: the program's start. It refuses to run twice (a running copy's
// main window, class "#32770" titled with string 14, is brought to the front
// and this process ends with code 0), loads the resource library
// "Lumora.rcc" from the program folder when present, and runs the main window
// modally; the process ends when that run ends.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QDialog;
class QMenu;
class QPoint;

namespace lumora {

class Desktop;
class MainDialog;
class Prompts;
class Registry;
class Shell;
class WindowSystem;

class AlbumHubApp {
 public:
  // The window class every dialog of the product line is found by.
  static constexpr char kDialogWindowClass[] = "#32770";

  struct Services {
    Registry& registry;
    Shell& shell;
    Prompts& prompts;
    Desktop& desktop;
    // The window directory; null: the one matching Qt's platform.
    WindowSystem* windows = nullptr;
  };

  explicit AlbumHubApp(Services services);

  // Called with the main window once it is up and painted, before the modal
  // run continues (the screenshot option uses it).
  void OnWindowShown(std::function<void(MainDialog&)> callback) { onShown_ = std::move(callback); }

  // Runs the start-up steps and the main window; the process's exit code.
  int Run();

 private:
  Services services_;
  std::function<void(MainDialog&)> onShown_;
};

}  // namespace lumora
