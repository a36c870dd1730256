// lumora-cli wallpaper and mail. Messages the window would show in a box are
// written to the error stream.
#include "cli/DesktopCommands.h"

#include <optional>
#include <vector>

#include "media/codecs/PictureFiles.h"
#include "picture/DibImage.h"
#include "platform/Desktop.h"
#include "platform/MailClient.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "sharing/DesktopWallpaper.h"
#include "sharing/MailMessage.h"

namespace lumora::cli {

namespace {

const Command kWallpaperSelf{"wallpaper", "FILE | --restore", "", nullptr};
const Command kMailSelf{"mail", "FILE...", "", nullptr};

// The program's title, which names the wallpaper file as the window does.
constexpr char kTitle[] = "Lumora";

// Prompts for a process without windows: messages go to the error stream,
// dialogs are cancelled.
class StreamPrompts final : public Prompts {
 public:
  StreamPrompts(std::ostream& err, std::string_view command) : err_(err), command_(command) {}
  int ShowMessage(const std::string& text, const std::string&, uint32_t) override {
    err_ << "lumora-cli " << command_ << ": " << text << "\n";
    return kAnswerCancel;
  }
  std::vector<std::string> OpenFiles(const OpenFileRequest&) override { return {}; }
  std::optional<Colour> ChooseColour(Colour) override { return std::nullopt; }
  std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }
  std::optional<size_t> ChooseScanDevice(const std::vector<ScanDevice>&, size_t) override { return std::nullopt; }
  std::optional<ScanSettings> ChooseScanSettings(const ScanChoices&) override { return std::nullopt; }
  std::unique_ptr<ScanProgress> ShowScanProgress(const std::string&, std::function<void()>) override {
    return nullptr;
  }

 private:
  std::ostream& err_;
  std::string_view command_;
};

}  // namespace

int RunWallpaperCommand(std::span<const std::string> args, Io io) {
  if (args.size() != 1) return UsageError(kWallpaperSelf, "needs one picture file or --restore", io);
  Registry registry(Registry::DefaultFolder());
  DesktopWallpaper wallpaper(registry, DesktopWallpaper::SessionBackends());
  DesktopWallpaper::Result result;
  if (args[0] == "--restore") {
    result = wallpaper.Restore();
  } else {
    DibImage picture;
    if (PictureFileResult loaded = LoadPictureFile(picture, args[0]); !loaded) {
      io.err << "lumora-cli wallpaper: cannot read or decode '" << args[0] << "': " << loaded.Message() << "\n";
      return kExitBadInput;
    }
    const auto file = DesktopWallpaper::PicturePath(QuorvixDataFolder(), kTitle);
    result = wallpaper.Set(picture, file);
    if (result == DesktopWallpaper::Result::SaveFailed) {
      io.err << "lumora-cli wallpaper: cannot write '" << file.string() << "'\n";
      return kExitCannotWrite;
    }
  }
  if (result != DesktopWallpaper::Result::Done) {
    io.err << "lumora-cli wallpaper: " << DesktopWallpaper::Text(result) << "\n";
    return kExitBadInput;
  }
  io.out << "wallpaper set through " << wallpaper.LastBackend() << "\n";
  return kExitOk;
}

int RunMailCommand(std::span<const std::string> args, Io io) {
  if (args.empty()) return UsageError(kMailSelf, "needs at least one file", io);
  std::vector<std::optional<std::string>> files;
  for (const std::string& arg : args) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(arg, ec);
    if (ec || !std::filesystem::is_regular_file(absolute, ec)) {
      io.err << "lumora-cli mail: '" << arg << "' is no readable file\n";
      return kExitBadInput;
    }
    files.emplace_back(absolute.string());
  }
  XdgMailClient client;
  MailService service(client);
  StreamPrompts prompts(io.err, "mail");
  const MailOutcome outcome = MailItems(service, prompts, {kTitle, ""}, files);
  return outcome == MailOutcome::Opened ? kExitOk : kExitBadInput;
}

}  // namespace lumora::cli
