// Identifiers of the resources and menu commands that the program refers to by
// number. Settings store the sort command identifiers as they are, so these values
// never change.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace lumora::res {

// Menus.
inline constexpr uint32_t kMenuMain = 248;  // popups "file", "sort", "edit", "help", "import"
inline constexpr uint32_t kMenuItemContext = 252;  // "MouseRight": the item list's context menu
inline constexpr uint32_t kMenuDropChoice = 9002;  // right-button drop: Copy, Move, Link, Cancel

// Popups of the main menu that the menu buttons show.
inline constexpr std::string_view kPopupFile = "file";
inline constexpr std::string_view kPopupSort = "sort";
inline constexpr std::string_view kPopupImport = "import";
inline constexpr size_t kImportPopupIndex = 4;  // the fifth popup of the main menu
// The sort sub-menu of the context menu.
inline constexpr std::string_view kPopupContextSort = "Sort";

// Menu commands.
inline constexpr uint32_t kCmdSortByName = 32771;
inline constexpr uint32_t kCmdSortByDate = 32772;
inline constexpr uint32_t kCmdSortByType = 32773;
inline constexpr uint32_t kCmdSortForward = 32811;
inline constexpr uint32_t kCmdSortReverse = 32812;
inline constexpr uint32_t kCmdAdd = 32783;
inline constexpr uint32_t kCmdInformation = 32784;
inline constexpr uint32_t kCmdDelete = 32787;
inline constexpr uint32_t kCmdRename = 32788;
inline constexpr uint32_t kCmdDuplicate = 32789;
inline constexpr uint32_t kCmdOpen = 32799;
inline constexpr uint32_t kCmdRefresh = 32804;
inline constexpr uint32_t kCmdSelectSource = 32806;
inline constexpr uint32_t kCmdAcquire = 32807;
inline constexpr uint32_t kCmdAbout = 32808;
inline constexpr uint32_t kCmdSelectAll = 32813;
// The drop menu's commands share their numbers with the sort commands; the two
// menus are never open at the same time.
inline constexpr uint32_t kCmdDropCopy = 32771;
inline constexpr uint32_t kCmdDropMove = 32772;
inline constexpr uint32_t kCmdDropLink = 32773;
inline constexpr uint32_t kCmdDropCancel = 32774;

// Resource data.
inline constexpr uint32_t kDataWindowOutline = 369;      // region of the compact window
inline constexpr uint32_t kDataAudioOnlyPicture = 436;   // JPEG shown for audio-only MPEG files
inline constexpr uint32_t kDataCompactBackground = 452;  // JPEG background of the compact window

// Icons, cursors, bitmaps named outside the skin.
inline constexpr uint32_t kIconApplication = 128;
inline constexpr uint32_t kCursorLinkHover = 532;
inline constexpr uint32_t kBitmapSplash = 530;

// Strings.
inline constexpr uint32_t kStringProgressCaption = 1;  // "Wait, please..."
inline constexpr uint32_t kStringProgramName = 14;     // "Lumora": title and message caption

// The message texts the main window loads at start-up, in load order.
inline constexpr auto kMessageStringIds = [] {
  std::array<uint32_t, 45> ids{};
  size_t n = 0;
  for (uint32_t id = 4; id <= 14; ++id) ids[n++] = id;
  for (uint32_t id = 17; id <= 29; ++id) ids[n++] = id;
  for (uint32_t id = 31; id <= 37; ++id) ids[n++] = id;
  for (uint32_t id = 120; id <= 130; ++id) ids[n++] = id;
  ids[n++] = 137;
  ids[n++] = 15;  // progress message, kept in its own buffer
  ids[n++] = 16;  // progress text, kept in its own buffer
  return ids;
}();

}  // namespace lumora::res
