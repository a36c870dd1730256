// The file-backed registry: keys and values as the program sees them, and the
// promise that no change is ever lost, whatever other processes or a crash do.
#include "platform/Registry.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

TEST(Registry, NamesWithControlCharactersAreRefusedAndEveryTextReadsBack) {
  TempDir dir;
  Registry reg(dir.path());
  RegKey key;
  ASSERT_EQ(reg.CreateKey(Hive::CurrentUser, "Software\\quorvix\\App", key), RegStatus::Ok);
  for (const std::string& bad :
       {std::string("a\nb"), std::string("a\rb"), std::string("tab\t"), std::string("nul\0x", 5),
        std::string("\x7f"), std::string("\x1b[1m")}) {
    RegKey other;
    RegData d;
    EXPECT_EQ(reg.CreateKey(Hive::CurrentUser, "Software\\" + bad + "\\x", other), RegStatus::BadArgument);
    EXPECT_EQ(reg.OpenKey(Hive::CurrentUser, "Software\\" + bad, other), RegStatus::BadArgument);
    EXPECT_EQ(reg.DeleteKey(key, bad), RegStatus::BadArgument);
    EXPECT_EQ(reg.SetString(key, bad, "x"), RegStatus::BadArgument);
    EXPECT_EQ(reg.SetDword(key, bad, 1), RegStatus::BadArgument);
    EXPECT_EQ(reg.QueryValue(key, bad, d), RegStatus::BadArgument);
    EXPECT_EQ(reg.DeleteValue(key, bad), RegStatus::BadArgument);
  }
  // Keys as deep as the file can hold, and not one level more.
  std::string deep = "Software";
  while (SplitKeyPath(deep).size() + 1 < kMaxKeyDepth) deep += "\\k";
  RegKey deepest;
  EXPECT_EQ(reg.CreateKey(Hive::CurrentUser, deep + "\\k", deepest), RegStatus::BadArgument);
  ASSERT_EQ(reg.CreateKey(Hive::CurrentUser, deep, deepest), RegStatus::Ok);

  // Texts the quoted form cannot carry are stored so that they read back.
  const std::vector<std::string> texts = {"line1\nline2", "crlf\r\n", "tab\t\x01", "quote \" and \\", "",
                                          std::string("nul\0x", 5), "\xc3\xa9t\xc3\xa9"};
  for (size_t i = 0; i < texts.size(); ++i)
    ASSERT_EQ(reg.SetString(key, "t" + std::to_string(i), texts[i]), RegStatus::Ok);
  testing::internal::CaptureStderr();
  Registry other(dir.path());
  RegKey again;
  ASSERT_EQ(other.OpenKey(Hive::CurrentUser, "Software\\quorvix\\App", again), RegStatus::Ok);
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(Text(other, again, "t" + std::to_string(i)), texts[i]) << i;
  EXPECT_EQ(other.OpenKey(Hive::CurrentUser, deep, again), RegStatus::Ok);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Registry, ADamagedLineIsSetAsideOnceAndEverythingElseIsKept) {
  TempDir dir;
  const auto file = dir / "HKEY_LOCAL_MACHINE.reg";
  const std::string damaged =
      "REGEDIT4\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\quorvix\\Lumora\\Lumora]\n"
      "\"SortID\"=dword:00008004\n"
      "\"AlbumName\"=\"no closing quote\n"
      "\"WindowPosLeft\"=dword:00000010\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\quorvix\\Tunerec]\n"
      "\"AppPath\"=\"/opt/tv\"\n";
  WriteText(file, damaged);
  auto names = [&] {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) found.push_back(e.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  };
  auto readsTheRest = [](Registry& reg) {
    RegKey app, tunerec;
    RegData d;
    return reg.OpenKey(Hive::LocalMachine, "Software\\quorvix\\Lumora\\Lumora", app) == RegStatus::Ok &&
           reg.QueryValue(app, "SortID", d) == RegStatus::Ok && d.bytes[0] == 0x04 &&
           reg.QueryValue(app, "WindowPosLeft", d) == RegStatus::Ok && d.bytes[0] == 0x10 &&
           reg.QueryValue(app, "AlbumName", d) == RegStatus::NotFound &&
           reg.OpenKey(Hive::LocalMachine, "Software\\quorvix\\Tunerec", tunerec) == RegStatus::Ok &&
           Text(reg, tunerec, "AppPath") == "/opt/tv";
  };

  // A display-only reader reads the rest and reports, but writes nothing.
  {
    Registry view = Registry::ReadOnly(dir.path());
    testing::internal::CaptureStderr();
    EXPECT_TRUE(readsTheRest(view));
    EXPECT_TRUE(readsTheRest(view));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("damaged (1 line set aside; line 5: "), std::string::npos) << err;
    EXPECT_EQ(err.find("damaged"), err.rfind("damaged")) << "reported more than once: " << err;
    RegKey key;
    EXPECT_EQ(view.CreateKey(Hive::LocalMachine, "Software\\New", key), RegStatus::IoError);
    EXPECT_EQ(names(), std::vector<std::string>{"HKEY_LOCAL_MACHINE.reg"});
    EXPECT_EQ(ReadText(file), damaged);
  }

  // The first reader that may write keeps a copy and writes the rest again.
  Registry reg(dir.path());
  testing::internal::CaptureStderr();
  EXPECT_TRUE(readsTheRest(reg));
  EXPECT_TRUE(readsTheRest(reg));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("damaged"), std::string::npos) << err;
  EXPECT_NE(err.find(file.string() + ".bad"), std::string::npos) << err;
  EXPECT_EQ(err.find("damaged"), err.rfind("damaged")) << "reported more than once: " << err;
  EXPECT_EQ(ReadText(dir / "HKEY_LOCAL_MACHINE.reg.bad"), damaged);
  RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
  RegDamage damage;
  EXPECT_TRUE(ParseRegFile(ReadText(file), root, damage)) << ReadText(file);

  // The next reader finds a sound file: nothing to report, no second copy.
  testing::internal::CaptureStderr();
  Registry next(dir.path());
  EXPECT_TRUE(readsTheRest(next));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(names(), (std::vector<std::string>{"HKEY_LOCAL_MACHINE.reg", "HKEY_LOCAL_MACHINE.reg.bad",
                                               "HKEY_LOCAL_MACHINE.reg.lock"}));
}

TEST(Registry, AGarbageFileIsSetAsideReportedOnceAndWorkGoesOn) {
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

// Takes from this process the powers that let root read and write whatever
// the permission bits say (a process of another user has none of them).
bool DropFilePermissionOverrides() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct caps[2] = {};
  if (syscall(SYS_capget, &header, caps) != 0) return false;
  for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) caps[cap / 32].effective &= ~(1u << (cap % 32));
  return syscall(SYS_capset, &header, caps) == 0;
}

TEST(Registry, AFolderThatCannotBeWrittenIsStillRead) {
  for (bool lockFileThere : {true, false}) {
    SCOPED_TRACE(lockFileThere ? "with the lock file" : "without a lock file");
    TempDir dir;
    const auto folder = dir / "hives";
    {
      Registry reg(folder);
      RegKey key;
      ASSERT_EQ(reg.CreateKey(Hive::LocalMachine, "Software\\quorvix\\Lumora", key), RegStatus::Ok);
      ASSERT_EQ(reg.SetString(key, "AlbumName", "Trip"), RegStatus::Ok);
    }
    const auto lock = folder / "HKEY_LOCAL_MACHINE.reg.lock";
    if (!lockFileThere) std::filesystem::remove(lock);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Root writes anywhere: the child gives that up, and checks that the
      // folder really refuses it, or the test would prove nothing.
      if (!DropFilePermissionOverrides()) _exit(10);
      if (::open((folder / "probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644) >= 0 || errno != EACCES) _exit(11);
      Registry reg(folder);
      RegKey key;
      RegData d;
      if (reg.OpenKey(Hive::LocalMachine, "Software\\quorvix\\Lumora", key) != RegStatus::Ok) _exit(1);
      if (Text(reg, key, "AlbumName") != "Trip") _exit(2);
      if (reg.CreateKey(Hive::LocalMachine, "Software\\quorvix\\Lumora", key) != RegStatus::Ok) _exit(3);
      if (reg.QueryValue(key, "Missing", d) != RegStatus::NotFound) _exit(4);
      // Writes still fail as they must.
      if (reg.SetString(key, "AlbumName", "Zoo") != RegStatus::IoError) _exit(5);
      if (reg.CreateKey(Hive::LocalMachine, "Software\\New", key) != RegStatus::IoError) _exit(6);
      _exit(Text(reg, key, "AlbumName") == "Trip" ? 0 : 7);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 10) << "could not give up root's powers over files";
    EXPECT_NE(WEXITSTATUS(status), 11) << "the folder could still be written: the test proves nothing";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failed at step " << WEXITSTATUS(status);
    EXPECT_EQ(std::filesystem::exists(lock), lockFileThere);
  }
}

TEST(Registry, ATransactionIsWrittenOnceAtItsEndOrNotAtAll) {
  TempDir dir;
  for (bool inMemory : {false, true}) {
    SCOPED_TRACE(inMemory ? "in memory" : "in files");
    Registry reg = inMemory ? Registry::InMemory() : Registry(dir.path());
    RegKey key;
    ASSERT_EQ(reg.CreateKey(Hive::CurrentUser, "Software\\quorvix\\App", key), RegStatus::Ok);
    const auto file = dir / "HKEY_CURRENT_USER.reg";
    const std::string before = ReadText(file);

    EXPECT_EQ(reg.Transact(Hive::CurrentUser,
                           [&] {
                             EXPECT_EQ(reg.SetString(key, "0", "/clips/a.avi"), RegStatus::Ok);
                             EXPECT_EQ(Text(reg, key, "0"), "/clips/a.avi");
                             return RegStatus::NotFound;
                           }),
              RegStatus::NotFound);
    EXPECT_EQ(Text(reg, key, "0"), "<none>") << "a failed transaction left a change behind";

    EXPECT_EQ(reg.Transact(Hive::CurrentUser,
                           [&] {
                             EXPECT_EQ(reg.SetString(key, "0", "/clips/a.avi"), RegStatus::Ok);
                             // A transaction inside joins this one.
                             EXPECT_EQ(reg.Transact(Hive::CurrentUser,
                                                    [&] { return reg.SetDword(key, "1", 1); }),
                                       RegStatus::Ok);
                             EXPECT_EQ(ReadText(file), before) << "written before the end";
                             return RegStatus::Ok;
                           }),
              RegStatus::Ok);
    EXPECT_EQ(Text(reg, key, "0"), "/clips/a.avi");
    if (inMemory) continue;
    Registry other(dir.path());
    RegKey again;
    ASSERT_EQ(other.OpenKey(Hive::CurrentUser, "Software\\quorvix\\App", again), RegStatus::Ok);
    EXPECT_EQ(Text(other, again, "0"), "/clips/a.avi");
    RegData d;
    EXPECT_EQ(other.QueryValue(again, "1", d), RegStatus::Ok);
  }
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
