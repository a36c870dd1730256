// The settings store: first start, fallbacks, and what each reader stores.
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "tests/TempDir.h"

namespace lumora {
namespace {

using test::TempDir;

bool HasValue(Registry& reg, Hive hive, std::string_view subkey, std::string_view name, RegData* out = nullptr) {
  RegKey key;
  RegData d;
  if (reg.OpenKey(hive, subkey, key) != RegStatus::Ok) return false;
  bool ok = reg.QueryValue(key, name, d) == RegStatus::Ok;
  if (out) *out = d;
  return ok;
}

uint32_t Dword(Registry& reg, std::string_view name) {
  RegData d;
  EXPECT_TRUE(HasValue(reg, Hive::LocalMachine, AppKey, name, &d)) << name;
  EXPECT_EQ(d.type, uint32_t(RegType::Dword));
  return d.bytes.size() == 4 ? uint32_t(d.bytes[0] | d.bytes[1] << 8 | d.bytes[2] << 16 | d.bytes[3] << 24) : 0;
}

TEST(Settings, FirstStartOnAnEmptyRegistryStoresTheDefaults) {
  TempDir dir;
  Registry reg(dir.path());
  uint32_t value = 12345;
  EXPECT_FALSE(ReadMachineDword(reg, AppKey, kSortFR, value, kDefaultSortFR));
  EXPECT_EQ(value, 12345u) << "a failed read leaves the caller's value alone";
  uint32_t id = 0, left = 0, top = 0;
  EXPECT_FALSE(ReadMachineDword(reg, AppKey, kSortID, id, kDefaultSortID));
  EXPECT_FALSE(ReadMachineDword(reg, AppKey, kWindowPosLeft, left, 0));
  EXPECT_FALSE(ReadMachineDword(reg, AppKey, kWindowPosTop, top, 0));

  Registry fresh(dir.path());  // what the next start finds on disk
  EXPECT_EQ(Dword(fresh, kSortFR), 32811u);
  EXPECT_EQ(Dword(fresh, kSortID), 32771u);
  EXPECT_EQ(Dword(fresh, kWindowPosLeft), 0u);
  EXPECT_EQ(Dword(fresh, kWindowPosTop), 0u);
  EXPECT_FALSE(HasValue(fresh, Hive::LocalMachine, AppKey, kAlbumName));

  // The machine text reader stores nothing; the start-up read creates it empty.
  std::string text = "unchanged";
  EXPECT_FALSE(ReadMachineString(fresh, AppKey, kAlbumName, text, "fallback"));
  EXPECT_EQ(text, "unchanged");
  EXPECT_FALSE(HasValue(fresh, Hive::LocalMachine, AppKey, kAlbumName));
  EXPECT_EQ(ReadStartAlbumName(fresh), "");
  RegData d;
  ASSERT_TRUE(HasValue(fresh, Hive::LocalMachine, AppKey, kAlbumName, &d));
  EXPECT_EQ(d.bytes, std::vector<uint8_t>{0});

  uint32_t again = 0;
  EXPECT_TRUE(ReadMachineDword(fresh, AppKey, kSortFR, again, kDefaultSortFR));
  EXPECT_EQ(again, 32811u);
}

TEST(Settings, ReadersFailOnValuesTheyCannotHold) {
  Registry reg = Registry::InMemory();
  ASSERT_TRUE(WriteMachineString(reg, AppKey, kSortID, "32772"));  // text where a DWORD belongs
  uint32_t id = 0;
  EXPECT_FALSE(ReadMachineDword(reg, AppKey, kSortID, id, kDefaultSortID));
  EXPECT_EQ(Dword(reg, kSortID), 32771u) << "the unreadable value is replaced by the default";

  std::string longText(kSettingTextBytes, 'x');  // 1024 bytes + zero: one too many
  ASSERT_TRUE(WriteMachineString(reg, AppKey, kAlbumName, longText));
  std::string text;
  EXPECT_FALSE(ReadMachineString(reg, AppKey, kAlbumName, text, ""));
  EXPECT_EQ(ReadStartAlbumName(reg), "");
  RegData d;
  ASSERT_TRUE(HasValue(reg, Hive::LocalMachine, AppKey, kAlbumName, &d));
  EXPECT_EQ(d.bytes.size(), kSettingTextBytes + 1) << "an unreadable name is not overwritten";

  longText.pop_back();  // 1023 bytes + zero fit exactly
  ASSERT_TRUE(WriteMachineString(reg, AppKey, kAlbumName, longText));
  EXPECT_TRUE(ReadMachineString(reg, AppKey, kAlbumName, text, ""));
  EXPECT_EQ(text, longText);
}

TEST(Settings, UserReadersStoreTheirFallbacks) {
  Registry reg = Registry::InMemory();
  std::string text;
  EXPECT_FALSE(ReadUserString(reg, "Software\\quorvix\\Tool", "Name", text, "first"));
  EXPECT_TRUE(ReadUserString(reg, "Software\\quorvix\\Tool", "Name", text, "other"));
  EXPECT_EQ(text, "first");
  uint32_t n = 0;
  EXPECT_FALSE(ReadUserDword(reg, "Software\\quorvix\\Tool", "Count", n, 5));
  EXPECT_TRUE(ReadUserDword(reg, "Software\\quorvix\\Tool", "Count", n, 9));
  EXPECT_EQ(n, 5u);
  EXPECT_FALSE(HasValue(reg, Hive::LocalMachine, "Software\\quorvix\\Tool", "Count"));
  ASSERT_TRUE(WriteUserDword(reg, "Software\\quorvix\\Tool", "Count", 6));
  EXPECT_TRUE(ReadUserDword(reg, "Software\\quorvix\\Tool", "Count", n, 9));
  EXPECT_EQ(n, 6u);
}

TEST(Settings, StoredZeroOrForeignSortIdsMeanTheDefault) {
  Registry reg = Registry::InMemory();
  ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortFR, 0));
  ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortID, 0));
  SortSettings s = ReadSortSettings(reg);
  EXPECT_EQ(s.sortFR, 32811u);
  EXPECT_EQ(s.sortID, 32771u);

  ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortFR, 32812));
  ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortID, 1005));  // a button id, not a sort key
  s = ReadSortSettings(reg);
  EXPECT_EQ(s.sortFR, 32812u);
  EXPECT_EQ(s.sortID, 32771u);

  ASSERT_TRUE(WriteMachineDword(reg, AppKey, kSortID, 32773));
  EXPECT_EQ(ReadSortSettings(reg).sortID, 32773u);
}

TEST(Settings, ExitWritesRoundTripThroughTheStartReads) {
  TempDir dir;
  {
    Registry reg(dir.path());
    WriteExitSettings(reg, {{32772, 32812}, {-20, 140}, "/home/u/Lumora/Albums/Trip"});
  }
  Registry reg(dir.path());
  SortSettings s = ReadSortSettings(reg);
  EXPECT_EQ(s.sortID, 32772u);
  EXPECT_EQ(s.sortFR, 32812u);
  WindowPosition pos = ReadWindowPosition(reg);
  EXPECT_EQ(pos.left, -20);
  EXPECT_EQ(pos.top, 140);
  EXPECT_TRUE(pos.saved());
  std::string path;
  EXPECT_TRUE(ReadMachineString(reg, AppKey, kAlbumPath, path, ""));
  EXPECT_EQ(path, "/home/u/Lumora/Albums/Trip");

  // Without a current album "AlbumPath" keeps what it had.
  WriteExitSettings(reg, {{32771, 32811}, {0, 0}, ""});
  EXPECT_TRUE(ReadMachineString(reg, AppKey, kAlbumPath, path, ""));
  EXPECT_EQ(path, "/home/u/Lumora/Albums/Trip");
  EXPECT_FALSE(ReadWindowPosition(reg).saved());
}

}  // namespace
}  // namespace lumora
