// The registry: two hives of keys and typed values, each kept in a REGEDIT4
// text file ("HKEY_LOCAL_MACHINE.reg", "HKEY_CURRENT_USER.reg") in one folder.
//
// Several processes of the product line share the files. A change takes an
// exclusive advisory lock on the hive's lock file, a read a shared one (or
// none, when the folder cannot be written and holds no lock file); every
// operation re-reads the file when another process has replaced it, and every
// change is written to a temporary file, synced and renamed over the old
// file, so a crash never leaves half a file. Lines of the file that do not
// parse are skipped and everything else is kept: a copy of the file as it was
// goes aside ("<name>.bad", then ".bad.1", ...), the damage is reported once
// on stderr and the file is written again without those lines.
//
// Key paths use "\" and, like value names, compare case-insensitively and keep
// the case they were created with. Names hold no control characters.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegFile.h"

namespace lumora {

enum class Hive { LocalMachine, CurrentUser };

std::string_view HiveName(Hive hive);

enum class RegStatus {
  Ok,
  NotFound,     // key or value absent, or enumeration index past the end
  KeyDeleted,   // the open key was deleted (by this or another process)
  HasSubKeys,   // a key with sub-keys cannot be deleted
  BadArgument,  // empty or malformed path or name, or a change the file cannot hold
  IoError,      // the hive file could not be read, locked or written
};

// An open key: the hive and the path it was opened with. Cheap to copy; it
// holds no resources, so closing only marks it unusable.
struct RegKey {
  Hive hive = Hive::LocalMachine;
  std::string path;
  bool open = false;
};

struct RegData {
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
};

class Registry {
 public:
  // Keeps the hives in `folder` (created on the first change).
  explicit Registry(std::filesystem::path folder);
  // A registry that lives only in memory: the test double for code that must
  // not touch the user's files.
  static Registry InMemory();
  // A registry for display only: it reads the hives in `folder` but creates,
  // renames and writes no file (not even a lock file); damage is reported and
  // left in the file, and every change answers IoError.
  static Registry ReadOnly(std::filesystem::path folder);
  ~Registry();
  Registry(Registry&&) noexcept;
  Registry& operator=(Registry&&) noexcept;

  // $QUORVIX_REGISTRY_DIR, else $XDG_CONFIG_HOME/quorvix, else ~/.config/quorvix.
  static std::filesystem::path DefaultFolder();

  // Opens `subkey` under the hive root, creating every missing level;
  // `created` (may be null) tells whether the key itself was new. Opening an
  // existing key is a read.
  RegStatus CreateKey(Hive hive, std::string_view subkey, RegKey& key, bool* created = nullptr);
  // Opens an existing key; NotFound when it is absent.
  RegStatus OpenKey(Hive hive, std::string_view subkey, RegKey& key);

  RegStatus QueryValue(const RegKey& key, std::string_view name, RegData& out);
  RegStatus SetValue(const RegKey& key, std::string_view name, uint32_t type,
                     std::span<const uint8_t> bytes);
  RegStatus SetString(const RegKey& key, std::string_view name, std::string_view text);
  RegStatus SetDword(const RegKey& key, std::string_view name, uint32_t value);
  RegStatus DeleteValue(const RegKey& key, std::string_view name);

  // Name of the value or sub-key at `index` in stored order; NotFound past the end.
  RegStatus EnumValue(const RegKey& key, size_t index, std::string& name);
  RegStatus EnumSubKey(const RegKey& key, size_t index, std::string& name);

  // Deletes `subkey` of `key` with its values; it must have no sub-keys.
  RegStatus DeleteKey(const RegKey& key, std::string_view subkey);

  // Changes are on disk when each call returns; this only checks the key.
  RegStatus Flush(const RegKey& key);
  void Close(RegKey& key);

  // Runs `steps`, which makes calls on this registry, as one change of the
  // hive: the hive's lock is held throughout, so no other process reads or
  // changes it in between (a read-modify-write such as picking a free value
  // name is safe), and the changes are written once at the end, and only if
  // `steps` answers Ok. A transaction inside another joins it.
  RegStatus Transact(Hive hive, const std::function<RegStatus()>& steps);

  // Where a hive is stored (for messages and tests).
  std::filesystem::path HiveFile(Hive hive) const;

 private:
  Registry();
  struct HiveState;
  class HiveLock;
  template <typename Fn>
  RegStatus WithHive(Hive hive, bool change, Fn&& fn);
  RegStatus Open(Hive hive, bool change, HiveLock& lock);
  RegStatus Load(Hive hive);
  void SetDamageAside(Hive hive, HiveLock& lock);
  RegStatus Store(Hive hive);

  std::filesystem::path folder_;
  bool inMemory_ = false;
  bool readOnly_ = false;
  std::unique_ptr<HiveState> hives_[2];
};

}  // namespace lumora
