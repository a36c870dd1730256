// The folder check: the path rules, the creation of missing levels after the
// Yes answer with each of its messages, and the browser loop that keeps
// trying typed paths until one passes.
#include "ui/FolderPicker.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/TempDir.h"
#include "platform/testing/ScriptedPrompts.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing_support::ScriptedPrompts;

constexpr char kCaption[] = "Lumora";
constexpr uint32_t kWarning = box::kIconExclamation;
constexpr uint32_t kQuestion = box::kYesNo | box::kIconQuestion;

std::string Message(const std::string& path, const std::string& end) {
  return "The folder:\n\n" + path + "\n\n" + end;
}
std::string Invalid(const std::string& path) { return Message(path, "is invalid. Please reenter."); }
std::string Missing(const std::string& path) {
  return Message(path, "does not exist. Do you want the folder to be created?");
}
std::string NotCreated(const std::string& path) { return Message(path, "can not be created. Please double check."); }

TEST(FolderPath, ValidExistingFoldersPassSilently) {
  test::TempDir dir;
  fs::create_directories(dir / "my photos.2024" / "été");
  ScriptedPrompts prompts;
  for (const std::string& path : {std::string("/"), dir.path().string(), (dir / "my photos.2024" / "été").string()})
    EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderAccepted) << path;
  EXPECT_TRUE(prompts.shown().empty());
  EXPECT_EQ(JoinPath("/", "photos"), "/photos");
  EXPECT_EQ(JoinPath("/home/ann", "photos"), "/home/ann/photos");
  EXPECT_EQ(JoinPath("", "photos"), std::nullopt);
}

TEST(FolderPath, InvalidPathsAreRefusedWithTheirMessage) {
  test::TempDir dir;
  const std::string b = dir.path().string();
  const std::string invalid[] = {
      "", "photos", "./photos", "~/photos",                    // not absolute
      b + "/photos/", "//", b + "//photos",                    // an empty name: after the root, inside, at the end
      b + "/a./b", b + "/.hidden", b + "/..",                  // "." at either end of a name
      b + "/ photos", b + "/photos ", b + "/\tphotos", b + "/photos\t",  // a space or tab at either end
      b + "/a\"b", b + "/a*b", b + "/a:b", b + "/a<b", b + "/a>b", b + "/a?b", b + "/a\\b", b + "/a|b",
      b + std::string("/a\0b", 4),
  };
  for (const std::string& path : invalid) {
    ScriptedPrompts prompts;
    prompts.ExpectMessage(Invalid(path), kCaption, kWarning, kAnswerOk);
    EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderInvalid) << "path \"" << path << "\"";
  }
  EXPECT_TRUE(fs::is_empty(dir.path())) << "nothing is made for an invalid path";
}

TEST(FolderPath, MissingLevelsAreMadeAfterYesAndNothingAfterNo) {
  test::TempDir dir;
  const std::string declined = (dir / "new").string();
  const std::string path = (dir / "export" / "2024" / "June trip").string();
  ScriptedPrompts prompts;
  prompts.ExpectMessage(Missing(declined), kCaption, kQuestion, kAnswerNo)
      .ExpectMessage(Missing(path), kCaption, kQuestion, kAnswerYes);
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, declined), kFolderDeclined);
  EXPECT_FALSE(fs::exists(declined));
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderAccepted);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderAccepted) << "found now, nothing asked";
}

TEST(FolderPath, ALevelThatCannotBeMadeGivesTheSecondMessage) {
  test::TempDir dir;
  test::WriteText(dir / "taken", "a file");
  // A file where a level should be, and a file of the path's own name.
  for (const std::string& path : {(dir / "taken" / "photos").string(), (dir / "taken").string()}) {
    ScriptedPrompts prompts;
    prompts.ExpectMessage(Missing(path), kCaption, kQuestion, kAnswerYes)
        .ExpectMessage(NotCreated(path), kCaption, kWarning, kAnswerOk);
    EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderNotCreated) << path;
  }
}

TEST(FolderPicker, KeepsTheBrowserOpenUntilATypedPathPasses) {
  test::TempDir dir;
  const std::string declined = (dir / "not this one").string();
  const std::string created = (dir / "albums" / "export").string();
  ScriptedPrompts prompts;
  prompts.ExpectFolder({"relative/path", declined, created})
      .ExpectMessage(Invalid("relative/path"), kCaption, kWarning, kAnswerOk)
      .ExpectMessage(Missing(declined), kCaption, kQuestion, kAnswerNo)
      .ExpectMessage(Missing(created), kCaption, kQuestion, kAnswerYes);
  FolderPicker picker(prompts, kCaption, "Export", "Choose the folder to export to:", dir.path().string());
  EXPECT_EQ(picker.Browse(), 1);
  EXPECT_EQ(picker.chosenPath(), created);
  EXPECT_FALSE(fs::exists(declined));
  const FolderRequest& shown = prompts.lastFolderRequest();
  EXPECT_EQ(shown.title, "Export");
  EXPECT_EQ(shown.prompt, "Choose the folder to export to:");
  EXPECT_EQ(shown.initialFolder, dir.path().string());

  // Cancel; without an initial folder the browser starts in the current one.
  prompts.ExpectFolder({});
  FolderPicker cancelled(prompts, kCaption, "Export", "", "");
  EXPECT_EQ(cancelled.Browse(), -1);
  EXPECT_EQ(cancelled.chosenPath(), "");
  EXPECT_EQ(prompts.lastFolderRequest().initialFolder, fs::current_path().string());
}

}  // namespace
}  // namespace lumora
