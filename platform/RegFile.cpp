// REGEDIT4 text form of one registry hive: parser and writer.
#include "platform/RegFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/Paths.h"

namespace lumora {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kHexBytesPerLine = 25;

template <typename Node>
Node* FindByName(std::vector<Node>& list, std::string_view name) {
  for (auto& n : list)
    if (EqualsIgnoreCase(n.name, name)) return &n;
  return nullptr;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

// Reads a quoted text starting at s[0] == '"', undoing the \\ and \" escapes.
// On success `s` is left just after the closing quote.
bool ReadQuoted(std::string_view& s, std::string& out, std::string& why) {
  out.clear();
  for (size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
        why = "unknown escape in quoted text";
        return false;
      }
      c = s[++i];
    }
    out.push_back(c);
  }
  why = "quoted text has no closing quote";
  return false;
}

bool ParseHexBytes(std::string_view s, std::vector<uint8_t>& out, std::string& why) {
  out.clear();
  s = TrimLeft(TrimRight(s));
  if (s.empty()) return true;
  while (true) {
    s = TrimLeft(s);
    if (s.size() < 2 || HexDigit(s[0]) < 0 || HexDigit(s[1]) < 0) {
      why = "expected two hex digits";
      return false;
    }
    out.push_back(uint8_t(HexDigit(s[0]) * 16 + HexDigit(s[1])));
    s = TrimLeft(s.substr(2));
    if (s.empty()) return true;
    if (s[0] != ',') {
      why = "expected ',' between hex bytes";
      return false;
    }
    s.remove_prefix(1);
  }
}

// Parses the text after "=" of a value line (continuations already joined).
bool ParseValueData(std::string_view s, RegValue& v, std::string& why) {
  if (!s.empty() && s[0] == '"') {
    std::string text;
    if (!ReadQuoted(s, text, why)) return false;
    if (!TrimRight(s).empty()) {
      why = "text after the closing quote";
      return false;
    }
    v.type = uint32_t(RegType::String);
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return true;
  }
  if (StartsWithIgnoreCase(s, "dword:")) {
    std::string_view digits = TrimRight(s.substr(6));
    if (digits.empty() || digits.size() > 8) {
      why = "dword needs 1 to 8 hex digits";
      return false;
    }
    uint32_t value = 0;
    for (char c : digits) {
      if (HexDigit(c) < 0) {
        why = "dword has a non-hex digit";
        return false;
      }
      value = value * 16 + uint32_t(HexDigit(c));
    }
    v.type = uint32_t(RegType::Dword);
    v.data = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return true;
  }
  if (StartsWithIgnoreCase(s, "hex:")) {
    v.type = uint32_t(RegType::Binary);
    return ParseHexBytes(s.substr(4), v.data, why);
  }
  if (StartsWithIgnoreCase(s, "hex(")) {
    size_t close = s.find("):");
    if (close == std::string_view::npos || close < 5 || close > 12) {
      why = "hex(N): type is malformed";
      return false;
    }
    uint32_t type = 0;
    for (char c : s.substr(4, close - 4)) {
      if (HexDigit(c) < 0) {
        why = "hex(N): type is not hex";
        return false;
      }
      type = type * 16 + uint32_t(HexDigit(c));
    }
    v.type = type;
    return ParseHexBytes(s.substr(close + 2), v.data, why);
  }
  why = "value data is neither text, dword nor hex";
  return false;
}

void AppendHex(std::string& out, std::string_view prefix, const std::vector<uint8_t>& data) {
  out += prefix;
  char buf[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", data[i]);
    out += buf;
    if (i + 1 < data.size()) {
      out += ',';
      if ((i + 1) % kHexBytesPerLine == 0) out += "\\\n  ";
    }
  }
}

// Writes `text` in quotes, escaping "\\" and '"'; long texts are copied in runs.
void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  size_t done = 0;
  size_t backslash = text.find('\\');
  size_t quote = text.find('"');
  while (true) {
    const size_t escape = std::min(backslash, quote);
    out.append(text.substr(done, escape - done));
    if (escape == std::string_view::npos) break;
    out += '\\';
    out += text[escape];
    done = escape + 1;
    if (escape == backslash)
      backslash = text.find('\\', done);
    else
      quote = text.find('"', done);
  }
  out += '"';
}

// A text value is written in quotes when that form can carry it exactly.
bool FitsQuotedForm(const std::vector<uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (char c : {'\0', '\n', '\r'})
    if (std::memchr(data.data(), c, data.size() - 1)) return false;
  return true;
}

// A name the writer can put on one line and the reader gives back unchanged.
bool FitsOneLine(std::string_view name) { return name.find('\n') == std::string_view::npos; }

bool FormatValue(std::string& out, const RegValue& v) {
  if (!v.rawText.empty()) {
    out += v.rawText;
    out += '\n';
    return true;
  }
  if (!FitsOneLine(v.name)) return false;
  if (v.name.empty())
    out += '@';
  else
    AppendQuoted(out, v.name);
  out += '=';
  if (v.type == uint32_t(RegType::String) && FitsQuotedForm(v.data)) {
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
  } else if (v.type == uint32_t(RegType::Dword) && v.data.size() == 4) {
    char buf[16];
    uint32_t d = uint32_t(v.data[0]) | uint32_t(v.data[1]) << 8 | uint32_t(v.data[2]) << 16 |
                 uint32_t(v.data[3]) << 24;
    std::snprintf(buf, sizeof buf, "dword:%08x", d);
    out += buf;
  } else if (v.type == uint32_t(RegType::Binary)) {
    AppendHex(out, "hex:", v.data);
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", v.type);
    AppendHex(out, prefix, v.data);
  }
  out += '\n';
  return true;
}

// Writes `key`, at `depth` levels counting the hive's, and its sub-keys.
bool FormatKey(std::string& out, const RegKeyNode& key, const std::string& parentPath, size_t depth) {
  if (depth > kMaxKeyDepth || key.name.empty() || key.name.find('\\') != std::string::npos ||
      !FitsOneLine(key.name))
    return false;
  const std::string path = parentPath + "\\" + key.name;
  if (!key.values.empty() || key.children.empty()) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& v : key.values)
      if (!FormatValue(out, v)) return false;
    out += '\n';
  }
  for (const auto& child : key.children)
    if (!FormatKey(out, child, path, depth + 1)) return false;
  return true;
}

// Reads a section line into the key it names under `root`, creating missing
// keys; nullptr with `why` when the line is not a section of this hive.
RegKeyNode* ReadSection(std::string_view body, RegKeyNode& root, std::string& why) {
  if (body.back() != ']') {
    why = "section has no closing ']'";
    return nullptr;
  }
  std::string_view path = body.substr(1, body.size() - 2);
  if (!path.empty() && path[0] == '-') {
    why = "key deletions are not stored in a hive";
    return nullptr;
  }
  if (path.find("\\\\") != std::string_view::npos || (!path.empty() && path.back() == '\\')) {
    why = "key path has an empty component";
    return nullptr;
  }
  auto parts = SplitKeyPath(path);
  if (parts.empty() || !EqualsIgnoreCase(parts[0], root.name)) {
    why = "key is not under " + root.name;
    return nullptr;
  }
  if (parts.size() > kMaxKeyDepth) {
    why = "key path is deeper than " + std::to_string(kMaxKeyDepth);
    return nullptr;
  }
  RegKeyNode* key = &root;
  for (size_t i = 1; i < parts.size(); ++i) {
    RegKeyNode* child = key->Child(parts[i]);
    if (!child) {
      key->children.push_back(RegKeyNode{std::string(parts[i]), {}, {}});
      child = &key->children.back();
    }
    key = child;
  }
  return key;
}

// Reads a value line (continuations joined) into `value`.
bool ReadValue(std::string_view line, RegValue& value, std::string& why) {
  std::string_view rest = line;
  if (rest[0] == '@') {
    rest.remove_prefix(1);
  } else if (!ReadQuoted(rest, value.name, why)) {
    return false;
  }
  rest = TrimLeft(rest);
  if (rest.empty() || rest[0] != '=') {
    why = "value name is not followed by '='";
    return false;
  }
  rest = TrimLeft(rest.substr(1));
  if (rest == "-") {
    why = "value deletions are not stored in a hive";
    return false;
  }
  return ParseValueData(rest, value, why);
}

}  // namespace

RegKeyNode* RegKeyNode::Child(std::string_view n) { return FindByName(children, n); }
const RegKeyNode* RegKeyNode::Child(std::string_view n) const {
  return FindByName(const_cast<std::vector<RegKeyNode>&>(children), n);
}
RegValue* RegKeyNode::Value(std::string_view n) { return FindByName(values, n); }
const RegValue* RegKeyNode::Value(std::string_view n) const {
  return FindByName(const_cast<std::vector<RegValue>&>(values), n);
}

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    size_t cut = path.find('\\');
    std::string_view part = path.substr(0, cut);
    if (!part.empty()) parts.push_back(part);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  return parts;
}

bool ParseRegFile(std::string_view text, RegKeyNode& root, RegDamage& damage) {
  root.values.clear();
  root.children.clear();
  damage = {};
  if (text.size() > kMaxRegFileBytes) {
    damage = {1, {0, "file is larger than " + std::to_string(kMaxRegFileBytes) + " bytes"}};
    return false;
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  bool sawHeader = false;
  RegKeyNode* section = nullptr;  // null before the first section and after a damaged one
  size_t lineNo = 0;
  auto setAside = [&](size_t firstLine, size_t lines, std::string why) {
    if (damage.lines == 0) damage.first = {firstLine, std::move(why)};
    damage.lines += lines;
  };
  // A line that starts an entry of its own ends a run of continuation lines.
  auto startsEntry = [](std::string_view body) {
    return !body.empty() && (body[0] == '[' || body[0] == '"' || body[0] == '@');
  };

  while (!text.empty()) {
    size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    ++lineNo;
    const size_t firstLine = lineNo;
    line = TrimRight(line);
    std::string_view body = TrimLeft(line);
    if (body.empty() || body[0] == ';') continue;

    if (!sawHeader) {
      sawHeader = true;
      if (body == kHeader) continue;
      setAside(lineNo, 1, "first line is not REGEDIT4");
      // The header's place holds something else; a section there is still read.
      if (body[0] != '[') continue;
    }

    if (body[0] == '[') {
      section = nullptr;
      std::string why;
      if (RegKeyNode* key = ReadSection(body, root, why))
        section = key;
      else
        setAside(lineNo, 1, std::move(why));
      continue;
    }

    if (body[0] != '"' && body[0] != '@') {
      setAside(lineNo, 1, "line is neither a section nor a value");
      continue;
    }

    // Join continuation lines of hex data ("...,\" at the end of a line).
    std::string raw(line);
    std::string joined(body);
    while (!joined.empty() && joined.back() == '\\' && !text.empty()) {
      size_t next = text.find('\n');
      std::string_view cont = TrimRight(text.substr(0, next));
      if (startsEntry(TrimLeft(cont))) break;
      text.remove_prefix(next == std::string_view::npos ? text.size() : next + 1);
      ++lineNo;
      raw += '\n';
      raw += cont;
      joined.pop_back();
      joined += TrimLeft(cont);
    }
    const size_t lines = lineNo - firstLine + 1;

    if (!section) {
      setAside(firstLine, lines, "value is not under a valid section");
      continue;
    }
    RegValue value;
    std::string why;
    if (!ReadValue(joined, value, why)) {
      setAside(firstLine, lines, std::move(why));
      continue;
    }
    value.rawText = std::move(raw);
    if (RegValue* old = section->Value(value.name))
      *old = std::move(value);
    else
      section->values.push_back(std::move(value));
  }
  if (!sawHeader) setAside(0, 1, "file has no REGEDIT4 header");
  return damage.lines == 0;
}

std::optional<std::string> FormatRegFile(const RegKeyNode& root) {
  std::string out(kHeader);
  out += "\n\n";
  if (!root.values.empty()) {
    out += '[' + root.name + "]\n";
    for (const auto& v : root.values)
      if (!FormatValue(out, v)) return std::nullopt;
    out += '\n';
  }
  for (const auto& child : root.children)
    if (!FormatKey(out, child, root.name, 2)) return std::nullopt;
  if (out.size() > kMaxRegFileBytes) return std::nullopt;
  return out;
}

}  // namespace lumora
