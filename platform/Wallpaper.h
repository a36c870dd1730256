// The desktop wallpaper: one interface over the ways Linux desktops take a
// picture as their background. Each backend sets a picture file, reads back
// what the desktop shows now (so it can be set again later) and puts such a
// reading back. Which backends a session tries, and in which order, is the
// caller's choice (sharing/DesktopWallpaper.h).
//
// Backends here run the desktops' own tools: gsettings (GNOME, Unity,
// Budgie, Cinnamon, MATE), xfconf-query (Xfce) and pcmanfm-qt (LXQt). The
// D-Bus backends (the desktop portal, Plasma) are in DBusWallpaper.h, the
// X11 root-window setter in platform/window/RootWallpaper.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// The picture to show: its file, and its pixels for setters that draw the
// picture themselves (0x00RRGGBB, rows top to bottom, width * height values).
struct WallpaperPicture {
  std::string path;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

class WallpaperBackend {
 public:
  virtual ~WallpaperBackend() = default;
  // A short name stored with a reading, to give it back to the same backend.
  virtual std::string_view Name() const = 0;
  // What the desktop shows now, in a form only Restore reads; nothing when
  // this backend cannot tell (its desktop does not answer).
  virtual std::optional<std::string> Current() = 0;
  // True once the desktop shows the picture.
  virtual bool Set(const WallpaperPicture& picture) = 0;
  // Shows again what Current returned.
  virtual bool Restore(const std::string& reading) = 0;
};


// A text as a GVariant string literal: in single quotes, with "\" and "'"
// escaped.
std::string GVariantString(std::string_view text);

// gsettings keys that hold the picture. Every key is written on Set and read
// by Current; a reading is the keys' values (GVariant text) one a line.
class GSettingsWallpaper final : public WallpaperBackend {
 public:
  enum class ValueForm { Uri, Path };
  // GNOME, Unity and Budgie: org.gnome.desktop.background, picture-uri and
  // picture-uri-dark; Cinnamon: org.cinnamon.desktop.background; MATE:
  // org.mate.background, picture-filename (a plain path).
  static GSettingsWallpaper Gnome();
  static GSettingsWallpaper Cinnamon();
  static GSettingsWallpaper Mate();

  GSettingsWallpaper(std::string name, std::string schema, std::vector<std::string> keys, ValueForm form)
      : name_(std::move(name)), schema_(std::move(schema)), keys_(std::move(keys)), form_(form) {}

  std::string_view Name() const override { return name_; }
  std::optional<std::string> Current() override;
  bool Set(const WallpaperPicture& picture) override;
  bool Restore(const std::string& reading) override;

  const std::string& schema() const { return schema_; }
  const std::vector<std::string>& keys() const { return keys_; }

 private:
  bool SetValues(const std::vector<std::string>& values);

  std::string name_;
  std::string schema_;
  std::vector<std::string> keys_;
  ValueForm form_;
};

// Xfce: every "last-image" property of channel xfce4-desktop (one a monitor
// and workspace) through xfconf-query. A reading is "property=value" lines.
class XfceWallpaper final : public WallpaperBackend {
 public:
  std::string_view Name() const override { return "xfce"; }
  std::optional<std::string> Current() override;
  bool Set(const WallpaperPicture& picture) override;
  bool Restore(const std::string& reading) override;

 private:
  std::vector<std::string> ImageProperties();
};

// LXQt: pcmanfm-qt --set-wallpaper; the current picture is the "Wallpaper"
// entry of pcmanfm-qt's LXQt profile ($XDG_CONFIG_HOME/pcmanfm-qt/lxqt/settings.conf).
class LxqtWallpaper final : public WallpaperBackend {
 public:
  std::string_view Name() const override { return "lxqt"; }
  std::optional<std::string> Current() override;
  bool Set(const WallpaperPicture& picture) override;
  bool Restore(const std::string& reading) override;
};

}  // namespace lumora
