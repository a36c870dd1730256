// The settings store: every value the program and its companions keep in the
// registry, and the eight read and write functions over it. Each function
// opens (creating when missing) its key, does one thing and closes it again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace lumora {

// Keys, all under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view SuiteKey = "Software\\quorvix\\Lumora";
inline constexpr std::string_view AppKey = "Software\\quorvix\\Lumora\\Lumora";
inline constexpr std::string_view TunerecKey = "Software\\quorvix\\Lumora\\Tunerec";
inline constexpr std::string_view ClipsmithKey = "Software\\quorvix\\Lumora\\Clipsmith";
inline constexpr std::string_view MpegsmithKey = "Software\\quorvix\\Lumora\\Mpegsmith";
inline constexpr std::string_view DiscsmithKey = "Software\\quorvix\\Lumora\\Discsmith";

// Value names.
inline constexpr std::string_view kTopmost = "Topmost";          // SuiteKey, string
inline constexpr std::string_view kAppPath = "AppPath";          // AppKey and companions, string
inline constexpr std::string_view kAlbumName = "AlbumName";      // AppKey, string
inline constexpr std::string_view kAlbumPath = "AlbumPath";      // AppKey, string
inline constexpr std::string_view kSortFR = "SortFR";            // AppKey, DWORD
inline constexpr std::string_view kSortID = "SortID";            // AppKey, DWORD
inline constexpr std::string_view kWindowPosLeft = "WindowPosLeft";  // AppKey, DWORD
inline constexpr std::string_view kWindowPosTop = "WindowPosTop";    // AppKey, DWORD
// The wallpaper the desktop showed before ours: the backend that read it and
// its reading (both empty once it is shown again).
inline constexpr std::string_view kWallpaperBackend = "WallpaperBackend";    // AppKey, string
inline constexpr std::string_view kPreviousWallpaper = "PreviousWallpaper";  // AppKey, string

// "Topmost" tells the companions which layout the main window is in.
inline constexpr std::string_view kTopmostRemocon = "Remocon";
inline constexpr std::string_view kTopmostMax = "Max";

// Sort settings hold the sort menu's command ids as they are.
inline constexpr uint32_t kSortByName = 32771;
inline constexpr uint32_t kSortByDate = 32772;
inline constexpr uint32_t kSortByType = 32773;
inline constexpr uint32_t kSortForward = 32811;
inline constexpr uint32_t kSortReverse = 32812;

inline constexpr uint32_t kDefaultSortFR = kSortForward;
inline constexpr uint32_t kDefaultSortID = kSortByName;
inline constexpr uint32_t kDefaultWindowPos = 0;  // 0: no position saved

// Texts longer than this (terminating zero included) do not fit the read
// buffer, and reading them fails.
inline constexpr size_t kSettingTextBytes = 1024;

// Reads a 4-byte DWORD. When the key had to be created or the value is
// missing or not a DWORD, stores `fallback`, leaves `value` untouched and
// returns false.
bool ReadMachineDword(Registry& reg, std::string_view subkey, std::string_view name,
                      uint32_t& value, uint32_t fallback);
// Reads a text. On any failure returns false and writes nothing: unlike the
// DWORD reader it does not store `fallback` (callers that want it stored do so).
bool ReadMachineString(Registry& reg, std::string_view subkey, std::string_view name,
                       std::string& text, std::string_view fallback);
bool WriteMachineDword(Registry& reg, std::string_view subkey, std::string_view name, uint32_t value);
bool WriteMachineString(Registry& reg, std::string_view subkey, std::string_view name,
                        std::string_view text);

// The same under HKEY_CURRENT_USER, where the text reader also stores `fallback`.
bool ReadUserDword(Registry& reg, std::string_view subkey, std::string_view name,
                   uint32_t& value, uint32_t fallback);
bool ReadUserString(Registry& reg, std::string_view subkey, std::string_view name,
                    std::string& text, std::string_view fallback);
bool WriteUserDword(Registry& reg, std::string_view subkey, std::string_view name, uint32_t value);
bool WriteUserString(Registry& reg, std::string_view subkey, std::string_view name,
                     std::string_view text);

// The sort key and direction read at start. A stored 0, a missing value or
// an id outside the sort menu means the default.
struct SortSettings {
  uint32_t sortID = kDefaultSortID;
  uint32_t sortFR = kDefaultSortFR;
};
SortSettings ReadSortSettings(Registry& reg);

// The saved normal position of the compact window; 0 in either means none.
struct WindowPosition {
  int32_t left = 0;
  int32_t top = 0;
  bool saved() const { return left != 0 && top != 0; }
};
WindowPosition ReadWindowPosition(Registry& reg);

// "AlbumName" at start: the album to select first; created empty when missing.
std::string ReadStartAlbumName(Registry& reg);

// What the main window writes when it is destroyed, in this order: "SortFR",
// "SortID", "WindowPosLeft", "WindowPosTop", then "AlbumPath" when an album
// is current (an empty path means none).
struct ExitSettings {
  SortSettings sort;
  WindowPosition position;
  std::string albumPath;
};
void WriteExitSettings(Registry& reg, const ExitSettings& settings);

}  // namespace lumora
