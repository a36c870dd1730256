// The photo editor's controls as plain data: their ids, which panel shows
// each one, the level bars with their ranges and places, the two lists, the
// effect progress bar, the row labels, and the tooltips. The window builds
// and places the controls from these tables; nothing here knows Qt. The
// buttons' bitmap sets and places are the skin's (resources/SkinLayout.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "editor/effects/EffectLevels.h"
#include "resources/SkinLayout.h"

namespace lumora::editor {

// ---- Control ids ------------------------------------------------------------

// Picture commands.
inline constexpr uint32_t kPrev = 1057, kNext = 1058, kOriginal = 1063, kSave = 1065, kClose = 1055;
inline constexpr uint32_t kWallpaper = 1137;
// View commands.
inline constexpr uint32_t kZoomIn = 1131, kZoomOut = 1132, kZoomList = 1133;
inline constexpr uint32_t kRegionSelect = 1134, kTrim = 1135, kBackground = 1136;
// Panel tabs.
inline constexpr uint32_t kDistortionTab = 1138, kColorTab = 1142, kFilterTab = 1143;
// "Distortion".
inline constexpr uint32_t kFlipHorizontal = 1093, kFlipVertical = 1094, kRotateLeft = 1095, kRotateRight = 1096;
inline constexpr uint32_t kLoadImage = 1139, kUnloadImage = 1140, kBlendList = 1141;
// "Color" toggles.
inline constexpr uint32_t kInvert = 1062, kGreyScale = 1145;
inline constexpr uint32_t kSwapRedGreen = 1097, kSwapGreenBlue = 1098, kSwapRedBlue = 1099;
// The effect progress bar.
inline constexpr uint32_t kEffectProgress = 1119;

// ---- Panels -----------------------------------------------------------------

enum class Panel { Distortion = 0, Color = 1, Filter = 2 };
inline constexpr std::array<uint32_t, 3> kPanelTabs = {kDistortionTab, kColorTab, kFilterTab};

// ---- Level rows -------------------------------------------------------------

// One level with its Down and Up buttons and its bar (single) or bar pair
// (negative bar drawn reversed on the left, positive bar on the right).
struct LevelRow {
  Level level;
  Panel panel;
  int row;  // the row of its panel
  uint32_t down, up;
  uint32_t negativeBar;  // 0 for a single bar
  uint32_t bar;          // the single bar, or the positive bar of a pair
  uint32_t label;        // string id of the row's name (the bars' tooltip)
  uint32_t downTip, upTip;
};
inline constexpr std::array<LevelRow, 12> kLevelRows = {{
    {Level::Brightness, Panel::Color, 0, 1100, 1101, 1117, 1120, 62, 61, 63},
    {Level::Contrast, Panel::Color, 1, 1102, 1103, 1118, 1112, 65, 64, 66},
    {Level::Red, Panel::Color, 2, 1146, 1149, 1152, 1153, 68, 67, 69},
    {Level::Green, Panel::Color, 3, 1147, 1150, 1154, 1155, 71, 70, 72},
    {Level::Blue, Panel::Color, 4, 1148, 1151, 1156, 1157, 74, 73, 75},
    {Level::Blur, Panel::Filter, 0, 1104, 1105, 0, 1113, 78, 77, 79},
    {Level::Sharpen, Panel::Filter, 1, 1110, 1111, 0, 1116, 81, 80, 82},
    {Level::Emboss, Panel::Filter, 2, 1106, 1107, 0, 1114, 84, 83, 85},
    {Level::Mosaic, Panel::Filter, 3, 1108, 1109, 0, 1115, 87, 86, 88},
    {Level::RandomPattern, Panel::Filter, 4, 1158, 1161, 0, 1164, 90, 89, 91},
    {Level::TileSize, Panel::Filter, 5, 1159, 1162, 0, 1165, 93, 92, 94},
    {Level::Scatter, Panel::Filter, 6, 1160, 1163, 0, 1166, 96, 95, 97},
}};
const LevelRow& RowOf(Level level);
// The row whose Down or Up button is `control`; `up` tells which.
const LevelRow* RowOfButton(uint32_t control, bool& up);

// Bars: a single bar spans 0..4; a pair spans 0..100 (brightness, contrast)
// or 0..250 (red, green, blue) on each side.
struct BarPositions {
  int negative;  // the negative bar's position (reversed); unused for a single bar
  int positive;  // the single bar's, or the positive bar's
};
int BarMaximum(Level level);
// A positive level fills the positive bar; a negative level sets the
// negative bar to maximum + level; 0 gives (maximum, 0).
BarPositions BarsFor(Level level, int value);

// Where a row's controls go, x within the panel, y its top in the window.
inline constexpr int kBarHeight = 12;
inline constexpr int kBarTopInRow = 4;  // below the buttons' top
inline constexpr int kSingleBarLeft = 32, kSingleBarWidth = 90;
inline constexpr int kNegativeBarLeft = 32, kPositiveBarLeft = 78, kPairBarWidth = 44;
inline constexpr int kRowLabelLeft = 8;
// The top of the row's buttons.
int RowTop(const LevelRow& row);

// ---- Toggle buttons and the other controls ----------------------------------

struct ToggleButton {
  uint32_t control;
  Toggle toggle;
};
inline constexpr std::array<ToggleButton, 7> kToggleButtons = {{
    {kFlipHorizontal, Toggle::FlipHorizontal},
    {kFlipVertical, Toggle::FlipVertical},
    {kSwapRedGreen, Toggle::SwapRedGreen},
    {kSwapGreenBlue, Toggle::SwapGreenBlue},
    {kSwapRedBlue, Toggle::SwapRedBlue},
    {kInvert, Toggle::Invert},
    {kGreyScale, Toggle::GreyScale},
}};
std::optional<Toggle> ToggleOfButton(uint32_t control);

// The panel that shows `control` (a button, bar or list of a panel); nothing
// for the controls every panel shares.
std::optional<Panel> PanelOf(uint32_t control);

// The blend list on "Distortion" with its label, the zoom list in the tray,
// the effect progress bar under them.
struct Box {
  skin::Edge left, top;
  int width, height;
};
inline constexpr Box kBlendListBox{skin::Start(9), skin::Start(304), 136, 22};
inline constexpr int kBlendLabelTop = 288;
inline constexpr uint32_t kBlendLabel = 54;  // "Select Method "
inline constexpr Box kZoomListBox{skin::Start(156), skin::End(-77), 76, 22};
inline constexpr Box kProgressBox{skin::Start(124), skin::End(-38), 552, 10};
// The blend methods' names: string ids 120 to 126.
inline constexpr uint32_t kFirstBlendName = 120;
inline constexpr int kBlendMethods = 7;

// ---- Tooltips ---------------------------------------------------------------

struct Tip {
  uint32_t control;
  uint32_t string;
};
// The buttons and lists outside the level rows (the rows carry their own).
inline constexpr std::array<Tip, 25> kTips = {{
    {kPrev, 38},          {kNext, 39},           {kOriginal, 40},       {kSave, 41},
    {kClose, 42},         {kRegionSelect, 43},   {kTrim, 44},           {kBackground, 45},
    {kWallpaper, 46},     {kDistortionTab, 47},  {kFlipHorizontal, 48}, {kFlipVertical, 49},
    {kRotateRight, 50},   {kRotateLeft, 51},     {kLoadImage, 52},      {kUnloadImage, 53},
    {kBlendList, 54},     {kColorTab, 55},       {kInvert, 56},         {kGreyScale, 57},
    {kSwapRedGreen, 58},  {kSwapGreenBlue, 59},  {kSwapRedBlue, 60},    {kFilterTab, 76},
    {kZoomList, 100},
}};
inline constexpr std::array<Tip, 2> kZoomTips = {{{kZoomIn, 98}, {kZoomOut, 99}}};

}  // namespace lumora::editor
