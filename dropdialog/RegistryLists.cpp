// Per-program file lists in the registry: the values "0", "1", ... of the key
// "Software\quorvix\<program>[\<sub-key>]\Files", each a full file path.
#include "dropdialog/QvDropDialog.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <system_error>

#include "platform/Desktop.h"
#include "platform/Paths.h"

using lumora::RegKey;
using lumora::RegStatus;

namespace {

constexpr std::string_view kListsRoot = "Software\\quorvix\\";
constexpr std::string_view kFilesKey = "Files";
// Value names are decimal numbers without leading zeros.
constexpr std::size_t kMaxValueNumberDigits = 9;

struct ListedFile {
  std::string valueName;
  std::string path;  // empty for a value that is not text
};

std::string FilesPath(const RegKey& key) { return key.path + "\\" + std::string(kFilesKey); }

bool OpenFiles(lumora::Registry& registry, const RegKey& key, RegKey& files) {
  if (!key.open) return false;
  return registry.OpenKey(key.hive, FilesPath(key), files) == RegStatus::Ok;
}

// Every value of "Files" in stored order, with the text of the string values.
std::vector<ListedFile> ListFiles(lumora::Registry& registry, const RegKey& files) {
  std::vector<ListedFile> listed;
  std::string name;
  for (std::size_t index = 0; registry.EnumValue(files, index, name) == RegStatus::Ok; ++index) {
    ListedFile file{name, {}};
    lumora::RegData data;
    if (registry.QueryValue(files, name, data) == RegStatus::Ok &&
        data.type == std::uint32_t(lumora::RegType::String)) {
      const auto end = std::find(data.bytes.begin(), data.bytes.end(), std::uint8_t(0));
      file.path.assign(data.bytes.begin(), end);
    }
    listed.push_back(std::move(file));
  }
  return listed;
}

std::optional<std::uint32_t> ValueNumber(std::string_view name) {
  if (name.empty() || name.size() > kMaxValueNumberDigits) return std::nullopt;
  if (name.size() > 1 && name[0] == '0') return std::nullopt;
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
  if (error != std::errc() || end != name.data() + name.size()) return std::nullopt;
  return number;
}

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  // A dangling link or an unreadable entry still takes the name.
  return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found;
}

void DeleteFile(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace

RegKey QvDropDialog::RegOpen(std::string_view subKey, std::string_view programName, bool machine) {
  std::string path(kListsRoot);
  path += programName.empty() ? desktop().ProgramPath().filename().string() : std::string(programName);
  if (!subKey.empty()) {
    path += '\\';
    path += subKey;
  }
  RegKey key;
  const lumora::Hive hive = machine ? lumora::Hive::LocalMachine : lumora::Hive::CurrentUser;
  if (registry().CreateKey(hive, path, key) != RegStatus::Ok) return RegKey{};
  return key;
}

std::string QvDropDialog::RegAllocFilePath(std::string_view folder, std::string_view title,
                                           std::string_view extension) {
  const std::string stem = std::string(folder) + "/" + std::string(title);
  const std::string dotExtension = "." + std::string(extension);
  std::string candidate = stem + dotExtension;
  if (!Exists(candidate)) return candidate;
  for (int number = 2; number <= kMaxAllocNumber; ++number) {
    candidate = stem + std::to_string(number) + dotExtension;
    if (!Exists(candidate)) return candidate;
  }
  return {};
}

bool QvDropDialog::RegAddFilePath(const RegKey& key, std::string_view path) {
  if (!key.open) return false;
  // Reading the list and storing the path under a free number is one step for
  // other processes, so two adding at once never take the same number.
  bool listed = false;
  const RegStatus status = registry().Transact(key.hive, [&] {
    RegKey files;
    if (const RegStatus created = registry().CreateKey(key.hive, FilesPath(key), files); created != RegStatus::Ok)
      return created;
    std::set<std::uint32_t> used;
    for (const ListedFile& file : ListFiles(registry(), files)) {
      if (!file.path.empty() && lumora::EqualsIgnoreCase(file.path, path)) {
        listed = true;
        return RegStatus::Ok;
      }
      if (const auto number = ValueNumber(file.valueName)) used.insert(*number);
    }
    std::uint32_t number = 0;
    while (used.count(number)) ++number;
    return registry().SetString(files, std::to_string(number), path);
  });
  return status == RegStatus::Ok && !listed;
}

bool QvDropDialog::RegDeleteFilePath(const RegKey& key, std::string_view path, bool deleteFile) {
  if (!key.open) return false;
  // Finding the path's value and deleting it is one step for other processes,
  // so a value renumbered in between is never the one deleted.
  std::string listedPath;
  const RegStatus status = registry().Transact(key.hive, [&] {
    RegKey files;
    if (!OpenFiles(registry(), key, files)) return RegStatus::NotFound;
    for (const ListedFile& file : ListFiles(registry(), files)) {
      if (file.path.empty() || !lumora::EqualsIgnoreCase(file.path, path)) continue;
      listedPath = file.path;
      return registry().DeleteValue(files, file.valueName);
    }
    return RegStatus::NotFound;
  });
  if (status != RegStatus::Ok) return false;
  if (deleteFile) DeleteFile(listedPath);
  return true;
}

bool QvDropDialog::RegReadAllFiles(const RegKey& key, std::vector<std::string>& paths) {
  RegKey files;
  if (!OpenFiles(registry(), key, files)) return false;
  for (ListedFile& file : ListFiles(registry(), files))
    if (!file.path.empty()) paths.push_back(std::move(file.path));
  return true;
}

bool QvDropDialog::RegDeleteAllFiles(const RegKey& key, bool deleteFile) {
  RegKey files;
  if (!OpenFiles(registry(), key, files)) return false;
  for (const ListedFile& file : ListFiles(registry(), files)) {
    registry().DeleteValue(files, file.valueName);
    if (deleteFile && !file.path.empty()) DeleteFile(file.path);
  }
  return true;
}

void QvDropDialog::RegClose(RegKey& key) { registry().Close(key); }
