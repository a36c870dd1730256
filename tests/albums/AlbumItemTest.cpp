// Which files are items, and the three item orders in both directions.
#include "albums/AlbumItem.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lumora {
namespace {

TEST(AlbumItemTest, KindsComeFromTheLowerCasedLastExtension) {
  EXPECT_EQ(ItemKindOf("/a/Photo.JPG"), ItemKind::Jpeg);
  EXPECT_EQ(ItemKindOf("/a/Photo.jpeg"), ItemKind::None);
  EXPECT_EQ(ItemKindOf("/a/Scan.tiff"), ItemKind::None);
  EXPECT_EQ(ItemKindOf("/a/Anim.gif"), ItemKind::None);
  EXPECT_EQ(ItemKindOf("/a/Scan.Tif"), ItemKind::Tiff);
  EXPECT_EQ(ItemKindOf("/a/clip.MPEG"), ItemKind::Mpeg);
  EXPECT_EQ(ItemKindOf("/a/clip.mpg"), ItemKind::Mpeg);
  EXPECT_EQ(ItemKindOf("/a/show.erm"), ItemKind::Recording);
  EXPECT_EQ(ItemKindOf("/a/jpg"), ItemKind::None);
  EXPECT_EQ(ItemKindOf("/a.jpg/readme"), ItemKind::None) << "a folder's extension is not the file's";
  EXPECT_EQ(ItemKindOf("/a/photo.jpg.txt"), ItemKind::None);
  EXPECT_EQ(ItemNameOf("v1.2.mpeg"), "v1.2");
  EXPECT_EQ(ItemNameOf("README"), "README");
}

std::vector<std::string> SortedBy(std::vector<AlbumItem> items, SortKey key, bool forward, bool useName) {
  std::stable_sort(items.begin(), items.end(), ItemOrder{key, forward});
  std::vector<std::string> out;
  for (const auto& i : items) out.push_back(useName ? i.name : LowerExtension(i.path));
  return out;
}

TEST(AlbumItemTest, ByTypeOrdersTheLowerCasedExtensions) {
  const std::vector<AlbumItem> items = {{"a", "/x/a.tif", 0}, {"b", "/x/b.MPG", 0},  {"c", "/x/c.jpg", 0},
                                        {"d", "/x/d.erm", 0}, {"e", "/x/e.BMP", 0},  {"f", "/x/f.mpeg", 0},
                                        {"g", "/x/g.avi", 0}};
  const std::vector<std::string> forward = {".avi", ".bmp", ".erm", ".jpg", ".mpeg", ".mpg", ".tif"};
  EXPECT_EQ(SortedBy(items, SortKey::Type, true, false), forward);
  EXPECT_EQ(SortedBy(items, SortKey::Type, false, false),
            std::vector<std::string>(forward.rbegin(), forward.rend()));
  EXPECT_EQ(CompareItems(items[2], {"z", "/y/z.JPG", 0}, SortKey::Type, true), 0) << "no second key";
}

TEST(AlbumItemTest, ByNameIsByteWiseAndCaseSensitive) {
  const std::vector<AlbumItem> items = {{"apple", "/x/apple.jpg", 0}, {"Zebra", "/x/Zebra.jpg", 0},
                                        {"Apple", "/x/Apple.jpg", 0}};
  EXPECT_EQ(SortedBy(items, SortKey::Name, true, true), (std::vector<std::string>{"Apple", "Zebra", "apple"}));
  EXPECT_EQ(SortedBy(items, SortKey::Name, false, true), (std::vector<std::string>{"apple", "Zebra", "Apple"}));
}

TEST(AlbumItemTest, ByDateComparesWholeSecondsBothWays) {
  const AlbumItem older{"a", "/x/a.jpg", 1'700'000'000};
  const AlbumItem newer{"b", "/x/b.jpg", 1'700'000'001};
  EXPECT_EQ(CompareItems(older, newer, SortKey::Date, true), -1);
  EXPECT_EQ(CompareItems(older, newer, SortKey::Date, false), 1);
  EXPECT_EQ(CompareItems(older, older, SortKey::Date, false), 0);
}

TEST(AlbumItemTest, SortCommandsAndTimeText) {
  EXPECT_EQ(SortKeyOfCommand(kSortCommandByName), SortKey::Name);
  EXPECT_EQ(SortKeyOfCommand(kSortCommandByType), SortKey::Type);
  EXPECT_EQ(SortKeyOfCommand(kSortCommandByDate), SortKey::Date);
  EXPECT_TRUE(IsForwardCommand(kSortCommandForward));
  EXPECT_FALSE(IsForwardCommand(kSortCommandReverse));
  EXPECT_EQ(FormatLocalSeconds(0), "1970-01-01 00:00:00");
  EXPECT_EQ(FormatLocalSeconds(951'782'400 + 3661), "2000-02-29 01:01:01");
}

}  // namespace
}  // namespace lumora
