// The program's user-interface resources: strings, menus, bitmaps, raw data,
// cursors and icons by numeric identifier. The built-in set is compiled into every
// executable that links lumora_resources; a resource library "Lumora.rcc" beside
// the program can replace any of them.
//
// Resource tree (the same in the built-in set and in a resource library; a library
// is made with `rcc --binary` from a .qrc whose prefix is "/lumora"):
//   lumora/strings.json       string table (see StringTable.h for the form)
//   lumora/menus.json         menu table (see Menu.h)
//   lumora/bitmap/<id>.bmp    a BMP file, kept byte for byte (magenta is transparent)
//   lumora/data/<id>          raw resource data (JPEG pictures, the window region)
//   lumora/cursor/<id>.cur    a cursor file; its first image's hotspot is read here
//   lumora/icon/<id>.ico      an icon file
//
// Resource library rules:
// - It is looked for once, at construction, as "Lumora.rcc" in the program folder.
//   Absent, unreadable or not a resource file: the built-in set serves, silently.
// - It is mapped under a root of its own, so its paths never mix with the built-in ones.
// - Each item is looked up in the library first and, when the library lacks it, in
//   the built-in set: a partial library replaces only what it holds. For the string
//   and menu tables this holds per string id and per menu id. A library table that
//   does not parse is ignored as a whole (see LibraryProblems()).
// - OwnData() never consults the library: the window outline comes from the program.
// - The library is unmapped when the object is destroyed; copies returned earlier
//   stay valid.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resources/Menu.h"
#include "resources/StringTable.h"

namespace lumora {

inline constexpr std::string_view kResourceLibraryFileName = "Lumora.rcc";

struct CursorImage {
  std::vector<uint8_t> bytes;  // the whole cursor file, for the window side to decode
  int hotspotX = 0;
  int hotspotY = 0;
};

class Resources {
 public:
  // Loads the built-in tables and, when present and valid, the resource library
  // `programFolder`/Lumora.rcc.
  explicit Resources(const std::filesystem::path& programFolder);
  ~Resources();
  Resources(const Resources&) = delete;
  Resources& operator=(const Resources&) = delete;

  // True when a resource library was found and mapped.
  bool LibraryLoaded() const { return !libraryRoot_.empty(); }
  // Why parts of a mapped library were ignored (a table that does not parse), one
  // line each with the numbers involved; empty when nothing was ignored.
  const std::vector<std::string>& LibraryProblems() const { return libraryProblems_; }

  // Text of a string-table entry, UTF-8.
  std::optional<std::string> String(uint32_t id) const;
  // Menu by identifier, as plain data.
  std::optional<Menu> GetMenu(uint32_t id) const;
  // The bytes of a BMP file.
  std::optional<std::vector<uint8_t>> Bitmap(uint32_t id) const;
  // Raw resource data: library first, then built-in.
  std::optional<std::vector<uint8_t>> Data(uint32_t id) const;
  // Raw resource data from the built-in set only (the window outline, 369).
  std::optional<std::vector<uint8_t>> OwnData(uint32_t id) const;
  // A cursor file with its hotspot; a library cursor whose header does not parse
  // gives way to the built-in one.
  std::optional<CursorImage> Cursor(uint32_t id) const;
  // The bytes of an icon file.
  std::optional<std::vector<uint8_t>> Icon(uint32_t id) const;

 private:
  // Reads `relative` (e.g. "data/452") from the library, then from the built-in set.
  std::optional<std::vector<uint8_t>> Item(const std::string& relative) const;
  // Qt path of `relative` inside the mapped library.
  std::string LibraryItemPath(std::string_view relative) const;
  void LoadLibraryTables();

  std::filesystem::path libraryFile_;  // registered file; empty when none
  std::string libraryRoot_;  // map root of the library, e.g. "/lumora-library-1"; empty when none
  std::vector<std::string> libraryProblems_;
  StringTable builtinStrings_;
  StringTable libraryStrings_;
  MenuTable builtinMenus_;
  MenuTable libraryMenus_;
};

}  // namespace lumora
