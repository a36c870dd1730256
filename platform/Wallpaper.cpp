// Wallpaper backends that run the desktops' own tools.
#include "platform/Wallpaper.h"

#include <cstdlib>

#include "platform/Exec.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace lumora {

namespace {

constexpr size_t kSettingsFileLimit = 1 << 20;

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty()) lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string TrimmedLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string ConfigHome() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config";
}

}  // namespace

std::string GVariantString(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  out += '\'';
  return out;
}

// ---- gsettings ---------------------------------------------------------------

GSettingsWallpaper GSettingsWallpaper::Gnome() {
  return {"gnome", "org.gnome.desktop.background", {"picture-uri", "picture-uri-dark"}, ValueForm::Uri};
}

GSettingsWallpaper GSettingsWallpaper::Cinnamon() {
  return {"cinnamon", "org.cinnamon.desktop.background", {"picture-uri"}, ValueForm::Uri};
}

GSettingsWallpaper GSettingsWallpaper::Mate() {
  return {"mate", "org.mate.background", {"picture-filename"}, ValueForm::Path};
}

std::optional<std::string> GSettingsWallpaper::Current() {
  std::string reading;
  for (const std::string& key : keys_) {
    const ProgramRun run = RunProgram("gsettings", {"get", schema_, key});
    if (!run.ok()) return std::nullopt;
    reading += TrimmedLine(run.output);
    reading += '\n';
  }
  return reading;
}

bool GSettingsWallpaper::SetValues(const std::vector<std::string>& values) {
  if (values.size() != keys_.size()) return false;
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (!RunProgram("gsettings", {"set", schema_, keys_[i], values[i]}).ok()) return false;
  }
  return true;
}

bool GSettingsWallpaper::Set(const WallpaperPicture& picture) {
  const std::string value = GVariantString(form_ == ValueForm::Uri ? FileUri(picture.path) : picture.path);
  return SetValues(std::vector<std::string>(keys_.size(), value));
}

bool GSettingsWallpaper::Restore(const std::string& reading) {
  std::vector<std::string> values;
  // An empty value ('') is a line of its own, so no line is dropped here.
  std::string_view rest = reading;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    values.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return SetValues(values);
}

// ---- Xfce ----------------------------------------------------------------------

namespace {
constexpr char kXfconf[] = "xfconf-query";
constexpr char kXfceChannel[] = "xfce4-desktop";
constexpr std::string_view kLastImage = "/last-image";
}  // namespace

std::vector<std::string> XfceWallpaper::ImageProperties() {
  std::vector<std::string> properties;
  const ProgramRun run = RunProgram(kXfconf, {"-c", kXfceChannel, "-l"});
  if (!run.ok()) return properties;
  for (std::string& line : Lines(run.output)) {
    line = TrimmedLine(line);
    if (line.size() > kLastImage.size() && line.ends_with(kLastImage)) properties.push_back(line);
  }
  return properties;
}

std::optional<std::string> XfceWallpaper::Current() {
  const std::vector<std::string> properties = ImageProperties();
  if (properties.empty()) return std::nullopt;
  std::string reading;
  for (const std::string& property : properties) {
    const ProgramRun run = RunProgram(kXfconf, {"-c", kXfceChannel, "-p", property});
    if (!run.ok()) return std::nullopt;
    reading += property + "=" + TrimmedLine(run.output) + "\n";
  }
  return reading;
}

bool XfceWallpaper::Set(const WallpaperPicture& picture) {
  const std::vector<std::string> properties = ImageProperties();
  if (properties.empty()) return false;
  bool ok = true;
  for (const std::string& property : properties)
    ok = RunProgram(kXfconf, {"-c", kXfceChannel, "-p", property, "-s", picture.path}).ok() && ok;
  return ok;
}

bool XfceWallpaper::Restore(const std::string& reading) {
  const std::vector<std::string> lines = Lines(reading);
  if (lines.empty()) return false;
  bool ok = true;
  for (const std::string& line : lines) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    ok = RunProgram(kXfconf, {"-c", kXfceChannel, "-p", line.substr(0, equals), "-s", line.substr(equals + 1)})
             .ok() &&
         ok;
  }
  return ok;
}

// ---- LXQt ------------------------------------------------------------------------

std::optional<std::string> LxqtWallpaper::Current() {
  std::string text;
  if (ReadWholeFile(ConfigHome() + "/pcmanfm-qt/lxqt/settings.conf", kSettingsFileLimit, text) != 0)
    return std::nullopt;
  bool inDesktop = false;
  for (const std::string& raw : Lines(text)) {
    const std::string line = TrimmedLine(raw);
    if (line.starts_with('[')) {
      inDesktop = line == "[Desktop]";
    } else if (inDesktop && line.starts_with("Wallpaper=")) {
      return line.substr(std::string_view("Wallpaper=").size());
    }
  }
  return std::nullopt;
}

bool LxqtWallpaper::Set(const WallpaperPicture& picture) {
  return RunProgram("pcmanfm-qt", {"--set-wallpaper", picture.path}).ok();
}

bool LxqtWallpaper::Restore(const std::string& reading) {
  if (reading.empty()) return false;
  return RunProgram("pcmanfm-qt", {"--set-wallpaper", reading}).ok();
}

}  // namespace lumora
