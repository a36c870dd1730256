// Where the skin's pictures go on the main window. The skin generator
// (tools/skin) draws every picture to the sizes given here and draws the
// backgrounds around the button places given here; the window paints and places
// by the same tables.
//
// - Buttons: each button set (normal, hover, active bitmap) with its size, and
//   the place of every visible button in the compact panel and in the
//   full-screen layout. Buttons are cut to shape by the transparent colour.
// - Full-screen background: the pieces in painting order, each drawn once at
//   its place or tiled over its rectangle. Coordinates are measured from the
//   window's left or top edge, or from its right or bottom edge (negative
//   offsets), so the same table serves every work-area size of at least
//   800 x 570. The pieces are opaque and together cover everything the two
//   lists and the buttons leave free.
// - Compact panel: the background is the one JPEG picture (178 x 400); only the
//   button places are listed.
// - The album strips, thumbnail frames and list backgrounds with their sizes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace lumora::skin {

// Pixels of exactly this colour (red 255, green 0, blue 255) are cut out of a
// button and are transparent in the album strips. No other pixel of those
// bitmaps lies within kKeyClearance of it in all three channels, so any
// tolerance up to that value cuts the same shape.
inline constexpr uint8_t kKeyRed = 255;
inline constexpr uint8_t kKeyGreen = 0;
inline constexpr uint8_t kKeyBlue = 255;
inline constexpr int kKeyClearance = 24;
// The tolerance the window sets on its buttons.
inline constexpr int kButtonTolerance = 8;

// A coordinate measured from the window's start (left or top) or, for a
// negative offset, from its end (right or bottom): At(1024) of Edge{-90} is 934.
struct Edge {
  int offset = 0;
  bool fromEnd = false;
  constexpr int At(int extent) const { return fromEnd ? extent + offset : offset; }
};
constexpr Edge Start(int offset) { return {offset, false}; }
constexpr Edge End(int offset) { return {offset, true}; }

// ---- Buttons ----------------------------------------------------------------

struct ButtonSet {
  std::string_view name;
  uint32_t normal;
  uint32_t hover;
  uint32_t active;  // 0: the set has no active bitmap (the normal one serves)
  int width;
  int height;
};

// Every set the main window's buttons use. Alternate and disabled bitmaps are
// the normal one.
inline constexpr std::array kButtonSets = {
    ButtonSet{"mark", 215, 216, 265, 36, 36},
    ButtonSet{"File", 160, 161, 0, 96, 30},
    ButtonSet{"Sort", 166, 167, 0, 96, 30},
    ButtonSet{"Edit", 156, 157, 0, 96, 30},
    ButtonSet{"Mail", 164, 165, 0, 96, 30},
    ButtonSet{"Import", 162, 163, 0, 96, 30},
    ButtonSet{"Export", 158, 159, 0, 96, 30},
    ButtonSet{"DVR", 422, 415, 416, 54, 40},
    ButtonSet{"editor", 423, 424, 425, 54, 40},
    ButtonSet{"encoder", 417, 418, 419, 54, 40},
    ButtonSet{"iepg", 420, 421, 414, 54, 40},
    ButtonSet{"security", 536, 535, 534, 54, 40},
    ButtonSet{"VCD", 543, 544, 545, 54, 40},
    ButtonSet{"Help", 244, 243, 0, 20, 20},
    ButtonSet{"Close", 241, 242, 0, 20, 20},
    ButtonSet{"Minimize", 240, 239, 0, 20, 20},
    ButtonSet{"Maximize", 406, 409, 0, 20, 20},
    ButtonSet{"NEW", 168, 169, 170, 79, 28},
    ButtonSet{"DELETE", 197, 192, 193, 80, 28},
    ButtonSet{"RENAME", 191, 198, 199, 84, 28},
    ButtonSet{"INFO", 194, 195, 196, 70, 29},
    // The photo editor's buttons. The active look of the panel tabs and of
    // region select shows the current panel and the mode that is on.
    ButtonSet{"ed-prev", 600, 601, 602, 96, 30},
    ButtonSet{"ed-next", 603, 604, 605, 96, 30},
    ButtonSet{"ed-original", 606, 607, 608, 96, 30},
    ButtonSet{"ed-save", 609, 610, 611, 96, 30},
    ButtonSet{"ed-wallpaper", 612, 613, 614, 96, 30},
    ButtonSet{"ed-close", 615, 616, 617, 96, 30},
    ButtonSet{"ed-tab-distortion", 620, 621, 622, 48, 28},
    ButtonSet{"ed-tab-color", 623, 624, 625, 48, 28},
    ButtonSet{"ed-tab-filter", 626, 627, 628, 48, 28},
    ButtonSet{"ed-flip-h", 630, 631, 632, 64, 40},
    ButtonSet{"ed-flip-v", 633, 634, 635, 64, 40},
    ButtonSet{"ed-rotate-ccw", 636, 637, 638, 64, 40},
    ButtonSet{"ed-rotate-cw", 639, 640, 641, 64, 40},
    ButtonSet{"ed-load-image", 642, 643, 644, 136, 28},
    ButtonSet{"ed-unload-image", 645, 646, 647, 136, 28},
    ButtonSet{"ed-invert", 650, 651, 652, 26, 26},
    ButtonSet{"ed-grey", 653, 654, 655, 26, 26},
    ButtonSet{"ed-swap-rg", 656, 657, 658, 26, 26},
    ButtonSet{"ed-swap-gb", 659, 660, 661, 26, 26},
    ButtonSet{"ed-swap-rb", 662, 663, 664, 26, 26},
    ButtonSet{"ed-down", 670, 671, 672, 20, 20},
    ButtonSet{"ed-up", 673, 674, 675, 20, 20},
    ButtonSet{"ed-zoom-out", 680, 681, 682, 28, 28},
    ButtonSet{"ed-zoom-in", 683, 684, 685, 28, 28},
    ButtonSet{"ed-region", 686, 687, 688, 96, 30},
    ButtonSet{"ed-trim", 689, 690, 691, 96, 30},
    ButtonSet{"ed-bgcolor", 692, 693, 694, 96, 30},
};

constexpr const ButtonSet* FindButtonSet(std::string_view name) {
  for (const ButtonSet& set : kButtonSets) {
    if (set.name == name) return &set;
  }
  return nullptr;
}

// A button control, the set it shows and its top-left corner.
struct ButtonPlace {
  uint32_t control;
  std::string_view set;
  Edge x;
  Edge y;
};

// The compact panel (178 x 400). The small twins show the sets of their large
// twins. 1130 and 1169 both open the home page and both show the mark: they
// share one place, so the panel shows one badge. The buttons hidden in this
// layout (1129, 1168) have no place.
inline constexpr std::array kCompactButtons = {
    ButtonPlace{1125, "Help", Start(86), Start(6)},
    ButtonPlace{1068, "Minimize", Start(108), Start(6)},
    ButtonPlace{1069, "Maximize", Start(130), Start(6)},
    ButtonPlace{1070, "Close", Start(152), Start(6)},
    ButtonPlace{1128, "DVR", Start(116), Start(40)},
    ButtonPlace{1127, "editor", Start(116), Start(86)},
    ButtonPlace{1126, "encoder", Start(116), Start(132)},
    ButtonPlace{1171, "VCD", Start(116), Start(178)},
    ButtonPlace{1130, "mark", Start(130), Start(352)},
    ButtonPlace{1169, "mark", Start(130), Start(352)},
};

// The full-screen layout. The album buttons are where the layout rules put
// them; the menu buttons' left edges line up with their popup menus. The
// hidden buttons (1013, 1167) have no place.
inline constexpr std::array kMaxButtons = {
    ButtonPlace{1032, "mark", Start(14), Start(19)},
    ButtonPlace{1016, "File", End(-651), Start(32)},
    ButtonPlace{1015, "Sort", End(-546), Start(32)},
    ButtonPlace{1017, "Edit", End(-441), Start(32)},
    ButtonPlace{1018, "Mail", End(-336), Start(32)},
    ButtonPlace{1019, "Import", End(-231), Start(32)},
    ButtonPlace{1020, "Export", End(-126), Start(32)},
    ButtonPlace{1005, "Help", End(-110), Start(4)},
    ButtonPlace{1006, "Minimize", End(-86), Start(4)},
    ButtonPlace{1124, "Maximize", End(-62), Start(4)},
    ButtonPlace{1007, "Close", End(-38), Start(4)},
    ButtonPlace{1011, "DVR", Start(14), Start(126)},
    ButtonPlace{1012, "editor", Start(76), Start(126)},
    ButtonPlace{1014, "encoder", Start(14), Start(172)},
    ButtonPlace{1170, "VCD", Start(76), Start(172)},
    ButtonPlace{1023, "NEW", Start(26), End(-90)},
    ButtonPlace{1024, "DELETE", Start(25), End(-58)},
    ButtonPlace{1025, "RENAME", End(-104), End(-90)},
    ButtonPlace{1026, "INFO", End(-90), End(-58)},
};

// The photo editor (in the full-screen layout). The top tray holds the
// picture commands where the menu buttons were; the panel tabs and the
// current panel's controls sit in the editor panel on the left (kEditorPanel),
// the view commands in the tray at the bottom where the album list was. The
// level rows of the "Color" and "Filter" panels start at these tops, one
// every kEditorRowPitch pixels: a label line, then the Down button, the
// bar or bar pair and the Up button.
inline constexpr int kEditorColorRowsTop = 156;
inline constexpr int kEditorFilterRowsTop = 122;
inline constexpr int kEditorRowPitch = 34;
inline constexpr int kEditorRowLabel = 14;  // the label line above a row's controls
constexpr int EditorRow(int top, int row) { return top + row * kEditorRowPitch + kEditorRowLabel; }

inline constexpr std::array kEditorButtons = {
    // Picture commands.
    ButtonPlace{1057, "ed-prev", End(-651), Start(32)},
    ButtonPlace{1058, "ed-next", End(-546), Start(32)},
    ButtonPlace{1063, "ed-original", End(-441), Start(32)},
    ButtonPlace{1065, "ed-save", End(-336), Start(32)},
    ButtonPlace{1137, "ed-wallpaper", End(-231), Start(32)},
    ButtonPlace{1055, "ed-close", End(-126), Start(32)},
    // Panel tabs.
    ButtonPlace{1138, "ed-tab-distortion", Start(5), Start(84)},
    ButtonPlace{1142, "ed-tab-color", Start(53), Start(84)},
    ButtonPlace{1143, "ed-tab-filter", Start(101), Start(84)},
    // "Distortion".
    ButtonPlace{1093, "ed-flip-h", Start(9), Start(124)},
    ButtonPlace{1094, "ed-flip-v", Start(81), Start(124)},
    ButtonPlace{1095, "ed-rotate-ccw", Start(9), Start(170)},
    ButtonPlace{1096, "ed-rotate-cw", Start(81), Start(170)},
    ButtonPlace{1139, "ed-load-image", Start(9), Start(222)},
    ButtonPlace{1140, "ed-unload-image", Start(9), Start(256)},
    // "Color": the toggles, then the rows of brightness, contrast, red, green, blue.
    ButtonPlace{1062, "ed-invert", Start(6), Start(122)},
    ButtonPlace{1145, "ed-grey", Start(35), Start(122)},
    ButtonPlace{1097, "ed-swap-rg", Start(64), Start(122)},
    ButtonPlace{1098, "ed-swap-gb", Start(93), Start(122)},
    ButtonPlace{1099, "ed-swap-rb", Start(122), Start(122)},
    ButtonPlace{1100, "ed-down", Start(8), Start(EditorRow(kEditorColorRowsTop, 0))},
    ButtonPlace{1101, "ed-up", Start(126), Start(EditorRow(kEditorColorRowsTop, 0))},
    ButtonPlace{1102, "ed-down", Start(8), Start(EditorRow(kEditorColorRowsTop, 1))},
    ButtonPlace{1103, "ed-up", Start(126), Start(EditorRow(kEditorColorRowsTop, 1))},
    ButtonPlace{1146, "ed-down", Start(8), Start(EditorRow(kEditorColorRowsTop, 2))},
    ButtonPlace{1149, "ed-up", Start(126), Start(EditorRow(kEditorColorRowsTop, 2))},
    ButtonPlace{1147, "ed-down", Start(8), Start(EditorRow(kEditorColorRowsTop, 3))},
    ButtonPlace{1150, "ed-up", Start(126), Start(EditorRow(kEditorColorRowsTop, 3))},
    ButtonPlace{1148, "ed-down", Start(8), Start(EditorRow(kEditorColorRowsTop, 4))},
    ButtonPlace{1151, "ed-up", Start(126), Start(EditorRow(kEditorColorRowsTop, 4))},
    // "Filter": blur, sharpen, emboss, mosaic, random pattern, tile size, scatter.
    ButtonPlace{1104, "ed-down", Start(8), Start(EditorRow(kEditorFilterRowsTop, 0))},
    ButtonPlace{1105, "ed-up", Start(126), Start(EditorRow(kEditorFilterRowsTop, 0))},
    ButtonPlace{1110, "ed-down", Start(8), Start(EditorRow(kEditorFilterRowsTop, 1))},
    ButtonPlace{1111, "ed-up", Start(126), Start(EditorRow(kEditorFilterRowsTop, 1))},
    ButtonPlace{1106, "ed-down", Start(8), Start(EditorRow(kEditorFilterRowsTop, 2))},
    ButtonPlace{1107, "ed-up", Start(126), Start(EditorRow(kEditorFilterRowsTop, 2))},
    ButtonPlace{1108, "ed-down", Start(8), Start(EditorRow(kEditorFilterRowsTop, 3))},
    ButtonPlace{1109, "ed-up", Start(126), Start(EditorRow(kEditorFilterRowsTop, 3))},
    ButtonPlace{1158, "ed-down", Start(8), Start(EditorRow(kEditorFilterRowsTop, 4))},
    ButtonPlace{1161, "ed-up", Start(126), Start(EditorRow(kEditorFilterRowsTop, 4))},
    ButtonPlace{1159, "ed-down", Start(8), Start(EditorRow(kEditorFilterRowsTop, 5))},
    ButtonPlace{1162, "ed-up", Start(126), Start(EditorRow(kEditorFilterRowsTop, 5))},
    ButtonPlace{1160, "ed-down", Start(8), Start(EditorRow(kEditorFilterRowsTop, 6))},
    ButtonPlace{1163, "ed-up", Start(126), Start(EditorRow(kEditorFilterRowsTop, 6))},
    // View commands in the bottom tray: zoom out, (the zoom list), zoom in,
    // region select, trim, background colour.
    ButtonPlace{1132, "ed-zoom-out", Start(124), End(-80)},
    ButtonPlace{1131, "ed-zoom-in", Start(236), End(-80)},
    ButtonPlace{1134, "ed-region", Start(276), End(-81)},
    ButtonPlace{1135, "ed-trim", Start(376), End(-81)},
    ButtonPlace{1136, "ed-bgcolor", Start(476), End(-81)},
};

// Rectangles of the editor that are not buttons, measured like the pieces.
struct Area {
  Edge left;
  Edge top;
  Edge right;
  Edge bottom;
};
// The editor panel on the left: its background is repainted when the panel
// changes.
inline constexpr int kEditorPanelWidth = 154;
inline constexpr Area kEditorPanel{Start(0), Start(74), Start(kEditorPanelWidth), End(-109)};
// The picture view, and the frame drawn around it (top and left edges black,
// right and bottom white, as around the item list).
inline constexpr Area kEditorView{Start(165), Start(75), End(-30), End(-110)};
inline constexpr Area kEditorFrame{Start(164), Start(74), End(-29), End(-109)};
// The tray of view commands (the album list's well in the album view).
inline constexpr Area kEditorTray{Start(114), End(-88), End(-116), End(0)};

// ---- Full-screen background ---------------------------------------------------

enum class Fill {
  Once,  // drawn at (left, top) at its own size; right and bottom are unused
  Tile,  // repeated from (left, top) over the rectangle to (right, bottom), clipped
};

struct Piece {
  uint32_t bitmap;
  std::string_view role;
  int width;
  int height;
  Fill fill;
  Edge left;
  Edge top;
  Edge right;
  Edge bottom;
};

// Painting order: later pieces lie over earlier ones. Tiles are uniform along
// the direction they repeat in, so a tile's phase never shows. The item list
// (145, 75, width - 175 by height - 185) sits in the hole the pieces leave from
// (144, 74) to (width - 29, height - 109), where the window draws its frame;
// the album list (118, height - 84, width - 238 by 80) sits in the well that
// pieces 517 to 524 ring.
inline constexpr std::array kMaxPieces = {
    Piece{230, "top bar", 16, 74, Fill::Tile, Start(0), Start(0), End(0), Start(74)},
    Piece{274, "bottom bar", 16, 109, Fill::Tile, Start(0), End(-109), End(0), End(0)},
    Piece{236, "left panel", 144, 16, Fill::Tile, Start(0), Start(74), Start(144), End(-109)},
    Piece{271, "right rim", 29, 16, Fill::Tile, End(-29), Start(74), End(0), End(-109)},
    Piece{229, "brand corner (under the mark button)", 136, 74, Fill::Once, Start(0), Start(0), {}, {}},
    Piece{231, "window-button tray", 104, 26, Fill::Once, End(-116), Start(1), {}, {}},
    Piece{232, "menu tray, left end", 14, 38, Fill::Once, End(-665), Start(28), {}, {}},
    Piece{233, "menu tray", 16, 38, Fill::Tile, End(-651), Start(28), End(-30), Start(66)},
    Piece{234, "menu tray, right end", 14, 38, Fill::Once, End(-30), Start(28), {}, {}},
    Piece{235, "left panel heading", 144, 44, Fill::Once, Start(0), Start(74), {}, {}},
    Piece{237, "card under the launch buttons", 132, 100, Fill::Once, Start(6), Start(118), {}, {}},
    Piece{238, "left panel foot", 144, 150, Fill::Once, Start(0), End(-259), {}, {}},
    Piece{291, "bottom-left block (under New and Delete)", 118, 109, Fill::Once, Start(0), End(-109), {}, {}},
    Piece{477, "bottom-right block (under Rename and Information)", 120, 109, Fill::Once, End(-120), End(-109),
          {}, {}},
    Piece{480, "album caption", 80, 19, Fill::Once, Start(120), End(-107), {}, {}},
    Piece{517, "album well, top-left corner", 4, 4, Fill::Once, Start(114), End(-88), {}, {}},
    Piece{518, "album well, top edge", 16, 4, Fill::Tile, Start(118), End(-88), End(-120), End(-84)},
    Piece{519, "album well, top-right corner", 4, 4, Fill::Once, End(-120), End(-88), {}, {}},
    Piece{520, "album well, left edge", 4, 16, Fill::Tile, Start(114), End(-84), Start(118), End(-4)},
    Piece{521, "album well, right edge", 4, 16, Fill::Tile, End(-120), End(-84), End(-116), End(-4)},
    Piece{522, "album well, bottom-left corner", 4, 4, Fill::Once, Start(114), End(-4), {}, {}},
    Piece{523, "album well, bottom edge", 16, 4, Fill::Tile, Start(118), End(-4), End(-120), End(0)},
    Piece{524, "album well, bottom-right corner", 4, 4, Fill::Once, End(-120), End(-4), {}, {}},
    Piece{525, "photo corner at the item frame's top left", 14, 14, Fill::Once, Start(137), Start(67), {}, {}},
    Piece{526, "photo corner at the item frame's top right", 14, 14, Fill::Once, End(-35), Start(67), {}, {}},
    Piece{527, "photo corner at the item frame's bottom left", 14, 14, Fill::Once, Start(137), End(-116), {}, {}},
    Piece{529, "photo corner at the item frame's bottom right", 14, 14, Fill::Once, End(-35), End(-116), {}, {}},
};

// The photo editor's background, painted after kMaxPieces while the editor is
// open. The panel and the gutter up to the view's frame (x 0 to 164) get the
// side panel's dark surround with the tabs' tray, a light sheet under the
// panel's controls (kEditorSheet), on which the window writes the level rows'
// names in dark text and draws the level bars, and the photo stack at the
// foot; the panel's head starts 7 pixels higher, over the foot of the top bar,
// where the item frame's photo corner reaches. The bottom bar is laid again,
// plain, over the album buttons' trays and the album list's caption and well,
// with the tray of view commands (zoom out at x 124 to background colour
// ending at x 572) and its caption on it. The photo corners move to the view's
// frame. Bitmaps the album view already has are used again by their ids.
inline constexpr Area kEditorSheet{Start(2), Start(118), Start(152), Start(372)};
inline constexpr std::array kEditorPieces = {
    Piece{700, "editor panel", 164, 16, Fill::Tile, Start(0), Start(74), Start(164), End(-109)},
    Piece{701, "editor panel foot", 164, 80, Fill::Once, Start(0), End(-189), {}, {}},
    Piece{702, "editor panel head (tabs' tray, top of the sheet)", 164, 60, Fill::Once, Start(0), Start(67), {}, {}},
    Piece{703, "editor panel sheet", 164, 16, Fill::Tile, Start(0), Start(127), Start(164), Start(360)},
    Piece{704, "editor panel sheet, bottom", 164, 16, Fill::Once, Start(0), Start(360), {}, {}},
    Piece{274, "bottom bar", 16, 109, Fill::Tile, Start(0), End(-109), End(0), End(0)},
    Piece{705, "view tray", 468, 44, Fill::Once, Start(114), End(-88), {}, {}},
    Piece{706, "view caption", 80, 19, Fill::Once, Start(120), End(-107), {}, {}},
    Piece{525, "photo corner at the view frame's top left", 14, 14, Fill::Once, Start(157), Start(67), {}, {}},
    Piece{526, "photo corner at the view frame's top right", 14, 14, Fill::Once, End(-35), Start(67), {}, {}},
    Piece{527, "photo corner at the view frame's bottom left", 14, 14, Fill::Once, Start(157), End(-116), {}, {}},
    Piece{529, "photo corner at the view frame's bottom right", 14, 14, Fill::Once, End(-35), End(-116), {}, {}},
};

// ---- Lists and other pictures -------------------------------------------------

inline constexpr int kCompactWidth = 178;
inline constexpr int kCompactHeight = 400;

// Album strips: cells side by side; magenta is transparent. In both strips
// frame 0 is the closed album. 428: frames 1 to 4 open it, 5 and 6 show it open.
// 427: frames 1 to 6 all show it open (the compact list goes straight to 1).
struct Strip {
  uint32_t bitmap;
  int cellWidth;
  int cellHeight;
  int cells;
};
inline constexpr Strip kCompactAlbums{427, 25, 20, 7};
inline constexpr Strip kMaxAlbums{428, 42, 40, 7};

// Thumbnail frames, the size of a thumbnail cell. Black is what the item list's
// image list masks out.
struct Frame {
  uint32_t bitmap;
  int width;
  int height;
};
inline constexpr Frame kCompactThumbnailFrame{269, 58, 42};
inline constexpr Frame kMaxThumbnailFrame{479, 107, 86};

// Other pictures: the splash (24-bit bitmap), the audio-only picture (JPEG
// data), the compact background (JPEG data).
inline constexpr int kSplashWidth = 400;
inline constexpr int kSplashHeight = 260;
inline constexpr int kAudioPictureWidth = 320;
inline constexpr int kAudioPictureHeight = 240;

// The album list backgrounds beside the program, tiled from the list's origin.
inline constexpr std::string_view kCompactAlbumBase = "TValbumbase.bmp";
inline constexpr std::string_view kMaxAlbumBase = "newAlbumBase.bmp";
inline constexpr int kAlbumBaseTile = 64;

}  // namespace lumora::skin
