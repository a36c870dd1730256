// SplashWindow: the picture shown on top of everything while the main window
// sets itself up. A frameless stay-on-top window the size of the bitmap,
// centred in the work area and painted at once. It goes away when its display
// time runs out (if it has one), on a key press or on a mouse button press;
// the main window closes it at the end of its initialisation.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace lumora {

class Desktop;
class SplashView;

class SplashWindow {
 public:
  // `bitmapFile` is the bytes of a BMP file (the splash resource); a display
  // time of 0 keeps the window until it is closed.
  SplashWindow(Desktop& desktop, std::optional<std::vector<uint8_t>> bitmapFile, int displayMs);
  ~SplashWindow();  // Close()
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  // Makes, centres, shows and paints the window; false when there is no
  // bitmap or it does not decode, or the window is already up.
  bool Show();
  // Closes and deletes the window (nothing when there is none).
  void Close();
  // The window is up: shown, and not closed by its timer, a key or a click.
  bool IsShown() const;
  // The window; nullptr before Show and after Close.
  QWidget* window() const;

 private:
  Desktop& desktop_;
  std::optional<std::vector<uint8_t>> bitmapFile_;
  int displayMs_;
  std::unique_ptr<SplashView> view_;
};

}  // namespace lumora
