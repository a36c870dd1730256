#include "editor/EditorLayout.h"

#include <cstdlib>

namespace lumora::editor {

const LevelRow& RowOf(Level level) {
  for (const LevelRow& row : kLevelRows) {
    if (row.level == level) return row;
  }
  std::abort();  // every level has a row
}

const LevelRow* RowOfButton(uint32_t control, bool& up) {
  for (const LevelRow& row : kLevelRows) {
    if (row.down == control || row.up == control) {
      up = row.up == control;
      return &row;
    }
  }
  return nullptr;
}

int BarMaximum(Level level) { return RangeOf(level).highest; }

BarPositions BarsFor(Level level, int value) {
  const int maximum = BarMaximum(level);
  if (RangeOf(level).lowest >= 0) return {0, value};
  if (value > 0) return {maximum, value};
  return {maximum + value, 0};
}

int RowTop(const LevelRow& row) {
  const int top = row.panel == Panel::Color ? skin::kEditorColorRowsTop : skin::kEditorFilterRowsTop;
  return skin::EditorRow(top, row.row);
}

std::optional<Toggle> ToggleOfButton(uint32_t control) {
  for (const ToggleButton& button : kToggleButtons) {
    if (button.control == control) return button.toggle;
  }
  return std::nullopt;
}

std::optional<Panel> PanelOf(uint32_t control) {
  for (const LevelRow& row : kLevelRows) {
    if (control == row.down || control == row.up || control == row.bar ||
        (row.negativeBar != 0 && control == row.negativeBar))
      return row.panel;
  }
  switch (control) {
    case kFlipHorizontal:
    case kFlipVertical:
    case kRotateLeft:
    case kRotateRight:
    case kLoadImage:
    case kUnloadImage:
    case kBlendList:
      return Panel::Distortion;
    case kInvert:
    case kGreyScale:
    case kSwapRedGreen:
    case kSwapGreenBlue:
    case kSwapRedBlue:
      return Panel::Color;
    default:
      return std::nullopt;
  }
}

}  // namespace lumora::editor
