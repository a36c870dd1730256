// Setting the desktop wallpaper through the first backend that answers.
#include "sharing/DesktopWallpaper.h"

#include <cstdlib>

#include "media/codecs/PictureFiles.h"
#include "picture/DibImage.h"
#include "platform/DBusWallpaper.h"
#include "platform/Paths.h"
#include "platform/window/RootWallpaper.h"
#include "settings/Settings.h"

namespace lumora {

namespace {

// Desktops by a name they put in $XDG_CURRENT_DESKTOP, and their backend.
struct DesktopBackend {
  std::string_view desktop;
  std::string_view backend;
};
constexpr DesktopBackend kDesktops[] = {
    {"GNOME", "gnome"},       {"Unity", "gnome"}, {"Budgie", "gnome"}, {"Cinnamon", "cinnamon"},
    {"X-Cinnamon", "cinnamon"}, {"MATE", "mate"}, {"KDE", "plasma"},   {"XFCE", "xfce"},
    {"LXQt", "lxqt"},
};

std::string_view BackendOfDesktop(std::string_view desktop) {
  for (const DesktopBackend& d : kDesktops) {
    if (EqualsIgnoreCase(d.desktop, desktop)) return d.backend;
  }
  return {};
}

std::string ReadSetting(Registry& registry, std::string_view name) {
  std::string value;
  if (!ReadMachineString(registry, AppKey, name, value, "")) value.clear();
  return value;
}

}  // namespace

std::vector<std::string_view> WallpaperBackendOrder(std::string_view currentDesktop, bool portalPresent, bool x11) {
  std::vector<std::string_view> order;
  if (portalPresent) order.push_back("portal");
  while (true) {
    const size_t colon = currentDesktop.find(':');
    if (const std::string_view backend = BackendOfDesktop(currentDesktop.substr(0, colon)); !backend.empty()) {
      order.push_back(backend);
      return order;
    }
    if (colon == std::string_view::npos) break;
    currentDesktop.remove_prefix(colon + 1);
  }
  if (x11) order.push_back("x11-root");
  return order;
}

std::unique_ptr<WallpaperBackend> MakeWallpaperBackend(std::string_view name) {
  if (name == "portal") return std::make_unique<PortalWallpaper>();
  if (name == "gnome") return std::make_unique<GSettingsWallpaper>(GSettingsWallpaper::Gnome());
  if (name == "cinnamon") return std::make_unique<GSettingsWallpaper>(GSettingsWallpaper::Cinnamon());
  if (name == "mate") return std::make_unique<GSettingsWallpaper>(GSettingsWallpaper::Mate());
  if (name == "plasma") return std::make_unique<PlasmaWallpaper>();
  if (name == "xfce") return std::make_unique<XfceWallpaper>();
  if (name == "lxqt") return std::make_unique<LxqtWallpaper>();
  if (name == "x11-root") return std::make_unique<RootWallpaper>();
  return nullptr;
}

WallpaperPicture WallpaperPixels(const DibImage& picture) {
  WallpaperPicture out;
  const int bits = picture.BitCount();
  if (picture.empty() || (bits != 24 && bits != 8)) return out;
  const std::span<const uint8_t> table = picture.ColourTable();
  if (bits == 8 && table.size() < 4) return out;
  const int w = picture.width();
  const int h = picture.height();
  out.width = w;
  out.height = h;
  out.pixels.resize(size_t(w) * size_t(h));
  const RowView rows = picture.Rows();
  const size_t entries = table.size() / 4;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = rows[y];
    uint32_t* target = &out.pixels[size_t(y) * size_t(w)];
    for (int x = 0; x < w; ++x) {
      const uint8_t* bgr = bits == 24 ? row + 3 * x : &table[std::min<size_t>(row[x], entries - 1) * 4];
      target[x] = uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
    }
  }
  return out;
}

DesktopWallpaper::DesktopWallpaper(Registry& registry, std::vector<std::unique_ptr<WallpaperBackend>> backends)
    : registry_(registry), backends_(std::move(backends)) {}

std::vector<std::unique_ptr<WallpaperBackend>> DesktopWallpaper::SessionBackends() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  const char* display = std::getenv("DISPLAY");
  std::vector<std::unique_ptr<WallpaperBackend>> backends;
  for (const std::string_view name :
       WallpaperBackendOrder(desktop ? desktop : "", PortalWallpaper::Present(), display && *display))
    backends.push_back(MakeWallpaperBackend(name));
  return backends;
}

std::filesystem::path DesktopWallpaper::PicturePath(const std::filesystem::path& folder, std::string_view title) {
  return folder / (std::string(title) + " Wallpaper.bmp");
}

DesktopWallpaper::Result DesktopWallpaper::Set(const DibImage& picture, const std::filesystem::path& file) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  if (!SavePictureFile(picture, file.string())) return Result::SaveFailed;
  WallpaperPicture shown = WallpaperPixels(picture);
  shown.path = file.string();

  // The earlier wallpaper, unless one of ours already replaced it.
  std::string owner = ReadSetting(registry_, kWallpaperBackend);
  std::string reading = ReadSetting(registry_, kPreviousWallpaper);
  const bool keepStored = !owner.empty();
  for (const auto& backend : backends_) {
    if (keepStored) break;
    if (std::optional<std::string> current = backend->Current()) {
      owner = std::string(backend->Name());
      reading = std::move(*current);
      break;
    }
  }
  for (const auto& backend : backends_) {
    if (!backend->Set(shown)) continue;
    lastBackend_ = std::string(backend->Name());
    if (!keepStored && !owner.empty()) {
      WriteMachineString(registry_, AppKey, kWallpaperBackend, owner);
      WriteMachineString(registry_, AppKey, kPreviousWallpaper, reading);
    }
    return Result::Done;
  }
  return Result::SetFailed;
}

DesktopWallpaper::Result DesktopWallpaper::Restore() {
  const std::string owner = ReadSetting(registry_, kWallpaperBackend);
  if (owner.empty()) return Result::NothingToRestore;
  const std::unique_ptr<WallpaperBackend> made = MakeWallpaperBackend(owner);
  WallpaperBackend* backend = made.get();
  // The session's own instance, where it has one (tests give theirs).
  for (const auto& b : backends_) {
    if (b->Name() == owner) backend = b.get();
  }
  if (!backend || !backend->Restore(ReadSetting(registry_, kPreviousWallpaper))) return Result::RestoreFailed;
  lastBackend_ = owner;
  WriteMachineString(registry_, AppKey, kWallpaperBackend, "");
  WriteMachineString(registry_, AppKey, kPreviousWallpaper, "");
  return Result::Done;
}

std::string_view DesktopWallpaper::Text(Result result) {
  switch (result) {
    case Result::Done: return {};
    case Result::SaveFailed: return "The wallpaper picture could not be saved.";
    case Result::SetFailed: return "The wallpaper could not be set.";
    case Result::NothingToRestore: return "There is no earlier wallpaper to set again.";
    case Result::RestoreFailed: return "The earlier wallpaper could not be set again.";
  }
  return {};
}

}  // namespace lumora
