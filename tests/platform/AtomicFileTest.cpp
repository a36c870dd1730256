// Whole-file replacement, synced or not: the old file survives every
// failure, a replaced file keeps its permissions, and no temporary file is
// left behind.
#include "platform/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>


#include <gtest/gtest.h>

#include "tests/TempDir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

size_t EntriesIn(const fs::path& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}

TEST(AtomicFile, ReplacesWholeAndKeepsPermissions) {
  for (const bool sync : {true, false}) {
    const ReplaceOptions options{std::nullopt, sync};
    test::TempDir dir;
    const auto path = (dir / "photo.bmp").string();
    ASSERT_TRUE(ReplaceFileWith(path, {Bytes("BM"), Bytes(""), Bytes("pixels")}, options));
    EXPECT_EQ(test::ReadText(path), "BMpixels");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(ReplaceFileWith(path, {Bytes("new")}, options));
    EXPECT_EQ(test::ReadText(path), "new");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << "a temporary file was left behind";
    EXPECT_FALSE(ReplaceFileWith((dir / "missing" / "a.jpg").string(), {Bytes("x")}, options));
  }
}

TEST(AtomicFile, APrivateFileGetsExactlyItsModeNewOrReplaced) {
  test::TempDir dir;
  const auto path = (dir / "entry.png").string();
  for (const bool sync : {true, false}) {
    for (const unsigned before : {0u, 0644u}) {
      fs::remove(path);
      if (before) {
        ASSERT_TRUE(ReplaceFileWith(path, {Bytes("old")}));
        ASSERT_EQ(chmod(path.c_str(), before), 0);
      }
      ASSERT_TRUE(ReplaceFileWith(path, {Bytes("png")}, ReplaceOptions{0600, sync}));
      EXPECT_EQ(test::ReadText(path), "png");
      struct stat st {};
      ASSERT_EQ(stat(path.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, 0600u) << "sync " << sync << ", before " << before;
      EXPECT_EQ(EntriesIn(dir.path()), 1u);
    }
  }
}

TEST(AtomicFile, AFailedReplaceLeavesTheOldFile) {
  test::TempDir dir;
  // A folder where the file should be: the rename fails, nothing is lost.
  fs::create_directories(dir / "taken" / "inside");
  EXPECT_FALSE(ReplaceFileWith((dir / "taken").string(), {Bytes("x")}));
  EXPECT_TRUE(fs::is_directory(dir / "taken" / "inside"));
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
  EXPECT_FALSE(ReplaceFileWith((dir / "missing" / "a.jpg").string(), {Bytes("x")}));

  if (geteuid() != 0) {  // root may write anywhere
    const auto ro = dir / "readonly";
    fs::create_directories(ro);
    test::WriteText(ro / "a.jpg", "old");
    chmod(ro.c_str(), 0555);
    EXPECT_FALSE(ReplaceFileWith((ro / "a.jpg").string(), {Bytes("new")}));
    EXPECT_EQ(test::ReadText(ro / "a.jpg"), "old");
    chmod(ro.c_str(), 0755);
  }
}

}  // namespace
}  // namespace lumora
