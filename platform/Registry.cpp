// File-backed registry hives shared safely between processes.
#include "platform/Registry.h"

#include "platform/AtomicFile.h"

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

// Identifies one version of a hive file: a rename gives a new inode, a rewrite
// in place a new time or size.
struct FileSignature {
  dev_t dev = 0;
  ino_t ino = 0;
  int64_t mtimeNs = 0;
  off_t size = -1;
  bool operator==(const FileSignature&) const = default;
};

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool ReadAll(int fd, std::string& out) {
  out.clear();
  char buf[65536];
  while (true) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    out.append(buf, size_t(n));
    if (out.size() > kMaxRegFileBytes) return true;  // the parser refuses it
  }
}

RegKeyNode* FindKey(RegKeyNode& root, std::string_view path) {
  RegKeyNode* node = &root;
  for (auto part : SplitKeyPath(path)) {
    node = node->Child(part);
    if (!node) return nullptr;
  }
  return node;
}

bool ValidPath(std::string_view path) {
  auto parts = SplitKeyPath(path);
  if (parts.size() > kMaxKeyDepth) return false;
  for (auto p : parts)
    if (p.size() > kMaxKeyNameBytes) return false;
  return true;
}

}  // namespace

struct Registry::HiveState {
  RegKeyNode root;
  FileSignature signature;
  bool loaded = false;
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

// Runs `fn(root, changed)` on the current contents of the hive under the
// hive's lock, and writes the hive back when `fn` reports a change.
template <typename Fn>
RegStatus Registry::WithHive(Hive hive, bool change, Fn&& fn) {
  HiveState& state = *hives_[int(hive)];
  if (inMemory_) {
    bool changed = false;
    return fn(state.root, changed);
  }

  std::error_code ec;
  if (!fs::exists(folder_, ec)) {
    if (!change) {
      // Nothing stored yet: answer from an empty hive without creating files.
      RegKeyNode empty{state.root.name, {}, {}};
      bool changed = false;
      return fn(empty, changed);
    }
    fs::create_directories(folder_, ec);
    if (ec) return RegStatus::IoError;
  }

  const fs::path file = HiveFile(hive);
  fs::path lockPath = file;
  lockPath += ".lock";
  UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock.get() < 0) return RegStatus::IoError;
  while (::flock(lock.get(), LOCK_EX) != 0)
    if (errno != EINTR) return RegStatus::IoError;

  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) {
    if (errno != ENOENT) return RegStatus::IoError;
    state.root.values.clear();
    state.root.children.clear();
    state.signature = {};
    state.loaded = true;
  } else {
    FileSignature sig{st.st_dev, st.st_ino, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                      st.st_size};
    if (!state.loaded || !(sig == state.signature)) {
      UniqueFd in(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
      std::string text;
      if (in.get() < 0 || !ReadAll(in.get(), text)) return RegStatus::IoError;
      RegParseError error;
      if (ParseRegFile(text, state.root, error)) {
        state.signature = sig;
      } else {
        // Keep the damaged file for the user, under a name nothing overwrites.
        fs::path bad = file;
        bad += ".bad";
        for (int n = 1; fs::exists(bad, ec); ++n) {
          bad = file;
          bad += ".bad." + std::to_string(n);
        }
        std::fprintf(stderr,
                     "lumora: registry file %s is damaged (line %zu: %s); moved it to %s and "
                     "started the hive afresh\n",
                     file.c_str(), error.line, error.reason.c_str(), bad.c_str());
        if (::rename(file.c_str(), bad.c_str()) != 0) return RegStatus::IoError;
        state.root.values.clear();
        state.root.children.clear();
        state.signature = {};
      }
      state.loaded = true;
    }
  }

  bool changed = false;
  RegStatus status = fn(state.root, changed);
  if (!changed) return status;
  const std::string text = FormatRegFile(state.root);
  if (!ReplaceFileWith(file, {std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())})) {
    state.loaded = false;  // memory is ahead of the file: re-read next time
    return RegStatus::IoError;
  }
  if (::stat(file.c_str(), &st) == 0)
    state.signature = {st.st_dev, st.st_ino,
                       int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, st.st_size};
  else
    state.loaded = false;
  return status;
}

RegStatus Registry::CreateKey(Hive hive, std::string_view subkey, RegKey& key, bool* created) {
  if (!ValidPath(subkey)) return RegStatus::BadArgument;
  bool wasCreated = false;
  RegStatus status = WithHive(hive, true, [&](RegKeyNode& root, bool& changed) {
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
  if (!key.open) return RegStatus::BadArgument;
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
  if (!key.open) return RegStatus::BadArgument;
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
  if (!key.open) return RegStatus::BadArgument;
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
