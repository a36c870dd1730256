// The picture view's arithmetic, without any window: the zoom steps with
// their factors and list labels, the scroll ranges and how positions follow
// a changed range, and the selection rescaled to a new zoom.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "editor/effects/EffectLevels.h"

namespace lumora {

// The zoom steps in order; a step above 1 shows the picture at sqrt(step)
// times its size, a negative step at 1 / sqrt(-step).
inline constexpr std::array<int, 9> kZoomSteps = {-4, -3, -2, 1, 2, 3, 4, 8, 16};
inline constexpr std::array<std::string_view, 9> kZoomLabels = {"25%",  "33%",  "50%",  "100%", "200%",
                                                                "300%", "400%", "800%", "1600%"};

// The step's place in kZoomSteps (also its entry in the zoom list); -1 for
// a value that is no step.
int ZoomStepIndex(int step);
// sqrt(step) above 1, 1 at 1, 1 / sqrt(-step) below; 1 for a value that is
// no step.
float ZoomFactorOf(int step);
// The next larger and smaller step; the same step at the ends.
int ZoomStepIn(int step);
int ZoomStepOut(int step);

// Scroll steps in device pixels: the arrows and the bar's page area.
inline constexpr int kScrollLineStep = 10;
inline constexpr int kScrollPageStep = 50;

// The range of one scroll bar: max(0, trunc(picture size * factor) -
// (client size + 1)).
int ScrollRange(int32_t pictureSize, float factor, int32_t clientSize);

// One scroll bar's state: positions run from 0 to range.
struct ScrollAxis {
  int range = 0;
  int position = 0;
  bool operator==(const ScrollAxis&) const = default;
};

// The bar after its range was recomputed (load, resize, new picture): a
// range of 0 forces the position to 0; a range that becomes non-zero while
// it was 0 starts in the middle (range / 2); otherwise the position is kept,
// clamped to the new range.
ScrollAxis WithRange(ScrollAxis axis, int newRange);

// The bar after a zoom change: the position keeps its proportion of the
// range (position * new range / old range, truncated); from a range of 0 the
// rules of WithRange apply.
ScrollAxis ZoomedRange(ScrollAxis axis, int newRange);

// The selection (scrolled view coordinates) for a new zoom factor: every
// edge multiplied by new / old, truncated toward zero.
ViewRect RescaleSelection(const ViewRect& selection, float oldFactor, float newFactor);

// The middle half of a view of `width` x `height` scrolled to (sx, sy): from
// (sx + width / 4, sy + height / 4) to (sx + 3 * width / 4, sy + 3 * height / 4).
ViewRect MiddleHalf(int32_t width, int32_t height, int32_t sx, int32_t sy);

}  // namespace lumora
