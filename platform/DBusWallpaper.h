// Wallpaper backends over the D-Bus session bus (libdbus, no toolkit):
//
// - the desktop portal: org.freedesktop.portal.Wallpaper.SetWallpaperFile on
//   org.freedesktop.portal.Desktop, the picture passed as an open file, the
//   answer the Response signal of the request object. It sets but cannot
//   tell what the desktop showed before (Current answers nothing).
// - Plasma: org.kde.PlasmaShell.evaluateScript on org.kde.plasmashell, a
//   desktop script that points every desktop's image wallpaper at the file
//   (and one that prints the first desktop's image, for Current).
#pragma once

#include <chrono>
#include <string>

#include "platform/Wallpaper.h"

namespace lumora {

class PortalWallpaper final : public WallpaperBackend {
 public:
  static constexpr char kService[] = "org.freedesktop.portal.Desktop";
  static constexpr char kObject[] = "/org/freedesktop/portal/desktop";
  static constexpr char kInterface[] = "org.freedesktop.portal.Wallpaper";

  // How long the portal may take to answer a request: it may ask the user.
  explicit PortalWallpaper(std::chrono::milliseconds answerWait = std::chrono::minutes(2))
      : answerWait_(answerWait) {}

  std::string_view Name() const override { return "portal"; }
  std::optional<std::string> Current() override { return std::nullopt; }
  bool Set(const WallpaperPicture& picture) override;
  // A reading here is a picture file's path.
  bool Restore(const std::string& reading) override;

  // True when a portal with the wallpaper interface answers on the session bus.
  static bool Present();

 private:
  bool SetFile(const std::string& path);
  std::chrono::milliseconds answerWait_;
};

class PlasmaWallpaper final : public WallpaperBackend {
 public:
  static constexpr char kService[] = "org.kde.plasmashell";
  static constexpr char kObject[] = "/PlasmaShell";
  static constexpr char kInterface[] = "org.kde.PlasmaShell";

  std::string_view Name() const override { return "plasma"; }
  // The first desktop's image as a file URI.
  std::optional<std::string> Current() override;
  bool Set(const WallpaperPicture& picture) override;
  bool Restore(const std::string& reading) override;

  // The script that shows `uri` on every desktop; and the one printing the
  // first desktop's image.
  static std::string SetScript(std::string_view uri);
  static std::string ReadScript();
};

}  // namespace lumora
