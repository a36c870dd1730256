// CompanionLauncher: starts the product line's companion programs from the
// main window's launch buttons, refuses a launch while a competitor runs,
// keeps the launch buttons' looks in step with the companions' lives (one
// wait timer and one watch timer per companion), keeps the companions' windows
// above others or not in step with the window's layout, and checks at start
// that the media parts the video previews need are present.
//
// Companions are found only by the class and title of their top-level
// windows, through the window system; they are started through the shell.
#pragma once

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/Companions.h"

namespace lumora {

class Desktop;
class MessageStrings;
class Prompts;
class Registry;
class Shell;
class SkinButton;
class WindowSystem;

class CompanionLauncher {
 public:
  // Stand-ins for tests: the two media checks and the pause after starting
  // the VCD program. Empty ones mean the real thing.
  struct Seams {
    std::function<bool()> mpeg2VideoDecoder;
    std::function<bool()> programStreamDemuxer;
    std::function<void(std::chrono::milliseconds)> pause;
  };

  struct Services {
    Registry& registry;
    Shell& shell;
    Prompts& prompts;
    Desktop& desktop;
    const MessageStrings& messages;
    WindowSystem* windows;  // null: no companion is ever found
    Seams seams;
  };

  // What the launcher asks of the main window.
  struct Host {
    std::function<std::string()> currentAlbumPath;  // empty: no current album
    std::function<bool()> fullLayout;               // the window is in "MAX"
    std::function<SkinButton*(uint32_t control)> button;
    std::function<void()> focusWindow;
    std::function<void()> closeWindow;  // the Close command
  };

  static constexpr std::chrono::milliseconds kWaitPeriod{500};
  static constexpr std::chrono::milliseconds kWatchPeriod{1000};
  static constexpr std::chrono::milliseconds kVcdSettle{500};

  CompanionLauncher(Services services, Host host);
  ~CompanionLauncher();

  // A launch button was pressed: LaunchCompanion for its companion.
  void OnLaunchButton(uint32_t control);
  // The launch button of `program` (either of its pair) was pressed.
  void LaunchCompanion(companions::Program program);
  // A web button was pressed: the maker's home page opens.
  void OnWebButton(uint32_t control);
  // Enables or disables the launch button pairs other than `title`'s.
  void SetOtherLaunchButtons(std::string_view title, bool enable);
  void LowerCompanions();
  void RaiseCompanions();
  // At start: companions already running are watched, their buttons "started".
  void ResumeCompanionWatch();
  // At start: a missing media part is reported and the window closed.
  void RegisterMediaFilters();

  // The timer handler, by the timer's id (a companion's wait or watch timer).
  void OnTimer(int id);
  bool TimerActive(int id) const;
  // The shared poll counter of the wait timers.
  int Polls() const { return polls_; }

 private:
  bool Exists(const companions::WindowName& name) const;
  void SetLook(const companions::Companion& companion, int look);
  void RedrawButtons(const companions::Companion& companion);
  void EnablePair(const companions::Companion& companion, bool enable);
  void SetTopmostByMode(const companions::WindowName& name);
  void BringForward(const companions::Companion& companion);
  void ArrangeTv();
  bool Start(const companions::Companion& companion);
  void StartTimer(int id, std::chrono::milliseconds period);
  void StopTimer(int id);
  void OnWaitTimer(const companions::Companion& companion);
  void OnWatchTimer(const companions::Companion& companion);
  void ShowBlocked(const std::string& text, std::string_view caption);

  Services services_;
  Host host_;
  int polls_ = 0;
  std::map<int, std::unique_ptr<QTimer>> timers_;
};

}  // namespace lumora
