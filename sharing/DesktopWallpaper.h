// DesktopWallpaper: making a picture the desktop wallpaper and setting the
// earlier one again, for the editor's "Wallpaper" button and lumora-cli.
//
// Setting saves the picture as a bitmap file, reads what the desktop shows
// now, then asks the session's backends (platform/Wallpaper.h) in order; the
// first that succeeds wins. The earlier wallpaper is kept in the settings
// (the backend that read it and its reading), so it can be set again after a
// restart; a second Set before a Restore keeps the first reading, which is
// the user's own wallpaper rather than one of ours.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Wallpaper.h"

namespace lumora {

class DibImage;
class Registry;

// The names of the backends a session tries, in order: the desktop portal
// when one with the wallpaper interface is on the bus; the backend of the
// first desktop named in `currentDesktop` ($XDG_CURRENT_DESKTOP, ":"-separated,
// any case) that has one; otherwise, on X11, the root-window setter.
std::vector<std::string_view> WallpaperBackendOrder(std::string_view currentDesktop, bool portalPresent, bool x11);

// The backend of that name, or null.
std::unique_ptr<WallpaperBackend> MakeWallpaperBackend(std::string_view name);

// The picture's pixels as 0x00RRGGBB (8- and 24-bit pictures; empty for others).
WallpaperPicture WallpaperPixels(const DibImage& picture);

class DesktopWallpaper {
 public:
  enum class Result { Done, SaveFailed, SetFailed, NothingToRestore, RestoreFailed };

  // Uses `backends` in their order; the registry keeps the earlier wallpaper.
  DesktopWallpaper(Registry& registry, std::vector<std::unique_ptr<WallpaperBackend>> backends);
  // The session's backends, from its environment (WallpaperBackendOrder).
  static std::vector<std::unique_ptr<WallpaperBackend>> SessionBackends();

  // "<folder>/<title> Wallpaper.bmp".
  static std::filesystem::path PicturePath(const std::filesystem::path& folder, std::string_view title);

  // Saves `picture` at `file` (its folder made when missing) and shows it.
  Result Set(const DibImage& picture, const std::filesystem::path& file);
  // Shows the wallpaper that was there before the first Set, through the
  // backend that read it.
  Result Restore();

  // The backend that did the last Set or Restore.
  const std::string& LastBackend() const { return lastBackend_; }

  // The message for a result other than Done.
  static std::string_view Text(Result result);

 private:
  Registry& registry_;
  std::vector<std::unique_ptr<WallpaperBackend>> backends_;
  std::string lastBackend_;
};

}  // namespace lumora
