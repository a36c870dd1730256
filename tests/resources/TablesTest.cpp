// Tests of the built-in string and menu tables and of their text-form readers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string_view>

#include "resources/Menu.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "resources/StringTable.h"

namespace lumora {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

const Resources& Builtin() {
  static const Resources resources(std::filesystem::temp_directory_path() /
                                   "lumora-no-library-here");
  return resources;
}

// Every string id the program uses: the message texts, the progress caption and
// the tooltips of the main window and the editor panel.
std::set<uint32_t> NamedStringIds() {
  std::set<uint32_t> ids(res::kMessageStringIds.begin(), res::kMessageStringIds.end());
  ids.insert(1);
  for (uint32_t id = 38; id <= 109; ++id) ids.insert(id);
  for (uint32_t id : {113u, 116u, 117u, 118u, 119u, 132u, 133u, 134u, 135u, 136u}) ids.insert(id);
  return ids;
}

TEST(BuiltinStrings, EveryNamedIdResolves) {
  for (uint32_t id : NamedStringIds()) {
    const std::optional<std::string> text = Builtin().String(id);
    ASSERT_TRUE(text) << "string " << id;
    EXPECT_FALSE(text->empty()) << "string " << id;
  }
}

TEST(BuiltinStrings, HoldNoIdBeyondTheNamedOnes) {
  // An id typed wrongly in the table shows up here as an extra one.
  for (uint32_t id = 0; id <= 1000; ++id)
    if (!NamedStringIds().count(id)) {
      EXPECT_FALSE(Builtin().String(id)) << "string " << id;
    }
}

TEST(BuiltinStrings, QuotedTextsAreExact) {
  const std::pair<uint32_t, std::string_view> quoted[] = {
      {1, "Wait, please..."},
      {6, "Minimum screen resolution should be 800 * 600."},
      {11, "was not found."},
      {14, "Lumora"},
      {16, "Wait please..."},
      {17, "Do you want to save the changes?"},
      {20, "Are you sure you want to delete selected item(s)?"},
      {25, "Please close 'Mpegsmith' and try again"},
      {44, "Trim (Cut) "},
      {45, "Background Color  "},
      {51, "Rotate counter clockwise "},
      {53, "Remove Picture "},
      {78, "Blur  "},
      {79, "Increase Blur Effect"},
      {126, "Multiply"},
      {135, "Restore"},
      {137, "The application has not been installed. Please install it."},
  };
  for (const auto& [id, text] : quoted) EXPECT_EQ(Builtin().String(id), text) << "string " << id;
}

std::vector<uint32_t> Commands(const MenuItem& popup) {
  std::vector<uint32_t> ids;
  for (const MenuItem& item : popup.children)
    if (item.kind == MenuItem::Kind::kCommand) ids.push_back(item.command);
  return ids;
}

TEST(BuiltinMenus, MainMenuHasImportAsItsFifthPopup) {
  const std::optional<Menu> menu = Builtin().GetMenu(res::kMenuMain);
  ASSERT_TRUE(menu);
  ASSERT_GT(menu->items.size(), res::kImportPopupIndex);
  const MenuItem& import = menu->items[res::kImportPopupIndex];
  EXPECT_EQ(import.kind, MenuItem::Kind::kPopup);
  EXPECT_EQ(import.text, res::kPopupImport);
  EXPECT_THAT(Commands(import), ElementsAre(res::kCmdSelectSource, res::kCmdAcquire));
  EXPECT_EQ(import.children[0].text, "Select Source...");
  EXPECT_EQ(import.children[1].text, "Acquire...");
  EXPECT_EQ(menu->items[0].text, res::kPopupFile);
  EXPECT_EQ(menu->items[1].text, res::kPopupSort);
}

TEST(BuiltinMenus, SortPopupsHoldTheSortCommandsWithTheDefaultsTicked) {
  const std::optional<Menu> main = Builtin().GetMenu(res::kMenuMain);
  const std::optional<Menu> context = Builtin().GetMenu(res::kMenuItemContext);
  ASSERT_TRUE(main && context);
  ASSERT_TRUE(main->FindPopup(res::kPopupSort));
  const MenuItem* contextPopup = context->items.empty() ? nullptr : &context->items[0];
  ASSERT_TRUE(contextPopup);
  const MenuItem* contextSort = nullptr;
  for (const MenuItem& item : contextPopup->children)
    if (item.kind == MenuItem::Kind::kPopup && item.text == res::kPopupContextSort)
      contextSort = &item;
  ASSERT_TRUE(contextSort) << "context menu has no \"Sort\" sub-menu";

  for (const MenuItem* sort : {main->FindPopup(res::kPopupSort), contextSort}) {
    EXPECT_THAT(Commands(*sort),
                ElementsAre(res::kCmdSortByName, res::kCmdSortByType, res::kCmdSortByDate,
                            res::kCmdSortForward, res::kCmdSortReverse));
    for (const MenuItem& item : sort->children) {
      const bool isDefault =
          item.command == res::kCmdSortByName || item.command == res::kCmdSortForward;
      EXPECT_EQ(item.checked, isDefault) << item.text;
    }
    EXPECT_EQ(sort->FindCommand(res::kCmdSortForward)->text, "Forward(a-z)");
    EXPECT_EQ(sort->FindCommand(res::kCmdSortReverse)->text, "Reverse(z-a)");
  }
}

TEST(BuiltinMenus, FileAndContextMenusCarryTheItemCommands) {
  const std::optional<Menu> main = Builtin().GetMenu(res::kMenuMain);
  const std::optional<Menu> context = Builtin().GetMenu(res::kMenuItemContext);
  ASSERT_TRUE(main && context);
  EXPECT_EQ(context->name, "MouseRight");
  const MenuItem* file = main->FindPopup(res::kPopupFile);
  ASSERT_TRUE(file);
  const std::pair<uint32_t, std::string_view> itemCommands[] = {
      {res::kCmdAdd, "Add"},
      {res::kCmdDelete, "Delete"},
      {res::kCmdRename, "Rename"},
      {res::kCmdDuplicate, "Duplicate"},
      {res::kCmdInformation, "Information"},
      {res::kCmdSelectAll, "Select All"},
      {res::kCmdRefresh, "Refresh"}};
  for (const auto& [id, text] : itemCommands) {
    for (const MenuItem* popup : {file, &context->items[0]}) {
      const MenuItem* item = popup->FindCommand(id);
      ASSERT_TRUE(item) << popup->text << " lacks " << id;
      EXPECT_EQ(item->text, text);
    }
  }
  ASSERT_TRUE(context->items[0].FindCommand(res::kCmdOpen));
  EXPECT_EQ(context->items[0].FindCommand(res::kCmdOpen)->text, "Open");
  bool hasAbout = false;
  for (const MenuItem& popup : main->items)
    if (const MenuItem* about = popup.FindCommand(res::kCmdAbout))
      hasAbout = about->text == "About Lumora";
  EXPECT_TRUE(hasAbout);
}

TEST(BuiltinMenus, DropMenuOffersCopyMoveLinkThenCancel) {
  const std::optional<Menu> menu = Builtin().GetMenu(res::kMenuDropChoice);
  ASSERT_TRUE(menu);
  ASSERT_FALSE(menu->items.empty());
  std::vector<std::string> texts;
  for (const MenuItem& item : menu->items[0].children)
    texts.push_back(item.kind == MenuItem::Kind::kSeparator ? "-" : item.text);
  EXPECT_THAT(texts, ElementsAre("Copy", "Move", "Link", "-", "Cancel"));
  EXPECT_THAT(Commands(menu->items[0]), ElementsAre(res::kCmdDropCopy, res::kCmdDropMove,
                                                    res::kCmdDropLink, res::kCmdDropCancel));
}

TEST(StringTableReader, RefusesBadTablesSayingWhere) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {R"({"strings": [{"id": 1, "text": "a"}, {"id": 1, "text": "b"}]})",
       "entry 1 (id 1): duplicate id"},
      {R"({"strings": [{"id": 2}]})", "entry 0 (id 2): missing \"text\""},
      {R"({"strings": [{"id": 2, "text": ""}]})", "\"text\" is empty"},
      {R"({"strings": [{"id": 2, "txt": "a"}]})", "entry 0: unknown key \"txt\""},
      {R"({"strings": [{"id": 65536, "text": "a"}]})", "65536 is not a whole number in 0..65535"},
      {R"({"strings": [{"id": 2.5, "text": "a"}]})", "2.5 is not a whole number"},
      {R"({"strings": [{"id": "2", "text": "a"}]})", "\"id\" is not a number"},
      {R"({"strings": [{"id": 2, "text": "a", "source": "copied"}]})", "\"source\" is neither"},
      {R"({"strings": {"id": 2}})", "\"strings\" is missing or not a list"},
      {R"({"strings": [)", "JSON error at byte"},
      {R"([1, 2])", "not a JSON object"},
  };
  for (const auto& [json, detail] : cases) {
    const StringTableParseResult parsed = ParseStringTable(Bytes(json));
    EXPECT_FALSE(parsed.strings) << json;
    EXPECT_THAT(parsed.error, HasSubstr(detail)) << json;
  }
}

TEST(StringTableReader, KeepsUtf8AndBlanksAsWritten) {
  const StringTableParseResult parsed =
      ParseStringTable(Bytes(R"({"strings": [{"id": 7, "text": " Gr\u00fc\u00dfe  "}]})"));
  ASSERT_TRUE(parsed.strings) << parsed.error;
  EXPECT_EQ(parsed.strings->at(7),
            " Gr\xC3\xBC\xC3\x9F"
            "e  ");
}

TEST(MenuTableReader, RefusesBadMenusSayingWhere) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {R"({"menus": [{"id": 5, "items": [{"popup": "p", "items": [{"text": "A", "command": 0}]}]}]})",
       "menu 5, item 0 (popup \"p\"), item 0: \"command\" 0 is not a command"},
      {R"({"menus": [{"id": 5, "items": [{"text": "A", "command": 70000}]}]})",
       "menu 5, item 0: \"command\" 70000"},
      {R"({"menus": [{"id": 5, "items": [{"popup": "p", "items": []}]}]})", "\"items\" is empty"},
      {R"({"menus": [{"id": 5, "items": [{"separator": false}]}]})", "\"separator\" must be true"},
      {R"({"menus": [{"id": 5, "items": [{"text": "A", "command": 9, "checked": 1}]}]})",
       "\"checked\" is not true or false"},
      {R"({"menus": [{"id": 5, "items": [{"text": "A", "command": 9, "shortcut": "x"}]}]})",
       "unknown key \"shortcut\""},
      {R"({"menus": [{"id": 5, "items": [{"separator": true}]}, {"id": 5, "items": [{"separator": true}]}]})",
       "menu 5: duplicate menu id"},
      {R"({"menus": [{"id": 5, "items": [{"popup": "1", "items": [{"popup": "2", "items": [{"popup": "3",
          "items": [{"popup": "4", "items": [{"popup": "5", "items": [{"separator": true}]}]}]}]}]}]}]})",
       "nested deeper than 4"},
  };
  for (const auto& [json, detail] : cases) {
    const MenuTableParseResult parsed = ParseMenuTable(Bytes(json));
    EXPECT_FALSE(parsed.menus) << json;
    EXPECT_THAT(parsed.error, HasSubstr(detail)) << json;
  }
}

}  // namespace
}  // namespace lumora
