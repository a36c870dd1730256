// File-backed registry hives shared safely between processes.
#include "platform/Registry.h"

#include "platform/AtomicFile.h"
#include "platform/FileCopy.h"
#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lumora {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxKeyNameBytes = 255;
// Copies of damaged hive files kept side by side before no more are made.
constexpr int kMaxBadCopies = 100;

// Identifies one version of a hive file: a rename gives a new inode, a rewrite
// in place a new time or size.
struct FileSignature {
  dev_t dev = 0;
  ino_t ino = 0;
  int64_t mtimeNs = 0;
  off_t size = -1;
  bool operator==(const FileSignature&) const = default;
};

FileSignature SignatureOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, st.st_size};
}

RegKeyNode* FindKey(RegKeyNode& root, std::string_view path) {
  RegKeyNode* node = &root;
  for (auto part : SplitKeyPath(path)) {
    node = node->Child(part);
    if (!node) return nullptr;
  }
  return node;
}

// Names are text: control characters (line breaks above all) have no place
// in them.
bool ValidName(std::string_view name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  return true;
}

// A key path below the hive's own level.
bool ValidPath(std::string_view path) {
  auto parts = SplitKeyPath(path);
  if (parts.size() >= kMaxKeyDepth) return false;
  for (auto p : parts)
    if (p.size() > kMaxKeyNameBytes || !ValidName(p)) return false;
  return true;
}

bool CannotCreateIn(int error) { return error == EACCES || error == EPERM || error == EROFS; }

}  // namespace

// The hive's lock file, held exclusively for a change and shared for a read.
// A read goes on without it when it is missing and cannot be made.
class Registry::HiveLock {
 public:
  RegStatus Take(const fs::path& path, bool exclusive, bool mayCreate) {
    fd_ = OpenFd(path, (exclusive ? O_RDWR : O_RDONLY) | (mayCreate ? O_CREAT : 0), 0644);
    if (!fd_) return !exclusive && (errno == ENOENT || CannotCreateIn(errno)) ? RegStatus::Ok : RegStatus::IoError;
    exclusive_ = exclusive;
    return Lock();
  }
  // Turns a shared lock into an exclusive one. The shared lock is let go
  // first, so the hive file must be looked at again. False without a lock
  // file to hold.
  bool MakeExclusive() {
    if (!fd_) return false;
    if (exclusive_) return true;
    exclusive_ = true;
    return Lock() == RegStatus::Ok;
  }
 private:
  RegStatus Lock() {
    while (::flock(fd_.get(), exclusive_ ? LOCK_EX : LOCK_SH) != 0)
      if (errno != EINTR) return RegStatus::IoError;
    return RegStatus::Ok;
  }

  UniqueFd fd_;
  bool exclusive_ = false;
};

struct Registry::HiveState {
  RegKeyNode root;
  FileSignature signature;
  bool loaded = false;
  // What reading this version of the file set aside, and whether that was
  // dealt with (reported, and the file repaired when it could be).
  RegDamage damage;
  bool damageHandled = false;
  // While a transaction holds the hive's lock, operations skip locking and
  // loading, and what they change is written when it ends.
  bool inTransaction = false;
  bool changedInTransaction = false;
};

std::string_view HiveName(Hive hive) {
  return hive == Hive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

Registry::Registry() {
  for (Hive h : {Hive::LocalMachine, Hive::CurrentUser}) {
    auto& state = hives_[int(h)];
    state = std::make_unique<HiveState>();
    state->root.name = std::string(HiveName(h));
  }
}

Registry::Registry(fs::path folder) : Registry() { folder_ = std::move(folder); }

Registry Registry::InMemory() {
  Registry r;
  r.inMemory_ = true;
  return r;
}

Registry Registry::ReadOnly(fs::path folder) {
  Registry r(std::move(folder));
  r.readOnly_ = true;
  return r;
}

Registry::~Registry() = default;
Registry::Registry(Registry&&) noexcept = default;
Registry& Registry::operator=(Registry&&) noexcept = default;

fs::path Registry::DefaultFolder() {
  if (const char* dir = std::getenv("QUORVIX_REGISTRY_DIR"); dir && *dir) return dir;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return fs::path(xdg) / "quorvix";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".config" / "quorvix";
}

fs::path Registry::HiveFile(Hive hive) const {
  return folder_ / (std::string(HiveName(hive)) + ".reg");
}

// Brings the hive in memory up to the file's current version.
RegStatus Registry::Load(Hive hive) {
  HiveState& state = *hives_[int(hive)];
  const fs::path file = HiveFile(hive);
  const UniqueFd in = OpenFd(file, O_RDONLY);
  struct stat st {};
  if (!in || ::fstat(in.get(), &st) != 0) {
    if (errno != ENOENT) return RegStatus::IoError;
    state.root.values.clear();
    state.root.children.clear();
    state.signature = {};
    state.damage = {};
    state.loaded = true;
    return RegStatus::Ok;
  }
  const FileSignature signature = SignatureOf(st);
  if (state.loaded && signature == state.signature) return RegStatus::Ok;
  std::string text;
  // A file over the limit is read one byte past it, and the parser refuses it.
  if (const int error = ReadToEnd(in.get(), kMaxRegFileBytes, text); error != 0 && error != EFBIG)
    return RegStatus::IoError;
  ParseRegFile(text, state.root, state.damage);
  state.damageHandled = false;
  state.signature = signature;
  state.loaded = true;
  return RegStatus::Ok;
}

// Keeps a copy of a damaged hive file as it is, then writes the file again
// from what could be read, so the damage is found and reported only once.
// Without a copy the file is left as it is: a display-only registry, or one
// that cannot lock or write the folder, only reports.
void Registry::SetDamageAside(Hive hive, HiveLock& lock) {
  HiveState& state = *hives_[int(hive)];
  const fs::path file = HiveFile(hive);
  std::string copy;
  if (!readOnly_ && lock.MakeExclusive()) {
    // Another process may have replaced the file while the lock was let go.
    if (Load(hive) != RegStatus::Ok || state.damage.lines == 0 || state.damageHandled) return;
    for (int n = 0; n < kMaxBadCopies && copy.empty(); ++n) {
      std::string bad = file.string() + (n == 0 ? ".bad" : ".bad." + std::to_string(n));
      const FileOp made = CopyNoReplace(file.string(), bad);
      if (made)
        copy = std::move(bad);
      else if (made.status != FileOpStatus::Exists)
        break;
    }
  }
  const RegDamage damage = state.damage;
  if (!copy.empty()) {
    if (Store(hive) == RegStatus::Ok) {
      state.damage = {};
    } else {
      // The file is as it was, and so is the hive in memory.
      ::unlink(copy.c_str());
      copy.clear();
      state.loaded = true;
    }
  }
  state.damageHandled = true;
  std::string message = "lumora: registry file " + file.string() + " is damaged (" +
                        std::to_string(damage.lines) + (damage.lines == 1 ? " line" : " lines") +
                        " set aside; " +
                        (damage.first.line ? "line " + std::to_string(damage.first.line) : "the whole file") +
                        ": " + damage.first.reason + "); ";
  message += copy.empty() ? "read the rest" : "kept the file as it was in " + copy + " and read the rest";
  std::fprintf(stderr, "%s\n", message.c_str());
}

// Takes the hive's lock (exclusively for a change) and loads the file.
RegStatus Registry::Open(Hive hive, bool change, HiveLock& lock) {
  fs::path lockPath = HiveFile(hive);
  lockPath += ".lock";
  RegStatus status = lock.Take(lockPath, change, !readOnly_);
  if (status == RegStatus::Ok) status = Load(hive);
  const HiveState& state = *hives_[int(hive)];
  if (status == RegStatus::Ok && state.damage.lines > 0 && !state.damageHandled) SetDamageAside(hive, lock);
  return status;
}

// Writes the hive in memory to its file.
RegStatus Registry::Store(Hive hive) {
  HiveState& state = *hives_[int(hive)];
  const fs::path file = HiveFile(hive);
  const std::optional<std::string> text = FormatRegFile(state.root);
  if (!text || !ReplaceFileWith(file, {std::span(reinterpret_cast<const uint8_t*>(text->data()), text->size())})) {
    state.loaded = false;  // memory is ahead of the file: re-read next time
    return text ? RegStatus::IoError : RegStatus::BadArgument;
  }
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0)
    state.signature = SignatureOf(st);
  else
    state.loaded = false;
  return RegStatus::Ok;
}

// Runs `fn(root, changed)` on the current contents of the hive under the
// hive's lock, and writes the hive back when `fn` reports a change.
template <typename Fn>
RegStatus Registry::WithHive(Hive hive, bool change, Fn&& fn) {
  HiveState& state = *hives_[int(hive)];
  bool changed = false;
  if (inMemory_ || state.inTransaction) {
    // The transaction holds the lock and writes at its end.
    const RegStatus status = fn(state.root, changed);
    if (changed) state.changedInTransaction = true;
    return status;
  }
  if (change && readOnly_) return RegStatus::IoError;

  std::error_code ec;
  if (!fs::exists(folder_, ec)) {
    if (!change) {
      // Nothing stored yet: answer from an empty hive without creating files.
      RegKeyNode empty{state.root.name, {}, {}};
      return fn(empty, changed);
    }
    fs::create_directories(folder_, ec);
    if (ec) return RegStatus::IoError;
  }

  HiveLock lock;
  if (const RegStatus status = Open(hive, change, lock); status != RegStatus::Ok) return status;
  const RegStatus status = fn(state.root, changed);
  if (!changed) return status;
  const RegStatus stored = Store(hive);
  return stored == RegStatus::Ok ? status : stored;
}

RegStatus Registry::Transact(Hive hive, const std::function<RegStatus()>& steps) {
  HiveState& state = *hives_[int(hive)];
  if (state.inTransaction) return steps();
  if (readOnly_) return RegStatus::IoError;
  HiveLock lock;
  if (!inMemory_) {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) return RegStatus::IoError;
    if (const RegStatus status = Open(hive, true, lock); status != RegStatus::Ok) return status;
  }
  RegKeyNode before = state.root;
  state.inTransaction = true;
  state.changedInTransaction = false;
  const RegStatus status = steps();
  state.inTransaction = false;
  if (status != RegStatus::Ok) {
    state.root = std::move(before);
    return status;
  }
  return state.changedInTransaction && !inMemory_ ? Store(hive) : RegStatus::Ok;
}

RegStatus Registry::CreateKey(Hive hive, std::string_view subkey, RegKey& key, bool* created) {
  if (!ValidPath(subkey)) return RegStatus::BadArgument;
  bool wasCreated = false;
  // An existing key is only read, so it opens where the folder is read-only.
  RegStatus status = WithHive(hive, false, [&](RegKeyNode& root, bool&) {
    return FindKey(root, subkey) ? RegStatus::Ok : RegStatus::NotFound;
  });
  if (status == RegStatus::NotFound) {
    status = WithHive(hive, true, [&](RegKeyNode& root, bool& changed) {
      RegKeyNode* node = &root;
      for (auto part : SplitKeyPath(subkey)) {
        RegKeyNode* child = node->Child(part);
        if (!child) {
          node->children.push_back(RegKeyNode{std::string(part), {}, {}});
          child = &node->children.back();
          changed = true;
          wasCreated = true;
        } else {
          wasCreated = false;
        }
        node = child;
      }
      return RegStatus::Ok;
    });
  }
  if (status != RegStatus::Ok) return status;
  key = RegKey{hive, std::string(subkey), true};
  if (created) *created = wasCreated;
  return RegStatus::Ok;
}

RegStatus Registry::OpenKey(Hive hive, std::string_view subkey, RegKey& key) {
  if (!ValidPath(subkey)) return RegStatus::BadArgument;
  RegStatus status = WithHive(hive, false, [&](RegKeyNode& root, bool&) {
    return FindKey(root, subkey) ? RegStatus::Ok : RegStatus::NotFound;
  });
  if (status == RegStatus::Ok) key = RegKey{hive, std::string(subkey), true};
  return status;
}

RegStatus Registry::QueryValue(const RegKey& key, std::string_view name, RegData& out) {
  if (!key.open || !ValidName(name)) return RegStatus::BadArgument;
  return WithHive(key.hive, false, [&](RegKeyNode& root, bool&) {
    RegKeyNode* node = FindKey(root, key.path);
    if (!node) return RegStatus::KeyDeleted;
    const RegValue* v = node->Value(name);
    if (!v) return RegStatus::NotFound;
    out.type = v->type;
    out.bytes = v->data;
    return RegStatus::Ok;
  });
}

RegStatus Registry::SetValue(const RegKey& key, std::string_view name, uint32_t type,
                             std::span<const uint8_t> bytes) {
  if (!key.open || !ValidName(name)) return RegStatus::BadArgument;
  return WithHive(key.hive, true, [&](RegKeyNode& root, bool& changed) {
    RegKeyNode* node = FindKey(root, key.path);
    if (!node) return RegStatus::KeyDeleted;
    RegValue* v = node->Value(name);
    if (!v) {
      node->values.push_back(RegValue{std::string(name), 0, {}, {}});
      v = &node->values.back();
    }
    v->type = type;
    v->data.assign(bytes.begin(), bytes.end());
    v->rawText.clear();
    changed = true;
    return RegStatus::Ok;
  });
}

RegStatus Registry::SetString(const RegKey& key, std::string_view name, std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return SetValue(key, name, uint32_t(RegType::String), bytes);
}

RegStatus Registry::SetDword(const RegKey& key, std::string_view name, uint32_t value) {
  const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                            uint8_t(value >> 24)};
  return SetValue(key, name, uint32_t(RegType::Dword), bytes);
}

RegStatus Registry::DeleteValue(const RegKey& key, std::string_view name) {
  if (!key.open || !ValidName(name)) return RegStatus::BadArgument;
  return WithHive(key.hive, true, [&](RegKeyNode& root, bool& changed) {
    RegKeyNode* node = FindKey(root, key.path);
    if (!node) return RegStatus::KeyDeleted;
    RegValue* v = node->Value(name);
    if (!v) return RegStatus::NotFound;
    node->values.erase(node->values.begin() + (v - node->values.data()));
    changed = true;
    return RegStatus::Ok;
  });
}

RegStatus Registry::EnumValue(const RegKey& key, size_t index, std::string& name) {
  if (!key.open) return RegStatus::BadArgument;
  return WithHive(key.hive, false, [&](RegKeyNode& root, bool&) {
    RegKeyNode* node = FindKey(root, key.path);
    if (!node) return RegStatus::KeyDeleted;
    if (index >= node->values.size()) return RegStatus::NotFound;
    name = node->values[index].name;
    return RegStatus::Ok;
  });
}

RegStatus Registry::EnumSubKey(const RegKey& key, size_t index, std::string& name) {
  if (!key.open) return RegStatus::BadArgument;
  return WithHive(key.hive, false, [&](RegKeyNode& root, bool&) {
    RegKeyNode* node = FindKey(root, key.path);
    if (!node) return RegStatus::KeyDeleted;
    if (index >= node->children.size()) return RegStatus::NotFound;
    name = node->children[index].name;
    return RegStatus::Ok;
  });
}

RegStatus Registry::DeleteKey(const RegKey& key, std::string_view subkey) {
  if (!key.open || !ValidPath(subkey)) return RegStatus::BadArgument;
  auto parts = SplitKeyPath(subkey);
  if (parts.empty()) return RegStatus::BadArgument;
  return WithHive(key.hive, true, [&](RegKeyNode& root, bool& changed) {
    RegKeyNode* parent = FindKey(root, key.path);
    if (!parent) return RegStatus::KeyDeleted;
    for (size_t i = 0; i + 1 < parts.size() && parent; ++i) parent = parent->Child(parts[i]);
    RegKeyNode* target = parent ? parent->Child(parts.back()) : nullptr;
    if (!target) return RegStatus::NotFound;
    if (!target->children.empty()) return RegStatus::HasSubKeys;
    parent->children.erase(parent->children.begin() + (target - parent->children.data()));
    changed = true;
    return RegStatus::Ok;
  });
}

RegStatus Registry::Flush(const RegKey& key) {
  if (!key.open) return RegStatus::BadArgument;
  return WithHive(key.hive, false, [&](RegKeyNode& root, bool&) {
    return FindKey(root, key.path) ? RegStatus::Ok : RegStatus::KeyDeleted;
  });
}

void Registry::Close(RegKey& key) { key.open = false; }

}  // namespace lumora
