// The REGEDIT4 reader and writer: what goes in comes out, a damaged line is
// set aside with the line it was found on and the rest is kept, and the writer
// refuses what it could not read back.
#include "platform/RegFile.h"

#include <optional>

#include <gtest/gtest.h>

namespace lumora {
namespace {

RegKeyNode Parse(const std::string& text) {
  RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
  RegDamage damage;
  EXPECT_TRUE(ParseRegFile(text, root, damage)) << "line " << damage.first.line << ": " << damage.first.reason;
  return root;
}

std::string Format(const RegKeyNode& root) {
  std::optional<std::string> text = FormatRegFile(root);
  EXPECT_TRUE(text.has_value());
  return text.value_or("");
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
  EXPECT_EQ(Format(root), text);
  RegKeyNode again = Parse(Format(root));
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
  // Texts the quoted form cannot carry.
  sw.values.push_back({"multi", 1, text("line1\nline2"), {}});
  sw.values.push_back({"crlf", 1, text("a\r\nb\r"), {}});
  sw.values.push_back({"zero", 1, {'a', 0, 'b', 0}, {}});
  sw.values.push_back({"unended", 1, {'a', 'b'}, {}});
  sw.values.push_back({"tab\tand \x7f", 1, text("tab\there \x01"), {}});
  sw.values.push_back({"n", 4, {0x2b, 0x80, 0, 0}, {}});
  sw.values.push_back({"short", 4, {0x2b, 0x80}, {}});
  sw.values.push_back({"big", 3, std::vector<uint8_t>(60, 0xab), {}});
  sw.children.push_back({"Empty", {}, {}});
  sw.children.push_back({"]x[ \t\r", {}, {}});

  std::string out = Format(root);
  EXPECT_NE(out.find("\"back\\\\slash \\\"q\\\"\"=\"C:\\\\x \\\"y\\\"\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"n\"=dword:0000802b"), std::string::npos);
  EXPECT_NE(out.find("[HKEY_CURRENT_USER\\Software\\Empty]"), std::string::npos);

  RegKeyNode back{"HKEY_CURRENT_USER", {}, {}};
  RegDamage damage;
  ASSERT_TRUE(ParseRegFile(out, back, damage)) << damage.first.line << ": " << damage.first.reason << "\n" << out;
  const RegKeyNode* s = back.Child("software");
  ASSERT_EQ(s->values.size(), sw.values.size());
  for (size_t i = 0; i < sw.values.size(); ++i) {
    EXPECT_EQ(s->values[i].name, sw.values[i].name);
    EXPECT_EQ(s->values[i].type, sw.values[i].type);
    EXPECT_EQ(s->values[i].data, sw.values[i].data) << sw.values[i].name;
  }
  EXPECT_NE(s->Child("empty"), nullptr);
  EXPECT_NE(s->Child("]X[ \t\r"), nullptr);
}

TEST(RegFile, TheWriterRefusesWhatCouldNotBeReadBack) {
  auto refused = [](RegKeyNode key, RegValue value = {}) {
    RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
    if (!value.data.empty()) key.values.push_back(std::move(value));
    root.children.push_back(std::move(key));
    return !FormatRegFile(root).has_value();
  };
  const std::vector<uint8_t> one{1, 0};
  EXPECT_TRUE(refused({"a\nb", {}, {}}));
  EXPECT_TRUE(refused({"", {}, {}}));
  EXPECT_TRUE(refused({"a\\b", {}, {}}));
  EXPECT_TRUE(refused({"k", {}, {}}, {"a\nb", 1, one, {}}));
  EXPECT_FALSE(refused({"k", {}, {}}, {"a\rb", 1, one, {}}));
  std::vector<uint8_t> big(kMaxRegFileBytes, 'x');
  big.back() = 0;
  EXPECT_TRUE(refused({"k", {}, {}}, {"big", 1, std::move(big), {}})) << "a file the reader refuses";

  // Keys as deep as the reader takes, and one level more.
  for (size_t depth : {kMaxKeyDepth, kMaxKeyDepth + 1}) {
    RegKeyNode deepest{"k", {}, {}};
    for (size_t level = 2; level < depth; ++level) deepest = RegKeyNode{"k", {}, {std::move(deepest)}};
    EXPECT_EQ(refused(std::move(deepest)), depth > kMaxKeyDepth) << depth;
  }
}

struct BadFile {
  const char* text;
  size_t line;        // the first line set aside
  size_t lines = 1;   // how many
  const char* kept = "";  // the sections of what was kept, as written again
};

void PrintTo(const BadFile& file, std::ostream* out) { *out << testing::PrintToString(std::string(file.text)); }

class RegFileDamage : public testing::TestWithParam<BadFile> {};

TEST_P(RegFileDamage, IsSetAsideAtItsLineAndTheRestIsKept) {
  RegKeyNode root{"HKEY_LOCAL_MACHINE", {}, {}};
  RegDamage damage;
  EXPECT_FALSE(ParseRegFile(GetParam().text, root, damage));
  EXPECT_EQ(damage.first.line, GetParam().line) << damage.first.reason;
  EXPECT_FALSE(damage.first.reason.empty());
  EXPECT_EQ(damage.lines, GetParam().lines) << damage.first.reason;
  EXPECT_EQ(Format(root), "REGEDIT4\n\n" + std::string(GetParam().kept));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegFileDamage,
    testing::Values(
        BadFile{"", 0}, BadFile{"\x01\x02garbage", 1}, BadFile{"REGEDIT5\n", 1},
        BadFile{"REGEDIT4\n\"a\"=\"b\"\n", 2},                                      // value before section
        BadFile{"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n", 2},                           // other hive
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X\n", 2},                           // no ']'
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\X]\n", 2},                        // empty part
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a=\"b\"\n\"c\"=\"d\"\n", 3, 1,  // broken quote
                "[HKEY_LOCAL_MACHINE\\X]\n\"c\"=\"d\"\n\n"},
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=dword:123456789\n", 3, 1, "[HKEY_LOCAL_MACHINE\\X]\n\n"},
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=hex:1g\n", 3, 1, "[HKEY_LOCAL_MACHINE\\X]\n\n"},
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=hex(zz):00\n", 3, 1, "[HKEY_LOCAL_MACHINE\\X]\n\n"},
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=\"x\\n\"\n", 3, 1,  // bad escape
                "[HKEY_LOCAL_MACHINE\\X]\n\n"},
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"a\"=-\n", 3, 1, "[HKEY_LOCAL_MACHINE\\X]\n\n"},
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"ok\"=hex:00,\\\n 01\n\"b\"=\"x\" y\n", 5, 1,
                "[HKEY_LOCAL_MACHINE\\X]\n\"ok\"=hex:00,\\\n 01\n\n"},
        // The values of a section set aside go with it; the next section is read.
        BadFile{"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"a\"=hex:00,\\\n  01\n[HKEY_LOCAL_MACHINE\\Y]\n\"c\"=dword:1\n",
                2, 3, "[HKEY_LOCAL_MACHINE\\Y]\n\"c\"=dword:1\n\n"},
        // A lost header line takes nothing with it.
        BadFile{"[HKEY_LOCAL_MACHINE\\X]\n@=\"a\"\n", 1, 1, "[HKEY_LOCAL_MACHINE\\X]\n@=\"a\"\n\n"},
        BadFile{"REGEDIT\n[HKEY_LOCAL_MACHINE\\X]\n@=\"a\"\n", 1, 1, "[HKEY_LOCAL_MACHINE\\X]\n@=\"a\"\n\n"},
        // Hex data cut off before its continuation does not swallow the next entry.
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"h\"=hex:01,\\\n\"n\"=dword:2\n", 3, 1,
                "[HKEY_LOCAL_MACHINE\\X]\n\"n\"=dword:2\n\n"},
        BadFile{"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n\"h\"=hex:01,\\\n[HKEY_LOCAL_MACHINE\\Y]\n@=\"y\"\n", 3, 1,
                "[HKEY_LOCAL_MACHINE\\X]\n\n[HKEY_LOCAL_MACHINE\\Y]\n@=\"y\"\n\n"}));

}  // namespace
}  // namespace lumora
