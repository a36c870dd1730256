// The shell's file operations and program starts on real files.
#include "platform/Shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "tests/TempDir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;
using test::WriteText;

TEST(PosixShell, DeletesFoldersWithEverythingInThem) {
  TempDir dir;
  fs::create_directories(dir / "Album/sub");
  WriteText(dir / "Album/a.jpg", "a");
  WriteText(dir / "Album/sub/b.bmp", "b");
  WriteText(dir / "loose.tif", "c");
  PosixShell shell;
  EXPECT_EQ(shell.DeletePaths({(dir / "Album").string(), (dir / "loose.tif").string()}), FileOpResult::Done);
  EXPECT_FALSE(fs::exists(dir / "Album"));
  EXPECT_FALSE(fs::exists(dir / "loose.tif"));
  EXPECT_EQ(shell.DeletePaths({(dir / "gone").string()}), FileOpResult::Failed);
}

TEST(PosixShell, RenameNeverReplacesAnExistingFile) {
  TempDir dir;
  fs::create_directories(dir / "Trip");
  fs::create_directories(dir / "Holidays");
  WriteText(dir / "Trip/x.jpg", "keep");
  PosixShell shell;
  EXPECT_EQ(shell.RenamePath((dir / "Trip").string(), (dir / "Holidays").string()), FileOpResult::Failed);
  EXPECT_EQ(ReadText(dir / "Trip/x.jpg"), "keep");
  EXPECT_EQ(shell.RenamePath((dir / "Trip").string(), (dir / "Summer").string()), FileOpResult::Done);
  EXPECT_EQ(ReadText(dir / "Summer/x.jpg"), "keep");
  EXPECT_EQ(shell.RenamePath((dir / "Trip").string(), (dir / "Other").string()), FileOpResult::Failed);
}

TEST(PosixShell, CopyReplacesSameNamesAndNeverDestroysItsSource) {
  TempDir dir;
  fs::create_directories(dir / "Album/clips");
  WriteText(dir / "Album/a.jpg", "new picture");
  WriteText(dir / "Album/clips/c.avi", "clip");
  fs::create_directories(dir / "Export");
  WriteText(dir / "Export/a.jpg", "old picture");
  PosixShell shell;

  EXPECT_EQ(shell.CopyPaths({(dir / "Album/a.jpg").string(), (dir / "Album/clips").string()},
                            (dir / "Export").string()),
            FileOpResult::Done);
  EXPECT_EQ(ReadText(dir / "Export/a.jpg"), "new picture");
  EXPECT_EQ(ReadText(dir / "Export/clips/c.avi"), "clip");
  EXPECT_EQ(ReadText(dir / "Album/a.jpg"), "new picture");

  // Into a folder that does not exist yet.
  EXPECT_EQ(shell.CopyPaths({(dir / "Album/a.jpg").string()}, (dir / "New/Deep").string()), FileOpResult::Done);
  EXPECT_EQ(ReadText(dir / "New/Deep/a.jpg"), "new picture");

  // A file copied onto itself stays whole; a folder copied into itself is refused.
  EXPECT_EQ(shell.CopyPaths({(dir / "Album/a.jpg").string()}, (dir / "Album").string()), FileOpResult::Done);
  EXPECT_EQ(ReadText(dir / "Album/a.jpg"), "new picture");
  EXPECT_EQ(shell.CopyPaths({(dir / "Album").string()}, (dir / "Album/clips").string()), FileOpResult::Failed);
  EXPECT_FALSE(fs::exists(dir / "Album/clips/Album/clips"));

  // An unreadable source fails and leaves the file of the same name as it was.
  WriteText(dir / "Album/locked.jpg", "secret");
  WriteText(dir / "Export/locked.jpg", "previous");
  chmod((dir / "Album/locked.jpg").c_str(), 0);
  if (access((dir / "Album/locked.jpg").c_str(), R_OK) != 0) {  // root reads everything
    EXPECT_EQ(shell.CopyPaths({(dir / "Album/locked.jpg").string()}, (dir / "Export").string()),
              FileOpResult::Failed);
    EXPECT_EQ(ReadText(dir / "Export/locked.jpg"), "previous");
  }
  EXPECT_EQ(shell.CopyPaths({(dir / "Album/missing.jpg").string()}, (dir / "Export").string()),
            FileOpResult::Failed);
  for (const auto& e : fs::directory_iterator(dir / "Export"))
    EXPECT_EQ(e.path().filename().string().find(".lumora-copy"), std::string::npos) << "temporary left behind";
}

TEST(PosixShell, StartsProgramsInTheirStartFolder) {
  TempDir dir;
  fs::create_directories(dir / "start");
  PosixShell shell;
  ASSERT_TRUE(shell.StartProgram("sh", {"-c", "pwd > where.txt.tmp && mv where.txt.tmp where.txt"},
                                 (dir / "start").string()));
  const auto out = dir / "start/where.txt";
  for (int i = 0; i < 500 && !fs::exists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(fs::exists(out));
  EXPECT_EQ(ReadText(out), (dir / "start").string() + "\n");
  EXPECT_FALSE(shell.StartProgram("/nonexistent/quorvixTV.exe", {}, ""));
}

}  // namespace
}  // namespace lumora
