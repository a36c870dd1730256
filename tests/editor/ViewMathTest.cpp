// The view's arithmetic: zoom steps, labels and factors, scroll ranges and
// how positions follow them, the selection under a zoom change.
#include "editor/ViewMath.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(ViewMathTest, ZoomStepsHaveTheirLabelsFactorsAndNeighbours) {
  struct Case {
    int step;
    const char* label;
    float factor;
    int in, out;
  };
  const Case cases[] = {
      {-4, "25%", 0.5f, -3, -4},         {-3, "33%", 0.57735027f, -2, -4}, {-2, "50%", 0.70710678f, 1, -3},
      {1, "100%", 1.0f, 2, -2},          {2, "200%", 1.41421356f, 3, 1},   {3, "300%", 1.73205081f, 4, 2},
      {4, "400%", 2.0f, 8, 3},           {8, "800%", 2.82842712f, 16, 4},  {16, "1600%", 4.0f, 16, 8},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.step);
    EXPECT_EQ(ZoomStepIndex(c.step), int(i));
    EXPECT_EQ(kZoomSteps[i], c.step);
    EXPECT_EQ(kZoomLabels[i], c.label);
    EXPECT_FLOAT_EQ(ZoomFactorOf(c.step), c.factor);
    EXPECT_EQ(ZoomStepIn(c.step), c.in);
    EXPECT_EQ(ZoomStepOut(c.step), c.out);
  }
  for (int notAStep : {-5, -1, 0, 5, 32}) {
    EXPECT_EQ(ZoomStepIndex(notAStep), -1);
    EXPECT_EQ(ZoomFactorOf(notAStep), 1.0f);
    EXPECT_EQ(ZoomStepIn(notAStep), notAStep);
    EXPECT_EQ(ZoomStepOut(notAStep), notAStep);
  }
}

TEST(ViewMathTest, ScrollRangeIsTheTruncatedScaledSizeBeyondTheClientPlusOne) {
  struct Case {
    int32_t picture;
    float factor;
    int32_t client;
    int range;
  };
  const Case cases[] = {
      {1000, 1.0f, 400, 599},        {401, 1.0f, 400, 0},          {402, 1.0f, 400, 1},
      {100, 1.0f, 400, 0},           {1000, 0.5f, 400, 99},        {1000, 1.41421356f, 400, 1013},  // 1414.2
      {3, 1.41421356f, 2, 1},        {4000, 0.57735027f, 1279, 1029},                              // 2309.4
      {0, 4.0f, 100, 0},             {300, 4.0f, 0, 1199},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScrollRange(c.picture, c.factor, c.client), c.range)
        << c.picture << " x " << c.factor << " in " << c.client;
}

TEST(ViewMathTest, PositionsFollowANewRange) {
  struct Case {
    ScrollAxis before;
    int range;
    ScrollAxis recomputed, zoomed;
  };
  const Case cases[] = {
      {{0, 0}, 0, {0, 0}, {0, 0}},          // stays without a range
      {{500, 200}, 0, {0, 0}, {0, 0}},      // a range of 0 forces position 0
      {{0, 0}, 301, {301, 150}, {301, 150}},  // a new range starts in the middle
      {{500, 200}, 600, {600, 200}, {600, 240}},
      {{500, 450}, 300, {300, 300}, {300, 270}},  // clamped, or kept in proportion
      {{500, 500}, 1001, {1001, 500}, {1001, 1001}},
      {{500, 0}, 80, {80, 0}, {80, 0}},
      {{3, 1}, 10, {10, 1}, {10, 3}},       // 1 * 10 / 3, truncated
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.before.range << "/" << c.before.position << " -> " << c.range);
    EXPECT_EQ(WithRange(c.before, c.range), c.recomputed);
    EXPECT_EQ(ZoomedRange(c.before, c.range), c.zoomed);
  }
}

TEST(ViewMathTest, SelectionRescalesAndTheMiddleHalfFollowsTheScroll) {
  auto same = [](const ViewRect& a, const ViewRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  };
  EXPECT_TRUE(same(RescaleSelection({10, 20, 110, 220}, 1.0f, 2.0f), {20, 40, 220, 440}));
  EXPECT_TRUE(same(RescaleSelection({10, 20, 110, 220}, 1.0f, 1.41421356f), {14, 28, 155, 311}));
  EXPECT_TRUE(same(RescaleSelection({14, 28, 155, 311}, 1.41421356f, 1.0f), {9, 19, 109, 219}));
  EXPECT_TRUE(same(RescaleSelection({-30, 7, 5, 9}, 2.0f, 0.5f), {-7, 1, 1, 2}));  // toward zero
  EXPECT_TRUE(same(RescaleSelection({1, 2, 3, 4}, 0.0f, 2.0f), {1, 2, 3, 4}));     // no factor: unchanged

  EXPECT_TRUE(same(MiddleHalf(400, 300, 0, 0), {100, 75, 300, 225}));
  EXPECT_TRUE(same(MiddleHalf(401, 303, 50, 7), {150, 82, 350, 234}));
}

}  // namespace
}  // namespace lumora
