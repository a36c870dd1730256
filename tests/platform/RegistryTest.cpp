// The file-backed registry: keys and values as the program sees them, and the
// promise that no change is ever lost, whatever other processes or a crash do.
#include "platform/Registry.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include <gtest/gtest.h>

#include "tests/TempDir.h"

namespace lumora {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

std::string Text(Registry& reg, const RegKey& key, std::string_view name) {
  RegData d;
  if (reg.QueryValue(key, name, d) != RegStatus::Ok || d.bytes.empty()) return "<none>";
  return std::string(d.bytes.begin(), d.bytes.end() - 1);
}

TEST(Registry, KeysAndValuesIgnoreCaseButKeepIt) {
  TempDir dir;
  Registry reg(dir.path());
  RegKey key;
  bool created = false;
  ASSERT_EQ(reg.CreateKey(Hive::LocalMachine, "Software\\Quorvix\\Lumora", key, &created), RegStatus::Ok);
  EXPECT_TRUE(created);
  ASSERT_EQ(reg.SetString(key, "AlbumName", "Trip"), RegStatus::Ok);

  RegKey again;
  ASSERT_EQ(reg.CreateKey(Hive::LocalMachine, "SOFTWARE\\quorvix\\LUMORA", again, &created), RegStatus::Ok);
  EXPECT_FALSE(created);
  EXPECT_EQ(Text(reg, again, "albumname"), "Trip");
  ASSERT_EQ(reg.SetString(again, "ALBUMNAME", "Zoo"), RegStatus::Ok);

  std::string name;
  ASSERT_EQ(reg.EnumValue(key, 0, name), RegStatus::Ok);
  EXPECT_EQ(name, "AlbumName");  // first spelling kept
  EXPECT_EQ(reg.EnumValue(key, 1, name), RegStatus::NotFound);
  EXPECT_NE(ReadText(reg.HiveFile(Hive::LocalMachine)).find("[HKEY_LOCAL_MACHINE\\Software\\Quorvix\\Lumora]"),
            std::string::npos);
  // The other hive is separate.
  RegKey user;
  EXPECT_EQ(reg.OpenKey(Hive::CurrentUser, "Software\\Quorvix\\Lumora", user), RegStatus::NotFound);
}

TEST(Registry, EnumeratesInStoredOrderAndDeletes) {
  TempDir dir;
  Registry reg(dir.path());
  RegKey key;
  ASSERT_EQ(reg.CreateKey(Hive::CurrentUser, "Software\\quorvix\\App\\Files", key), RegStatus::Ok);
  for (const char* n : {"0", "1", "3"}) ASSERT_EQ(reg.SetString(key, n, std::string("/p/") + n), RegStatus::Ok);
  ASSERT_EQ(reg.DeleteValue(key, "1"), RegStatus::Ok);
  EXPECT_EQ(reg.DeleteValue(key, "1"), RegStatus::NotFound);
  std::vector<std::string> names;
  std::string name;
  for (size_t i = 0; reg.EnumValue(key, i, name) == RegStatus::Ok; ++i) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"0", "3"}));

  RegKey app;
  ASSERT_EQ(reg.OpenKey(Hive::CurrentUser, "Software\\quorvix\\App", app), RegStatus::Ok);
  ASSERT_EQ(reg.EnumSubKey(app, 0, name), RegStatus::Ok);
  EXPECT_EQ(name, "Files");
  RegKey parent;
  ASSERT_EQ(reg.OpenKey(Hive::CurrentUser, "Software\\quorvix", parent), RegStatus::Ok);
  EXPECT_EQ(reg.DeleteKey(parent, "App"), RegStatus::HasSubKeys);
  EXPECT_EQ(reg.DeleteKey(app, "files"), RegStatus::Ok);
  EXPECT_EQ(reg.SetString(key, "0", "x"), RegStatus::KeyDeleted);
  EXPECT_EQ(reg.QueryValue(key, "0", *std::make_unique<RegData>()), RegStatus::KeyDeleted);
  EXPECT_EQ(reg.DeleteKey(parent, "App"), RegStatus::Ok);
}

TEST(Registry, ReadingAnEmptyFolderCreatesNoFiles) {
  TempDir dir;
  Registry reg(dir / "not-yet");
  RegKey key;
  EXPECT_EQ(reg.OpenKey(Hive::LocalMachine, "Software", key), RegStatus::NotFound);
  EXPECT_FALSE(std::filesystem::exists(dir / "not-yet"));
  ASSERT_EQ(reg.CreateKey(Hive::LocalMachine, "Software", key), RegStatus::Ok);
  EXPECT_TRUE(std::filesystem::exists(reg.HiveFile(Hive::LocalMachine)));
}

TEST(Registry, SeesChangesMadeByAnotherInstance) {
  TempDir dir;
  Registry a(dir.path()), b(dir.path());
  RegKey ka, kb;
  ASSERT_EQ(a.CreateKey(Hive::LocalMachine, "Software\\quorvix\\Lumora", ka), RegStatus::Ok);
  ASSERT_EQ(a.SetString(ka, "Topmost", "Remocon"), RegStatus::Ok);
  ASSERT_EQ(b.OpenKey(Hive::LocalMachine, "Software\\quorvix\\Lumora", kb), RegStatus::Ok);
  EXPECT_EQ(Text(b, kb, "Topmost"), "Remocon");
  ASSERT_EQ(b.SetString(kb, "Topmost", "Max"), RegStatus::Ok);
  EXPECT_EQ(Text(a, ka, "Topmost"), "Max");
  // a's next write starts from b's change instead of overwriting it.
  ASSERT_EQ(a.SetDword(ka, "Other", 1), RegStatus::Ok);
  EXPECT_EQ(Text(b, kb, "Topmost"), "Max");
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNothing) {
  TempDir dir;
  constexpr int kWrites = 150;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      Registry reg(dir.path());
      RegKey key;
      bool ok = reg.CreateKey(Hive::LocalMachine, "Software\\quorvix\\Shared", key) == RegStatus::Ok;
      for (int i = 0; ok && i < kWrites; ++i)
        ok = reg.SetDword(key, "p" + std::to_string(c) + "_" + std::to_string(i), uint32_t(i)) == RegStatus::Ok;
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  Registry reg(dir.path());
  RegKey key;
  ASSERT_EQ(reg.OpenKey(Hive::LocalMachine, "Software\\quorvix\\Shared", key), RegStatus::Ok);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kWrites; ++i) {
      RegData d;
      ASSERT_EQ(reg.QueryValue(key, "p" + std::to_string(c) + "_" + std::to_string(i), d), RegStatus::Ok)
          << c << " " << i;
      EXPECT_EQ(d.bytes[0], uint8_t(i));
    }
}

TEST(Registry, AWriteCutShortLeavesTheOldFileIntact) {
  TempDir dir;
  Registry reg(dir.path());
  RegKey key;
  ASSERT_EQ(reg.CreateKey(Hive::LocalMachine, "Software\\quorvix\\Lumora\\Lumora", key), RegStatus::Ok);
  ASSERT_EQ(reg.SetDword(key, "SortID", 32772), RegStatus::Ok);
  const auto file = dir / "HKEY_LOCAL_MACHINE.reg";
  const std::string before = ReadText(file);

  // No file may grow past the old hive's size, as on a full disk: the save
  // fails part way through writing the new hive.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const rlimit cut{before.size() + 16, saved.rlim_max};
  auto* savedHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &cut), 0);
  const RegStatus status = reg.SetString(key, "AlbumPath", std::string(4096, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedHandler);

  EXPECT_EQ(status, RegStatus::IoError);
  EXPECT_EQ(ReadText(file), before);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"HKEY_LOCAL_MACHINE.reg", "HKEY_LOCAL_MACHINE.reg.lock"}))
      << "a temporary file was left behind";
  // The failed change is gone from memory too, and the next one is stored.
  EXPECT_EQ(Text(reg, key, "AlbumPath"), "<none>");
  EXPECT_EQ(reg.SetDword(key, "SortFR", 32812), RegStatus::Ok);
  Registry other(dir.path());
  RegKey again;
  ASSERT_EQ(other.OpenKey(Hive::LocalMachine, "Software\\quorvix\\Lumora\\Lumora", again), RegStatus::Ok);
  RegData d;
  ASSERT_EQ(other.QueryValue(again, "SortID", d), RegStatus::Ok);
  EXPECT_EQ(d.bytes, (std::vector<uint8_t>{0x04, 0x80, 0, 0}));
  EXPECT_EQ(other.QueryValue(again, "SortFR", d), RegStatus::Ok);
}

TEST(Registry, AGarbageFileIsMovedAsideReportedOnceAndWorkGoesOn) {
  TempDir dir;
  const auto file = dir / "HKEY_LOCAL_MACHINE.reg";
  WriteText(file, "\x7f" "ELF not a registry");
  Registry reg(dir.path());
  RegKey key;
  testing::internal::CaptureStderr();
  EXPECT_EQ(reg.OpenKey(Hive::LocalMachine, "Software", key), RegStatus::NotFound);
  ASSERT_EQ(reg.CreateKey(Hive::LocalMachine, "Software", key), RegStatus::Ok);
  ASSERT_EQ(reg.SetString(key, "v", "new"), RegStatus::Ok);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("damaged"), std::string::npos) << err;
  EXPECT_EQ(err.find("damaged"), err.rfind("damaged")) << "reported more than once: " << err;
  EXPECT_EQ(ReadText(dir / "HKEY_LOCAL_MACHINE.reg.bad"), "\x7f" "ELF not a registry");
  EXPECT_EQ(Text(reg, key, "v"), "new");

  // A second damaged file does not overwrite the first one kept aside.
  WriteText(file, "junk again");
  testing::internal::CaptureStderr();
  EXPECT_EQ(reg.OpenKey(Hive::LocalMachine, "Software", key), RegStatus::NotFound);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReadText(dir / "HKEY_LOCAL_MACHINE.reg.bad"), "\x7f" "ELF not a registry");
  EXPECT_EQ(ReadText(dir / "HKEY_LOCAL_MACHINE.reg.bad.1"), "junk again");
}

TEST(Registry, InMemoryDoubleBehavesLikeTheFileStore) {
  Registry reg = Registry::InMemory();
  RegKey key;
  bool created = false;
  ASSERT_EQ(reg.CreateKey(Hive::LocalMachine, "A\\B", key, &created), RegStatus::Ok);
  EXPECT_TRUE(created);
  ASSERT_EQ(reg.SetDword(key, "x", 7), RegStatus::Ok);
  RegData d;
  ASSERT_EQ(reg.QueryValue(key, "X", d), RegStatus::Ok);
  EXPECT_EQ(d.type, uint32_t(RegType::Dword));
}

TEST(Registry, DefaultFolderFollowsTheEnvironment) {
  const char* saved = getenv("QUORVIX_REGISTRY_DIR");
  std::string keep = saved ? saved : "";
  setenv("QUORVIX_REGISTRY_DIR", "/some/where", 1);
  EXPECT_EQ(Registry::DefaultFolder(), "/some/where");
  unsetenv("QUORVIX_REGISTRY_DIR");
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ(Registry::DefaultFolder(), "/xdg/quorvix");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(Registry::DefaultFolder(), "/home/u/.config/quorvix");
  if (saved) setenv("QUORVIX_REGISTRY_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace lumora
