// Copies, moves and the trash: no file is ever replaced unless asked, a
// failed copy leaves neither a half file nor its temporary, and trashed
// files land in the trash with their .trashinfo.
#include "platform/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "tests/TempDir.h"
#include "tests/Tmpfs.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

using test::NamesIn;

TEST(FileCopy, CopiesKeepDataPermissionsAndTimesAndNeverReplace) {
  test::TempDir dir;
  const std::string from = (dir / "beach.jpg").string();
  const std::string big(3 << 20, 'b');  // more than one read/write chunk
  test::WriteText(from, big);
  ASSERT_EQ(chmod(from.c_str(), 0604), 0);
  const struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, from.c_str(), times, 0), 0);

  const std::string to = (dir / "copy.jpg").string();
  ASSERT_EQ(CopyNoReplace(from, to).status, FileOpStatus::Done);
  EXPECT_EQ(test::ReadText(to), big);
  struct stat st {};
  ASSERT_EQ(stat(to.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);

  test::WriteText(from, "new");
  struct Case {
    std::string from, to;
    FileOpStatus status;
  } cases[] = {
      {from, to, FileOpStatus::Exists},
      {(dir / "missing.jpg").string(), (dir / "x.jpg").string(), FileOpStatus::SourceGone},
      {dir.path().string(), (dir / "x.jpg").string(), FileOpStatus::Failed},
      {from, (dir / "no-folder" / "x.jpg").string(), FileOpStatus::Failed},
  };
  for (const Case& c : cases) {
    const FileOp op = CopyNoReplace(c.from, c.to);
    EXPECT_EQ(op.status, c.status) << c.from << " -> " << c.to;
    EXPECT_EQ(op.status == FileOpStatus::Exists, op.reason.empty()) << c.from;
  }
  EXPECT_EQ(test::ReadText(to), big);
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"beach.jpg", "copy.jpg"}));

  // Export's replace.
  ASSERT_EQ(CopyReplacing(from, to).status, FileOpStatus::Done);
  EXPECT_EQ(test::ReadText(to), "new");
  EXPECT_EQ(CopyReplacing((dir / "missing.jpg").string(), to).status, FileOpStatus::SourceGone);
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"beach.jpg", "copy.jpg"}));
}

TEST(FileCopy, AFileAppearingBeforeTheRenameIsKeptAndAReplacedOneStaysUntilTheCopyIsComplete) {
  test::TempDir dir;
  const std::string from = (dir / "beach.jpg").string();
  const std::string to = (dir / "beach (1).jpg").string();
  test::WriteText(from, "copy");
  std::string seen;
  SetCopyBeforeRenameHook([&](const std::string& dest) {
    seen = test::ReadText(dest);
    if (seen.empty()) test::WriteText(dest, "appeared");
  });
  EXPECT_EQ(CopyNoReplace(from, to).status, FileOpStatus::Exists);
  EXPECT_EQ(test::ReadText(to), "appeared");
  EXPECT_EQ(CopyReplacing(from, to).status, FileOpStatus::Done);
  EXPECT_EQ(seen, "appeared");  // the old file was there while the copy was made
  SetCopyBeforeRenameHook({});
  EXPECT_EQ(test::ReadText(to), "copy");
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"beach (1).jpg", "beach.jpg"}));
}

TEST(FileCopy, ABatchRenamesEachCopyOnlyAtItsFinishAndNeverReplaces) {
  test::TempDir dir;
  fs::create_directories(dir / "out");
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) test::WriteText(dir / name, name);
  test::WriteText(dir / "out" / "a.jpg", "taken");
  test::WriteText(dir / "out" / "d.jpg", "old d");
  const auto from = [&](const char* name) { return (dir / name).string(); };
  const auto to = [&](const char* name) { return (dir / "out" / name).string(); };
  {
    CopyBatch batch;
    EXPECT_EQ(batch.Start(from("a.jpg"), to("a.jpg"), false).status, FileOpStatus::Exists);
    EXPECT_EQ(batch.Start(from("gone.jpg"), to("gone.jpg"), false).status, FileOpStatus::SourceGone);
    EXPECT_EQ(batch.Start(from("b.jpg"), to("b.jpg"), false).status, FileOpStatus::Done);
    EXPECT_EQ(batch.Start(from("c.jpg"), to("c.jpg"), false).status, FileOpStatus::Done);
    EXPECT_EQ(batch.Start(from("d.jpg"), to("d.jpg"), true).status, FileOpStatus::Done);
    EXPECT_FALSE(fs::exists(to("b.jpg")));  // not before Finish
    EXPECT_EQ(test::ReadText(to("d.jpg")), "old d");
    test::WriteText(to("c.jpg"), "appeared");
    std::vector<FileOpStatus> statuses;
    for (const FileOp& op : batch.Finish()) statuses.push_back(op.status);
    EXPECT_EQ(statuses, (std::vector<FileOpStatus>{FileOpStatus::Done, FileOpStatus::Exists, FileOpStatus::Done}));
    EXPECT_TRUE(batch.Finish().empty());
    // Copies started and never finished leave nothing.
    EXPECT_EQ(batch.Start(from("b.jpg"), to("e.jpg"), false).status, FileOpStatus::Done);
  }
  EXPECT_EQ(test::ReadText(to("b.jpg")), "b.jpg");
  EXPECT_EQ(test::ReadText(to("c.jpg")), "appeared");
  EXPECT_EQ(test::ReadText(to("d.jpg")), "d.jpg");
  EXPECT_EQ(NamesIn(dir / "out"), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
}

TEST(FileCopy, AFullDiskLeavesNoHalfFileAndNoTemporary) {
  test::TempDir dir;
  const test::Tmpfs full(dir / "full", "size=256k");
  if (!full) GTEST_SKIP() << full.skipReason();
  const std::string from = (dir / "video.avi").string();
  test::WriteText(from, std::string(1 << 20, 'v'));
  for (bool replace : {false, true}) {
    test::WriteText(dir / "full" / "old.avi", "old");
    const FileOp op = replace ? CopyReplacing(from, (dir / "full" / "old.avi").string())
                              : CopyNoReplace(from, (dir / "full" / "video.avi").string());
    EXPECT_EQ(op.status, FileOpStatus::Failed) << replace;
    EXPECT_FALSE(op.reason.empty());
    EXPECT_EQ(NamesIn(dir / "full"), std::vector<std::string>{"old.avi"}) << replace;
    EXPECT_EQ(test::ReadText(dir / "full" / "old.avi"), "old");
  }
}

TEST(FileCopy, MovesAreOneRenameWithoutReplacingAndReportAnotherFileSystem) {
  test::TempDir dir;
  test::WriteText(dir / "a.jpg", "a");
  test::WriteText(dir / "b.jpg", "b");
  bool crossDevice = true;
  EXPECT_EQ(MoveNoReplace((dir / "a.jpg").string(), (dir / "b.jpg").string(), crossDevice).status,
            FileOpStatus::Exists);
  EXPECT_FALSE(crossDevice);
  EXPECT_EQ(MoveNoReplace((dir / "gone.jpg").string(), (dir / "c.jpg").string(), crossDevice).status,
            FileOpStatus::SourceGone);
  ASSERT_EQ(MoveNoReplace((dir / "a.jpg").string(), (dir / "c.jpg").string(), crossDevice).status,
            FileOpStatus::Done);
  EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"b.jpg", "c.jpg"}));

  const test::Tmpfs other(dir / "other", "size=1m");
  if (!other) GTEST_SKIP() << other.skipReason();
  const FileOp op = MoveNoReplace((dir / "c.jpg").string(), (dir / "other" / "c.jpg").string(), crossDevice);
  EXPECT_EQ(op.status, FileOpStatus::Failed);
  EXPECT_TRUE(crossDevice);
  EXPECT_TRUE(fs::exists(dir / "c.jpg"));
}

TEST(FileCopy, TrashedFilesLandInTheHomeTrashWithTheirInfo) {
  test::TempDir dir;
  const char* oldDataHome = std::getenv("XDG_DATA_HOME");
  const std::string savedDataHome = oldDataHome ? oldDataHome : "";
  ASSERT_EQ(setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1), 0);
  fs::create_directories(dir / "album" / "sub");
  for (const char* name : {"beach 1%.jpg", "sub/beach 1%.jpg"}) test::WriteText(dir / "album" / name, name);

  EXPECT_TRUE(MoveToTrash((dir / "album" / "beach 1%.jpg").string()));
  EXPECT_TRUE(MoveToTrash((dir / "album" / "sub" / "beach 1%.jpg").string()));
  EXPECT_TRUE(MoveToTrash((dir / "album" / "sub").string()));
  EXPECT_FALSE(MoveToTrash((dir / "album" / "gone.jpg").string()));
  if (oldDataHome) setenv("XDG_DATA_HOME", savedDataHome.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");

  EXPECT_TRUE(fs::is_empty(dir / "album"));
  const fs::path trash = dir / "data" / "Trash";
  EXPECT_EQ(NamesIn(trash / "files"), (std::vector<std::string>{"beach 1%.2.jpg", "beach 1%.jpg", "sub"}));
  EXPECT_EQ(NamesIn(trash / "info"), (std::vector<std::string>{"beach 1%.2.jpg.trashinfo", "beach 1%.jpg.trashinfo",
                                                                "sub.trashinfo"}));
  EXPECT_EQ(test::ReadText(trash / "files" / "beach 1%.2.jpg"), "sub/beach 1%.jpg");
  EXPECT_EQ(fs::status(trash / "files").permissions(), fs::perms::owner_all);
  const std::string info = test::ReadText(trash / "info" / "beach 1%.jpg.trashinfo");
  const std::string expected = "[Trash Info]\nPath=" + fs::canonical(dir.path()).string() + "/album/beach%201%25.jpg\n";
  EXPECT_EQ(info.substr(0, expected.size()), expected);
  EXPECT_TRUE(info.find("\nDeletionDate=2") != std::string::npos) << info;
  EXPECT_EQ(info.back(), '\n');
}

}  // namespace
}  // namespace lumora
