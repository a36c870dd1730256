// Prints every value of the settings table: stored, missing (with the default
// a reader would use) or unreadable. Reads the registry for display only: it
// creates, renames and writes no file, even when the hive is damaged.
#include "cli/SettingsCommand.h"

#include <cstdio>
#include <filesystem>

#include "settings/Settings.h"

namespace lumora::cli {

namespace {

struct Entry {
  std::string_view key;
  std::string_view name;
  RegType type;
  const char* fallback;  // nullptr: no default
};

constexpr Entry kTable[] = {
    {SuiteKey, kTopmost, RegType::String, nullptr},
    {AppKey, kAppPath, RegType::String, nullptr},
    {AppKey, kAlbumName, RegType::String, ""},
    {AppKey, kAlbumPath, RegType::String, nullptr},
    {AppKey, kSortFR, RegType::Dword, "32811"},
    {AppKey, kSortID, RegType::Dword, "32771"},
    {AppKey, kWindowPosLeft, RegType::Dword, "0"},
    {AppKey, kWindowPosTop, RegType::Dword, "0"},
    {AppKey, kWallpaperBackend, RegType::String, ""},
    {AppKey, kPreviousWallpaper, RegType::String, ""},
    {TunerecKey, kAppPath, RegType::String, nullptr},
    {ClipsmithKey, kAppPath, RegType::String, nullptr},
    {MpegsmithKey, kAppPath, RegType::String, nullptr},
    {DiscsmithKey, kAppPath, RegType::String, nullptr},
};

std::string Describe(const Entry& e, const RegData& d) {
  if (e.type == RegType::Dword && d.type == uint32_t(RegType::Dword) && d.bytes.size() == 4) {
    uint32_t v = uint32_t(d.bytes[0]) | uint32_t(d.bytes[1]) << 8 | uint32_t(d.bytes[2]) << 16 |
                 uint32_t(d.bytes[3]) << 24;
    return std::to_string(v);
  }
  if (e.type == RegType::String && d.type == uint32_t(RegType::String) && !d.bytes.empty() &&
      d.bytes.back() == 0)
    return "\"" + std::string(d.bytes.begin(), d.bytes.end() - 1) + "\"";
  return "(unreadable: type " + std::to_string(d.type) + ", " + std::to_string(d.bytes.size()) + " bytes)";
}

}  // namespace

int RunSettingsCommand(std::span<const std::string> args, Io io) {
  static const Command self{"settings", "[--registry DIR]", "", nullptr};
  std::filesystem::path folder = Registry::DefaultFolder();
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--registry" && i + 1 < args.size())
      folder = args[++i];
    else
      return UsageError(self, "unexpected argument '" + args[i] + "'", io);
  }
  std::error_code ec;
  if (std::filesystem::exists(folder, ec) && !std::filesystem::is_directory(folder, ec)) {
    io.err << "lumora-cli settings: " << folder.string() << " is not a folder\n";
    return kExitBadInput;
  }

  Registry reg = Registry::ReadOnly(folder);
  io.out << "registry: " << reg.HiveFile(Hive::LocalMachine).string() << "\n";
  for (const auto& e : kTable) {
    RegKey key;
    RegData data;
    RegStatus status = reg.OpenKey(Hive::LocalMachine, e.key, key);
    if (status == RegStatus::Ok) status = reg.QueryValue(key, e.name, data);
    io.out << e.key << "\\" << e.name << " = ";
    if (status == RegStatus::Ok) {
      io.out << Describe(e, data) << "\n";
    } else if (status == RegStatus::NotFound || status == RegStatus::KeyDeleted) {
      io.out << "(missing";
      if (e.fallback) io.out << ", default " << (e.type == RegType::String ? "\"\"" : e.fallback);
      io.out << ")\n";
    } else {
      io.err << "lumora-cli settings: cannot read " << reg.HiveFile(Hive::LocalMachine).string() << "\n";
      return kExitBadInput;
    }
  }
  return kExitOk;
}

}  // namespace lumora::cli
