// The shared thumbnail cache: entry names, the PNG keys and mode, which
// entries serve (another program's, stale ones, videos), failures recorded
// once, entries that follow a rename; and the parallel load, which must
// give what a load on one thread gives and stop at once when cancelled.
#include "albums/ThumbnailCache.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "albums/ItemLoader.h"
#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"
#include "tests/TempDir.h"
#include "tests/media/video/VideoMedia.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

constexpr char kVersion[] = "9.8.7";

TEST(ThumbnailCacheNames, Md5AndUriFollowTheRfcAndTheFileManagers) {
  const struct {
    std::string in, md5;
  } digests[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(55, 'x'), "04364420e25c512fd958a70738aa8f72"},  // the length still fits the last block
      {std::string(56, 'y'), "6c830a5d23df58dbe0171eb5639bf3e4"},  // it needs one more
      {std::string(64, 'z'), "3ecc49f9d9d6c263b4f0de7fc3f38aed"},
  };
  for (const auto& d : digests) EXPECT_EQ(Md5Hex(d.in), d.md5) << d.in.size() << " bytes";

  const struct {
    std::string path, uri, name;
  } files[] = {
      {"/a/b/c.jpg", "file:///a/b/c.jpg", "6f4da7581a5a0f9b2b38166d3d9cc7a0"},
      {"/home/ann/Albums/Summer 2024/beach #1.jpg", "file:///home/ann/Albums/Summer%202024/beach%20%231.jpg",
       "385b7fe53f488c6cb0599df89e517eff"},
      {"/tmp/\xC3\x85lbum/caf\xC3\xA9 \xC3\xBC.jpg", "file:///tmp/%C3%85lbum/caf%C3%A9%20%C3%BC.jpg",
       "e0ce7ff22631c772743532c6fd3cc403"},
      {"/x/100%;[weird]?.tif", "file:///x/100%25%3B%5Bweird%5D%3F.tif", "f7f59fa7d64ade50bf1700462154a5da"},
  };
  const ThumbnailCache cache("/c", kVersion);
  for (const auto& f : files) {
    EXPECT_EQ(FileUri(f.path), f.uri);
    EXPECT_EQ(cache.NormalPath(f.path), "/c/normal/" + f.name + ".png");
    EXPECT_EQ(cache.LargePath(f.path), "/c/large/" + f.name + ".png");
    EXPECT_EQ(cache.FailPath(f.path), "/c/fail/lumora-9.8.7/" + f.name + ".png");
  }
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A picture of one colour.
DibImage Plain(int width, int height, uint8_t blue, uint8_t green, uint8_t red) {
  DibImage p;
  EXPECT_TRUE(p.Create(width, height, 24));
  RowTable rows(p);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rows[y][3 * x] = blue, rows[y][3 * x + 1] = green, rows[y][3 * x + 2] = red;
  return p;
}

// The colour at the centre of a made item's thumbnail.
uint32_t CentreColour(const NewItem& made) {
  const uint8_t* p = made.thumbnail.cell.Rows()[made.thumbnail.cell.height() / 2] +
                     size_t(made.thumbnail.cell.width() / 2) * 3;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

class ThumbnailCacheTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Seconds(const std::string& path) const {
    using namespace std::chrono;
    return std::to_string(floor<seconds>(file_clock::to_sys(fs::last_write_time(path))).time_since_epoch().count());
  }
  // Another program's entry, as the desktop's rules have it.
  void WriteForeignEntry(const std::string& file, const std::string& entry, const DibImage& picture,
                         const std::string& mtime) {
    fs::create_directories(fs::path(entry).parent_path());
    const std::vector<uint8_t> png = WriteThumbnailPng(
        picture, {{kThumbUri, FileUri(file)}, {kThumbMTime, mtime}, {kThumbImageWidth, "640"},
                  {kThumbImageHeight, "480"}, {kThumbSoftware, "Some File Manager"}});
    ASSERT_FALSE(png.empty());
    std::ofstream(entry, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  }
  std::optional<ThumbnailPng> Entry(const std::string& entry, bool pixels = false) const {
    return ReadThumbnailPng(ReadFile(entry), pixels);
  }

  test::TempDir dir_;
  ThumbnailCache cache_{(dir_ / "cache").string(), kVersion};
};

TEST_F(ThumbnailCacheTest, AStoredEntryHasTheKeysThePrivateModeAndAtMost128Pixels) {
  const std::string photo = Path("my photo.jpg");
  ASSERT_TRUE(WriteJpegFile(Plain(640, 480, 0, 0, 255), photo));
  ASSERT_EQ(MakeAlbumItem(photo, kMaxCell, DibImage(), &cache_).status, NewItemStatus::Added);

  const std::string entry = cache_.NormalPath(photo);
  struct stat st {};
  ASSERT_EQ(::stat(entry.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((dir_ / "cache/normal").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  const std::optional<ThumbnailPng> png = Entry(entry, true);
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 128);
  EXPECT_EQ(png->height, 96);
  const std::pair<const char*, std::string> keys[] = {
      {kThumbUri, "file://" + dir_.path().string() + "/my%20photo.jpg"},
      {kThumbMTime, Seconds(photo)},
      {kThumbSize, std::to_string(fs::file_size(photo))},
      {kThumbImageWidth, "640"},
      {kThumbImageHeight, "480"},
      {kThumbSoftware, "Lumora 9.8.7"},
  };
  for (const auto& [key, value] : keys) {
    ASSERT_TRUE(png->Key(key)) << key;
    EXPECT_EQ(*png->Key(key), value) << key;
  }
  const uint8_t* centre = png->picture.Rows()[48] + 64 * 3;
  EXPECT_GT(centre[2], 240);  // red, read back in the picture's own byte order
  EXPECT_LT(centre[0], 16);
}

TEST_F(ThumbnailCacheTest, WhichEntryServesAndWhichIsReplaced) {
  const std::string photo = Path("photo.jpg"), clip = Path("clip.avi");
  ASSERT_TRUE(WriteJpegFile(Plain(640, 480, 0, 0, 255), photo));  // red
  test::WriteText(clip, std::string(64, '\x01'));                  // no video: no preview of its own
  const DibImage green = Plain(128, 96, 0, 255, 0);
  const struct {
    const char* what;
    std::string file;
    bool large, stale;
    uint32_t centre;  // 0: not made
    bool entryKept;   // the foreign entry is still there afterwards
  } cases[] = {
      {"another program's normal entry is used", photo, false, false, 0x00FF00, true},
      {"another program's large entry is used", photo, true, false, 0x00FF00, true},
      {"a stale entry is replaced by the file's picture", photo, false, true, 0xFF0000, false},
      {"another program's video entry is not used", clip, false, false, 0, true},
  };
  for (const auto& c : cases) {
    fs::remove_all(cache_.Root());
    const std::string mtime = c.stale ? "12345" : Seconds(c.file);
    const std::string entry = c.large ? cache_.LargePath(c.file) : cache_.NormalPath(c.file);
    WriteForeignEntry(c.file, entry, green, mtime);
    const NewItem made = MakeAlbumItem(c.file, kMaxCell, DibImage(), &cache_);
    if (c.centre) {
      ASSERT_EQ(made.status, NewItemStatus::Added) << c.what;
      EXPECT_EQ(CentreColour(made) & 0xF0F0F0, c.centre & 0xF0F0F0) << c.what;
      EXPECT_EQ(made.thumbnail.place, PlaceThumbnail(640, 480, kMaxCell)) << c.what;
    } else {
      EXPECT_NE(made.status, NewItemStatus::Added) << c.what;
    }
    const std::optional<ThumbnailPng> after = Entry(entry);
    ASSERT_TRUE(after) << c.what;
    EXPECT_EQ(*after->Key(kThumbSoftware) == "Some File Manager", c.entryKept) << c.what;
    if (!c.entryKept) {
      EXPECT_EQ(*after->Key(kThumbMTime), Seconds(c.file)) << c.what;
    }
  }
}

TEST_F(ThumbnailCacheTest, ABrokenFileIsRecordedOnceAndTriedAgainOnlyWhenItChanges) {
  const std::string broken = Path("broken.jpg");
  test::WriteText(broken, "\xFF\xD8\xFF not a picture");
  NewItem first = MakeAlbumItem(broken, kMaxCell, DibImage(), &cache_);
  EXPECT_EQ(first.status, NewItemStatus::Left);
  EXPECT_NE(first.error.find("decode"), std::string::npos) << first.error;
  ASSERT_TRUE(fs::exists(cache_.FailPath(broken)));
  const auto recorded = fs::last_write_time(cache_.FailPath(broken));
  EXPECT_FALSE(fs::exists(cache_.NormalPath(broken)));

  NewItem again = MakeAlbumItem(broken, kMaxCell, DibImage(), &cache_);
  EXPECT_EQ(again.status, NewItemStatus::Left);
  EXPECT_NE(again.error.find("failed before"), std::string::npos) << "not read again: " << again.error;
  EXPECT_EQ(fs::last_write_time(cache_.FailPath(broken)), recorded) << "recorded once";

  // Mended (another size and time): read again, and cached.
  ASSERT_TRUE(WriteJpegFile(Plain(64, 48, 9, 9, 9), broken));
  fs::last_write_time(broken, fs::last_write_time(broken) + std::chrono::seconds(5));
  EXPECT_EQ(MakeAlbumItem(broken, kMaxCell, DibImage(), &cache_).status, NewItemStatus::Added);
  EXPECT_TRUE(fs::exists(cache_.NormalPath(broken)));
}

TEST_F(ThumbnailCacheTest, EntriesFollowARenameAndGoWithTheFile) {
  const std::string from = Path("old name.bmp"), to = Path("n\xC3\xA9w name.bmp");
  ASSERT_TRUE(WriteBmpFile(Plain(300, 200, 255, 0, 0), from));
  ASSERT_EQ(MakeAlbumItem(from, kMaxCell, DibImage(), &cache_).status, NewItemStatus::Added);
  ASSERT_TRUE(cache_.StoreFailure(from));
  fs::rename(from, to);
  cache_.Move(from, to);
  EXPECT_FALSE(fs::exists(cache_.NormalPath(from)));
  EXPECT_FALSE(fs::exists(cache_.FailPath(from)));
  const std::optional<ThumbnailPng> moved = Entry(cache_.NormalPath(to));
  ASSERT_TRUE(moved);
  EXPECT_EQ(*moved->Key(kThumbUri), FileUri(to));
  struct stat st {};
  ASSERT_EQ(::stat(cache_.NormalPath(to).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  CachedThumbnail cached;
  EXPECT_EQ(cache_.Find(to, false, kMaxCell, cached), CacheLookup::Found) << "current for the new name";

  cache_.Remove(to);
  EXPECT_FALSE(fs::exists(cache_.NormalPath(to)));
  EXPECT_EQ(cache_.Find(to, false, kMaxCell, cached), CacheLookup::Missing);
}

TEST_F(ThumbnailCacheTest, DamagedOrOversizedPngsAreNoEntries) {
  const DibImage small = Plain(4, 3, 1, 2, 3);
  const std::vector<uint8_t> good = WriteThumbnailPng(small, {{"k", "v"}});
  ASSERT_TRUE(ReadThumbnailPng(good, true));
  const std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
  const std::vector<uint8_t> notPng = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
  DibImage wide;
  ASSERT_TRUE(wide.Create(5000, 1, 24));
  const std::vector<uint8_t> tooWide = WriteThumbnailPng(wide, {});
  for (const auto* bytes : {&truncated, &notPng, &tooWide}) EXPECT_FALSE(ReadThumbnailPng(*bytes, true));
}

// ---- The parallel load --------------------------------------------------------

class Collecting final : public ItemLoadProgress {
 public:
  std::vector<std::string> calls;  // every report, in order
  std::function<void(size_t taken)> afterTake;
  size_t taken = 0;
  void Begin(int steps) override { calls.push_back("begin " + std::to_string(steps)); }
  void Step(int step) override { calls.push_back("step " + std::to_string(step)); }
  void StillNotLoaded(const std::string& path) override { calls.push_back("still " + path); }
  void NotMade(const NewItem& made) override { calls.push_back("not made " + made.item.path); }
  bool Take(NewItem& made) override {
    const uint8_t* centre = made.thumbnail.cell.Rows()[made.thumbnail.cell.height() / 2];
    calls.push_back("take " + made.item.path + " " + std::to_string(centre[made.thumbnail.cell.width() / 2 * 3]));
    if (afterTake) afterTake(++taken);
    return true;
  }
};

TEST_F(ThumbnailCacheTest, AParallelLoadReportsExactlyWhatALoadOnOneThreadReports) {
  // Every kind, the failures too, more items than the workers keep ahead.
  for (int i = 0; i < 12; ++i) {
    const uint8_t shade = uint8_t(20 * i);
    ASSERT_TRUE(WriteJpegFile(Plain(640, 480, shade, shade, shade), Path("p" + std::to_string(i) + ".jpg")));
  }
  ASSERT_TRUE(WriteBmpFile(Plain(200, 300, 50, 60, 70), Path("b.bmp")));
  ASSERT_TRUE(WriteTiffFile(Plain(120, 90, 80, 90, 100), Path("t.TIF")));
  video::test::MakeClip(dir_ / "c.mpg", "176x144", "25", 0.2, "-c:v mpeg1video -f mpeg");
  video::test::MakeClip(dir_ / "c.avi", "176x144", "25", 0.2, "-c:v mjpeg");
  fs::copy_file(dir_ / "c.mpg", dir_ / "rec.erm");
  test::WriteText(Path("junk.avi"), std::string(64, '\x01'));
  test::WriteText(Path("damaged.jpg"), "\xFF\xD8\xFF garbage");
  test::WriteText(Path("empty.tif"), "");
  test::WriteText(Path("notes.txt"), "no item");

  const std::string folder = dir_.path().string();
  Collecting one, two, warm;
  ASSERT_EQ(LoadAlbumItems(folder, kMaxCell, DibImage(), one).items.size(), 0u);
  const AlbumLoad load = LoadAlbumItems(folder, kMaxCell, DibImage(), two, {.threads = 3});
  EXPECT_FALSE(load.cancelled);
  EXPECT_EQ(two.calls, one.calls);
  EXPECT_EQ(std::ranges::count_if(one.calls, [](const std::string& c) { return c.starts_with("take"); }), 16);

  // Twice through the cache: the first fills it, the second reads it; the
  // same items either way.
  for (int round = 0; round < 2; ++round) {
    warm.calls.clear();
    LoadAlbumItems(folder, kMaxCell, DibImage(), warm, {.threads = 2, .cache = &cache_});
    std::vector<std::string> items, expected;
    for (const auto& c : warm.calls) items.push_back(c.substr(0, c.rfind(' ')));
    for (const auto& c : one.calls) expected.push_back(c.substr(0, c.rfind(' ')));
    EXPECT_EQ(items, expected) << "round " << round;
  }
  EXPECT_TRUE(fs::exists(cache_.NormalPath(Path("c.avi"))));
  EXPECT_TRUE(fs::exists(cache_.FailPath(Path("junk.avi"))));
}

TEST_F(ThumbnailCacheTest, ACancelledLoadStopsAtOnceAndKeepsNothingMadeAfter) {
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(WriteBmpFile(Plain(64, 48, 1, 2, 3), Path("i" + std::to_string(i) + ".bmp")));
  for (const int threads : {1, 2, 4}) {
    std::atomic<bool> cancel = false;
    Collecting progress;
    progress.afterTake = [&](size_t taken) {
      if (taken == 5) cancel = true;
    };
    const AlbumLoad load =
        LoadAlbumItems(dir_.path().string(), kOriginalCell, DibImage(), progress, {.threads = threads, .cancel = &cancel});
    EXPECT_TRUE(load.cancelled) << threads;
    EXPECT_TRUE(load.items.empty()) << threads;
    EXPECT_EQ(progress.taken, 5u) << threads;
    EXPECT_TRUE(progress.calls.back().starts_with("take")) << "no report after the cancel, " << threads;
  }
}

}  // namespace
}  // namespace lumora
