// The names item operations choose (Add, Duplicate, drops), drops into an
// album on one file system and across two, and a file's information.
#include "albums/ItemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>

#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "tests/TempDir.h"
#include "tests/Tmpfs.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

using test::NamesIn;

// Makes the entries of a fresh folder: names ending in "/" are folders.
void Fill(const fs::path& dir, const std::vector<std::string>& entries) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const std::string& e : entries) {
    if (e.back() == '/') fs::create_directories(dir / e.substr(0, e.size() - 1));
    else test::WriteText(dir / e, e);
  }
}

TEST(ItemFiles, NamesForAddDuplicateAndDrops) {
  test::TempDir tmp;
  const fs::path album = tmp / "album";
  enum Rule { Add, Duplicate, Drop };
  struct Case {
    Rule rule;
    std::vector<std::string> entries;
    std::string name, chosen;
  } cases[] = {
      // Add: the own name when free; else titles numbered from 1, any extension counting.
      {Add, {}, "beach.jpg", "beach.jpg"},
      {Add, {"beach.png"}, "beach.jpg", "beach.jpg"},
      {Add, {"beach.jpg", "Beach (1).bmp"}, "beach.jpg", "beach (2).jpg"},
      {Add, {"BEACH.JPG"}, "beach.jpg", "beach (1).jpg"},
      {Add, {"beach.jpg", "beach (1)/"}, "beach.jpg", "beach (2).jpg"},
      {Add, {"notes", "notes (1).txt"}, "notes", "notes (2)"},
      // Duplicate: whole names numbered from 1.
      {Duplicate, {"beach.jpg"}, "beach.jpg", "beach (1).jpg"},
      {Duplicate, {"beach.jpg", "BEACH (1).JPG"}, "beach.jpg", "beach (2).jpg"},
      {Duplicate, {"beach.jpg", "beach (1).bmp"}, "beach.jpg", "beach (1).jpg"},
      {Duplicate, {"beach.jpg", "beach (1).jpg/"}, "beach.jpg", "beach (2).jpg"},
      {Duplicate, {"a.b.jpg"}, "a.b.jpg", "a.b (1).jpg"},
      // Drops: whole file names numbered from 0; folders do not count.
      {Drop, {}, "beach.jpg", "beach.jpg"},
      {Drop, {"Beach.JPG"}, "beach.jpg", "beach (0).jpg"},
      {Drop, {"beach.jpg", "beach (0).jpg", "beach (2).jpg"}, "beach.jpg", "beach (1).jpg"},
      {Drop, {"beach.jpg/"}, "beach.jpg", "beach.jpg"},
      {Drop, {"beach.jpg", "beach (0).jpg/"}, "beach.jpg", "beach (0).jpg"},
      {Drop, {"beach.jpg", "beach (0).bmp"}, "beach.jpg", "beach (0).jpg"},
  };
  for (const Case& c : cases) {
    Fill(album, c.entries);
    const std::string chosen = c.rule == Add ? AddDestination(album.string(), (tmp / "elsewhere" / c.name).string())
                               : c.rule == Duplicate ? DuplicateDestination((album / c.name).string())
                                                     : MakeUniqueName(album.string() + "/", c.name);
    EXPECT_EQ(chosen, (album / c.chosen).string()) << c.rule << " " << c.name << " among " << c.entries.size();
  }

  // Duplicating twice gives (1), then (2).
  Fill(album, {"beach.jpg"});
  for (const char* expected : {"beach (1).jpg", "beach (2).jpg"}) {
    const std::string copy = DuplicateDestination((album / "beach.jpg").string());
    EXPECT_EQ(copy, (album / expected).string());
    EXPECT_TRUE(CopyNoReplace((album / "beach.jpg").string(), copy));
  }
  // Copies under way in a batch take their names before they are on disk.
  const std::vector<std::string> inFlight = {(album / "beach (3).jpg").string(), (album / "Sea.JPG").string()};
  EXPECT_EQ(DuplicateDestination((album / "beach.jpg").string(), inFlight), (album / "beach (4).jpg").string());
  EXPECT_EQ(AddDestination(album.string(), (tmp / "sea.jpg").string(), inFlight), (album / "sea (1).jpg").string());
}

TEST(ItemFiles, DropsMoveOnOneFileSystemCopyAcrossTwoAndSkipWhatCannotGo) {
  test::TempDir tmp;
  Fill(tmp / "album", {"beach.jpg"});
  Fill(tmp / "desktop", {"beach.jpg", "sea.jpg", "folder.jpg/"});
  struct stat before {};
  ASSERT_EQ(stat((tmp / "desktop" / "sea.jpg").c_str(), &before), 0);

  struct Case {
    std::string source;
    FileOpStatus status;
    std::string path;
    bool moved, renamed;
  } cases[] = {
      {"desktop/sea.jpg", FileOpStatus::Done, "album/sea.jpg", true, false},
      {"desktop/beach.jpg", FileOpStatus::Done, "album/beach (0).jpg", true, true},
      {"desktop/folder.jpg", FileOpStatus::Failed, "", false, false},
      {"desktop/gone.jpg", FileOpStatus::SourceGone, "", false, false},
      {"album/beach.jpg", FileOpStatus::Failed, "", false, false},  // already there
  };
  for (const Case& c : cases) {
    const PutResult put = PutFileIntoAlbum((tmp / c.source).string(), (tmp / "album").string());
    EXPECT_EQ(put.op.status, c.status) << c.source;
    EXPECT_EQ(put.path, c.path.empty() ? "" : (tmp / c.path).string()) << c.source;
    if (c.status != FileOpStatus::Done) continue;
    EXPECT_EQ(put.moved, c.moved) << c.source;
    EXPECT_EQ(put.renamed, c.renamed) << c.source;
  }
  EXPECT_EQ(NamesIn(tmp / "album"), (std::vector<std::string>{"beach (0).jpg", "beach.jpg", "sea.jpg"}));
  EXPECT_EQ(NamesIn(tmp / "desktop"), std::vector<std::string>{"folder.jpg"});
  struct stat after {};
  ASSERT_EQ(stat((tmp / "album" / "sea.jpg").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // one rename, no copy
  EXPECT_EQ(test::ReadText(tmp / "album" / "beach (0).jpg"), "beach.jpg");

  // A batch reads the album once: its own files count, and a name another
  // program took meanwhile is not replaced but chosen again.
  Fill(tmp / "desktop", {"a.jpg", "b.jpg", "c/"});
  test::WriteText(tmp / "desktop" / "c" / "a.jpg", "second a");
  AlbumDrop drop((tmp / "album").string());
  EXPECT_EQ(drop.Put((tmp / "desktop" / "a.jpg").string()).path, (tmp / "album" / "a.jpg").string());
  test::WriteText(tmp / "album" / "b.jpg", "meanwhile");
  EXPECT_EQ(drop.Put((tmp / "desktop" / "b.jpg").string()).path, (tmp / "album" / "b (0).jpg").string());
  EXPECT_EQ(drop.Put((tmp / "desktop" / "c" / "a.jpg").string()).path, (tmp / "album" / "a (0).jpg").string());
  EXPECT_EQ(test::ReadText(tmp / "album" / "b.jpg"), "meanwhile");
  EXPECT_EQ(test::ReadText(tmp / "album" / "a (0).jpg"), "second a");

  const test::Tmpfs other(tmp / "other", "size=1m");
  if (!other) GTEST_SKIP() << other.skipReason();
  test::WriteText(tmp / "other" / "sea.jpg", "other sea");
  const PutResult put = PutFileIntoAlbum((tmp / "other" / "sea.jpg").string(), (tmp / "album").string());
  EXPECT_EQ(put.op.status, FileOpStatus::Done);
  EXPECT_FALSE(put.moved);
  EXPECT_TRUE(put.renamed);
  EXPECT_EQ(put.path, (tmp / "album" / "sea (0).jpg").string());
  EXPECT_EQ(test::ReadText(put.path), "other sea");
  EXPECT_EQ(NamesIn(tmp / "other"), std::vector<std::string>{"sea.jpg"});  // the source stays
}

std::string LocalText(time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

TEST(ItemFiles, InformationOfAFile) {
  test::TempDir tmp;
  DibImage picture;
  ASSERT_TRUE(picture.Create(640, 480, 24));
  const std::string bmp = (tmp / "Sunset.BMP").string();
  ASSERT_TRUE(WriteBmpFile(picture, bmp));
  const struct timespec times[2] = {{1300000000, 0}, {1200000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, bmp.c_str(), times, 0), 0);

  const std::optional<ItemInfo> info = ReadItemInfo(bmp, {});
  ASSERT_TRUE(info);
  EXPECT_EQ(info->title, "Sunset");
  EXPECT_EQ(info->folder, tmp.path().string());
  EXPECT_EQ(info->modified, LocalText(1200000000));
  EXPECT_EQ(info->accessed, LocalText(1300000000));
  EXPECT_EQ(info->created.size(), 19u);
  EXPECT_EQ(info->type, "BITMAP");
  EXPECT_EQ(info->size, "921,654 bytes( 640 * 480)");
  EXPECT_FALSE(ReadItemInfo((tmp / "gone.bmp").string(), {}));
  EXPECT_FALSE(ReadItemInfo(tmp.path().string(), {}));

  // Audio-only MPEG files show the stored picture's size.
  DibImage stored;
  ASSERT_TRUE(stored.Create(32, 16, 24));
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(stored, jpeg));
  struct Case {
    std::string name, bytes, type, size;
  } cases[] = {
      {"a.JPG", "", "JPEG", "0 bytes( 0 * 0)"},
      {"a.jpeg", "x", "JPEG", "1 bytes( 0 * 0)"},
      {"a.avi", "", "AVI", "0 bytes( 0 * 0)"},
      {"a.mpg", std::string("\xFF\xFD\x00\x00", 4), "MPEG", "4 bytes( 32 * 16)"},
      {"a.MPEG", "\xFF\xFF\x10\x20", "MPEG", "4 bytes( 32 * 16)"},
      {"a.erm", "", "ERM", "0 bytes( 0 * 0)"},
      {"a.TIF", "", ".tif", "0 bytes( 0 * 0)"},
      {"notes", "", "", "0 bytes( 0 * 0)"},
  };
  for (const Case& c : cases) {
    test::WriteText(tmp / c.name, c.bytes);
    const std::optional<ItemInfo> made = ReadItemInfo((tmp / c.name).string(), jpeg);
    ASSERT_TRUE(made) << c.name;
    EXPECT_EQ(made->type, c.type) << c.name;
    EXPECT_EQ(made->size, c.size) << c.name;
  }
}

TEST(ItemFiles, GroupsThousandsWithCommas) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"},           {999, "999"},         {1000, "1,000"},
      {65536, "65,536"},  {1048576, "1,048,576"}, {123456789, "123,456,789"},
      {UINT64_MAX, "18,446,744,073,709,551,615"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(GroupThousands(value), text) << value;
}

}  // namespace
}  // namespace lumora
