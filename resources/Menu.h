// Menus as plain data: the windows build their popup menus from these, so the
// menu texts and command identifiers live in the resources and nowhere else.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

struct MenuItem {
  enum class Kind { kCommand, kSeparator, kPopup };
  Kind kind = Kind::kCommand;
  std::string text;                // UTF-8 label; empty for a separator
  uint32_t command = 0;            // command identifier of a kCommand item, else 0
  bool checked = false;            // shown with a check mark until the window changes it
  bool grayed = false;             // shown disabled until the window changes it
  std::vector<MenuItem> children;  // entries of a kPopup item

  // First command item with this identifier in this popup or below it; null if none.
  const MenuItem* FindCommand(uint32_t id) const;
};

struct Menu {
  uint32_t id = 0;
  std::string name;             // the menu's own name (e.g. "MouseRight"); may be empty
  std::vector<MenuItem> items;  // top level, usually popups

  // The top-level popup with exactly this text ("file", "sort", "import"); null if none.
  const MenuItem* FindPopup(std::string_view text) const;
};

using MenuTable = std::map<uint32_t, Menu>;

// Limits of the text form.
inline constexpr uint32_t kMaxMenuId = 0xFFFF;
inline constexpr uint32_t kMaxMenuCommand = 0xFFFF;
inline constexpr int kMaxMenuDepth = 4;  // popups inside popups
inline constexpr size_t kMaxMenuTextBytes = 256;

struct MenuTableParseResult {
  std::optional<MenuTable> menus;  // set when the whole table is valid
  std::string error;  // where and what, e.g. "menu 248, item 1 (popup \"sort\"), item 2: ..."
};

// Parses the JSON text form of a menu table:
//   {"menus": [{"id": 248, "name": "...", "note": "...", "items": [ITEM, ...]}, ...]}
// where ITEM is one of
//   {"separator": true}
//   {"popup": "sort", "items": [ITEM, ...]}
//   {"text": "by Name", "command": 32771, "checked": true, "grayed": false}
// Every item may also carry "source" ("quoted" or "ours", for review) and "note".
// Unknown keys, duplicate menu ids, empty texts and out-of-range numbers refuse
// the whole table.
MenuTableParseResult ParseMenuTable(std::span<const uint8_t> json);

}  // namespace lumora
