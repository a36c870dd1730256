// The companion launcher through the main window's command table, with the
// in-memory window system, a recording shell and scripted prompts: the
// conflict orders, bringing a running companion forward (the TV program's
// three windows at the quarter heights), starting from "AppPath", the wait and
// watch timers (driven through their handler, by id), the buttons' looks and
// enabling, lowering and raising, the watches resumed at start, the web
// buttons and the media checks at start.
#include "app/CompanionLauncher.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/Companions.h"
#include "app/HomePage.h"
#include "app/SkinButton.h"
#include "settings/Settings.h"
#include "tests/app/AppTesting.h"

namespace lumora {
namespace {

using companions::Of;
using companions::Program;
using test::MainWindowDoubles;
using Op = FakeWindowCall::Op;

constexpr uint32_t kBlockedStyle = box::kIconExclamation | box::kSystemModal;
constexpr char kNotInstalled[] = "The application has not been installed. Please install it.";

// The window of a companion, opened in the fake window system.
WindowHandle OpenCompanion(FakeWindowSystem& windows, Program program, WindowRect rect = {0, 0, 200, 100}) {
  return windows.Open(std::string(Of(program).window.windowClass), std::string(Of(program).window.title), rect);
}

// The enabled state of each visible launch pair's large button: TV, Clip, Encode, VCD.
std::vector<bool> Enabled(const MainDialog& window) {
  std::vector<bool> enabled;
  for (const Program program : {Program::Tv, Program::Clip, Program::Encode, Program::Vcd}) {
    const bool large = window.Button(Of(program).large)->isEnabled();
    EXPECT_EQ(large, window.Button(Of(program).small)->isEnabled()) << "a pair changes together";
    enabled.push_back(large);
  }
  return enabled;
}

int Look(const MainDialog& window, Program program) {
  const int large = window.Button(Of(program).large)->LookState();
  EXPECT_EQ(large, window.Button(Of(program).small)->LookState()) << "a pair looks alike";
  return large;
}

// The window with one album, so the launch buttons have a current album.
struct Launcher {
  Launcher() {
    album = test::AddAlbum(doubles, "Trip");
    window = doubles.ShowWindow();
  }
  CompanionLauncher& companions() { return window->Companions(); }
  void SetAppPath(std::string_view key, const std::string& folder) {
    ASSERT_TRUE(WriteMachineString(*doubles.registry, key, kAppPath, folder));
  }

  MainWindowDoubles doubles;
  std::filesystem::path album;
  std::unique_ptr<MainDialog> window;
};

TEST(CompanionLaunch, ARunningCompetitorIsReportedInEachButtonsOrderAndNothingStarts) {
  struct Case {
    uint32_t button;
    std::vector<Program> running;
    const char* text;
    const char* caption;
  };
  const Case cases[] = {
      {layout::kClipButton, {Program::Encode, Program::Dvr}, "Please close 'DVR' and try again", "Clipsmith 5.0 SE"},
      {layout::kClipButtonSmall, {Program::Vcd, Program::Tv}, "Please close 'Tunerec' and try again",
       "Clipsmith 5.0 SE"},
      {layout::kEncodeButton, {Program::Clip, Program::Guard}, "Please close 'Clipsmith' and try again",
       "Mpegsmith 5.0 SE"},
      {layout::kVcdButton, {Program::Clip, Program::Encode}, "Please close 'Mpegsmith' and try again",
       "Discsmith 1.0"},
      {layout::kVcdButtonSmall, {Program::Guard}, "Please close 'Guardcam' and try again", "Discsmith 1.0"},
      {layout::kTvButton, {Program::Vcd, Program::Guard}, "Please close 'Guardcam' and try again", "Tunerec 2.0"},
      {layout::kTvButtonSmall, {Program::Vcd, Program::Dvr}, "Please close 'Discsmith' and try again",
       "Tunerec 2.0"},
      {layout::kEncodeButtonSmall, {Program::Vcd}, "Please close 'Discsmith' and try again", "Mpegsmith 5.0 SE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    Launcher launcher;
    launcher.SetAppPath(TunerecKey, "/opt/tv");
    launcher.SetAppPath(ClipsmithKey, "/opt/clip");
    launcher.SetAppPath(MpegsmithKey, "/opt/mpeg");
    launcher.SetAppPath(DiscsmithKey, "/opt/disc");
    for (const Program program : c.running) OpenCompanion(launcher.doubles.windows, program);
    launcher.doubles.prompts.ExpectMessage(c.text, c.caption, kBlockedStyle, kAnswerOk);
    ASSERT_TRUE(launcher.window->OnCommand(c.button));
    EXPECT_TRUE(launcher.doubles.prompts.AllAnswered());
    EXPECT_TRUE(launcher.doubles.shell.calls.empty());
    EXPECT_TRUE(launcher.doubles.windows.calls().empty()) << "the running companions are left alone";
    EXPECT_EQ(std::filesystem::current_path(), launcher.album) << "the album's folder is current again";
  }
}

TEST(CompanionLaunch, WithoutACurrentAlbumNothingHappens) {
  MainWindowDoubles doubles;
  auto window = doubles.ShowWindow();
  ASSERT_TRUE(WriteMachineString(*doubles.registry, TunerecKey, kAppPath, "/opt/tv"));
  OpenCompanion(doubles.windows, Program::Clip);
  ASSERT_TRUE(window->OnCommand(layout::kTvButton));
  EXPECT_TRUE(doubles.shell.calls.empty());
  EXPECT_TRUE(doubles.prompts.shown().empty());
}

TEST(CompanionLaunch, AMissingAppPathOrAFailedStartIsReportedAtOnce) {
  for (const bool installed : {false, true}) {
    SCOPED_TRACE(installed);
    Launcher launcher;
    if (installed) launcher.SetAppPath(ClipsmithKey, "/opt/clip");
    launcher.doubles.shell.startResult = false;
    launcher.doubles.prompts.ExpectMessage(kNotInstalled, "Clipsmith 5.0 SE", kBlockedStyle, kAnswerOk);
    ASSERT_TRUE(launcher.window->OnCommand(layout::kClipButton));
    EXPECT_EQ(launcher.doubles.shell.calls,
              installed ? std::vector<std::string>{"start /opt/clip/Clipsmith in /opt/clip"}
                        : std::vector<std::string>{});
    EXPECT_EQ(Look(*launcher.window, Program::Clip), SkinButton::kLookNormal);
    EXPECT_EQ(Enabled(*launcher.window), (std::vector<bool>{true, true, true, true}));
    EXPECT_FALSE(launcher.companions().TimerActive(Of(Program::Clip).waitTimer));
  }
}

TEST(CompanionLaunch, ACompanionThatNeverShowsReturnsItsButtonsAtItsPollLimit) {
  struct Case {
    uint32_t button;
    Program program;
    std::string_view key;
    const char* started;
    std::vector<bool> enabledWhileStarting;  // TV, Clip, Encode, VCD
  };
  const Case cases[] = {
      {layout::kTvButtonSmall, Program::Tv, TunerecKey, "start /opt/tv/quorvixTV in /opt/tv/",
       {false, false, false, false}},
      {layout::kClipButton, Program::Clip, ClipsmithKey, "start /opt/tv//Clipsmith in /opt/tv/",
       {false, true, false, false}},
      {layout::kEncodeButtonSmall, Program::Encode, MpegsmithKey, "start /opt/tv//Mpegsmith in /opt/tv/",
       {false, false, true, false}},
      {layout::kVcdButton, Program::Vcd, DiscsmithKey, "start /opt/tv//Discsmith in /opt/tv/",
       {false, false, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    Launcher launcher;
    launcher.SetAppPath(c.key, "/opt/tv/");
    ASSERT_TRUE(launcher.window->OnCommand(c.button));
    EXPECT_EQ(launcher.doubles.shell.calls, std::vector<std::string>{c.started});
    EXPECT_EQ(Look(*launcher.window, c.program), SkinButton::kLookActive);
    EXPECT_EQ(Enabled(*launcher.window), c.enabledWhileStarting);
    const int timer = Of(c.program).waitTimer;
    ASSERT_TRUE(launcher.companions().TimerActive(timer));
    for (int poll = 1; poll < Of(c.program).pollLimit; ++poll) launcher.companions().OnTimer(timer);
    EXPECT_TRUE(launcher.companions().TimerActive(timer)) << "one poll short of the limit";
    EXPECT_EQ(Look(*launcher.window, c.program), SkinButton::kLookActive);
    launcher.companions().OnTimer(timer);
    EXPECT_FALSE(launcher.companions().TimerActive(timer));
    EXPECT_FALSE(launcher.companions().TimerActive(Of(c.program).watchTimer));
    EXPECT_EQ(Look(*launcher.window, c.program), SkinButton::kLookNormal);
    EXPECT_EQ(Enabled(*launcher.window), (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(launcher.window->Button(layout::kGuardButton)->isHidden());
    EXPECT_TRUE(launcher.window->Button(layout::kGuardButton)->isEnabled()) << "enabled with the others";
  }
}

TEST(CompanionLaunch, ACompanionThatShowsIsWatchedUntilItEnds) {
  Launcher launcher;
  launcher.SetAppPath(MpegsmithKey, "/opt/mpeg");
  ASSERT_TRUE(launcher.window->OnCommand(layout::kEncodeButton));
  CompanionLauncher& companions = launcher.companions();
  companions.OnTimer(600);
  companions.OnTimer(600);
  EXPECT_EQ(companions.Polls(), 2);
  ASSERT_TRUE(launcher.window->OnCommand(layout::kEncodeButtonSmall));
  EXPECT_EQ(companions.Polls(), 0) << "a launch starts the shared count again";
  const WindowHandle encoder = OpenCompanion(launcher.doubles.windows, Program::Encode);
  companions.OnTimer(600);
  EXPECT_FALSE(companions.TimerActive(600));
  EXPECT_TRUE(companions.TimerActive(300));
  EXPECT_EQ(Enabled(*launcher.window), (std::vector<bool>{true, true, true, true}));
  EXPECT_EQ(launcher.doubles.windows.calls(), (std::vector<FakeWindowCall>{{Op::SetTopmost, encoder, 0}}))
      << "lowered in the compact layout";
  EXPECT_EQ(Look(*launcher.window, Program::Encode), SkinButton::kLookActive);

  companions.OnTimer(300);
  EXPECT_TRUE(companions.TimerActive(300)) << "still running";
  launcher.doubles.windows.Close(encoder);
  companions.OnTimer(300);
  EXPECT_FALSE(companions.TimerActive(300));
  EXPECT_EQ(Look(*launcher.window, Program::Encode), SkinButton::kLookNormal);
}

TEST(CompanionLaunch, ARunningCompanionIsBroughtForwardInsteadOfStarted) {
  // The TV program's three windows: the panel and the screen at a quarter of
  // the free height, the TV window at three quarters, all centred across.
  for (const bool full : {false, true}) {
    SCOPED_TRACE(full);
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
    EXPECT_EQ(windows.Window(panel)->rect, (WindowRect{461, 179, 101, 51}));
    EXPECT_EQ(windows.Window(screen)->rect, (WindowRect{312, 116, 400, 303}));
    EXPECT_EQ(windows.Window(tv)->rect, (WindowRect{362, 426, 300, 200}));
    for (const WindowHandle each : {tv, panel, screen}) EXPECT_EQ(windows.Window(each)->topmost, full);
    const std::vector<FakeWindowCall> moves(windows.calls().begin() + long(before), windows.calls().end());
    EXPECT_EQ(moves, (std::vector<FakeWindowCall>{{Op::MoveTo, panel, 461, 179},
                                                  {Op::SetTopmost, panel, full},
                                                  {Op::MoveTo, screen, 312, 116},
                                                  {Op::SetTopmost, screen, full},
                                                  {Op::MoveTo, tv, 362, 426},
                                                  {Op::SetTopmost, tv, full},
                                                  {Op::MoveTo, screen, 312, 116},
                                                  {Op::SetTopmost, screen, full}}));
    EXPECT_EQ(Look(*launcher.window, Program::Tv), SkinButton::kLookNormal);
  }
  // The others: kept on top by the layout, then centred.
  Launcher launcher;
  const WindowHandle disc = OpenCompanion(launcher.doubles.windows, Program::Vcd, {0, 0, 224, 168});
  ASSERT_TRUE(launcher.window->OnCommand(layout::kVcdButtonSmall));
  EXPECT_TRUE(launcher.doubles.shell.calls.empty());
  EXPECT_EQ(launcher.doubles.windows.calls(),
            (std::vector<FakeWindowCall>{{Op::SetTopmost, disc, 0}, {Op::CentreOnScreen, disc}}));
  EXPECT_EQ(launcher.doubles.windows.Window(disc)->rect, (WindowRect{400, 300, 224, 168}));
}

TEST(CompanionLaunch, TheDiscProgramIsPlacedWhenItShowsDuringThePauseAfterItsStart) {
  Launcher launcher;
  launcher.SetAppPath(DiscsmithKey, "/opt/disc");
  WindowHandle disc = kNoWindow;
  // The seams were handed over when the window was built: a second window
  // gets this pause.
  launcher.doubles.companionSeams.pause = [&](std::chrono::milliseconds time) {
    EXPECT_EQ(time, std::chrono::milliseconds(500));
    disc = OpenCompanion(launcher.doubles.windows, Program::Vcd);
  };
  launcher.window.reset();
  launcher.window = launcher.doubles.ShowWindow();
  ASSERT_TRUE(launcher.window->OnCommand(layout::kVcdButton));
  ASSERT_NE(disc, kNoWindow);
  EXPECT_EQ(launcher.doubles.windows.calls(),
            (std::vector<FakeWindowCall>{{Op::SetTopmost, disc, 0}, {Op::CentreOnScreen, disc}}));
  EXPECT_TRUE(launcher.companions().TimerActive(850)) << "the wait goes on as for the others";
}

TEST(CompanionLayout, LoweringAndRaisingFollowTheLayoutInTheirOrders) {
  Launcher launcher;
  FakeWindowSystem& windows = launcher.doubles.windows;
  const WindowHandle panel = windows.Open("#32770", "quorvix");
  const WindowHandle screen = windows.Open("#32770", "Tunerec - Screen");
  const WindowHandle guard = OpenCompanion(windows, Program::Guard);
  const WindowHandle dvr = OpenCompanion(windows, Program::Dvr);
  const WindowHandle tv = OpenCompanion(windows, Program::Tv);
  const WindowHandle clip = OpenCompanion(windows, Program::Clip);
  const WindowHandle encode = OpenCompanion(windows, Program::Encode);
  const WindowHandle disc = OpenCompanion(windows, Program::Vcd);
  windows.Open("other", "Clipsmith 5.0 SE");  // another class: never touched
  const auto topmost = [&](std::vector<WindowHandle> order, bool on) {
    std::vector<FakeWindowCall> calls;
    for (const WindowHandle each : order) calls.push_back({Op::SetTopmost, each, on});
    return calls;
  };
  ASSERT_TRUE(launcher.window->OnCommand(layout::kMaximize));
  EXPECT_EQ(windows.calls(), topmost({panel, screen, dvr, tv, panel, screen, encode, clip, guard, disc}, true));
  const size_t raised = windows.calls().size();
  ASSERT_TRUE(launcher.window->OnCommand(layout::kMaximize));
  EXPECT_EQ(std::vector<FakeWindowCall>(windows.calls().begin() + long(raised), windows.calls().end()),
            topmost({dvr, tv, panel, screen, encode, clip, guard, disc}, false));
}

TEST(CompanionStart, CompanionsRunningAtStartAreWatched) {
  MainWindowDoubles doubles;
  const WindowHandle tv = OpenCompanion(doubles.windows, Program::Tv);
  const WindowHandle guard = OpenCompanion(doubles.windows, Program::Guard);
  const WindowHandle disc = OpenCompanion(doubles.windows, Program::Vcd);
  auto window = doubles.ShowWindow();
  CompanionLauncher& companions = window->Companions();
  EXPECT_EQ(doubles.windows.calls(),
            (std::vector<FakeWindowCall>{{Op::SetTopmost, tv, 0}, {Op::SetTopmost, guard, 0}, {Op::SetTopmost, disc, 0}}))
      << "the TV program's watch lowers the companions once";
  EXPECT_EQ(Look(*window, Program::Tv), SkinButton::kLookActive);
  EXPECT_EQ(Look(*window, Program::Guard), SkinButton::kLookActive);
  EXPECT_EQ(Look(*window, Program::Vcd), SkinButton::kLookActive);
  EXPECT_EQ(Look(*window, Program::Clip), SkinButton::kLookNormal);
  for (const int timer : {200, 100, 900}) EXPECT_TRUE(companions.TimerActive(timer)) << timer;
  for (const int timer : {300, 400}) EXPECT_FALSE(companions.TimerActive(timer)) << timer;
  EXPECT_TRUE(window->Button(layout::kGuardButton)->isHidden());
  EXPECT_FALSE(window->Button(layout::kGuardButtonSmall)->isEnabled());

  doubles.windows.Close(guard);
  companions.OnTimer(100);
  EXPECT_FALSE(companions.TimerActive(100));
  EXPECT_EQ(Look(*window, Program::Guard), SkinButton::kLookNormal);
  EXPECT_TRUE(companions.TimerActive(200));
}

TEST(CompanionStart, EachMissingMediaPartIsReportedAndClosesTheWindow) {
  struct Case {
    bool decoder;
    bool demuxer;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {true, true, {}},
      {false, true, {"message: qvmpg2video.ax is not loaded"}},
      {true, false, {"message: QVStillCap.ax is not loaded"}},
      {false, false, {"message: qvmpg2video.ax is not loaded", "message: QVStillCap.ax is not loaded"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown.size());
    MainWindowDoubles doubles;
    doubles.companionSeams.mpeg2VideoDecoder = [&] { return c.decoder; };
    doubles.companionSeams.programStreamDemuxer = [&] { return c.demuxer; };
    for (const std::string& shown : c.shown)
      doubles.prompts.ExpectMessage(shown.substr(9), "Lumora", box::kOk, kAnswerOk);
    auto window = doubles.ShowWindow();
    EXPECT_EQ(doubles.prompts.shown(), c.shown);
    QCoreApplication::processEvents();  // the queued Close command
    EXPECT_EQ(window->isVisible(), c.shown.empty());
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
