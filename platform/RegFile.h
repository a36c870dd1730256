// The registry's storage format: one hive as a key tree, read from and written
// to the REGEDIT4 text form ("[HKEY_LOCAL_MACHINE\Software\...]" sections,
// "name"="text", "name"=dword:0000802b, "name"=hex(N):..). Pure functions over
// strings, so the parser can be tested and fuzzed without touching files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// Value types as numbered in the file format (hex(N) carries the number).
enum class RegType : uint32_t {
  None = 0,
  String = 1,        // text plus its terminating zero
  ExpandString = 2,
  Binary = 3,
  Dword = 4,         // 4 bytes, little-endian
  MultiString = 7,
};

struct RegValue {
  std::string name;          // "" is the key's default value ("@" in the file)
  uint32_t type = 0;
  std::vector<uint8_t> data;
  // The value's lines exactly as read, written back unchanged while the value
  // is not modified, so types and spellings we do not use survive a rewrite.
  std::string rawText;
};

struct RegKeyNode {
  std::string name;                  // case as first written
  std::vector<RegValue> values;      // in file (or creation) order
  std::vector<RegKeyNode> children;  // in file (or creation) order

  // Case-insensitive lookups; nullptr when absent.
  RegKeyNode* Child(std::string_view childName);
  const RegKeyNode* Child(std::string_view childName) const;
  RegValue* Value(std::string_view valueName);
  const RegValue* Value(std::string_view valueName) const;
};

// Limits that keep a damaged or hostile file from exhausting memory.
inline constexpr size_t kMaxRegFileBytes = 64u << 20;
inline constexpr size_t kMaxKeyDepth = 64;

struct RegParseError {
  size_t line = 0;        // 1-based; 0 when the file as a whole is refused
  std::string reason;
};

// Parses a whole file into `root` (named after the hive, e.g.
// "HKEY_LOCAL_MACHINE"); every section must lie under that hive. Returns false
// with `error` filled on the first line that is not valid REGEDIT4; `root` is
// then unspecified. Comment lines (";") and blank lines are skipped.
bool ParseRegFile(std::string_view text, RegKeyNode& root, RegParseError& error);

// Writes the tree as REGEDIT4 text: every key with a value or without
// children gets a section, in tree order, values in their order.
std::string FormatRegFile(const RegKeyNode& root);

// Splits "A\B\C" into its non-empty components.
std::vector<std::string_view> SplitKeyPath(std::string_view path);

}  // namespace lumora
