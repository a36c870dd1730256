// Tests of the readers of the string and menu tables' text form.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string_view>

#include "resources/Menu.h"
#include "resources/StringTable.h"

namespace lumora {
namespace {

using ::testing::HasSubstr;

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
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
