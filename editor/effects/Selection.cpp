// Selection to picture coordinates.
#include "editor/effects/Selection.h"

#include <algorithm>

namespace lumora {

namespace {

// Coordinates far beyond any picture; keeps the conversion to int defined for
// any selection and zoom.
constexpr float kCoordinateLimit = 1 << 30;

int32_t Truncate(float v) { return int32_t(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)); }

}  // namespace

PictureRect SelectionToPicture(const ViewRect& s, const ViewGeometry& view, int32_t pictureWidth,
                               int32_t pictureHeight) {
  const float z = view.zoom;
  if (!(z > 0)) return {};
  const int32_t offX = Truncate(std::max(0.0f, (float(view.clientWidth) - float(pictureWidth) * z) / 2));
  const int32_t offY = Truncate(std::max(0.0f, (float(view.clientHeight) - float(pictureHeight) * z) / 2));
  PictureRect r;
  r.left = Truncate(float(int64_t(s.left) - offX) / z);
  r.top = Truncate(float(int64_t(s.top) - offY) / z);
  r.right = r.left + Truncate(float(int64_t(s.right) - s.left) / z);
  r.bottom = r.top + Truncate(float(int64_t(s.bottom) - s.top) / z);
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, pictureWidth);
  r.bottom = std::min(r.bottom, pictureHeight);
  return r;
}

std::optional<PictureRect> EffectSelection(const EffectLevels& levels, const ViewGeometry& view, int32_t pictureWidth,
                                           int32_t pictureHeight) {
  if (!levels.regionSelect || levels.selection.empty()) return std::nullopt;
  return SelectionToPicture(levels.selection, view, pictureWidth, pictureHeight);
}

}  // namespace lumora
