// Reader of the JSON form of the menu table, and the look-ups on menus.
#include <QJsonArray>

#include "resources/JsonFields.h"
#include "resources/Menu.h"

namespace lumora {

const MenuItem* MenuItem::FindCommand(uint32_t id) const {
  if (kind == Kind::kCommand && command == id) return this;
  for (const MenuItem& child : children)
    if (const MenuItem* found = child.FindCommand(id)) return found;
  return nullptr;
}

const MenuItem* Menu::FindPopup(std::string_view text) const {
  for (const MenuItem& item : items)
    if (item.kind == MenuItem::Kind::kPopup && item.text == text) return &item;
  return nullptr;
}

namespace {

bool ParseItems(const QJsonValue& value, const std::string& where, int depth,
                std::vector<MenuItem>& out, std::string& error);

bool ParseItem(const QJsonObject& object, const std::string& where, int depth, MenuItem& item,
               std::string& error) {
  if (object.contains(QStringLiteral("separator"))) {
    error = json::CheckKeys(object, {"separator", "note"});
    if (error.empty() && object.value(QStringLiteral("separator")) != QJsonValue(true))
      error = "\"separator\" must be true";
    item.kind = MenuItem::Kind::kSeparator;
  } else if (object.contains(QStringLiteral("popup"))) {
    item.kind = MenuItem::Kind::kPopup;
    error = json::CheckKeys(object, {"popup", "items", "source", "note"});
    if (error.empty()) error = json::ReadText(object, "popup", kMaxMenuTextBytes, item.text);
    if (error.empty()) error = json::CheckReviewFields(object);
    if (error.empty()) {
      if (depth >= kMaxMenuDepth) {
        error = "popups nested deeper than " + std::to_string(kMaxMenuDepth);
      } else {
        const std::string inner = where + " (popup \"" + item.text + "\")";
        return ParseItems(object.value(QStringLiteral("items")), inner, depth + 1, item.children,
                          error);
      }
    }
  } else {
    item.kind = MenuItem::Kind::kCommand;
    error = json::CheckKeys(object, {"text", "command", "checked", "grayed", "source", "note"});
    if (error.empty()) error = json::ReadText(object, "text", kMaxMenuTextBytes, item.text);
    if (error.empty()) error = json::ReadUnsigned(object, "command", kMaxMenuCommand, item.command);
    if (error.empty() && item.command == 0) error = "\"command\" 0 is not a command";
    if (error.empty()) error = json::ReadOptionalBool(object, "checked", item.checked);
    if (error.empty()) error = json::ReadOptionalBool(object, "grayed", item.grayed);
    if (error.empty()) error = json::CheckReviewFields(object);
  }
  if (!error.empty()) error = where + ": " + error;
  return error.empty();
}

bool ParseItems(const QJsonValue& value, const std::string& where, int depth,
                std::vector<MenuItem>& out, std::string& error) {
  if (!value.isArray()) {
    error = where + ": \"items\" is missing or not a list";
    return false;
  }
  const QJsonArray list = value.toArray();
  if (list.isEmpty()) {
    error = where + ": \"items\" is empty";
    return false;
  }
  for (qsizetype i = 0; i < list.size(); ++i) {
    const std::string itemWhere = where + ", item " + std::to_string(i);
    if (!list[i].isObject()) {
      error = itemWhere + ": not an object";
      return false;
    }
    MenuItem item;
    if (!ParseItem(list[i].toObject(), itemWhere, depth, item, error)) return false;
    out.push_back(std::move(item));
  }
  return true;
}

MenuTableParseResult Fail(std::string error) {
  MenuTableParseResult result;
  result.error = std::move(error);
  return result;
}

}  // namespace

MenuTableParseResult ParseMenuTable(std::span<const uint8_t> json) {
  QJsonObject root;
  std::string error;
  if (!json::ParseObject(json, root, error)) return Fail(error);
  if (error = json::CheckKeys(root, {"menus", "note"}); !error.empty()) return Fail(error);
  const QJsonValue list = root.value(QStringLiteral("menus"));
  if (!list.isArray()) return Fail("\"menus\" is missing or not a list");

  MenuTable table;
  const QJsonArray menus = list.toArray();
  for (qsizetype i = 0; i < menus.size(); ++i) {
    std::string where = "menu entry " + std::to_string(i);
    if (!menus[i].isObject()) return Fail(where + ": not an object");
    const QJsonObject object = menus[i].toObject();
    Menu menu;
    if (error = json::CheckKeys(object, {"id", "name", "items", "note"}); !error.empty())
      return Fail(where + ": " + error);
    if (error = json::ReadUnsigned(object, "id", kMaxMenuId, menu.id); !error.empty())
      return Fail(where + ": " + error);
    where = "menu " + std::to_string(menu.id);
    if (object.contains(QStringLiteral("name"))) {
      if (error = json::ReadText(object, "name", kMaxMenuTextBytes, menu.name); !error.empty())
        return Fail(where + ": " + error);
    }
    if (error = json::CheckReviewFields(object); !error.empty()) return Fail(where + ": " + error);
    if (!ParseItems(object.value(QStringLiteral("items")), where, 0, menu.items, error))
      return Fail(error);
    const uint32_t id = menu.id;
    if (!table.emplace(id, std::move(menu)).second) return Fail(where + ": duplicate menu id");
  }
  MenuTableParseResult result;
  result.menus = std::move(table);
  return result;
}

}  // namespace lumora
