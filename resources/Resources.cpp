// Resource look-up over the built-in Qt resources and an optional resource library.
#include "resources/Resources.h"

#include <QByteArray>
#include <QFile>
#include <QResource>
#include <QString>
#include <atomic>
#include <cassert>

#include "resources/CursorFile.h"

namespace lumora {

namespace {

// Root of the built-in tree; a library's tree is the same below its own map root.
constexpr std::string_view kTreeRoot = "/lumora/";
constexpr std::string_view kLibraryRootStem = "/lumora-library-";

// Each mapped library gets its own root, so that two objects alive at once (and a
// library mapped again after an earlier one was unmapped) never share paths.
std::atomic<unsigned> nextLibraryNumber{1};

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString LibraryPath(const std::filesystem::path& file) {
  return QString::fromStdU16String(file.u16string());
}

// Qt keeps the buffer or the mapping of a file that it refuses to register, so a
// file that plainly is not a resource library (empty, or without the "qres"
// magic of `rcc --binary` output) is not offered to it at all.
bool LooksLikeResourceLibrary(const QString& path) {
  constexpr std::string_view kMagic = "qres";
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(static_cast<qint64>(kMagic.size()));
  return head.size() == static_cast<qsizetype>(kMagic.size()) &&
         std::string_view(head.constData(), kMagic.size()) == kMagic;
}

std::optional<std::vector<uint8_t>> ReadResource(const std::string& path) {
  QFile file(ToQString(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.readAll();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string BuiltinPath(std::string_view relative) {
  return ":" + std::string(kTreeRoot) + std::string(relative);
}

std::optional<CursorImage> CursorFromBytes(std::optional<std::vector<uint8_t>> bytes) {
  if (!bytes) return std::nullopt;
  const CursorParseResult parsed = ParseCursorHotspot(*bytes);
  if (!parsed.hotspot) return std::nullopt;
  return CursorImage{std::move(*bytes), parsed.hotspot->x, parsed.hotspot->y};
}

}  // namespace

Resources::Resources(const std::filesystem::path& programFolder) {
  // The built-in tables are part of the program; a failure here is a build fault
  // that the resource tests catch.
  if (auto bytes = ReadResource(BuiltinPath("strings.json"))) {
    StringTableParseResult parsed = ParseStringTable(*bytes);
    assert(parsed.strings && "built-in strings.json does not parse");
    if (parsed.strings) builtinStrings_ = std::move(*parsed.strings);
  }
  if (auto bytes = ReadResource(BuiltinPath("menus.json"))) {
    MenuTableParseResult parsed = ParseMenuTable(*bytes);
    assert(parsed.menus && "built-in menus.json does not parse");
    if (parsed.menus) builtinMenus_ = std::move(*parsed.menus);
  }

  const std::filesystem::path file = programFolder / kResourceLibraryFileName;
  const std::string root = std::string(kLibraryRootStem) + std::to_string(nextLibraryNumber++);
  const QString path = LibraryPath(file);
  if (!LooksLikeResourceLibrary(path) || !QResource::registerResource(path, ToQString(root)))
    return;
  libraryFile_ = file;
  libraryRoot_ = root;
  LoadLibraryTables();
}

Resources::~Resources() {
  if (LibraryLoaded())
    QResource::unregisterResource(LibraryPath(libraryFile_), ToQString(libraryRoot_));
}

void Resources::LoadLibraryTables() {
  if (auto bytes = ReadResource(LibraryItemPath("strings.json"))) {
    StringTableParseResult parsed = ParseStringTable(*bytes);
    if (parsed.strings)
      libraryStrings_ = std::move(*parsed.strings);
    else
      libraryProblems_.push_back(std::string(kResourceLibraryFileName) +
                                 " strings.json ignored: " + parsed.error);
  }
  if (auto bytes = ReadResource(LibraryItemPath("menus.json"))) {
    MenuTableParseResult parsed = ParseMenuTable(*bytes);
    if (parsed.menus)
      libraryMenus_ = std::move(*parsed.menus);
    else
      libraryProblems_.push_back(std::string(kResourceLibraryFileName) +
                                 " menus.json ignored: " + parsed.error);
  }
}

std::string Resources::LibraryItemPath(std::string_view relative) const {
  return ":" + libraryRoot_ + std::string(kTreeRoot) + std::string(relative);
}

std::optional<std::vector<uint8_t>> Resources::Item(const std::string& relative) const {
  if (LibraryLoaded()) {
    if (auto bytes = ReadResource(LibraryItemPath(relative))) return bytes;
  }
  return ReadResource(BuiltinPath(relative));
}

std::optional<std::string> Resources::String(uint32_t id) const {
  if (auto it = libraryStrings_.find(id); it != libraryStrings_.end()) return it->second;
  if (auto it = builtinStrings_.find(id); it != builtinStrings_.end()) return it->second;
  return std::nullopt;
}

std::optional<Menu> Resources::GetMenu(uint32_t id) const {
  if (auto it = libraryMenus_.find(id); it != libraryMenus_.end()) return it->second;
  if (auto it = builtinMenus_.find(id); it != builtinMenus_.end()) return it->second;
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> Resources::Bitmap(uint32_t id) const {
  return Item("bitmap/" + std::to_string(id) + ".bmp");
}

std::optional<std::vector<uint8_t>> Resources::Data(uint32_t id) const {
  return Item("data/" + std::to_string(id));
}

std::optional<std::vector<uint8_t>> Resources::OwnData(uint32_t id) const {
  return ReadResource(BuiltinPath("data/" + std::to_string(id)));
}

std::optional<CursorImage> Resources::Cursor(uint32_t id) const {
  const std::string relative = "cursor/" + std::to_string(id) + ".cur";
  if (LibraryLoaded()) {
    if (auto cursor = CursorFromBytes(ReadResource(LibraryItemPath(relative)))) return cursor;
  }
  return CursorFromBytes(ReadResource(BuiltinPath(relative)));
}

std::optional<std::vector<uint8_t>> Resources::Icon(uint32_t id) const {
  return Item("icon/" + std::to_string(id) + ".ico");
}

}  // namespace lumora
