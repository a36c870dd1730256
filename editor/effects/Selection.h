// The editor's selection in picture coordinates: the view shows the picture
// scaled by the zoom factor and centred in the client area when it is
// smaller, and effects and trim work on the picture pixels under the
// selection.
#pragma once

#include <cstdint>
#include <optional>

#include "editor/effects/EffectLevels.h"
#include "picture/DibImage.h"

namespace lumora {

struct ViewGeometry {
  float zoom = 1.0f;  // device pixels per picture pixel
  int32_t clientWidth = 0, clientHeight = 0;
};

// With z the zoom, the picture's offset in the client area is
// max(0, (client - picture * z) / 2) on each axis; left = (selection left -
// offset) / z, width = selection width / z, right = left + width (likewise
// top, height, bottom), every value truncated toward zero; then left and top
// are raised to 0 and right and bottom lowered to the picture's size. The
// result may be empty, or even inverted, when the selection misses the
// picture. A zoom that is not positive gives an empty rectangle.
PictureRect SelectionToPicture(const ViewRect& selection, const ViewGeometry& view, int32_t pictureWidth,
                               int32_t pictureHeight);

// The rectangle the effect passes are confined to: in region-select mode with
// a selection that is not empty, the selection in picture coordinates (which
// may hold no pixel); otherwise nothing, meaning the whole picture.
std::optional<PictureRect> EffectSelection(const EffectLevels& levels, const ViewGeometry& view, int32_t pictureWidth,
                                           int32_t pictureHeight);

}  // namespace lumora
