// Loading an album: which files become items, the progress steps, files
// that change between the two passes, and items of every kind.
#include "albums/ItemLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

class RecordingProgress final : public ItemLoadProgress {
 public:
  std::vector<int> begins, steps;
  std::vector<std::string> stills;
  std::vector<std::string> notMade;  // the error of each entry left out
  std::function<void()> onBegin;
  // When set, decides which items the caller takes as they are made.
  std::function<bool(const NewItem&)> takes;
  std::vector<std::string> taken;
  std::vector<size_t> stepsWhenTaken;

  void Begin(int total) override {
    begins.push_back(total);
    if (onBegin) onBegin();
  }
  void Step(int step) override { steps.push_back(step); }
  void StillNotLoaded(const std::string& path) override { stills.push_back(path); }
  void NotMade(const NewItem& made) override { notMade.push_back(made.error); }
  bool Take(NewItem& made) override {
    if (!takes || !takes(made)) return false;
    taken.push_back(fs::path(made.item.path).filename().string());
    stepsWhenTaken.push_back(steps.size());
    made = NewItem();
    return true;
  }
};

class ItemLoaderTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  // A 640 x 480 picture, black on the left half, white on the right.
  static DibImage Picture() {
    DibImage p;
    EXPECT_TRUE(p.Create(640, 480, 24));
    RowTable rows(p);
    for (int y = 0; y < 480; ++y) std::fill_n(rows[y] + 320 * 3, 320 * 3, uint8_t(0xFF));
    return p;
  }
  std::vector<std::string> Names(const AlbumLoad& load) const {
    std::vector<std::string> names;
    for (const auto& i : load.items) names.push_back(fs::path(i.item.path).filename().string());
    std::ranges::sort(names);
    return names;
  }

  test::TempDir dir_;
};

TEST_F(ItemLoaderTest, OnlyRecognisedNonEmptyDecodableFilesBecomeItems) {
  const DibImage picture = Picture();
  ASSERT_TRUE(WriteJpegFile(picture, Path("a.JPG")));
  ASSERT_TRUE(WriteBmpFile(picture, Path("b.bmp")));
  ASSERT_TRUE(WriteTiffFile(picture, Path("c.tif")));
  ASSERT_TRUE(WriteJpegFile(picture, Path("trick.gif.jpg")));  // JPEG data; the name holds ".gif" first
  ASSERT_TRUE(WriteJpegFile(picture, Path("Photo.jpeg")));     // not an item extension
  test::WriteText(Path("empty.jpg"), "");
  test::WriteText(Path("damaged.jpg"), "\xFF\xD8\xFF garbage");
  test::WriteText(Path("notes.txt"), "hello");
  fs::create_directory(Path("folder.bmp"));

  RecordingProgress progress;
  AlbumLoad load = LoadAlbumItems(dir_.path().string(), kOriginalCell, DibImage(), progress);
  EXPECT_TRUE(load.enumerated);
  EXPECT_EQ(load.counted, 7) << "recognised names, the folder among them";
  EXPECT_EQ(Names(load), (std::vector<std::string>{"a.JPG", "b.bmp", "c.tif", "trick.gif.jpg"}));
  EXPECT_EQ(progress.begins, std::vector<int>{14});
  std::vector<int> expected(15);
  for (int i = 0; i <= 14; ++i) expected[size_t(i)] = i;
  EXPECT_EQ(progress.steps, expected) << "two steps a file, then the final count";
  // Each entry left out is reported with why; a picture with its codec's reason.
  ASSERT_EQ(progress.notMade.size(), 3u);
  const auto damaged = std::ranges::find_if(
      progress.notMade, [](const std::string& e) { return e.find("damaged.jpg") != std::string::npos; });
  ASSERT_NE(damaged, progress.notMade.end());
  EXPECT_NE(damaged->find("': JPEG: "), std::string::npos) << *damaged;

  for (const auto& made : load.items) {
    EXPECT_EQ(made.thumbnail.place, (ThumbnailPlace{4, 2, 48, 36})) << made.item.path;
    EXPECT_EQ(made.item.name, fs::path(made.item.path).stem().string());
    EXPECT_GT(made.item.time, 0);
  }
  // The JPEG decoded at 1/8 scale still shows the picture's two halves.
  const auto jpeg = std::ranges::find_if(load.items, [](const NewItem& i) { return i.item.name == "a"; });
  ASSERT_NE(jpeg, load.items.end());
  const DibImage& cell = jpeg->thumbnail.cell;
  const uint8_t* mid = cell.block().data() + cell.layout()->pixelOffset + size_t(42 - 1 - 20) * cell.layout()->stride;
  EXPECT_LT(mid[3 * 10], 16);
  EXPECT_GT(mid[3 * 45], 240);
}

TEST_F(ItemLoaderTest, NoRecognisedFilesMeansNoProgressAndAMissingFolderFails) {
  test::WriteText(Path("notes.txt"), "hello");
  test::WriteText(Path("Photo.jpeg"), "x");
  RecordingProgress progress;
  AlbumLoad load = LoadAlbumItems(dir_.path().string(), kMaxCell, DibImage(), progress);
  EXPECT_TRUE(load.enumerated);
  EXPECT_TRUE(load.items.empty());
  EXPECT_TRUE(progress.begins.empty());
  EXPECT_TRUE(progress.steps.empty());

  EXPECT_FALSE(LoadAlbumItems(Path("gone"), kMaxCell, DibImage(), progress).enumerated);
}

TEST_F(ItemLoaderTest, FilesThatChangeBetweenThePassesAreSkipped) {
  const DibImage picture = Picture();
  for (const char* name : {"keep.bmp", "vanish.bmp", "grow.bmp"}) ASSERT_TRUE(WriteBmpFile(picture, Path(name)));
  RecordingProgress progress;
  progress.onBegin = [&] {  // runs between the first and the second pass
    fs::remove(Path("vanish.bmp"));
    DibImage bigger;
    ASSERT_TRUE(bigger.Create(800, 600, 24));
    ASSERT_TRUE(WriteBmpFile(bigger, Path("grow.bmp")));
    ASSERT_TRUE(WriteBmpFile(picture, Path("new.bmp")));
  };
  AlbumLoad load = LoadAlbumItems(dir_.path().string(), kOriginalCell, DibImage(), progress);
  EXPECT_EQ(Names(load), std::vector<std::string>{"keep.bmp"});
  EXPECT_EQ(progress.steps, (std::vector<int>{0, 1, 2}));
}

TEST_F(ItemLoaderTest, ItemsTakenAsTheyAreMadeArriveBetweenTheirTwoSteps) {
  const DibImage picture = Picture();
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) ASSERT_TRUE(WriteBmpFile(picture, Path(name)));
  RecordingProgress progress;
  progress.takes = [](const NewItem& made) { return fs::path(made.item.path).filename() != "b.bmp"; };
  AlbumLoad load = LoadAlbumItems(dir_.path().string(), kOriginalCell, DibImage(), progress);
  std::ranges::sort(progress.taken);
  EXPECT_EQ(progress.taken, (std::vector<std::string>{"a.bmp", "c.bmp"}));
  EXPECT_EQ(Names(load), std::vector<std::string>{"b.bmp"}) << "what the caller left stays in the load";
  for (size_t steps : progress.stepsWhenTaken) EXPECT_EQ(steps % 2, 1u) << "after the file's first step only";
}

TEST_F(ItemLoaderTest, ItemTimesAreWholeSecondsSoByDateTiesWithinASecond) {
  DibImage small;
  ASSERT_TRUE(small.Create(4, 4, 24));
  using namespace std::chrono;
  const sys_seconds second{seconds{1'700'000'000}};
  const milliseconds offsets[] = {100ms, 900ms, 1100ms};
  std::vector<AlbumItem> items;
  for (int i = 0; i < 3; ++i) {
    const std::string path = Path("p" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(WriteBmpFile(small, path));
    fs::last_write_time(path, file_clock::from_sys(second + offsets[i]));
    NewItem made = MakeAlbumItem(path, kOriginalCell, DibImage());
    ASSERT_EQ(made.status, NewItemStatus::Added);
    items.push_back(made.item);
  }
  EXPECT_EQ(CompareItems(items[0], items[1], SortKey::Date, true), 0) << "0.8 s apart in the same second";
  EXPECT_EQ(CompareItems(items[1], items[2], SortKey::Date, true), -1);
  EXPECT_EQ(CompareItems(items[1], items[2], SortKey::Date, false), 1);
}

TEST_F(ItemLoaderTest, VideoItemsWithoutAPictureAreLeftOut) {
  for (const char* name : {"clip.avi", "clip.mpg", "show.erm"}) {
    test::WriteText(Path(name), std::string(64, '\x01'));
    NewItem made = MakeAlbumItem(Path(name), kMaxCell, DibImage());
    EXPECT_EQ(made.status, NewItemStatus::NoPreview) << name;
    EXPECT_FALSE(made.error.empty());
  }
  test::WriteText(Path("empty.avi"), "");
  EXPECT_EQ(MakeAlbumItem(Path("empty.avi"), kMaxCell, DibImage()).status, NewItemStatus::Left);
}

}  // namespace
}  // namespace lumora
