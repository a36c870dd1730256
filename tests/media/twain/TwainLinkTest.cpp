// Acquisition against SANE's "test" backend (a temporary SANE_CONFIG_DIR),
// pictures compared with what scanimage makes of the same scan; the triplet
// protocol against a recording source manager; naming and depth conversion.
#include "media/twain/TwainLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <utility>

#include "media/codecs/Bmp.h"
#include "picture/DibImage.h"
#include "platform/SaneSource.h"
#include "platform/testing/ScriptedPrompts.h"
#include "tests/TempDir.h"
#include "tests/support/SaneTestBackend.h"
#include "tests/Tmpfs.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using namespace twain;
using testing_support::ScriptedPrompts;

constexpr char kCaption[] = "Lumora";
constexpr int kDpi = 25;  // 200 mm at 25 dpi: 196 pixels a side

class Album final : public TwainOwner {
 public:
  explicit Album(fs::path folder) : folder_(std::move(folder)) { fs::create_directories(folder_); }
  std::string AlbumFolder() const override { return folder_.string() + "/"; }
  void AddAcquiredItem(const std::string& path) override { added.push_back(fs::path(path).filename().string()); }
  std::vector<std::string> added;

 private:
  fs::path folder_;
};

// A picture as rows of 0xRRGGBB, top row first.
using Pixels = std::vector<std::vector<uint32_t>>;

Pixels PixelsOf(const DibImage& picture) {
  Pixels out;
  const RowView rows = picture.Rows();
  for (int32_t y = 0; y < picture.height(); ++y) {
    out.emplace_back();
    for (int32_t x = 0; x < picture.width(); ++x) {
      const uint8_t* p = rows[y] + 3 * x;
      out.back().push_back(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
    }
  }
  return out;
}

// A PBM, PGM (8 or 16 bits) or PPM as scanimage writes it, as pixels.
Pixels ReadPnm(const std::string& bytes) {
  size_t at = 0;
  auto token = [&] {
    while (at < bytes.size() && (std::isspace(uint8_t(bytes[at])) || bytes[at] == '#')) {
      if (bytes[at] == '#')
        while (at < bytes.size() && bytes[at] != '\n') ++at;
      else
        ++at;
    }
    const size_t start = at;
    while (at < bytes.size() && !std::isspace(uint8_t(bytes[at]))) ++at;
    return bytes.substr(start, at - start);
  };
  const std::string magic = token();
  const int width = std::stoi(token()), height = std::stoi(token());
  const int maxval = magic == "P4" ? 1 : std::stoi(token());
  ++at;
  const auto* d = reinterpret_cast<const uint8_t*>(bytes.data() + at);
  const size_t sample = maxval > 255 ? 2 : 1;
  Pixels out(size_t(height), std::vector<uint32_t>(size_t(width), 0));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t& px = out[size_t(y)][size_t(x)];
      if (magic == "P4") {
        const bool black = d[size_t(y) * ((size_t(width) + 7) / 8) + size_t(x) / 8] >> (7 - x % 8) & 1;
        px = black ? 0 : 0xFFFFFF;
      } else if (magic == "P5") {
        const uint32_t g = d[(size_t(y) * size_t(width) + size_t(x)) * sample];  // the high byte
        px = g * 0x010101;
      } else {
        const uint8_t* p = d + (size_t(y) * size_t(width) + size_t(x)) * 3 * sample;
        px = uint32_t(p[0]) << 16 | uint32_t(p[sample]) << 8 | p[2 * sample];
      }
    }
  return out;
}

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

class Acquisition : public ::testing::Test {
 protected:
  static void Configure(const std::string& settings) {
    ASSERT_TRUE(test::ConfigureSaneTestBackend(settings)) << "SANE's test backend is missing";
  }

  std::unique_ptr<TwainLink> Link(const std::string& library = kSaneLibrary) {
    return std::make_unique<TwainLink>(prompts_, kCaption,
                                       [this, library] { return LoadSaneSourceManager(prompts_, library); });
  }

  // Starts the link, selects test:0 and acquires `count` with `settings`.
  std::unique_ptr<TwainLink> Acquire(const ScanSettings& settings, int count = -1) {
    auto link = Link();
    prompts_.ExpectScanDevice("test:0").ExpectScanSettings(settings);
    EXPECT_TRUE(link->Start(&album_));
    EXPECT_TRUE(link->SelectSource());
    EXPECT_TRUE(link->Acquire(count));
    return link;
  }

  // Offers the source its events until it asks to be closed.
  static void RunUntilClosed(TwainLink& link) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (link.SourceOpen() && std::chrono::steady_clock::now() < giveUp) {
      if (!link.ProcessEvent()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(link.SourceOpen()) << "the source never asked to be closed";
  }

  Pixels Saved(const std::string& name) {
    DibImage picture;
    EXPECT_TRUE(ReadBmpFile(picture, (albumDir_ / name).string())) << name;
    EXPECT_EQ(picture.BitCount(), 24) << name;
    return PixelsOf(picture);
  }

  test::TempDir albumDir_;
  ScriptedPrompts prompts_;
  Album album_{albumDir_.path()};
};

TEST_F(Acquisition, EveryKindOfPageIsSavedAsScanimageSeesIt) {
  struct Case {
    const char* name;
    const char* conf;  // test.conf lines
    const char* mode;
  };
  const Case cases[] = {
      {"colour", "depth 8\ntest-picture \"Color pattern\"\n", "Color"},
      {"grey", "depth 8\ntest-picture \"Color pattern\"\n", "Gray"},
      {"grey 16-bit", "depth 16\ntest-picture \"Color pattern\"\n", "Gray"},
      {"colour 16-bit", "depth 16\ntest-picture \"Color pattern\"\n", "Color"},
      {"line art", "depth 1\ntest-picture \"Grid\"\n", "Gray"},
      {"three-pass colour", "depth 8\nthree-pass true\nthree-pass-order GBR\ntest-picture \"Color pattern\"\n",
       "Color"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& e : fs::directory_iterator(albumDir_.path())) fs::remove(e.path());
    album_.added.clear();
    Configure(c.conf);
    auto link = Acquire({c.mode, kDpi, "Flatbed"});
    RunUntilClosed(*link);
    EXPECT_EQ(album_.added, std::vector<std::string>{"PIC0.bmp"});
    EXPECT_EQ(link->Transferred(), 1);
    EXPECT_EQ(link->Imported(), 1);
    const Pixels ours = Saved("PIC0.bmp");
    const std::string scanimage = "scanimage -d test:0 --format=pnm -l 0 -t 0 -x 200 -y 200 --mode " +
                                  std::string(c.mode) + " --resolution " + std::to_string(kDpi) + " 2>/dev/null";
    const Pixels theirs = ReadPnm(Output(scanimage));
    ASSERT_EQ(ours.size(), theirs.size());
    EXPECT_EQ(ours.size(), 196u);
    EXPECT_TRUE(ours == theirs) << "the pixels differ from scanimage's";
    if (std::string(c.name) == "line art") {
      std::set<uint32_t> colours;
      for (const auto& row : ours) colours.insert(row.begin(), row.end());
      EXPECT_EQ(colours, (std::set<uint32_t>{0x000000, 0xFFFFFF}));
    }
  }
  EXPECT_EQ(prompts_.lastScanChoices().modes, (std::vector<std::string>{"Gray", "Color"}));
  EXPECT_EQ(prompts_.lastScanChoices().sources, (std::vector<std::string>{"Flatbed", "Automatic Document Feeder"}));
}

TEST_F(Acquisition, DeviceIsChosenFromSanesList) {
  Configure("");
  auto link = Link();
  prompts_.ExpectScanDevice("test:1").ExpectScanDevice("");
  ASSERT_TRUE(link->Start(&album_));
  EXPECT_TRUE(link->SelectSource());
  EXPECT_STREQ(link->SourceIdentity().ProductName, "test:1");
  EXPECT_STREQ(link->SourceIdentity().Manufacturer, "Noname");
  EXPECT_FALSE(link->SelectSource()) << "a cancelled choice selects nothing";
  EXPECT_EQ(link->ReturnCode(), kRcCancel);
  EXPECT_EQ(prompts_.shown(), (std::vector<std::string>{"devices: test:0,test:1", "devices: test:0,test:1"}));
  // The scan dialog of the chosen device; cancelling it closes the source.
  prompts_.ExpectScanSettings(std::nullopt);
  EXPECT_TRUE(link->Acquire());
  EXPECT_EQ(prompts_.shown().back(), "scan: test:1");
  RunUntilClosed(*link);
  EXPECT_EQ(link->Transferred(), 0);
  EXPECT_TRUE(fs::is_empty(albumDir_.path()));
}

TEST_F(Acquisition, FeederPagesComeInUntilTheCountOrTheEnd) {
  Configure("depth 8\n");
  auto three = Acquire({"Gray", 10, "Automatic Document Feeder"}, 3);
  RunUntilClosed(*three);
  EXPECT_EQ(album_.added, (std::vector<std::string>{"PIC0.bmp", "PIC1.bmp", "PIC2.bmp"}));
  EXPECT_EQ(three->ImageCount(), 3);
  three.reset();
  // Every page: the backend's feeder holds ten; the names go on from PIC3.
  album_.added.clear();
  auto all = Acquire({"Gray", 10, "Automatic Document Feeder"});
  RunUntilClosed(*all);
  EXPECT_EQ(album_.added.size(), 10u);
  EXPECT_EQ(album_.added.front(), "PIC3.bmp");
  EXPECT_EQ(album_.added.back(), "PIC12.bmp");
  EXPECT_EQ(test::NamesIn(albumDir_.path()).size(), 13u);
}

TEST_F(Acquisition, FullAlbumReportsEachPageAndTheSummary) {
  const test::Tmpfs full(albumDir_ / "full", "size=64k");
  if (!full) GTEST_SKIP() << full.skipReason();
  Album album(albumDir_ / "full");
  Configure("depth 8\n");
  auto link = Link();
  prompts_.ExpectScanDevice("test:0").ExpectScanSettings(ScanSettings{"Color", kDpi, "Automatic Document Feeder"});
  for (int i = 0; i < 2; ++i) prompts_.ExpectMessage(TwainLink::kCantWrite, kCaption, box::kOk, kAnswerOk);
  prompts_.ExpectMessage("2 out of 2 file(s) were not recognized. Recognized files have been imported.");
  ASSERT_TRUE(link->Start(&album));
  ASSERT_TRUE(link->SelectSource());
  ASSERT_TRUE(link->Acquire(2));
  RunUntilClosed(*link);
  EXPECT_TRUE(album.added.empty());
  EXPECT_TRUE(fs::is_empty(albumDir_ / "full")) << "no half file is left";
}

TEST_F(Acquisition, CancelStopsTheScanUnderWay) {
  // A page that would take minutes: 64 bytes a read, 50 ms after each.
  Configure("depth 8\nread-limit true\nread-limit-size 64\nread-delay true\nread-delay-duration 50000\n");
  auto link = Acquire({"Color", 300, "Flatbed"});
  EXPECT_EQ(prompts_.shown().back(), "scanning: test:0");
  EXPECT_FALSE(link->ProcessEvent()) << "nothing is ready yet";
  ASSERT_TRUE(prompts_.CancelScan());
  RunUntilClosed(*link);
  EXPECT_EQ(link->Transferred(), 0);
  EXPECT_TRUE(fs::is_empty(albumDir_.path()));
  EXPECT_FALSE(prompts_.CancelScan()) << "the progress window went with the scan";
}

TEST_F(Acquisition, WithoutTheLibraryTheLinkIsUnusable) {
  auto link = Link("libsane-missing.so.1");
  prompts_.ExpectMessage(TwainLink::kCantLoad, kCaption, box::kOk, kAnswerOk);
  EXPECT_FALSE(link->Start(&album_));
  EXPECT_FALSE(link->Loaded());
  EXPECT_FALSE(link->Acquire());
  EXPECT_FALSE(link->Call(kDgControl, kDatIdentity, kMsgOpenDs, nullptr));
  EXPECT_EQ(link->ReturnCode(), kRcFailure);
}

// A source manager that records the triplets and refuses a count of -1; its
// source says "transfer ready" once, then never has image information.
class RecordingManager final : public SourceManager {
 public:
  struct Call {
    TW_UINT32 group;
    TW_UINT16 dat, msg;
    bool toSource;
    TW_UINT16 itemType = 0;
    TW_UINT32 item = 0;
    bool operator==(const Call&) const = default;
  };
  TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 msg,
                  void* data) override {
    origin_ = *origin;
    Call call{group, dat, msg, destination != nullptr};
    if (dat == kDatCapability) {
      auto* value = static_cast<TW_ONEVALUE*>(static_cast<TW_CAPABILITY*>(data)->hContainer);
      if (msg == kMsgGet) *value = {kTyInt16, 7};
      call.itemType = value->ItemType;
      call.item = value->Item;
    }
    if (dat == kDatStatus) static_cast<TW_STATUS*>(data)->ConditionCode = kCcBadValue;
    calls.push_back(call);
    if (dat == kDatCapability && msg == kMsgSet && call.item == 0xFFFF) return kRcCheckStatus;
    if (dat == kDatEvent) {
      static_cast<TW_EVENT*>(data)->TWMessage = kMsgXferReady;
      return std::exchange(ready_, false) ? kRcDsEvent : kRcNotDsEvent;
    }
    if (dat == kDatImageInfo) return kRcFailure;
    return kRcSuccess;
  }
  std::vector<Call> calls;
  TW_IDENTITY origin_{};

 private:
  bool ready_ = true;
};

TEST(TwainProtocol, TripletsIdentityAndTheRefusedCount) {
  ScriptedPrompts prompts;
  auto* manager = new RecordingManager;
  TwainLink link(prompts, kCaption, [manager] { return std::unique_ptr<SourceManager>(manager); },
                 std::chrono::milliseconds(0));
  const test::TempDir dir;
  Album album(dir.path());
  ASSERT_TRUE(link.Start(&album));
  EXPECT_TRUE(link.SelectSource());
  EXPECT_TRUE(link.Acquire());
  EXPECT_EQ(link.ImageCount(), 7) << "the source's own count is set back";
  EXPECT_EQ(link.ConditionCode(), kCcBadValue);
  using C = RecordingManager::Call;
  EXPECT_EQ(manager->calls, (std::vector<C>{
                                {kDgControl, kDatParent, kMsgOpenDsm, false},
                                {kDgControl, kDatIdentity, kMsgGetDefault, false},
                                {kDgControl, kDatIdentity, kMsgUserSelect, false},
                                {kDgControl, kDatIdentity, kMsgOpenDs, false},
                                {kDgControl, kDatCapability, kMsgSet, true, kTyInt16, 0xFFFF},
                                {kDgControl, kDatStatus, kMsgGet, true},
                                {kDgControl, kDatCapability, kMsgGet, true, kTyInt16, 7},
                                {kDgControl, kDatCapability, kMsgSet, true, kTyUInt16, 7},
                                {kDgControl, kDatUserInterface, kMsgEnableDs, true},
                            }));
  const TW_IDENTITY& id = manager->origin_;
  EXPECT_EQ(id.Id, 0u);
  EXPECT_EQ((std::vector<int>{id.Version.MajorNum, id.Version.MinorNum, id.Version.Language, id.Version.Country,
                              id.ProtocolMajor, id.ProtocolMinor, int(id.SupportedGroups)}),
            (std::vector<int>{3, 5, 13, 1, 1, 8, 3}));
  EXPECT_EQ((std::vector<std::string>{id.Version.Info, id.Manufacturer, id.ProductFamily, id.ProductName}),
            (std::vector<std::string>{"3.5", "Varno", "Generic", "Twain Test"}));
  // Image information is asked a bounded number of times, then the
  // transfers are reset.
  manager->calls.clear();
  EXPECT_TRUE(link.ProcessEvent());
  const C info{kDgImage, kDatImageInfo, kMsgGet, true};
  const auto infos = std::count(manager->calls.begin(), manager->calls.end(), info);
  EXPECT_EQ(infos, TwainLink::kImageInfoTries);
  EXPECT_EQ(manager->calls.back(), (C{kDgControl, kDatPendingXfers, kMsgReset, true}));
  EXPECT_EQ(link.Transferred(), 0);
  EXPECT_FALSE(link.ProcessEvent()) << "nothing more from the source";
  manager->calls.clear();
  link.Stop();
  EXPECT_EQ(manager->calls, (std::vector<C>{{kDgControl, kDatUserInterface, kMsgDisableDs, true},
                                            {kDgControl, kDatIdentity, kMsgCloseDs, false},
                                            {kDgControl, kDatParent, kMsgCloseDsm, false}}));
}

TEST(AcquiredPictureName, TakesTheFirstFreeNumber) {
  struct Case {
    std::vector<int> present;
    const char* expected;
  };
  std::vector<int> thousand(1000);
  for (int i = 0; i < 1000; ++i) thousand[size_t(i)] = i;
  const Case cases[] = {
      {{}, "PIC0.bmp"},
      {{0, 1, 2, 3, 4}, "PIC5.bmp"},
      {{0, 1, 3, 4}, "PIC2.bmp"},
      {thousand, "PIC1000.bmp"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    for (int i : c.present) test::WriteText(dir / ("PIC" + std::to_string(i) + ".bmp"), "x");
    EXPECT_EQ(AcquiredPictureName(dir.path().string() + "/"), dir.path().string() + "/" + c.expected);
  }
}

// A bottom-up picture of `bits` with `table` (0xRRGGBB) and the rows' bytes
// (top row first, each padded to 4).
DibImage Paletted(int bits, int32_t width, const std::vector<uint32_t>& table,
                  const std::vector<std::vector<uint8_t>>& rows) {
  std::vector<uint8_t> block(40 + table.size() * 4);
  const auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&block[at], &v, 4); };  // little-endian host
  put32(0, 40);
  put32(4, uint32_t(width));
  put32(8, uint32_t(rows.size()));
  block[12] = 1;
  block[14] = uint8_t(bits);
  put32(32, uint32_t(table.size()));
  for (size_t i = 0; i < table.size(); ++i) {
    block[40 + i * 4] = uint8_t(table[i]);
    block[41 + i * 4] = uint8_t(table[i] >> 8);
    block[42 + i * 4] = uint8_t(table[i] >> 16);
  }
  for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
    block.insert(block.end(), r->begin(), r->end());
    block.resize(block.size() + (4 - r->size() % 4) % 4);
  }
  DibImage picture;
  EXPECT_TRUE(picture.Adopt(std::move(block), false));
  return picture;
}

TEST(MakeTwentyFourBit, ExpandsThroughTheTableMostSignificantBitsFirst) {
  struct Case {
    const char* name;
    int bits;
    int32_t width;
    std::vector<uint32_t> table;
    std::vector<std::vector<uint8_t>> rows;
    Pixels expected;
  };
  const uint32_t k = 0x102030, w = 0xF0E0D0;
  const Case cases[] = {
      {"1 bit", 1, 10, {k, w}, {{0b10100000, 0b01000000}, {0xFF, 0xC0}},
       {{w, k, w, k, k, k, k, k, k, w}, {w, w, w, w, w, w, w, w, w, w}}},
      {"4 bits", 4, 3, {0, 0x111111, 0x222222, 0x0000FF}, {{0x12, 0x30}}, {{0x111111, 0x222222, 0x0000FF}}},
      {"8 bits", 8, 2, {0xAA0000, 0x00BB00, 0x0000CC}, {{2, 0}, {1, 1}}, {{0x0000CC, 0xAA0000}, {0x00BB00, 0x00BB00}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DibImage picture = Paletted(c.bits, c.width, c.table, c.rows);
    ASSERT_TRUE(MakeTwentyFourBit(picture));
    EXPECT_EQ(picture.BitCount(), 24);
    EXPECT_EQ(PixelsOf(picture), c.expected);
  }
}

}  // namespace
}  // namespace lumora
