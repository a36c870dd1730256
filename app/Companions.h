// The companion programs of the product line as plain data: how each one's
// top-level window is found (class and title, compared byte for byte), where
// its program is ("AppPath" under the machine hive) and what file is started
// there, its launch buttons, its timers and poll limit, the message shown when
// it blocks another's launch, and the order in which each launch button looks
// for competitors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/MainLayout.h"
#include "settings/Settings.h"

namespace lumora::companions {

enum class Program { Tv, Dvr, Clip, Encode, Guard, Vcd };

// The standard dialog class most companions' windows carry.
inline constexpr std::string_view kDialogClass = "#32770";

// A top-level window by class and title.
struct WindowName {
  std::string_view windowClass;
  std::string_view title;
};

// How the started file's name is made from the "AppPath" value.
enum class FileJoin {
  EnsureSlash,  // a "/" put at the path's end unless it ends with one, then the name
  Slash,        // the path as read, "/", the name
};

struct Companion {
  Program program;
  WindowName window;
  std::string_view appPathKey;  // empty: never started by this program
  FileJoin join;
  std::string_view fileName;    // the program's file in its "AppPath" folder
  uint32_t large;               // launch buttons; 0: none
  uint32_t small;
  int waitTimer;                // 0: none
  int pollLimit;                // wait polls before the launch is given up
  int watchTimer;
  uint32_t blockingText;        // the message when it runs and blocks a launch
  std::array<Program, 5> conflicts;  // checked in this order before a launch
  size_t conflictCount;
};

inline constexpr std::array<Companion, 6> kCompanions = {{
    {Program::Tv, {"quorvixTV 2.0", "Tunerec 2.0"}, TunerecKey, FileJoin::EnsureSlash, "quorvixTV",
     layout::kTvButton, layout::kTvButtonSmall, 500, 40, 200, 128,
     {Program::Clip, Program::Encode, Program::Guard, Program::Vcd}, 4},
    {Program::Dvr, {"qv DVR", "quorvix DVR 2.0"}, {}, FileJoin::Slash, {}, 0, 0, 0, 0, 0, 129, {}, 0},
    {Program::Clip, {kDialogClass, "Clipsmith 5.0 SE"}, ClipsmithKey, FileJoin::Slash, "Clipsmith",
     layout::kClipButton, layout::kClipButtonSmall, 700, 20, 400, 28,
     {Program::Dvr, Program::Tv, Program::Encode, Program::Guard, Program::Vcd}, 5},
    {Program::Encode, {kDialogClass, "Mpegsmith 5.0 SE"}, MpegsmithKey, FileJoin::Slash, "Mpegsmith",
     layout::kEncodeButton, layout::kEncodeButtonSmall, 600, 20, 300, 25,
     {Program::Dvr, Program::Tv, Program::Clip, Program::Guard, Program::Vcd}, 5},
    {Program::Guard, {kDialogClass, "Guardcam"}, {}, FileJoin::Slash, {}, layout::kGuardButton,
     layout::kGuardButtonSmall, 0, 0, 100, 26, {}, 0},
    {Program::Vcd, {kDialogClass, "Discsmith 1.0"}, DiscsmithKey, FileJoin::Slash, "Discsmith",
     layout::kVcdButton, layout::kVcdButtonSmall, 850, 20, 900, 130,
     {Program::Dvr, Program::Tv, Program::Encode, Program::Clip, Program::Guard}, 5},
}};

constexpr const Companion& Of(Program program) {
  for (const Companion& companion : kCompanions)
    if (companion.program == program) return companion;
  return kCompanions[0];
}

// The companion whose launch button (large or small) this is, or null.
constexpr const Companion* WithButton(uint32_t control) {
  for (const Companion& companion : kCompanions)
    if (control != 0 && (companion.large == control || companion.small == control)) return &companion;
  return nullptr;
}

constexpr std::span<const Program> ConflictsOf(const Companion& companion) {
  return std::span<const Program>(companion.conflicts.data(), companion.conflictCount);
}

// The TV program's two other dialogs, arranged and kept on top with it.
inline constexpr WindowName kTvPanel{kDialogClass, "quorvix"};
inline constexpr WindowName kTvScreen{kDialogClass, "Tunerec - Screen"};

// The windows let go of "always on top" when the main window leaves the full
// layout, in this order.
inline constexpr std::array<WindowName, 8> kLowerOrder = {{
    Of(Program::Dvr).window, Of(Program::Tv).window, kTvPanel, kTvScreen, Of(Program::Encode).window,
    Of(Program::Clip).window, Of(Program::Guard).window, Of(Program::Vcd).window,
}};

// The windows kept on top in the full layout, in this order (the TV
// program's dialogs twice).
inline constexpr std::array<WindowName, 10> kRaiseOrder = {{
    kTvPanel, kTvScreen, Of(Program::Dvr).window, Of(Program::Tv).window, kTvPanel, kTvScreen,
    Of(Program::Encode).window, Of(Program::Clip).window, Of(Program::Guard).window, Of(Program::Vcd).window,
}};

// The launches that are resumed as watches when their companion already runs
// at start, in this order.
inline constexpr std::array<Program, 5> kResumeOrder = {Program::Tv, Program::Encode, Program::Clip, Program::Guard,
                                                        Program::Vcd};

// The button pairs SetOtherLaunchButtons changes, in order.
inline constexpr std::array<Program, 5> kOtherButtonOrder = {Program::Encode, Program::Tv, Program::Guard,
                                                             Program::Clip, Program::Vcd};

}  // namespace lumora::companions
