// The settings store over the registry.
#include "settings/Settings.h"

#include <cstring>

namespace lumora {

namespace {

bool WriteDword(Registry& reg, Hive hive, std::string_view subkey, std::string_view name, uint32_t value) {
  RegKey key;
  if (reg.CreateKey(hive, subkey, key) != RegStatus::Ok) return false;
  bool ok = reg.SetDword(key, name, value) == RegStatus::Ok && reg.Flush(key) == RegStatus::Ok;
  reg.Close(key);
  return ok;
}

bool WriteString(Registry& reg, Hive hive, std::string_view subkey, std::string_view name,
                 std::string_view text) {
  RegKey key;
  if (reg.CreateKey(hive, subkey, key) != RegStatus::Ok) return false;
  bool ok = reg.SetString(key, name, text) == RegStatus::Ok && reg.Flush(key) == RegStatus::Ok;
  reg.Close(key);
  return ok;
}

// Opens the key (creating it) and queries the value; fails when the key was
// new, since a new key holds no values.
bool Query(Registry& reg, Hive hive, std::string_view subkey, std::string_view name, RegData& data) {
  RegKey key;
  bool created = false;
  if (reg.CreateKey(hive, subkey, key, &created) != RegStatus::Ok) return false;
  bool ok = !created && reg.QueryValue(key, name, data) == RegStatus::Ok;
  reg.Close(key);
  return ok;
}

bool ReadDword(Registry& reg, Hive hive, std::string_view subkey, std::string_view name, uint32_t& value,
               uint32_t fallback) {
  RegData data;
  if (!Query(reg, hive, subkey, name, data) || data.type != uint32_t(RegType::Dword) ||
      data.bytes.size() != 4) {
    WriteDword(reg, hive, subkey, name, fallback);
    return false;
  }
  value = uint32_t(data.bytes[0]) | uint32_t(data.bytes[1]) << 8 | uint32_t(data.bytes[2]) << 16 |
          uint32_t(data.bytes[3]) << 24;
  return true;
}

// A text value as the program reads it: a string type that fits the read
// buffer; the text ends at its first zero.
bool ReadText(Registry& reg, Hive hive, std::string_view subkey, std::string_view name, std::string& text) {
  RegData data;
  if (!Query(reg, hive, subkey, name, data)) return false;
  if (data.type != uint32_t(RegType::String) && data.type != uint32_t(RegType::ExpandString)) return false;
  if (data.bytes.size() > kSettingTextBytes) return false;
  const char* chars = reinterpret_cast<const char*>(data.bytes.data());
  text.assign(chars, strnlen(chars, data.bytes.size()));
  return true;
}

}  // namespace

bool ReadMachineDword(Registry& reg, std::string_view subkey, std::string_view name, uint32_t& value,
                      uint32_t fallback) {
  return ReadDword(reg, Hive::LocalMachine, subkey, name, value, fallback);
}

bool ReadMachineString(Registry& reg, std::string_view subkey, std::string_view name, std::string& text,
                       std::string_view /*fallback*/) {
  return ReadText(reg, Hive::LocalMachine, subkey, name, text);
}

bool WriteMachineDword(Registry& reg, std::string_view subkey, std::string_view name, uint32_t value) {
  return WriteDword(reg, Hive::LocalMachine, subkey, name, value);
}

bool WriteMachineString(Registry& reg, std::string_view subkey, std::string_view name,
                        std::string_view text) {
  return WriteString(reg, Hive::LocalMachine, subkey, name, text);
}

bool ReadUserDword(Registry& reg, std::string_view subkey, std::string_view name, uint32_t& value,
                   uint32_t fallback) {
  return ReadDword(reg, Hive::CurrentUser, subkey, name, value, fallback);
}

bool ReadUserString(Registry& reg, std::string_view subkey, std::string_view name, std::string& text,
                    std::string_view fallback) {
  if (ReadText(reg, Hive::CurrentUser, subkey, name, text)) return true;
  WriteString(reg, Hive::CurrentUser, subkey, name, fallback);
  return false;
}

bool WriteUserDword(Registry& reg, std::string_view subkey, std::string_view name, uint32_t value) {
  return WriteDword(reg, Hive::CurrentUser, subkey, name, value);
}

bool WriteUserString(Registry& reg, std::string_view subkey, std::string_view name, std::string_view text) {
  return WriteString(reg, Hive::CurrentUser, subkey, name, text);
}

SortSettings ReadSortSettings(Registry& reg) {
  SortSettings s;
  uint32_t fr = 0, id = 0;
  ReadMachineDword(reg, AppKey, kSortFR, fr, kDefaultSortFR);
  ReadMachineDword(reg, AppKey, kSortID, id, kDefaultSortID);
  if (fr == kSortForward || fr == kSortReverse) s.sortFR = fr;
  if (id == kSortByName || id == kSortByDate || id == kSortByType) s.sortID = id;
  return s;
}

WindowPosition ReadWindowPosition(Registry& reg) {
  uint32_t left = kDefaultWindowPos, top = kDefaultWindowPos;
  ReadMachineDword(reg, AppKey, kWindowPosLeft, left, kDefaultWindowPos);
  ReadMachineDword(reg, AppKey, kWindowPosTop, top, kDefaultWindowPos);
  // Screen coordinates are stored as the DWORD's bits; left of or above the
  // primary screen they are negative.
  return {int32_t(left), int32_t(top)};
}

std::string ReadStartAlbumName(Registry& reg) {
  std::string name;
  if (ReadMachineString(reg, AppKey, kAlbumName, name, "")) return name;
  // Only a missing value is created; an unreadable one is left for the user.
  RegKey key;
  RegData data;
  if (reg.OpenKey(Hive::LocalMachine, AppKey, key) == RegStatus::Ok &&
      reg.QueryValue(key, kAlbumName, data) == RegStatus::NotFound)
    WriteMachineString(reg, AppKey, kAlbumName, "");
  return {};
}

void WriteExitSettings(Registry& reg, const ExitSettings& s) {
  WriteMachineDword(reg, AppKey, kSortFR, s.sort.sortFR);
  WriteMachineDword(reg, AppKey, kSortID, s.sort.sortID);
  WriteMachineDword(reg, AppKey, kWindowPosLeft, uint32_t(s.position.left));
  WriteMachineDword(reg, AppKey, kWindowPosTop, uint32_t(s.position.top));
  if (!s.albumPath.empty()) WriteMachineString(reg, AppKey, kAlbumPath, s.albumPath);
}

}  // namespace lumora
