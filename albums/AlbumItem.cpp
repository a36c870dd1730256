// Item kinds by extension and the item orders.
#include "albums/AlbumItem.h"

#include <cstdio>
#include <ctime>

#include "io/FileKinds.h"

namespace lumora {

namespace {

ItemKind ItemKindOfFormat(FileFormat format) {
  switch (format) {
    case FileFormat::Jpeg: return ItemKind::Jpeg;
    case FileFormat::Tiff: return ItemKind::Tiff;
    case FileFormat::Bmp: return ItemKind::Bmp;
    case FileFormat::Mpeg: return ItemKind::Mpeg;
    case FileFormat::Avi: return ItemKind::Avi;
    case FileFormat::Recording: return ItemKind::Recording;
    case FileFormat::Gif: break;
  }
  return ItemKind::None;
}

// <0, 0, >0 as plain bytes (unsigned), like a byte-wise string comparison.
int CompareBytes(std::string_view a, std::string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

std::string LowerExtension(std::string_view text) {
  const size_t dot = text.find_last_of('.');
  return AsciiLower(dot == std::string_view::npos ? text : text.substr(dot));
}

ItemKind ItemKindOf(std::string_view path) {
  const FileKind* kind = FileKindOfExtension(path);
  return kind && kind->albumItem ? ItemKindOfFormat(kind->format) : ItemKind::None;
}

std::string ItemNameOf(std::string_view fileName) {
  const size_t dot = fileName.find_last_of('.');
  return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

SortKey SortKeyOfCommand(uint32_t commandId) {
  switch (commandId) {
    case kSortCommandByType:
      return SortKey::Type;
    case kSortCommandByDate:
      return SortKey::Date;
    default:
      return SortKey::Name;
  }
}

bool IsForwardCommand(uint32_t commandId) { return commandId != kSortCommandReverse; }

int CompareItems(const AlbumItem& a, const AlbumItem& b, SortKey key, bool forward) {
  const AlbumItem& x = forward ? a : b;
  const AlbumItem& y = forward ? b : a;
  switch (key) {
    case SortKey::Name:
      return CompareBytes(x.name, y.name);
    case SortKey::Type:
      return CompareBytes(LowerExtension(x.path), LowerExtension(y.path));
    case SortKey::Date:
      // Whole local seconds order exactly as their "%Y-%m-%d %H:%M:%S" texts do.
      return x.time < y.time ? -1 : x.time > y.time ? 1 : 0;
  }
  return 0;
}

std::string FormatLocalSeconds(int64_t localSeconds) {
  const std::time_t t = static_cast<std::time_t>(localSeconds);
  std::tm parts{};
  // The seconds already are local wall-clock time: convert them without a zone.
  if (!gmtime_r(&t, &parts)) return {};
  char text[32];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return std::string(text, n);
}

}  // namespace lumora
