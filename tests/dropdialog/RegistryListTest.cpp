// Per-program file lists in the registry: where RegOpen puts them, free file
// names, value naming, case-insensitive duplicates, reading and deleting, and
// two processes adding at once.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/dropdialog/DropDialogTesting.h"
#include "tests/dropdialog/SampleDropDialog.h"

namespace lumora::test {
namespace {

using Paths = std::vector<std::string>;

class RegistryListTest : public ::testing::Test {
 protected:
  void SetUp() override { dialog_ = std::make_unique<SampleDropDialog>(doubles_.Platform()); }

  // The values of "Files" as name=text, in stored order.
  std::vector<std::string> Values(const RegKey& key) {
    RegKey files;
    if (doubles_.registry.OpenKey(key.hive, key.path + "\\Files", files) != RegStatus::Ok) return {};
    std::vector<std::string> values;
    std::string name;
    for (size_t i = 0; doubles_.registry.EnumValue(files, i, name) == RegStatus::Ok; ++i) {
      RegData data;
      doubles_.registry.QueryValue(files, name, data);
      const auto end = std::find(data.bytes.begin(), data.bytes.end(), 0);
      values.push_back(name + "=" + std::string(data.bytes.begin(), end));
    }
    return values;
  }

  std::string File(const std::string& name) {
    const std::string path = (doubles_.temp / name).string();
    WriteText(path, "x");
    return path;
  }

  DialogDoubles doubles_;
  std::unique_ptr<SampleDropDialog> dialog_;
};

TEST_F(RegistryListTest, RegOpenCreatesTheProgramsKeyInTheChosenHive) {
  RegKey user = dialog_->RegOpen("Recent", "", false);
  ASSERT_TRUE(user.open);
  EXPECT_EQ(user.hive, Hive::CurrentUser);
  EXPECT_EQ(user.path, "Software\\quorvix\\lumora\\Recent");

  RegKey machine = dialog_->RegOpen("", "Tunerec", true);
  ASSERT_TRUE(machine.open);
  EXPECT_EQ(machine.hive, Hive::LocalMachine);
  EXPECT_EQ(machine.path, "Software\\quorvix\\Tunerec");
  RegKey existing;
  EXPECT_EQ(doubles_.registry.OpenKey(Hive::LocalMachine, "Software\\quorvix\\Tunerec", existing), RegStatus::Ok);
  dialog_->RegClose(machine);
  EXPECT_FALSE(machine.open);
  EXPECT_FALSE(dialog_->RegAddFilePath(machine, "/clips/a.avi")) << "a closed key";

  // Names the registry refuses: no key, and nothing stored.
  for (const char* bad : {"Re\ncent", "Tab\t"}) {
    EXPECT_FALSE(dialog_->RegOpen(bad, "", false).open) << bad;
    EXPECT_FALSE(dialog_->RegOpen("", bad, true).open) << bad;
  }
  RegKey quorvix;
  ASSERT_EQ(doubles_.registry.OpenKey(Hive::LocalMachine, "Software\\quorvix", quorvix), RegStatus::Ok);
  std::string name;
  EXPECT_EQ(doubles_.registry.EnumSubKey(quorvix, 1, name), RegStatus::NotFound) << name;
}

TEST_F(RegistryListTest, RegAllocFilePathNumbersFromTwo) {
  const std::string folder = doubles_.temp.path().string();
  EXPECT_EQ(QvDropDialog::RegAllocFilePath(folder, "Clip", "avi"), folder + "/Clip.avi");
  File("Clip.avi");
  EXPECT_EQ(QvDropDialog::RegAllocFilePath(folder, "Clip", "avi"), folder + "/Clip2.avi");
  File("Clip2.avi");
  EXPECT_EQ(QvDropDialog::RegAllocFilePath(folder, "Clip", "avi"), folder + "/Clip3.avi");
  std::filesystem::create_symlink(doubles_.temp / "nowhere", doubles_.temp / "Clip3.avi");
  EXPECT_EQ(QvDropDialog::RegAllocFilePath(folder, "Clip", "avi"), folder + "/Clip4.avi")
      << "a dangling link takes the name";
}

TEST_F(RegistryListTest, RegAddFilePathTakesTheSmallestFreeNumberAndRefusesDuplicatesInAnyCase) {
  RegKey key = dialog_->RegOpen("", "", false);
  RegKey files;
  ASSERT_EQ(doubles_.registry.CreateKey(key.hive, key.path + "\\Files", files), RegStatus::Ok);
  doubles_.registry.SetString(files, "0", "/clips/a.avi");
  doubles_.registry.SetString(files, "1", "/clips/b.avi");
  doubles_.registry.SetString(files, "3", "/clips/d.avi");
  doubles_.registry.SetString(files, "02", "/clips/x.avi");  // not a value number

  EXPECT_TRUE(dialog_->RegAddFilePath(key, "/clips/c.avi"));
  EXPECT_FALSE(dialog_->RegAddFilePath(key, "/CLIPS/C.AVI"));
  EXPECT_TRUE(dialog_->RegAddFilePath(key, "/clips/e.avi"));
  EXPECT_EQ(Values(key), (std::vector<std::string>{"0=/clips/a.avi", "1=/clips/b.avi", "3=/clips/d.avi",
                                                   "02=/clips/x.avi", "2=/clips/c.avi", "4=/clips/e.avi"}));

  RegKey fresh = dialog_->RegOpen("Other", "", false);
  EXPECT_TRUE(dialog_->RegAddFilePath(fresh, "/clips/a.avi")) << "creates \"Files\"";
  EXPECT_EQ(Values(fresh), std::vector<std::string>{"0=/clips/a.avi"});
}

TEST_F(RegistryListTest, ReadingAndDeletingNeedAFilesKeyAndCreateNothing) {
  RegKey key = dialog_->RegOpen("Empty", "", false);
  Paths paths{"kept"};
  EXPECT_FALSE(dialog_->RegReadAllFiles(key, paths));
  EXPECT_FALSE(dialog_->RegDeleteFilePath(key, "/a.avi", false));
  EXPECT_FALSE(dialog_->RegDeleteAllFiles(key, false));
  EXPECT_EQ(paths, Paths{"kept"});
  std::string sub;
  EXPECT_EQ(doubles_.registry.EnumSubKey(key, 0, sub), RegStatus::NotFound);
}

TEST_F(RegistryListTest, ListedFilesAreReadInValueOrderAndDeletedWithOrWithoutTheirFiles) {
  RegKey key = dialog_->RegOpen("", "", false);
  const std::string a = File("a.avi");
  const std::string b = File("b.avi");
  const std::string c = File("c.avi");
  ASSERT_TRUE(dialog_->RegAddFilePath(key, b));
  ASSERT_TRUE(dialog_->RegAddFilePath(key, a));
  ASSERT_TRUE(dialog_->RegAddFilePath(key, c));
  RegKey files;
  doubles_.registry.OpenKey(key.hive, key.path + "\\Files", files);
  doubles_.registry.SetDword(files, "7", 7);  // not a path: skipped

  Paths paths{"kept"};
  ASSERT_TRUE(dialog_->RegReadAllFiles(key, paths));
  EXPECT_EQ(paths, (Paths{"kept", b, a, c}));

  std::string upper = a;
  for (char& ch : upper) ch = char(std::toupper(static_cast<unsigned char>(ch)));
  EXPECT_TRUE(dialog_->RegDeleteFilePath(key, upper, true));
  EXPECT_FALSE(std::filesystem::exists(a));
  EXPECT_FALSE(dialog_->RegDeleteFilePath(key, a, true));
  EXPECT_TRUE(dialog_->RegDeleteFilePath(key, b, false));
  EXPECT_TRUE(std::filesystem::exists(b));
  EXPECT_EQ(Values(key), (std::vector<std::string>{"2=" + c, "7=\x07"}));

  ASSERT_TRUE(dialog_->RegAddFilePath(key, b));
  EXPECT_TRUE(dialog_->RegDeleteAllFiles(key, true));
  EXPECT_TRUE(Values(key).empty());
  EXPECT_FALSE(std::filesystem::exists(b));
  EXPECT_FALSE(std::filesystem::exists(c));
}

TEST_F(RegistryListTest, TwoProcessesAddingAtOnceNeverTakeTheSameNumber) {
  Registry files(doubles_.temp / "registry");
  QvDropDialog::Platform platform = doubles_.Platform();
  platform.registry = &files;
  SampleDropDialog dialog(platform);
  constexpr int kAdds = 40;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      // Both start when the pipe is closed.
      close(start[1]);
      char byte;
      if (read(start[0], &byte, 1) != 0) _exit(2);
      RegKey key = dialog.RegOpen("", "Race", false);
      bool ok = key.open;
      for (int i = 0; ok && i < kAdds; ++i)
        ok = dialog.RegAddFilePath(key, "/clips/" + std::to_string(c) + "_" + std::to_string(i) + ".avi");
      _exit(ok ? 0 : 1);
    }
  }
  close(start[0]);
  close(start[1]);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  Paths paths;
  ASSERT_TRUE(dialog.RegReadAllFiles(dialog.RegOpen("", "Race", false), paths));
  EXPECT_EQ(paths.size(), 2u * kAdds) << "a path was stored under a number the other process had just taken";
}

}  // namespace
}  // namespace lumora::test
