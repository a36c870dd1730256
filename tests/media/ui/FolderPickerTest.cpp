// The folder check: the path rules, the creation of missing levels after the
// Yes answer with each of its messages, and the browser loop that keeps
// trying typed paths until one passes.
#include "media/ui/FolderPicker.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "../../TempDir.h"
#include "platform/testing/ScriptedPrompts.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing_support::ScriptedPrompts;

constexpr char kCaption[] = "Lumora";

std::string Invalid(const std::string& path) {
  return "The folder:\n\n" + path + "\n\nis invalid. Please reenter.";
}
std::string Missing(const std::string& path) {
  return "The folder:\n\n" + path + "\n\ndoes not exist. Do you want the folder to be created?";
}
std::string NotCreated(const std::string& path) {
  return "The folder:\n\n" + path + "\n\ncan not be created. Please double check.";
}

TEST(FolderPath, ExistingFoldersAndTheRootAreAccepted) {
  test::TempDir dir;
  ScriptedPrompts prompts;
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, "/"), kFolderAccepted);
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, dir.path().string()), kFolderAccepted);
  fs::create_directory(dir / "my photos.2024");
  fs::create_directory(dir / "my photos.2024" / "été");
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, (dir / "my photos.2024" / "été").string()), kFolderAccepted);
  EXPECT_TRUE(prompts.shown().empty());
}

TEST(FolderPath, InvalidPathsAreRefusedWithTheirMessage) {
  test::TempDir dir;
  const std::string base = dir.path().string();
  const std::string invalid[] = {
      "",                        // nothing typed
      "photos",                  // relative
      "./photos",                // relative
      "~/photos",                // relative: there is no home shorthand
      base + "/photos/",         // ends in "/" after a name
      "//",                      // an empty name after the root
      base + "//photos",         // an empty name inside
      base + "/a./b",            // a name ending in "."
      base + "/.hidden",         // a name beginning with "."
      base + "/..",              // the parent shorthand
      base + "/ photos",         // a name beginning with a space
      base + "/photos ",         // ... or ending with one
      base + "/\tphotos",        // ... or beginning with a tab
      base + "/photos\t",        // ... or ending with one
      base + "/a\"b", base + "/a*b", base + "/a:b", base + "/a<b", base + "/a>b",
      base + "/a?b", base + "/a\\b", base + "/a|b",
      base + std::string("/a\0b", 4),  // NUL cannot be in a name here
  };
  for (const std::string& path : invalid) {
    ScriptedPrompts prompts;
    prompts.ExpectMessage(Invalid(path), kCaption, box::kIconExclamation, kAnswerOk);
    EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderInvalid) << "path \"" << path << "\"";
  }
  // Nothing was made on the way.
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(FolderPath, YesCreatesEveryMissingLevel) {
  test::TempDir dir;
  const std::string path = (dir / "export" / "2024" / "June trip").string();
  ScriptedPrompts prompts;
  prompts.ExpectMessage(Missing(path), kCaption, box::kYesNo | box::kIconQuestion, kAnswerYes);
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderAccepted);
  EXPECT_TRUE(fs::is_directory(path));
  // The next check finds it and asks nothing.
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderAccepted);
}

TEST(FolderPath, NoCreatesNothingAndDeclines) {
  test::TempDir dir;
  const std::string path = (dir / "new").string();
  ScriptedPrompts prompts;
  prompts.ExpectMessage(Missing(path), kCaption, box::kYesNo | box::kIconQuestion, kAnswerNo);
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, path), kFolderDeclined);
  EXPECT_FALSE(fs::exists(path));
}

TEST(FolderPath, ALevelThatCannotBeMadeGivesTheSecondMessage) {
  test::TempDir dir;
  // A file where a folder level should be: the level can not be made.
  test::WriteText(dir / "taken", "a file");
  const std::string underFile = (dir / "taken" / "photos").string();
  ScriptedPrompts prompts;
  prompts.ExpectMessage(Missing(underFile), kCaption, box::kYesNo | box::kIconQuestion, kAnswerYes)
      .ExpectMessage(NotCreated(underFile), kCaption, box::kIconExclamation, kAnswerOk);
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, underFile), kFolderNotCreated);

  // A file of the path's own name is not a folder either.
  const std::string file = (dir / "taken").string();
  prompts.ExpectMessage(Missing(file), kCaption, box::kYesNo | box::kIconQuestion, kAnswerYes)
      .ExpectMessage(NotCreated(file), kCaption, box::kIconExclamation, kAnswerOk);
  EXPECT_EQ(ValidateFolderPath(prompts, kCaption, file), kFolderNotCreated);

}

TEST(FolderPath, JoinAddsOneSeparatorAndRefusesAnEmptyFolder) {
  EXPECT_EQ(JoinPath("/", "photos"), "/photos");
  EXPECT_EQ(JoinPath("/home/ann", "photos"), "/home/ann/photos");
  EXPECT_EQ(JoinPath("", "photos"), std::nullopt);
}

TEST(FolderPickerBrowse, KeepsTheBrowserOpenUntilATypedPathPasses) {
  test::TempDir dir;
  const std::string declined = (dir / "not this one").string();
  const std::string created = (dir / "albums" / "export").string();
  ScriptedPrompts prompts;
  prompts.ExpectFolder({"relative/path", declined, created})
      .ExpectMessage(Invalid("relative/path"), kCaption, box::kIconExclamation, kAnswerOk)
      .ExpectMessage(Missing(declined), kCaption, box::kYesNo | box::kIconQuestion, kAnswerNo)
      .ExpectMessage(Missing(created), kCaption, box::kYesNo | box::kIconQuestion, kAnswerYes);
  FolderPicker picker(prompts, kCaption, "Export", "Choose the folder to export to:", dir.path().string());
  EXPECT_EQ(picker.Browse(), 1);
  EXPECT_EQ(picker.chosenPath(), created);
  EXPECT_FALSE(fs::exists(declined));
  EXPECT_TRUE(fs::is_directory(created));
  EXPECT_EQ(prompts.lastFolderRequest().title, "Export");
  EXPECT_EQ(prompts.lastFolderRequest().prompt, "Choose the folder to export to:");
  EXPECT_EQ(prompts.lastFolderRequest().initialFolder, dir.path().string());
}

TEST(FolderPickerBrowse, CancelGivesMinusOneAndNoInitialFolderMeansTheCurrentOne) {
  ScriptedPrompts prompts;
  prompts.ExpectFolder({});
  FolderPicker picker(prompts, kCaption, "Export", "", "");
  EXPECT_EQ(picker.Browse(), -1);
  EXPECT_EQ(picker.chosenPath(), "");
  EXPECT_EQ(prompts.lastFolderRequest().initialFolder, fs::current_path().string());
}

}  // namespace
}  // namespace lumora
