// Doubles of the desktop's mail client and wallpaper backends: a mail client
// that records what it is handed and answers as told, and wallpaper backends
// that act on a scripted desktop state.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/MailClient.h"
#include "platform/Wallpaper.h"

namespace lumora::testing_support {

class RecordingMailClient final : public MailClient {
 public:
  bool present = true;        // what Available answers
  int code = kMailSuccess;    // what Send answers
  int availabilityAsked = 0;  // calls of Available
  std::vector<MailDraft> sent;
  std::vector<uint32_t> flags;

  bool Available() override {
    ++availabilityAsked;
    return present;
  }
  int Send(const MailDraft& draft, uint32_t f) override {
    sent.push_back(draft);
    flags.push_back(f);
    return code;
  }
};

// What the desktop shows, as scripted backends read and change it, and a log
// of their calls ("<name> set <file name> <width>x<height>", "<name> restore <reading>").
struct ScriptedDesktop {
  std::optional<std::string> reading;  // what Current answers
  bool sets = true;                    // whether Set succeeds
  bool restores = true;                // whether Restore succeeds
  std::vector<std::string> log;
  std::vector<WallpaperPicture> pictures;  // every picture set
};

class ScriptedWallpaper final : public WallpaperBackend {
 public:
  ScriptedWallpaper(std::string name, ScriptedDesktop& desktop) : name_(std::move(name)), desktop_(desktop) {}
  std::string_view Name() const override { return name_; }
  std::optional<std::string> Current() override { return desktop_.reading; }
  bool Set(const WallpaperPicture& picture) override {
    desktop_.log.push_back(name_ + " set " + std::filesystem::path(picture.path).filename().string() + " " +
                           std::to_string(picture.width) + "x" + std::to_string(picture.height));
    desktop_.pictures.push_back(picture);
    if (desktop_.sets) desktop_.reading = name_ + ":ours";
    return desktop_.sets;
  }
  bool Restore(const std::string& reading) override {
    desktop_.log.push_back(name_ + " restore " + reading);
    if (desktop_.restores) desktop_.reading = reading;
    return desktop_.restores;
  }

 private:
  std::string name_;
  ScriptedDesktop& desktop_;
};

}  // namespace lumora::testing_support
