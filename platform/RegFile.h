// The registry's storage format: one hive as a key tree, read from and written
// to the REGEDIT4 text form ("[HKEY_LOCAL_MACHINE\Software\...]" sections,
// "name"="text", "name"=dword:0000802b, "name"=hex(N):..). Pure functions over
// strings, so the parser can be tested and fuzzed without touching files.
#pragma once

#include <cstdint>
#include <optional>
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

// Limits that keep a damaged or hostile file from exhausting memory. The depth
// counts the hive's own level.
inline constexpr size_t kMaxRegFileBytes = 64u << 20;
inline constexpr size_t kMaxKeyDepth = 64;

struct RegParseError {
  size_t line = 0;        // 1-based; 0 when the file as a whole is refused
  std::string reason;
};

// What a parse set aside.
struct RegDamage {
  size_t lines = 0;     // lines skipped; a missing header and a file refused
                        // as a whole count one each
  RegParseError first;  // the first of them and why
};

// Parses a whole file into `root` (named after the hive, e.g.
// "HKEY_LOCAL_MACHINE"), keeping every section and value that is valid
// REGEDIT4: a line that is not is skipped and counted in `damage`, and so are
// the values after a skipped section line (they have no key to go to). A file
// without the REGEDIT4 header line is damaged but its entries are still read;
// a file over kMaxRegFileBytes is refused as a whole and `root` is left empty.
// Comment lines (";") and blank lines are skipped silently. True when nothing
// was set aside.
bool ParseRegFile(std::string_view text, RegKeyNode& root, RegDamage& damage);

// Writes the tree as REGEDIT4 text: every key with a value or without
// children gets a section, in tree order, values in their order. Nothing, when
// the text could not be read back as the same tree: a key name that is empty
// or holds "\" or a line break, a value name with a line break, keys deeper
// than kMaxKeyDepth, or a text over kMaxRegFileBytes. (Text values that the
// quoted form cannot carry, line breaks included, are written as hex(1).)
std::optional<std::string> FormatRegFile(const RegKeyNode& root);

// Splits "A\B\C" into its non-empty components.
std::vector<std::string_view> SplitKeyPath(std::string_view path);

}  // namespace lumora
