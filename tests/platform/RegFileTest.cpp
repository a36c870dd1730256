// The REGEDIT4 reader and writer: what goes in comes out, damage is refused
// with the line it was found on.
#include "platform/RegFile.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

RegKeyNode Parse(const std::string& text) {
  RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
  RegParseError error;
  EXPECT_TRUE(ParseRegFile(text, root, error)) << "line " << error.line << ": " << error.reason;
  return root;
}

std::string TextOf(const RegValue& v) { return std::string(v.data.begin(), v.data.end() - 1); }

TEST(RegFile, ReadsTextDwordAndHexValues) {
  RegKeyNode root = Parse(
      "REGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\quorvix\\Lumora\\Lumora]\r\n"
      "\"SortID\"=dword:00008023\r\n"
      "\"AlbumName\"=\"\"\r\n"
      "\"Quoted\"=\"say \\\"hi\\\" C:\\\\dir\"\r\n"
      "@=\"default\"\r\n"
      "\"Bin\"=hex:01,ff,\\\r\n  80\r\n");
  const RegKeyNode* key = root.Child("software");
  ASSERT_NE(key, nullptr);
  key = key->Child("QUORVIX")->Child("Lumora")->Child("lumora");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->values.size(), 5u);
  EXPECT_EQ(key->values[0].type, uint32_t(RegType::Dword));
  EXPECT_EQ(key->values[0].data, (std::vector<uint8_t>{0x23, 0x80, 0, 0}));
  EXPECT_EQ(key->values[1].data, std::vector<uint8_t>{0});
  EXPECT_EQ(TextOf(key->values[2]), "say \"hi\" C:\\dir");
  EXPECT_EQ(key->values[3].name, "");
  EXPECT_EQ(key->values[4].data, (std::vector<uint8_t>{0x01, 0xff, 0x80}));
}

TEST(RegFile, RewriteKeepsUnknownTypesAndSpellingsUntouched) {
  const std::string text =
      "REGEDIT4\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
      "\"Expand\"=hex(2):25,00,41,\\\n"
      "  00,00,00\n"
      "\"Q\"=hex(b):01,02,03,04,05,06,07,08\n"
      "\"Upper\"=dword:0000ABCD\n\n";
  RegKeyNode root = Parse(text);
  EXPECT_EQ(FormatRegFile(root), text);
  RegKeyNode again = Parse(FormatRegFile(root));
  EXPECT_EQ(again.Child("Software")->Child("Other")->Value("q")->type, 0xbu);
}

TEST(RegFile, ChangedValuesAreWrittenInCanonicalFormAndReadBack) {
  RegKeyNode root{"HKEY_CURRENT_USER", {}, {}};
  root.children.push_back({"Software", {}, {}});
  RegKeyNode& sw = root.children.back();
  auto text = [](std::string s) {
    std::vector<uint8_t> d(s.begin(), s.end());
    d.push_back(0);
    return d;
  };
  sw.values.push_back({"back\\slash \"q\"", 1, text("C:\\x \"y\""), {}});
  sw.values.push_back({"multi", 1, text("line1\nline2"), {}});  // cannot be quoted
  sw.values.push_back({"n", 4, {0x2b, 0x80, 0, 0}, {}});
  sw.values.push_back({"big", 3, std::vector<uint8_t>(60, 0xab), {}});
  sw.children.push_back({"Empty", {}, {}});

  std::string out = FormatRegFile(root);
  EXPECT_NE(out.find("\"back\\\\slash \\\"q\\\"\"=\"C:\\\\x \\\"y\\\"\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"n\"=dword:0000802b"), std::string::npos);
  EXPECT_NE(out.find("[HKEY_CURRENT_USER\\Software\\Empty]"), std::string::npos);

  RegKeyNode back{"HKEY_CURRENT_USER", {}, {}};
  RegParseError error;
  ASSERT_TRUE(ParseRegFile(out, back, error)) << error.line << ": " << error.reason << "\n" << out;
  const RegKeyNode* s = back.Child("software");
  ASSERT_EQ(s->values.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(s->values[i].name, sw.values[i].name);
    EXPECT_EQ(s->values[i].type, sw.values[i].type);
    EXPECT_EQ(s->values[i].data, sw.values[i].data);
  }
  EXPECT_NE(s->Child("empty"), nullptr);
}

struct BadFile {
  const char* text;
  size_t line;
};

class RegFileDamage : public testing::TestWithParam<BadFile> {};

TEST_P(RegFileDamage, IsRefusedAtItsLine) {
  RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
  RegParseError error;
  EXPECT_FALSE(ParseRegFile(GetParam().text, root, error));
  EXPECT_EQ(error.line, GetParam().line) << error.reason;
  EXPECT_FALSE(error.reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegFileDamage,
    testing::Values(BadFile{"", 0}, BadFile{"\x01\x02garbage", 1}, BadFile{"REGEDIT5\n", 1},
                    BadFile{"REGEDIT4\n\"a\"=\"b\"\n", 2},                         // value before section
                    BadFile{"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n", 2},              // other hive
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X\n", 2},              // no ']'
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\X]\n", 2},           // empty part
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a=\"b\"\n", 3},  // broken quote
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=dword:123456789\n", 3},
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=hex:1g\n", 3},
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=hex(zz):00\n", 3},
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=\"x\\n\"\n", 3},  // bad escape
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=-\n", 3},
                    BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"ok\"=hex:00,\\\n 01\n\"b\"=\"x\" y\n", 5}));

}  // namespace
}  // namespace lumora
