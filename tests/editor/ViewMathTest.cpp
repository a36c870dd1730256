// The view's arithmetic: zoom steps, labels and factors, scroll ranges and
// how positions follow them, the selection under a zoom change.
#include "editor/ViewMath.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace lumora {
namespace {

TEST(ViewMathTest, ZoomStepsHaveTheirLabelsFactorsAndNeighbours) {
  // step, label, factor, zoom in, zoom out
  const std::tuple<int, const char*, float, int, int> cases[] = {
      {-4, "25%", 0.5f, -3, -4}, {-3, "33%", 0.57735027f, -2, -4}, {-2, "50%", 0.70710678f, 1, -3},
      {1, "100%", 1.0f, 2, -2},  {2, "200%", 1.41421356f, 3, 1},   {3, "300%", 1.73205081f, 4, 2},
      {4, "400%", 2.0f, 8, 3},   {8, "800%", 2.82842712f, 16, 4},  {16, "1600%", 4.0f, 16, 8}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto [step, label, factor, in, out] = cases[i];
    SCOPED_TRACE(step);
    EXPECT_EQ(ZoomStepIndex(step), int(i));
    EXPECT_EQ(kZoomLabels[i], label);
    EXPECT_FLOAT_EQ(ZoomFactorOf(step), factor);
    EXPECT_EQ(ZoomStepIn(step), in);
    EXPECT_EQ(ZoomStepOut(step), out);
  }
  for (int notAStep : {-5, -1, 0, 5, 32})
    EXPECT_TRUE(ZoomStepIndex(notAStep) == -1 && ZoomFactorOf(notAStep) == 1.0f && ZoomStepIn(notAStep) == notAStep);
}

TEST(ViewMathTest, ScrollRangeIsTheTruncatedScaledSizeBeyondTheClientPlusOne) {
  // picture, factor, client, range
  const std::tuple<int32_t, float, int32_t, int> cases[] = {
      {1000, 1.0f, 400, 599}, {401, 1.0f, 400, 0}, {402, 1.0f, 400, 1}, {100, 1.0f, 400, 0},
      {1000, 0.5f, 400, 99}, {1000, 1.41421356f, 400, 1013}, {4000, 0.57735027f, 1279, 1029}, {0, 4.0f, 100, 0},
  };
  for (const auto& [picture, factor, client, range] : cases)
    EXPECT_EQ(ScrollRange(picture, factor, client), range) << picture << " x " << factor << " in " << client;
}

TEST(ViewMathTest, PositionsFollowANewRange) {
  // before, new range, after a recomputation, after a zoom
  const std::tuple<ScrollAxis, int, ScrollAxis, ScrollAxis> cases[] = {
      {{0, 0}, 0, {0, 0}, {0, 0}},
      {{500, 200}, 0, {0, 0}, {0, 0}},        // a range of 0 forces position 0
      {{0, 0}, 301, {301, 150}, {301, 150}},  // a new range starts in the middle
      {{500, 200}, 600, {600, 200}, {600, 240}},
      {{500, 450}, 300, {300, 300}, {300, 270}},  // clamped, or kept in proportion
      {{500, 500}, 1001, {1001, 500}, {1001, 1001}},
      {{3, 1}, 10, {10, 1}, {10, 3}}};  // 1 * 10 / 3, truncated
  for (const auto& [before, range, recomputed, zoomed] : cases) {
    SCOPED_TRACE(testing::Message() << before.range << "/" << before.position << " -> " << range);
    EXPECT_EQ(WithRange(before, range), recomputed);
    EXPECT_EQ(ZoomedRange(before, range), zoomed);
  }
}

TEST(ViewMathTest, SelectionRescalesTowardZero) {
  auto edges = [](const ViewRect& r) { return std::array{r.left, r.top, r.right, r.bottom}; };
  EXPECT_EQ(edges(RescaleSelection({10, 20, 110, 220}, 1.0f, 1.41421356f)), (std::array{14, 28, 155, 311}));
  EXPECT_EQ(edges(RescaleSelection({14, 28, 155, 311}, 1.41421356f, 1.0f)), (std::array{9, 19, 109, 219}));
  EXPECT_EQ(edges(RescaleSelection({-30, 7, 5, 9}, 2.0f, 0.5f)), (std::array{-7, 1, 1, 2}));
  EXPECT_EQ(edges(MiddleHalf(401, 303, 50, 7)), (std::array{150, 82, 350, 234}));
}

}  // namespace
}  // namespace lumora
