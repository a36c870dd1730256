// The string table: user-visible texts by numeric identifier, in a JSON text form
// kept in the resources so that every text can be reviewed in one place.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace lumora {

using StringTable = std::map<uint32_t, std::string>;  // id -> UTF-8 text

inline constexpr uint32_t kMaxStringId = 0xFFFF;
inline constexpr size_t kMaxStringBytes = 4096;

struct StringTableParseResult {
  std::optional<StringTable> strings;  // set when the whole table is valid
  std::string error;                   // where and what, e.g. "entry 12 (id 17): ..."
};

// Parses {"strings": [{"id": 14, "text": "Lumora", "source": "quoted", "note": "..."}, ...]}.
// "id" and "text" are required; "source" ("quoted": the text is the system's own,
// "ours": written for this program) and "note" are for review and are checked but
// not kept. Unknown keys, duplicate ids and out-of-range values refuse the table.
StringTableParseResult ParseStringTable(std::span<const uint8_t> json);

}  // namespace lumora
