// Building and checked parsing of the file list block, the announce entry, the
// handle payload and the "/owner=" argument.
#include "dropdialog/WireFormats.h"

#include <algorithm>
#include <new>

namespace lumora::dropdialog {

namespace {

constexpr std::size_t kListOffsetField = 0;
constexpr std::size_t kWideFlagField = 16;
constexpr std::string_view kOwnerArgument = "/owner=";
constexpr std::size_t kMaxHandleDigits = 8;

void PutLittle32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = std::uint8_t(value >> (8 * i));
}

std::uint32_t GetLittle32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= std::uint32_t(bytes[at + i]) << (8 * i);
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// `name` cut to at most `limit` bytes without splitting a UTF-8 sequence.
std::string_view CutAtCharacter(std::string_view name, std::size_t limit) {
  if (name.size() <= limit) return name;
  std::size_t end = limit;
  while (end > 0 && (std::uint8_t(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> BuildFileListBlock(const std::vector<std::string>& paths) {
  if (paths.size() > kMaxBlockPaths) return std::nullopt;
  for (const std::string& path : paths) {
    if (path.empty() || path.size() > kMaxPathBytes) return std::nullopt;
    if (path.find('\0') != std::string::npos) return std::nullopt;
  }
  std::vector<std::uint8_t> block;
  try {
    block.assign(paths.size() * kPathSlotBytes + kBlockExtraBytes, 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  // Point, non-client flag and wide-character flag stay 0.
  PutLittle32(block.data() + kListOffsetField, kBlockHeaderBytes);
  std::size_t at = kBlockHeaderBytes;
  for (const std::string& path : paths) {
    std::copy(path.begin(), path.end(), block.begin() + std::ptrdiff_t(at));
    at += path.size() + 1;
  }
  return block;
}

std::optional<std::vector<std::string>> ParseFileListBlock(std::span<const std::uint8_t> block) {
  if (block.size() < kBlockHeaderBytes) return std::nullopt;
  const std::uint32_t listOffset = GetLittle32(block, kListOffsetField);
  if (listOffset < kBlockHeaderBytes || listOffset >= block.size()) return std::nullopt;
  if (GetLittle32(block, kWideFlagField) != 0) return std::nullopt;

  std::vector<std::string> paths;
  std::size_t at = listOffset;
  for (;;) {
    const auto rest = block.subspan(at);
    const auto zero = std::find(rest.begin(), rest.end(), std::uint8_t(0));
    if (zero == rest.end()) return std::nullopt;  // runs past the end
    const std::size_t length = std::size_t(zero - rest.begin());
    if (length == 0) return paths;
    if (length > kMaxPathBytes) return std::nullopt;
    paths.emplace_back(reinterpret_cast<const char*>(rest.data()), length);
    at += length + 1;
  }
}

std::vector<std::uint8_t> BuildAnnounceEntry(WindowHandle window, std::string_view programFileName) {
  std::vector<std::uint8_t> entry(kAnnounceEntryBytes, 0);
  PutLittle32(entry.data(), window);
  const std::string_view name = CutAtCharacter(programFileName, kMaxProgramNameBytes);
  std::copy(name.begin(), name.end(), entry.begin() + 4);
  return entry;
}

std::optional<AnnounceEntry> ParseAnnounceEntry(std::span<const std::uint8_t> entry) {
  if (entry.size() != kAnnounceEntryBytes) return std::nullopt;
  const WindowHandle window = GetLittle32(entry, 0);
  if (window == kNoWindow) return std::nullopt;
  const auto name = entry.subspan(4, kProgramNameBytes);
  const auto zero = std::find(name.begin(), name.end(), std::uint8_t(0));
  if (zero == name.end() || zero == name.begin()) return std::nullopt;
  return AnnounceEntry{window, std::string(name.begin(), zero)};
}

std::vector<std::uint8_t> HandlePayload(WindowHandle window) {
  std::vector<std::uint8_t> payload(4);
  PutLittle32(payload.data(), window);
  return payload;
}

std::optional<WindowHandle> ParseHandlePayload(std::span<const std::uint8_t> payload) {
  if (payload.size() != 4) return std::nullopt;
  return GetLittle32(payload, 0);
}

std::optional<WindowHandle> ParseOwnerArgument(const std::vector<std::string>& arguments) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::size_t found = arguments[i].find(kOwnerArgument);
    if (found == std::string::npos) continue;
    std::string_view text = std::string_view(arguments[i]).substr(found + kOwnerArgument.size());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && HexDigit(text[2]) >= 0)
      text.remove_prefix(2);
    while (text.size() > 1 && text[0] == '0' && HexDigit(text[1]) >= 0) text.remove_prefix(1);
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && HexDigit(text[digits]) >= 0; ++digits) {
      if (digits == kMaxHandleDigits) return std::nullopt;
      value = value << 4 | std::uint64_t(HexDigit(text[digits]));
    }
    if (digits == 0) return std::nullopt;
    return WindowHandle(value);
  }
  return std::nullopt;
}

}  // namespace lumora::dropdialog
