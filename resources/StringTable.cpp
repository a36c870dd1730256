// Reader of the JSON form of the string table.
#include "resources/StringTable.h"

#include <QJsonArray>

#include "resources/JsonFields.h"

namespace lumora {

namespace {

StringTableParseResult Fail(std::string error) {
  StringTableParseResult result;
  result.error = std::move(error);
  return result;
}

}  // namespace

StringTableParseResult ParseStringTable(std::span<const uint8_t> json) {
  QJsonObject root;
  std::string error;
  if (!json::ParseObject(json, root, error)) return Fail(error);
  if (error = json::CheckKeys(root, {"strings", "note"}); !error.empty()) return Fail(error);
  const QJsonValue list = root.value(QStringLiteral("strings"));
  if (!list.isArray()) return Fail("\"strings\" is missing or not a list");

  StringTable table;
  const QJsonArray entries = list.toArray();
  for (qsizetype i = 0; i < entries.size(); ++i) {
    const std::string where = "entry " + std::to_string(i);
    if (!entries[i].isObject()) return Fail(where + ": not an object");
    const QJsonObject entry = entries[i].toObject();
    uint32_t id = 0;
    std::string text;
    if (error = json::CheckKeys(entry, {"id", "text", "source", "note"}); !error.empty())
      return Fail(where + ": " + error);
    if (error = json::ReadUnsigned(entry, "id", kMaxStringId, id); !error.empty())
      return Fail(where + ": " + error);
    const std::string named = where + " (id " + std::to_string(id) + ")";
    if (error = json::ReadText(entry, "text", kMaxStringBytes, text); !error.empty())
      return Fail(named + ": " + error);
    if (error = json::CheckReviewFields(entry); !error.empty()) return Fail(named + ": " + error);
    if (!table.emplace(id, std::move(text)).second) return Fail(named + ": duplicate id");
  }
  StringTableParseResult result;
  result.strings = std::move(table);
  return result;
}

}  // namespace lumora
