// What crosses between the programs of the product line: the file list block,
// the announce entry and the handle payload of message 2011, and the "/owner="
// argument. Plain C++ over byte spans, so they can be tested and fuzzed alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/WindowSystem.h"

namespace lumora::dropdialog {

// File list block: a header of five 32-bit little-endian fields (offset of the
// list, point x, point y, non-client flag, wide-character flag), then the
// zero-terminated paths and one more zero. Every path takes a slot of
// kPathSlotBytes in the block's size, so it holds (paths x 260 + 21) bytes.
inline constexpr std::size_t kBlockHeaderBytes = 20;
inline constexpr std::size_t kPathSlotBytes = 260;
inline constexpr std::size_t kMaxPathBytes = kPathSlotBytes - 1;  // without the terminating zero
inline constexpr std::size_t kBlockExtraBytes = kBlockHeaderBytes + 1;
// A block must stay addressable by a 32-bit signed size.
inline constexpr std::size_t kMaxBlockPaths = (0x7FFFFFFF - kBlockExtraBytes) / kPathSlotBytes;

// Nothing when a path is empty, holds a zero byte or is longer than
// kMaxPathBytes, when there are more than kMaxBlockPaths paths, or when the
// block cannot be allocated.
std::optional<std::vector<std::uint8_t>> BuildFileListBlock(const std::vector<std::string>& paths);

// The paths of a block. Nothing when the header is short, the list offset lies
// outside the block, the wide-character flag is set, a path runs past the end
// or is longer than kMaxPathBytes, or the closing empty path is missing.
std::optional<std::vector<std::string>> ParseFileListBlock(std::span<const std::uint8_t> block);

// Announce entry: the child's window handle (32-bit little-endian) and its
// program file name, zero-terminated in kProgramNameBytes.
inline constexpr std::size_t kAnnounceEntryBytes = 260;
inline constexpr std::size_t kProgramNameBytes = kAnnounceEntryBytes - 4;
inline constexpr std::size_t kMaxProgramNameBytes = kProgramNameBytes - 1;

struct AnnounceEntry {
  WindowHandle window = kNoWindow;
  std::string programFileName;
};

// A name longer than kMaxProgramNameBytes is cut at a character boundary.
std::vector<std::uint8_t> BuildAnnounceEntry(WindowHandle window, std::string_view programFileName);

// Nothing unless the entry is exactly kAnnounceEntryBytes long, names a window
// and holds a non-empty, zero-terminated name.
std::optional<AnnounceEntry> ParseAnnounceEntry(std::span<const std::uint8_t> entry);

// The payload of code 2: a window handle, 32-bit little-endian.
std::vector<std::uint8_t> HandlePayload(WindowHandle window);
// Nothing unless the payload is exactly 4 bytes.
std::optional<WindowHandle> ParseHandlePayload(std::span<const std::uint8_t> payload);

// The owner window of "/owner=<hex>" in the command line's arguments (the
// program itself, arguments[0], is not searched): hex digits after an optional
// "0x", up to the first other character. Nothing without the argument, without
// a digit, or when the number exceeds 32 bits.
std::optional<WindowHandle> ParseOwnerArgument(const std::vector<std::string>& arguments);

}  // namespace lumora::dropdialog
