// The wallpaper of an X11 session without a desktop that draws its own: a
// pixmap of the screen's size on the root window, announced in the root's
// _XROOTPMAP_ID and ESETROOT_PMAP_ID properties (where compositors and
// pseudo-transparent programs look for it). The pixmap is made by a
// connection closed in RetainPermanent mode, so it stays after the program
// exits; the root's _QUORVIX_ROOT_PIXMAP names the one we made last, which
// is freed when another of ours replaces it or the previous one comes back.
// A pixmap another program made is never freed here.
//
// Readings: "none" (no root pixmap) or "pixmap:<id>".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Wallpaper.h"

namespace lumora {

class RootWallpaper final : public WallpaperBackend {
 public:
  // `displayName` null: $DISPLAY.
  explicit RootWallpaper(const char* displayName = nullptr) : display_(displayName ? displayName : "") {}

  std::string_view Name() const override { return "x11-root"; }
  std::optional<std::string> Current() override;
  bool Set(const WallpaperPicture& picture) override;
  bool Restore(const std::string& reading) override;

 private:
  std::string display_;
};

// `picture`'s pixels stretched to width x height by bilinear interpolation
// (0x00RRGGBB); empty when either picture is empty or the pixels are too few.
std::vector<uint32_t> StretchPixels(const WallpaperPicture& picture, int width, int height);

}  // namespace lumora
