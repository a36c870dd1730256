// Wallpaper backends that run the desktops' own tools.
#include "platform/Wallpaper.h"

#include <cstdlib>

#include "platform/Exec.h"
#include "platform/FileIo.h"

namespace lumora {

namespace {

constexpr size_t kSettingsFileLimit = 1 << 20;

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

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

std::string FileUri(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (Unreserved(c)) {
      uri += ch;
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::optional<std::string> PathOfFileUri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  uri.remove_prefix(kScheme.size());
  if (uri.empty() || uri.front() != '/') return std::nullopt;
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    if (i + 2 >= uri.size()) return std::nullopt;
    const int high = HexValue(uri[i + 1]);
    const int low = HexValue(uri[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    path += char(high << 4 | low);
    i += 2;
  }
  return path;
}

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
