// The companion launcher through the main window's command table, with the
// fake window system, a recording shell and scripted prompts. Its timers are
// driven through their handler by id.
#include "app/CompanionLauncher.h"

#include <gtest/gtest.h>

#include <map>

#include "app/HomePage.h"
#include "app/SkinButton.h"
#include "settings/Settings.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

using companions::Of;
using companions::Program;
using Op = FakeWindowCall::Op;
using Calls = std::vector<FakeWindowCall>;

constexpr uint32_t kBlockedStyle = box::kIconExclamation | box::kSystemModal;
constexpr Program kLaunched[] = {Program::Tv, Program::Clip, Program::Encode, Program::Vcd};

WindowHandle OpenCompanion(FakeWindowSystem& windows, Program program, WindowRect rect = {0, 0, 200, 100}) {
  return windows.Open(std::string(Of(program).window.windowClass), std::string(Of(program).window.title), rect);
}

// The window with one album (the launch buttons need a current one) and every
// "AppPath" set to /opt/<name>.
struct Launcher {
  explicit Launcher(bool album = true) {
    if (album) test::AddAlbum(doubles, "Trip");
    for (const auto& [key, folder] : {std::pair{TunerecKey, "/opt/tv/"}, std::pair{ClipsmithKey, "/opt/clip"},
                                      std::pair{MpegsmithKey, "/opt/mpeg"}, std::pair{DiscsmithKey, "/opt/disc"}})
      WriteMachineString(*doubles.registry, key, kAppPath, folder);
    window = doubles.ShowWindow();
  }
  CompanionLauncher& companions() { return window->Companions(); }
  // TV, Clip, Encode, VCD: each pair's enabled state (both buttons alike).
  std::vector<bool> Enabled() {
    std::vector<bool> enabled;
    for (const Program program : kLaunched) {
      enabled.push_back(window->Button(Of(program).large)->isEnabled());
      EXPECT_EQ(enabled.back(), window->Button(Of(program).small)->isEnabled());
    }
    return enabled;
  }
  int Look(Program program) {
    EXPECT_EQ(window->Button(Of(program).large)->LookState(), window->Button(Of(program).small)->LookState());
    return window->Button(Of(program).large)->LookState();
  }

  test::MainWindowDoubles doubles;
  std::unique_ptr<MainDialog> window;
};

TEST(CompanionLaunch, TheFirstRunningCompetitorInTheButtonsOrderIsReportedAndNothingStarts) {
  const struct {
    uint32_t button;
    std::vector<Program> running;
    const char* reported;
  } cases[] = {
      {layout::kClipButton, {Program::Encode, Program::Dvr}, "DVR"},
      {layout::kClipButtonSmall, {Program::Vcd, Program::Tv}, "Tunerec"},
      {layout::kEncodeButton, {Program::Guard, Program::Clip}, "Clipsmith"},
      {layout::kVcdButton, {Program::Clip, Program::Encode}, "Mpegsmith"},
      {layout::kTvButton, {Program::Vcd, Program::Guard, Program::Dvr}, "Guardcam"},
      {layout::kTvButtonSmall, {Program::Vcd, Program::Dvr}, "Discsmith"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    Launcher launcher;
    for (const Program program : c.running) OpenCompanion(launcher.doubles.windows, program);
    const std::string title = std::string(Of(companions::WithButton(c.button)->program).window.title);
    launcher.doubles.prompts.ExpectMessage(std::string("Please close '") + c.reported + "' and try again", title,
                                           kBlockedStyle, kAnswerOk);
    const std::filesystem::path album = std::filesystem::current_path();
    ASSERT_TRUE(launcher.window->OnCommand(c.button));
    EXPECT_TRUE(launcher.doubles.shell.calls.empty());
    EXPECT_TRUE(launcher.doubles.windows.calls().empty());
    EXPECT_EQ(std::filesystem::current_path(), album);
  }
}

TEST(CompanionLaunch, NoAlbumDoesNothingAndAMissingAppPathOrAFailedStartIsReportedAtOnce) {
  Launcher noAlbum(false);
  ASSERT_TRUE(noAlbum.window->OnCommand(layout::kTvButton));
  EXPECT_TRUE(noAlbum.doubles.shell.calls.empty());

  const char kNotInstalled[] = "The application has not been installed. Please install it.";
  for (const bool installed : {false, true}) {
    Launcher launcher;
    RegKey key;
    ASSERT_EQ(launcher.doubles.registry->OpenKey(Hive::LocalMachine, ClipsmithKey, key), RegStatus::Ok);
    if (!installed) {
      ASSERT_EQ(launcher.doubles.registry->DeleteValue(key, kAppPath), RegStatus::Ok);
    }
    launcher.doubles.shell.startResult = false;
    launcher.doubles.prompts.ExpectMessage(kNotInstalled, "Clipsmith 5.0 SE", kBlockedStyle, kAnswerOk);
    ASSERT_TRUE(launcher.window->OnCommand(layout::kClipButton));
    EXPECT_EQ(launcher.doubles.shell.calls.size(), installed ? 1u : 0u);
    EXPECT_EQ(launcher.Look(Program::Clip), SkinButton::kLookNormal);
    EXPECT_EQ(launcher.Enabled(), (std::vector<bool>{true, true, true, true}));
  }
}

TEST(CompanionLaunch, AStartedCompanionIsWaitedForUpToItsPollLimitThenWatched) {
  const struct {
    Program program;
    const char* started;
    std::vector<bool> enabledWhileStarting;  // TV, Clip, Encode, VCD
  } cases[] = {
      {Program::Tv, "start /opt/tv/quorvixTV in /opt/tv/", {false, false, false, false}},
      {Program::Clip, "start /opt/clip/Clipsmith in /opt/clip", {false, true, false, false}},
      {Program::Encode, "start /opt/mpeg/Mpegsmith in /opt/mpeg", {false, false, true, false}},
      {Program::Vcd, "start /opt/disc/Discsmith in /opt/disc", {false, false, false, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Of(c.program).window.title);
    Launcher launcher;
    CompanionLauncher& companions = launcher.companions();
    const int wait = Of(c.program).waitTimer, watch = Of(c.program).watchTimer;
    ASSERT_TRUE(launcher.window->OnCommand(Of(c.program).small));
    EXPECT_EQ(launcher.doubles.shell.calls, std::vector<std::string>{c.started});
    EXPECT_EQ(launcher.Look(c.program), SkinButton::kLookActive);
    EXPECT_EQ(launcher.Enabled(), c.enabledWhileStarting);
    for (int poll = 1; poll < Of(c.program).pollLimit; ++poll) companions.OnTimer(wait);
    EXPECT_TRUE(companions.TimerActive(wait)) << "one poll short of the limit";
    companions.OnTimer(wait);
    EXPECT_FALSE(companions.TimerActive(wait));
    EXPECT_FALSE(companions.TimerActive(watch));
    EXPECT_EQ(launcher.Look(c.program), SkinButton::kLookNormal);
    EXPECT_EQ(launcher.Enabled(), (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(launcher.window->Button(layout::kGuardButton)->isEnabled()) << "hidden, enabled with the others";

    // Again; a launch starts the shared count afresh, and this time it shows.
    ASSERT_TRUE(launcher.window->OnCommand(Of(c.program).large));
    EXPECT_EQ(companions.Polls(), 0);
    companions.OnTimer(wait);
    const WindowHandle shown = OpenCompanion(launcher.doubles.windows, c.program);
    companions.OnTimer(wait);
    EXPECT_FALSE(companions.TimerActive(wait));
    EXPECT_TRUE(companions.TimerActive(watch));
    EXPECT_EQ(launcher.doubles.windows.calls(), (Calls{{Op::SetTopmost, shown, 0}})) << "lowered: compact layout";
    EXPECT_EQ(launcher.Enabled(), (std::vector<bool>{true, true, true, true}));
    companions.OnTimer(watch);
    EXPECT_EQ(launcher.Look(c.program), SkinButton::kLookActive);
    launcher.doubles.windows.Close(shown);
    companions.OnTimer(watch);
    EXPECT_FALSE(companions.TimerActive(watch));
    EXPECT_EQ(launcher.Look(c.program), SkinButton::kLookNormal);
  }
}

TEST(CompanionLaunch, ARunningCompanionIsBroughtForwardInsteadOfStarted) {
  // The TV program's panel and screen go to a quarter of the free height, its
  // window to three quarters, all centred across; on top in the full layout.
  for (const bool full : {false, true}) {
    Launcher launcher;
    if (full) {
      ASSERT_TRUE(launcher.window->OnCommand(layout::kMaximizeSmall));
    }
    FakeWindowSystem& windows = launcher.doubles.windows;
    const WindowHandle tv = OpenCompanion(windows, Program::Tv, {5, 5, 300, 200});
    const WindowHandle panel = windows.Open("#32770", "quorvix", {0, 0, 101, 51});
    const WindowHandle screen = windows.Open("#32770", "Tunerec - Screen", {9, 9, 400, 303});
    const size_t before = windows.calls().size();
    ASSERT_TRUE(launcher.window->OnCommand(layout::kTvButton));
    EXPECT_TRUE(launcher.doubles.shell.calls.empty());
    EXPECT_EQ(Calls(windows.calls().begin() + long(before), windows.calls().end()),
              (Calls{{Op::MoveTo, panel, 461, 179},
                     {Op::SetTopmost, panel, full},
                     {Op::MoveTo, screen, 312, 116},
                     {Op::SetTopmost, screen, full},
                     {Op::MoveTo, tv, 362, 426},
                     {Op::SetTopmost, tv, full},
                     {Op::MoveTo, screen, 312, 116},
                     {Op::SetTopmost, screen, full}}));
  }
  // The others: on top or not by the layout, then centred; the disc program
  // also when its window shows during the pause after its start.
  Launcher launcher;
  const WindowHandle clip = OpenCompanion(launcher.doubles.windows, Program::Clip);
  ASSERT_TRUE(launcher.window->OnCommand(layout::kClipButtonSmall));
  WindowHandle disc = kNoWindow;
  launcher.doubles.companionSeams.pause = [&](std::chrono::milliseconds time) {
    EXPECT_EQ(time.count(), 500);
    disc = OpenCompanion(launcher.doubles.windows, Program::Vcd);
  };
  launcher.doubles.windows.Close(clip);
  launcher.window = launcher.doubles.ShowWindow();
  ASSERT_TRUE(launcher.window->OnCommand(layout::kVcdButton));
  EXPECT_EQ(launcher.doubles.shell.calls, std::vector<std::string>{"start /opt/disc/Discsmith in /opt/disc"});
  EXPECT_EQ(launcher.doubles.windows.calls(), (Calls{{Op::SetTopmost, clip, 0},
                                                     {Op::CentreOnScreen, clip},
                                                     {Op::SetTopmost, disc, 0},
                                                     {Op::CentreOnScreen, disc}}));
}

TEST(CompanionLayout, TheLayoutLowersAndRaisesTheCompanionsInTheirOrders) {
  Launcher launcher;
  FakeWindowSystem& windows = launcher.doubles.windows;
  const WindowHandle panel = windows.Open("#32770", "quorvix"), screen = windows.Open("#32770", "Tunerec - Screen");
  std::map<Program, WindowHandle> open;
  for (const Program program : {Program::Guard, Program::Dvr, Program::Tv, Program::Clip, Program::Encode,
                                Program::Vcd})
    open[program] = OpenCompanion(windows, program);
  windows.Open("other", "Clipsmith 5.0 SE");  // another class: never touched
  const auto topmost = [](std::vector<WindowHandle> order, bool on) {
    Calls calls;
    for (const WindowHandle each : order) calls.push_back({Op::SetTopmost, each, on});
    return calls;
  };
  using enum Program;
  ASSERT_TRUE(launcher.window->OnCommand(layout::kMaximize));
  EXPECT_EQ(windows.calls(), topmost({panel, screen, open[Dvr], open[Tv], panel, screen, open[Encode], open[Clip],
                                      open[Guard], open[Vcd]},
                                     true));
  const size_t raised = windows.calls().size();
  ASSERT_TRUE(launcher.window->OnCommand(layout::kMaximize));
  EXPECT_EQ(Calls(windows.calls().begin() + long(raised), windows.calls().end()),
            topmost({open[Dvr], open[Tv], panel, screen, open[Encode], open[Clip], open[Guard], open[Vcd]}, false));
}

TEST(CompanionStart, CompanionsRunningAtStartAreWatched) {
  test::MainWindowDoubles doubles;
  const WindowHandle tv = OpenCompanion(doubles.windows, Program::Tv);
  const WindowHandle guard = OpenCompanion(doubles.windows, Program::Guard);
  const WindowHandle disc = OpenCompanion(doubles.windows, Program::Vcd);
  auto window = doubles.ShowWindow();
  CompanionLauncher& companions = window->Companions();
  EXPECT_EQ(doubles.windows.calls(), (Calls{{Op::SetTopmost, tv, 0}, {Op::SetTopmost, guard, 0},
                                            {Op::SetTopmost, disc, 0}}))
      << "the TV program's watch lowers the companions";
  for (const uint32_t button : {layout::kTvButtonSmall, layout::kGuardButton, layout::kVcdButton})
    EXPECT_EQ(window->Button(button)->LookState(), SkinButton::kLookActive) << button;
  EXPECT_EQ(window->Button(layout::kClipButton)->LookState(), SkinButton::kLookNormal);
  for (const int timer : {200, 100, 900}) EXPECT_TRUE(companions.TimerActive(timer)) << timer;
  for (const int timer : {300, 400}) EXPECT_FALSE(companions.TimerActive(timer)) << timer;
  EXPECT_TRUE(window->Button(layout::kGuardButton)->isHidden());
  EXPECT_FALSE(window->Button(layout::kGuardButtonSmall)->isEnabled());
  doubles.windows.Close(guard);
  companions.OnTimer(100);
  EXPECT_FALSE(companions.TimerActive(100));
  EXPECT_EQ(window->Button(layout::kGuardButtonSmall)->LookState(), SkinButton::kLookNormal);
}

TEST(CompanionStart, EachMissingMediaPartIsReportedAndClosesTheWindow) {
  const char kDecoder[] = "qvmpg2video.ax is not loaded", kDemuxer[] = "QVStillCap.ax is not loaded";
  for (const int present : {0b11, 0b01, 0b10, 0b00}) {
    const bool decoder = present & 0b10, demuxer = present & 0b01;
    test::MainWindowDoubles doubles;
    doubles.companionSeams.mpeg2VideoDecoder = [decoder] { return decoder; };
    doubles.companionSeams.programStreamDemuxer = [demuxer] { return demuxer; };
    if (!decoder) doubles.prompts.ExpectMessage(kDecoder, "Lumora", box::kOk, kAnswerOk);
    if (!demuxer) doubles.prompts.ExpectMessage(kDemuxer, "Lumora", box::kOk, kAnswerOk);
    auto window = doubles.ShowWindow();
    QCoreApplication::processEvents();  // the queued Close command
    EXPECT_EQ(window->isVisible(), decoder && demuxer);
  }
}

TEST(CompanionWeb, TheWebButtonsOpenTheHomePage) {
  Launcher launcher;
  for (const uint32_t button : {layout::kMarkButton, layout::kMarkButtonSmall, layout::kHomeButton})
    ASSERT_TRUE(launcher.window->OnCommand(button));
  const std::string open = "open " + std::string(kHomePageAddress);
  EXPECT_EQ(launcher.doubles.shell.calls, (std::vector<std::string>{open, open, open}));
}

}  // namespace
}  // namespace lumora
