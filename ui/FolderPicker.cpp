// The folder check with its messages and level-by-level creation, and the
// browser loop that runs it on every path the user picks or types.
#include "ui/FolderPicker.h"

#include <filesystem>
#include <utility>

#include "platform/Prompts.h"

namespace lumora {

namespace {

namespace fs = std::filesystem;

// Characters no name may hold ("/" separates names and so never is in one).
constexpr std::string_view kForbiddenInName("\"*:<>?\\|\0", 9);

bool IsNameEdge(char c) { return c == '\t' || c == ' ' || c == '.'; }

bool IsValidName(std::string_view name) {
  if (name.empty()) return false;
  if (IsNameEdge(name.front()) || IsNameEdge(name.back())) return false;
  return name.find_first_of(kForbiddenInName) == std::string_view::npos;
}

bool FolderExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// Walks the names of `path` from the root. Only checking, it answers
// accepted or invalid; with `create` it also makes every missing level on
// the way and stops at the first that is still missing afterwards.
FolderCheck WalkFolderPath(const std::string& path, bool create) {
  if (path.empty() || path.front() != '/') return kFolderInvalid;
  std::string level = "/";
  std::string_view rest = std::string_view(path).substr(1);
  if (rest.empty()) return kFolderAccepted;  // the root alone
  while (true) {
    const size_t slash = rest.find('/');
    const std::string_view name = rest.substr(0, slash);
    if (!IsValidName(name)) return kFolderInvalid;
    if (create) {
      level = *JoinPath(level, std::string(name));
      if (!FolderExists(level)) {
        std::error_code ec;
        fs::create_directory(level, ec);
      }
      if (!FolderExists(level)) return kFolderNotCreated;
    }
    if (slash == std::string_view::npos) return kFolderAccepted;
    rest.remove_prefix(slash + 1);
  }
}

std::string WithPath(std::string_view format, const std::string& path) {
  std::string text(format);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}

}  // namespace

int ValidateFolderPath(Prompts& prompts, const std::string& caption, const std::string& path) {
  if (WalkFolderPath(path, false) != kFolderAccepted) {
    prompts.ShowMessage(WithPath(kFolderInvalidText, path), caption, box::kIconExclamation);
    return kFolderInvalid;
  }
  if (FolderExists(path)) return kFolderAccepted;

  const int answer = prompts.ShowMessage(WithPath(kFolderMissingText, path), caption, box::kYesNo | box::kIconQuestion);
  if (answer != kAnswerYes) return kFolderDeclined;
  // The syntax passed above, so the walk can only stop at a level it could
  // not make.
  if (WalkFolderPath(path, true) != kFolderAccepted) {
    prompts.ShowMessage(WithPath(kFolderNotCreatedText, path), caption, box::kIconExclamation);
    return kFolderNotCreated;
  }
  return kFolderAccepted;
}

std::optional<std::string> JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return std::nullopt;
  if (folder == "/") return folder + name;
  return folder + "/" + name;
}

FolderPicker::FolderPicker(Prompts& prompts, std::string caption, std::string title, std::string prompt,
                           std::string initialFolder)
    : prompts_(prompts),
      caption_(std::move(caption)),
      title_(std::move(title)),
      prompt_(std::move(prompt)),
      initialFolder_(std::move(initialFolder)) {}

int FolderPicker::Browse() {
  std::string start = initialFolder_;
  if (start.empty()) {
    std::error_code ec;
    start = fs::current_path(ec).string();
  }
  FolderRequest request{title_, prompt_, start, [this](const std::string& path) {
                          return ValidateFolderPath(prompts_, caption_, path) == kFolderAccepted;
                        }};
  std::optional<std::string> chosen = prompts_.BrowseFolder(request);
  if (!chosen) return -1;
  chosenPath_ = *chosen;
  return 1;
}

}  // namespace lumora
