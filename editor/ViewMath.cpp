// Zoom steps, scroll ranges and the selection under a zoom change.
#include "editor/ViewMath.h"

#include <algorithm>
#include <cmath>

namespace lumora {

namespace {

// Products beyond any view: keeps the conversions to int defined.
constexpr double kCoordinateLimit = double(1 << 30);

int32_t Truncate(double v) { return int32_t(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)); }

}  // namespace

int ZoomStepIndex(int step) {
  const auto* at = std::find(kZoomSteps.begin(), kZoomSteps.end(), step);
  return at == kZoomSteps.end() ? -1 : int(at - kZoomSteps.begin());
}

float ZoomFactorOf(int step) {
  if (ZoomStepIndex(step) < 0 || step == 1) return 1.0f;
  return step > 1 ? std::sqrt(float(step)) : 1.0f / std::sqrt(float(-step));
}

int ZoomStepIn(int step) {
  const int i = ZoomStepIndex(step);
  return i < 0 || i + 1 == int(kZoomSteps.size()) ? step : kZoomSteps[size_t(i) + 1];
}

int ZoomStepOut(int step) {
  const int i = ZoomStepIndex(step);
  return i <= 0 ? step : kZoomSteps[size_t(i) - 1];
}

int ScrollRange(int32_t pictureSize, float factor, int32_t clientSize) {
  const int64_t shown = Truncate(double(pictureSize) * double(factor));
  return int(std::max<int64_t>(0, shown - (int64_t(clientSize) + 1)));
}

ScrollAxis WithRange(ScrollAxis axis, int newRange) {
  if (newRange <= 0) return {};
  if (axis.range <= 0) return {newRange, newRange / 2};
  return {newRange, std::clamp(axis.position, 0, newRange)};
}

ScrollAxis ZoomedRange(ScrollAxis axis, int newRange) {
  if (newRange <= 0 || axis.range <= 0) return WithRange(axis, newRange);
  const int64_t kept = int64_t(std::clamp(axis.position, 0, axis.range)) * newRange / axis.range;
  return {newRange, int(kept)};
}

ViewRect RescaleSelection(const ViewRect& s, float oldFactor, float newFactor) {
  if (!(oldFactor > 0) || !(newFactor > 0)) return s;
  const double ratio = double(newFactor) / double(oldFactor);
  return {Truncate(s.left * ratio), Truncate(s.top * ratio), Truncate(s.right * ratio), Truncate(s.bottom * ratio)};
}

ViewRect MiddleHalf(int32_t width, int32_t height, int32_t sx, int32_t sy) {
  return {sx + width / 4, sy + height / 4, sx + 3 * width / 4, sy + 3 * height / 4};
}

}  // namespace lumora
