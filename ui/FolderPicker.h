// FolderPicker: the folder browser with a typed-path field, as the export and
// import commands use it. Whatever the user chooses or types is checked by
// ValidateFolderPath, which offers to create a missing folder level by level;
// the browser stays open until a path passes.
//
// A valid path is absolute: "/" (the root) followed by names separated by
// "/". A name is not empty, does not begin or end with a tab, a space or
// ".", and holds none of the characters " * : < > ? \ | (nor a NUL). A path
// that ends in "/" after a name is invalid. The root alone is valid.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumora {

class Prompts;

// What ValidateFolderPath answers.
enum FolderCheck : int {
  kFolderAccepted = 0,
  kFolderInvalid = 1,
  kFolderNotCreated = 2,
  kFolderDeclined = -1,  // missing, and the user did not want it created
};

// The three messages of the check; "%s" is the path as typed.
inline constexpr std::string_view kFolderInvalidText = "The folder:\n\n%s\n\nis invalid. Please reenter.";
inline constexpr std::string_view kFolderMissingText =
    "The folder:\n\n%s\n\ndoes not exist. Do you want the folder to be created?";
inline constexpr std::string_view kFolderNotCreatedText =
    "The folder:\n\n%s\n\ncan not be created. Please double check.";

// Checks `path`'s syntax; when it is valid but no folder is there, asks
// whether to create it and, on Yes, creates each missing level in turn.
// Messages go through `prompts` with `caption` (the program's name).
int ValidateFolderPath(Prompts& prompts, const std::string& caption, const std::string& path);

// `folder` + "/" + `name`, without a second "/" after the root; nothing for
// an empty folder.
std::optional<std::string> JoinPath(const std::string& folder, const std::string& name);

class FolderPicker {
 public:
  // `initialFolder` is selected when the browser opens; empty: the current
  // directory. `caption` is the caption of the check's messages.
  FolderPicker(Prompts& prompts, std::string caption, std::string title, std::string prompt,
               std::string initialFolder);

  // Shows the browser until a path passes ValidateFolderPath (1, the path in
  // chosenPath()) or the user cancels (-1).
  int Browse();
  const std::string& chosenPath() const { return chosenPath_; }

 private:
  Prompts& prompts_;
  std::string caption_;
  std::string title_;
  std::string prompt_;
  std::string initialFolder_;
  std::string chosenPath_;
};

}  // namespace lumora
