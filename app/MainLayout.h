// The two layouts of the main window as plain data: the window sizes, where
// the album list and the item list go, which buttons each layout shows and
// hides, the item list's colours and the thumbnail and album-icon cells; and
// the placement rules (the work-area minimum, a saved position that must fit,
// the popup menus' points). MainDialog applies them; nothing here knows Qt.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "albums/Thumbnail.h"
#include "settings/Settings.h"
#include "platform/Desktop.h"

namespace lumora::layout {

// ---- Control identifiers of the main window ----------------------------------

inline constexpr uint32_t kAlbumList = 1002;
inline constexpr uint32_t kItemList = 1039;

// Window buttons: large (full-screen layout) and their compact twins.
inline constexpr uint32_t kHelp = 1005, kHelpSmall = 1125;
inline constexpr uint32_t kMinimize = 1006, kMinimizeSmall = 1068;
inline constexpr uint32_t kMaximize = 1124, kMaximizeSmall = 1069;
inline constexpr uint32_t kClose = 1007, kCloseSmall = 1070;
// Menu buttons.
inline constexpr uint32_t kSortButton = 1015, kFileButton = 1016, kEditButton = 1017;
inline constexpr uint32_t kMailButton = 1018, kImportButton = 1019, kExportButton = 1020;
// Album buttons.
inline constexpr uint32_t kNewAlbum = 1023, kDeleteAlbum = 1024, kRenameAlbum = 1025, kAlbumInfo = 1026;
// Companion launch buttons (large, small) and the web buttons.
inline constexpr uint32_t kTvButton = 1011, kTvButtonSmall = 1128;
inline constexpr uint32_t kClipButton = 1012, kClipButtonSmall = 1127;
inline constexpr uint32_t kEncodeButton = 1014, kEncodeButtonSmall = 1126;
inline constexpr uint32_t kVcdButton = 1170, kVcdButtonSmall = 1171;
inline constexpr uint32_t kGuardButton = 1167, kGuardButtonSmall = 1168;  // never shown
inline constexpr uint32_t kIepgButton = 1013, kIepgButtonSmall = 1129;    // hidden in both layouts
inline constexpr uint32_t kMarkButton = 1032, kMarkButtonSmall = 1130, kHomeButton = 1169;

// ---- Window modes -----------------------------------------------------------

enum class WindowMode { Original, Max };
// "Original" or "MAX", as the window keeps its mode.
std::string_view ModeText(WindowMode mode);

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};
struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};
struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// The window at initialisation, and after each return to the compact layout.
inline constexpr Size kStartSize{178, 400};
inline constexpr Size kCompactSize{178, 404};

// The smallest work area the program runs in; the taskbar is not counted.
inline constexpr int kMinWorkAreaWidth = 800;
inline constexpr int kMinWorkAreaHeight = 570;
bool WorkAreaLargeEnough(const ScreenRect& workArea);

// Item list background and thumbnail cells per layout, as the cells describe them.
inline constexpr Rgb kItemListColourOriginal{kOriginalCell.listBackground.red, kOriginalCell.listBackground.green,
                                             kOriginalCell.listBackground.blue};
inline constexpr Rgb kItemListColourMax{kMaxCell.listBackground.red, kMaxCell.listBackground.green,
                                        kMaxCell.listBackground.blue};
inline constexpr Size kThumbnailCellOriginal{kOriginalCell.width, kOriginalCell.height};
inline constexpr Size kThumbnailCellMax{kMaxCell.width, kMaxCell.height};

// Album-icon strips per layout.
struct AlbumIcons {
  uint32_t bitmap;
  Size cell;
};
inline constexpr AlbumIcons kAlbumIconsOriginal{427, {25, 20}};
inline constexpr AlbumIcons kAlbumIconsMax{428, {42, 40}};

// Everything that differs between the two layouts.
struct ModeLook {
  Rgb itemListColour;
  Size thumbnailCell;
  AlbumIcons albumIcons;
};
ModeLook LookOf(WindowMode mode);

// ---- Lists ------------------------------------------------------------------

struct ListPlaces {
  Rect itemList;
  Rect albumList;
};
// The compact panel: the album list is lower and shorter with fewer than two
// albums.
ListPlaces CompactLists(int albumCount);
// The full-screen layout for a window of `size` (the work area).
ListPlaces MaxLists(Size size);

// The frame drawn around the item area in the full-screen layout, from
// (144, 74) to (width - 29, height - 109).
struct FrameCorners {
  Point topLeft;
  Point bottomRight;
};
FrameCorners MaxItemFrame(Size size);

// ---- Buttons shown and hidden -----------------------------------------------

// Entering the compact layout. The small iEPG and surveillance buttons are
// hidden from the start and in no list: no layout ever shows them.
inline constexpr std::array<uint32_t, 21> kHiddenInCompact = {
    kNewAlbum,   kDeleteAlbum,  kRenameAlbum,  kAlbumInfo, kSortButton,   kFileButton, kEditButton,
    kMailButton, kImportButton, kExportButton, kTvButton,  kClipButton,   kIepgButton, kEncodeButton,
    kMarkButton, kGuardButton,  kVcdButton,    kHelp,      kMinimize,     kMaximize,   kClose};
inline constexpr std::array<uint32_t, 10> kShownInCompact = {
    kMarkButtonSmall, kEncodeButtonSmall, kTvButtonSmall, kClipButtonSmall, kVcdButtonSmall,
    kHomeButton,      kHelpSmall,         kMaximizeSmall, kMinimizeSmall,   kCloseSmall};
// Entering the full-screen layout.
inline constexpr std::array<uint32_t, 13> kHiddenInMax = {
    kMarkButtonSmall, kEncodeButtonSmall, kIepgButtonSmall, kTvButtonSmall, kClipButtonSmall,
    kGuardButtonSmall, kVcdButtonSmall,   kHomeButton,      kHelpSmall,     kMaximizeSmall,
    kMinimizeSmall,   kCloseSmall,        kIepgButton};
inline constexpr std::array<uint32_t, 19> kShownInMax = {
    kNewAlbum,  kDeleteAlbum, kRenameAlbum, kAlbumInfo, kSortButton, kFileButton, kEditButton,
    kMailButton, kImportButton, kExportButton, kMarkButton, kHelp,   kMinimize,   kMaximize,
    kClose,     kTvButton,    kEncodeButton, kClipButton, kVcdButton};

std::span<const uint32_t> HiddenIn(WindowMode mode);
std::span<const uint32_t> ShownIn(WindowMode mode);

// Buttons that no layout shows, with the bitmap set each is made with; every
// other button has a place in the skin's layout tables (resources/SkinLayout.h).
struct UnplacedButton {
  uint32_t control;
  std::string_view set;
};
inline constexpr std::array<UnplacedButton, 4> kUnplacedButtons = {
    UnplacedButton{kIepgButton, "iepg"},
    UnplacedButton{kIepgButtonSmall, "iepg"},
    UnplacedButton{kGuardButton, "security"},
    UnplacedButton{kGuardButtonSmall, "security"},
};
// Created disabled as well as hidden.
inline constexpr std::array<uint32_t, 2> kDisabledButtons = {kGuardButton, kGuardButtonSmall};

// ---- Tooltips ---------------------------------------------------------------

// The string shown by each button's tooltip; kTipHomePage shows the maker's
// home-page address instead.
inline constexpr uint32_t kTipHomePage = 0;
struct ButtonTip {
  uint32_t control;
  uint32_t string;
};
inline constexpr std::array<ButtonTip, 29> kButtonTips = {{
    {kHelp, 101},         {kHelpSmall, 101},         {kMinimize, 102},       {kMinimizeSmall, 102},
    {kClose, 103},        {kCloseSmall, 103},        {kMaximize, 135},       {kMaximizeSmall, 136},
    {kFileButton, 104},   {kSortButton, 105},        {kEditButton, 106},     {kMailButton, 107},
    {kImportButton, 108}, {kExportButton, 109},      {kTvButton, 134},       {kTvButtonSmall, 134},
    {kEncodeButton, 113}, {kEncodeButtonSmall, 113}, {kClipButton, 132},     {kClipButtonSmall, 132},
    {kVcdButton, 133},    {kVcdButtonSmall, 133},    {kNewAlbum, 116},       {kDeleteAlbum, 117},
    {kRenameAlbum, 118},  {kAlbumInfo, 119},         {kMarkButton, kTipHomePage},
    {kMarkButtonSmall, kTipHomePage}, {kHomeButton, kTipHomePage},
}};
// The button tooltips wrap at this width, in pixels.
inline constexpr int kButtonTipMaxWidth = 200;
// The item list's tooltip until the item list sets one per item.
inline constexpr std::string_view kItemListTip = "ListBox Tool Tip";

// ---- Placement --------------------------------------------------------------

// The saved position when the window, at `size`, lies wholly inside the work
// area there; nothing when no position is saved or it does not fit.
std::optional<Point> SavedPlacement(const WindowPosition& saved, Size size, const ScreenRect& workArea);
// The top-left corner that centres a window of `size` in the work area.
Point Centred(Size size, const ScreenRect& workArea);

// ---- Popup menus ------------------------------------------------------------

// The popups of menu 248 that the menu buttons open, and where: the top-left
// corner lies at (window width - offset, 62).
struct PopupPlace {
  uint32_t button;
  std::string_view popup;
  int offsetFromRight;
};
inline constexpr int kPopupTop = 62;
inline constexpr std::array<PopupPlace, 3> kPopups = {
    PopupPlace{kFileButton, "file", 651},
    PopupPlace{kSortButton, "sort", 548},
    PopupPlace{kImportButton, "import", 231},
};
const PopupPlace* PopupOf(uint32_t button);
Point PopupPoint(const PopupPlace& place, int windowWidth);

}  // namespace lumora::layout
