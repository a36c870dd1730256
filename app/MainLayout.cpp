// The layout rules of the main window: list places, the item frame, the
// saved-position test and centring, popup points.
#include "app/MainLayout.h"

#include <algorithm>

namespace lumora::layout {

std::string_view ModeText(WindowMode mode) { return mode == WindowMode::Max ? "MAX" : "Original"; }

bool WorkAreaLargeEnough(const ScreenRect& workArea) {
  return workArea.width() >= kMinWorkAreaWidth && workArea.height() >= kMinWorkAreaHeight;
}

ModeLook LookOf(WindowMode mode) {
  if (mode == WindowMode::Max) return {kItemListColourMax, kThumbnailCellMax, kAlbumIconsMax};
  return {kItemListColourOriginal, kThumbnailCellOriginal, kAlbumIconsOriginal};
}

ListPlaces CompactLists(int albumCount) {
  const Rect albums = albumCount < 2 ? Rect{13, 170, 94, 45} : Rect{13, 163, 94, 55};
  return {Rect{13, 40, 94, 116}, albums};
}

ListPlaces MaxLists(Size size) {
  return {Rect{145, 75, size.width - 175, size.height - 185},
          Rect{118, size.height - 84, size.width - 238, 80}};
}

FrameCorners MaxItemFrame(Size size) { return {{144, 74}, {size.width - 29, size.height - 109}}; }

std::span<const uint32_t> HiddenIn(WindowMode mode) {
  if (mode == WindowMode::Max) return kHiddenInMax;
  return kHiddenInCompact;
}

std::span<const uint32_t> ShownIn(WindowMode mode) {
  if (mode == WindowMode::Max) return kShownInMax;
  return kShownInCompact;
}

std::optional<Point> SavedPlacement(const WindowPosition& saved, Size size, const ScreenRect& workArea) {
  if (!saved.saved()) return std::nullopt;
  // Every edge is checked, so a position left of or above the work area, or
  // one on a work area that does not start at the screen's corner, is judged
  // by where the window would really lie.
  const bool fitsAcross = saved.left >= workArea.left && saved.left + size.width <= workArea.right;
  const bool fitsDown = saved.top >= workArea.top && saved.top + size.height <= workArea.bottom;
  if (!fitsAcross || !fitsDown) return std::nullopt;
  return Point{saved.left, saved.top};
}

Point Centred(Size size, const ScreenRect& workArea) {
  return {workArea.left + (workArea.width() - size.width) / 2, workArea.top + (workArea.height() - size.height) / 2};
}

const PopupPlace* PopupOf(uint32_t button) {
  const auto found = std::find_if(kPopups.begin(), kPopups.end(),
                                  [&](const PopupPlace& place) { return place.button == button; });
  return found == kPopups.end() ? nullptr : &*found;
}

Point PopupPoint(const PopupPlace& place, int windowWidth) {
  return {windowWidth - place.offsetFromRight, kPopupTop};
}

}  // namespace lumora::layout
