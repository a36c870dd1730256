#include "app/CompanionLauncher.h"

#include <filesystem>
#include <thread>

#include "app/HomePage.h"
#include "app/MessageStrings.h"
#include "app/SkinButton.h"
#include "media/video/MediaFilters.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/window/WindowSystem.h"
#include "settings/Settings.h"

namespace lumora {

using companions::Companion;
using companions::Of;
using companions::Program;
using companions::WindowName;

namespace {

// Shown when a companion's "AppPath" is missing or its program does not start.
constexpr uint32_t kNotInstalledText = 137;
// The blocking messages: exclamation, above every other window.
constexpr uint32_t kBlockedStyle = box::kIconExclamation | box::kSystemModal;

std::string FileToStart(const Companion& companion, const std::string& folder) {
  std::string file = folder;
  if (companion.join == companions::FileJoin::Slash || !file.ends_with('/')) file += '/';
  return file + std::string(companion.fileName);
}

}  // namespace

CompanionLauncher::CompanionLauncher(Services services, Host host)
    : services_(std::move(services)), host_(std::move(host)) {
  Seams& seams = services_.seams;
  if (!seams.mpeg2VideoDecoder) seams.mpeg2VideoDecoder = video::HasMpeg2VideoDecoder;
  if (!seams.programStreamDemuxer) seams.programStreamDemuxer = video::HasMpegProgramStreamDemuxer;
  if (!seams.pause) seams.pause = [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); };
}

CompanionLauncher::~CompanionLauncher() = default;

void CompanionLauncher::OnLaunchButton(uint32_t control) {
  if (const Companion* companion = companions::WithButton(control)) LaunchCompanion(companion->program);
}

void CompanionLauncher::OnWebButton(uint32_t control) {
  services_.shell.OpenDocument(std::string(kHomePageAddress));
  if (SkinButton* button = host_.button(control)) button->Redraw();
}

void CompanionLauncher::LaunchCompanion(Program program) {
  const Companion& chosen = Of(program);
  const std::string album = host_.currentAlbumPath();
  if (album.empty()) {
    RedrawButtons(chosen);
    return;
  }
  // The companions are looked for and started from the program's own folder;
  // the album's folder is current again afterwards and the buttons are
  // redrawn, whichever way this ends.
  std::error_code ignored;
  std::filesystem::current_path(services_.desktop.ProgramFolder(), ignored);
  [&] {
    for (const Program competitor : companions::ConflictsOf(chosen)) {
      if (!Exists(Of(competitor).window)) continue;
      ShowBlocked(services_.messages.Text(Of(competitor).blockingText), chosen.window.title);
      return;
    }
    if (Exists(chosen.window)) {
      BringForward(chosen);
      return;
    }
    if (!Start(chosen)) return;
    SetLook(chosen, SkinButton::kLookActive);
    RedrawButtons(chosen);
    polls_ = 0;
    SetOtherLaunchButtons(chosen.window.title, false);
    StartTimer(chosen.waitTimer, kWaitPeriod);
    if (program == Program::Vcd) {
      // The disc program shows its window quickly: it is placed at once.
      services_.seams.pause(kVcdSettle);
      if (Exists(chosen.window)) BringForward(chosen);
    }
  }();
  std::filesystem::current_path(album, ignored);
  RedrawButtons(chosen);
}

bool CompanionLauncher::Start(const Companion& companion) {
  std::string folder;
  if (!ReadMachineString(services_.registry, companion.appPathKey, kAppPath, folder, "") ||
      !services_.shell.StartProgram(FileToStart(companion, folder), {}, folder)) {
    ShowBlocked(services_.messages.Text(kNotInstalledText), companion.window.title);
    return false;
  }
  return true;
}

void CompanionLauncher::BringForward(const Companion& companion) {
  if (companion.program == Program::Tv) {
    ArrangeTv();
    return;
  }
  SetTopmostByMode(companion.window);
  if (services_.windows) services_.windows->CentreOnScreen(services_.windows->FindTopLevel(
                             companion.window.windowClass, companion.window.title));
}

void CompanionLauncher::ArrangeTv() {
  WindowSystem* windows = services_.windows;
  if (!windows) return;
  // Centred across, with the top at `quarters` quarters of the height left
  // free; left where it is when the screen is not known.
  const std::optional<WindowRect> screen = windows->Screen();
  const auto place = [&](const WindowName& name, int quarters) {
    const WindowHandle window = windows->FindTopLevel(name.windowClass, name.title);
    const std::optional<WindowRect> rect = windows->Rect(window);
    if (!rect) return;
    if (screen)
      windows->MoveTo(window, (screen->width - rect->width) / 2, (screen->height - rect->height) / 4 * quarters);
    SetTopmostByMode(name);
  };
  place(companions::kTvPanel, 1);
  place(companions::kTvScreen, 1);
  if (!Exists(Of(Program::Tv).window)) return;
  place(Of(Program::Tv).window, 3);
  place(companions::kTvScreen, 1);
}

void CompanionLauncher::SetTopmostByMode(const WindowName& name) {
  if (!services_.windows) return;
  const WindowHandle window = services_.windows->FindTopLevel(name.windowClass, name.title);
  if (window != kNoWindow) services_.windows->SetTopmost(window, host_.fullLayout());
}

void CompanionLauncher::SetOtherLaunchButtons(std::string_view title, bool enable) {
  for (const Program program : companions::kOtherButtonOrder) {
    const Companion& companion = Of(program);
    // The TV pair is compared with two titles and changed when the title
    // differs from either, which is always.
    const bool own = program == Program::Tv
                         ? !(title != Of(Program::Dvr).window.title || title != companion.window.title)
                         : title == companion.window.title;
    if (!own) EnablePair(companion, enable);
  }
}

void CompanionLauncher::LowerCompanions() {
  if (!services_.windows) return;
  for (const WindowName& name : companions::kLowerOrder) {
    const WindowHandle window = services_.windows->FindTopLevel(name.windowClass, name.title);
    if (window != kNoWindow) services_.windows->SetTopmost(window, false);
  }
}

void CompanionLauncher::RaiseCompanions() {
  if (!services_.windows) return;
  for (const WindowName& name : companions::kRaiseOrder) {
    const WindowHandle window = services_.windows->FindTopLevel(name.windowClass, name.title);
    if (window != kNoWindow) services_.windows->SetTopmost(window, true);
  }
}

void CompanionLauncher::ResumeCompanionWatch() {
  for (const Program program : companions::kResumeOrder) {
    const Companion& companion = Of(program);
    if (!Exists(companion.window)) continue;
    SetLook(companion, SkinButton::kLookActive);
    RedrawButtons(companion);
    if (program == Program::Tv) LowerCompanions();
    StartTimer(companion.watchTimer, kWatchPeriod);
  }
}

void CompanionLauncher::RegisterMediaFilters() {
  const struct {
    const std::function<bool()>& present;
    const char* text;
  } filters[] = {
      {services_.seams.mpeg2VideoDecoder, "qvmpg2video.ax is not loaded"},
      {services_.seams.programStreamDemuxer, "QVStillCap.ax is not loaded"},
  };
  // Both are checked, whatever the first one found.
  for (const auto& filter : filters) {
    if (filter.present()) continue;
    services_.prompts.ShowMessage(filter.text, services_.messages.Caption(), box::kOk);
    host_.closeWindow();
  }
}

void CompanionLauncher::OnTimer(int id) {
  for (const Companion& companion : companions::kCompanions) {
    if (companion.waitTimer != 0 && companion.waitTimer == id) OnWaitTimer(companion);
    if (companion.watchTimer == id) OnWatchTimer(companion);
  }
}

void CompanionLauncher::OnWaitTimer(const Companion& companion) {
  if (Exists(companion.window)) {
    StopTimer(companion.waitTimer);
    StartTimer(companion.watchTimer, kWatchPeriod);
    if (host_.fullLayout())
      RaiseCompanions();
    else
      LowerCompanions();
    SetOtherLaunchButtons(companion.window.title, true);
    return;
  }
  // One counter serves every wait; a launch starts it again at 0.
  if (polls_++ < companion.pollLimit - 1) return;
  StopTimer(companion.waitTimer);
  SetOtherLaunchButtons(companion.window.title, true);
  SetLook(companion, SkinButton::kLookNormal);
  RedrawButtons(companion);
  host_.focusWindow();
}

void CompanionLauncher::OnWatchTimer(const Companion& companion) {
  if (Exists(companion.window)) return;
  StopTimer(companion.watchTimer);
  SetLook(companion, SkinButton::kLookNormal);
  RedrawButtons(companion);
  host_.focusWindow();
}

bool CompanionLauncher::TimerActive(int id) const {
  const auto found = timers_.find(id);
  return found != timers_.end() && found->second->isActive();
}

void CompanionLauncher::StartTimer(int id, std::chrono::milliseconds period) {
  std::unique_ptr<QTimer>& timer = timers_[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [this, id] { OnTimer(id); });
  }
  timer->start(period);
}

void CompanionLauncher::StopTimer(int id) {
  if (const auto found = timers_.find(id); found != timers_.end()) found->second->stop();
}

bool CompanionLauncher::Exists(const WindowName& name) const {
  return services_.windows && services_.windows->FindTopLevel(name.windowClass, name.title) != kNoWindow;
}

void CompanionLauncher::SetLook(const Companion& companion, int look) {
  for (const uint32_t control : {companion.large, companion.small})
    if (SkinButton* button = host_.button(control)) button->SetLookState(look);
}

void CompanionLauncher::RedrawButtons(const Companion& companion) {
  for (const uint32_t control : {companion.large, companion.small})
    if (SkinButton* button = host_.button(control)) button->Redraw();
}

void CompanionLauncher::EnablePair(const Companion& companion, bool enable) {
  for (const uint32_t control : {companion.large, companion.small})
    if (SkinButton* button = host_.button(control)) button->setEnabled(enable);
}

void CompanionLauncher::ShowBlocked(const std::string& text, std::string_view caption) {
  services_.prompts.ShowMessage(text, std::string(caption), kBlockedStyle);
}

}  // namespace lumora
