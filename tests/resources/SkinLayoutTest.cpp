// Tests of the skin's layout table: the full-screen pieces leave no gap round
// the two lists at any work-area size, the buttons of each layout lie inside the
// window, clear of the lists and of each other, and the album and menu buttons
// sit where the window's layout rules and popup menus expect them; the photo
// editor's pieces hide the album view's own marks and leave only its view
// open, and its buttons sit on the pieces drawn for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "resources/SkinLayout.h"

namespace lumora {
namespace {

struct Rect {
  int left, top, width, height;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool Overlaps(const Rect& o) const {
    return left < o.right() && o.left < right() && top < o.bottom() && o.top < bottom();
  }
  bool Inside(int w, int h) const { return left >= 0 && top >= 0 && right() <= w && bottom() <= h; }
  bool Contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
};

struct Size {
  int width, height;
};
constexpr Size kWorkAreas[] = {{800, 570}, {1024, 738}, {1280, 800}, {1920, 1040}};

Rect PieceRect(const skin::Piece& piece, int w, int h) {
  const int left = piece.left.At(w), top = piece.top.At(h);
  if (piece.fill == skin::Fill::Once) return {left, top, piece.width, piece.height};
  return {left, top, piece.right.At(w) - left, piece.bottom.At(h) - top};
}

Rect ButtonRect(const skin::ButtonPlace& place, int w, int h) {
  const skin::ButtonSet* set = skin::FindButtonSet(place.set);
  if (!set) {
    ADD_FAILURE() << "control " << place.control << ": no set " << place.set;
    return {};
  }
  return {place.x.At(w), place.y.At(h), set->width, set->height};
}

// The lists of the full-screen layout, as the window places them.
Rect MaxItemList(int w, int h) { return {145, 75, w - 175, h - 185}; }
Rect MaxAlbumList(int w, int h) { return {118, h - 84, w - 238, 80}; }
// The hole the pieces leave for the item list and the frame the window draws round it.
Rect MaxItemHole(int w, int h) { return {144, 74, w - 29 - 144, h - 109 - 74}; }
// The same for the editor's view.
Rect EditorViewHole(int w, int h) { return {164, 74, w - 29 - 164, h - 109 - 74}; }

Rect AreaRect(const skin::Area& area, int w, int h) {
  const int left = area.left.At(w), top = area.top.At(h);
  return {left, top, area.right.At(w) - left, area.bottom.At(h) - top};
}

bool IsPhotoCorner(uint32_t bitmap) { return bitmap == 525 || bitmap == 526 || bitmap == 527 || bitmap == 529; }

// Pixels of a w x h window that some piece of `pieces` covers; each piece must
// lie inside the window and not be empty.
void Cover(std::vector<bool>& covered, std::span<const skin::Piece> pieces, int w, int h) {
  for (const skin::Piece& piece : pieces) {
    const Rect r = PieceRect(piece, w, h);
    ASSERT_GT(r.width, 0) << "piece " << piece.bitmap << " at " << w << " x " << h;
    ASSERT_GT(r.height, 0) << "piece " << piece.bitmap << " at " << w << " x " << h;
    ASSERT_TRUE(r.Inside(w, h)) << "piece " << piece.bitmap << " at " << w << " x " << h;
    for (int y = r.top; y < r.bottom(); ++y) {
      for (int x = r.left; x < r.right(); ++x) covered[static_cast<size_t>(y) * w + x] = true;
    }
  }
}

int Uncovered(const std::vector<bool>& covered, const Rect& r, int w) {
  int n = 0;
  for (int y = r.top; y < r.bottom(); ++y) {
    for (int x = r.left; x < r.right(); ++x) n += !covered[static_cast<size_t>(y) * w + x];
  }
  return n;
}

TEST(SkinLayout, FullScreenPiecesCoverEverythingButTheLists) {
  for (const Size& area : kWorkAreas) {
    const int w = area.width, h = area.height;
    std::vector<bool> covered(static_cast<size_t>(w) * h, false);
    Cover(covered, skin::kMaxPieces, w, h);
    const Rect hole = MaxItemHole(w, h), albums = MaxAlbumList(w, h);
    int gaps = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (!covered[static_cast<size_t>(y) * w + x] && !hole.Contains(x, y) && !albums.Contains(x, y)) ++gaps;
      }
    }
    EXPECT_EQ(gaps, 0) << "uncovered pixels at " << w << " x " << h;
  }
}

TEST(SkinLayout, TilesRepeatAlongAnAxisTheirBitmapFits) {
  // A tile that is stretched across its rectangle in both directions would
  // show its phase; each tile matches its rectangle exactly in one direction.
  for (const auto& pieces : {std::span<const skin::Piece>(skin::kMaxPieces), std::span<const skin::Piece>(skin::kEditorPieces)}) {
    for (const skin::Piece& piece : pieces) {
      if (piece.fill != skin::Fill::Tile) continue;
      const Rect r = PieceRect(piece, 1280, 800);
      EXPECT_TRUE(r.width == piece.width || r.height == piece.height) << "piece " << piece.bitmap;
    }
  }
}

TEST(SkinLayout, EditorPiecesLeaveOnlyTheViewOpenAndHideTheAlbumViewsMarks) {
  // The album view's pieces that belong to it alone: the album buttons' trays,
  // the album list's caption and well, the item frame's left photo corners.
  const std::vector<uint32_t> albumMarks = {291, 477, 480, 517, 518, 519, 520, 521, 522, 523, 524, 525, 527};
  for (const Size& area : kWorkAreas) {
    const int w = area.width, h = area.height;
    const std::string at = std::to_string(w) + " x " + std::to_string(h);
    std::vector<bool> editor(static_cast<size_t>(w) * h, false);
    Cover(editor, skin::kEditorPieces, w, h);
    std::vector<bool> both = editor;
    Cover(both, skin::kMaxPieces, w, h);
    const Rect view = EditorViewHole(w, h);
    int gaps = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) gaps += !both[static_cast<size_t>(y) * w + x] && !view.Contains(x, y);
    }
    EXPECT_EQ(gaps, 0) << "uncovered pixels at " << at;

    EXPECT_EQ(Uncovered(editor, {0, 74, view.left, h - 109 - 74}, w), 0) << "editor panel at " << at;
    EXPECT_EQ(Uncovered(editor, AreaRect(skin::kEditorTray, w, h), w), 0) << "editor tray at " << at;
    for (const skin::Piece& piece : skin::kMaxPieces) {
      if (std::find(albumMarks.begin(), albumMarks.end(), piece.bitmap) == albumMarks.end()) continue;
      EXPECT_EQ(Uncovered(editor, PieceRect(piece, w, h), w), 0) << "album piece " << piece.bitmap << " at " << at;
    }
    // Only the photo corners reach over the view, where the picture window hides them.
    for (const skin::Piece& piece : skin::kEditorPieces) {
      EXPECT_TRUE(IsPhotoCorner(piece.bitmap) || !PieceRect(piece, w, h).Overlaps(AreaRect(skin::kEditorView, w, h)))
          << "piece " << piece.bitmap << " at " << at;
    }
  }
}

TEST(SkinLayout, EditorButtonsSitOnTheirPieces) {
  for (const Size& area : kWorkAreas) {
    const int w = area.width, h = area.height;
    const std::string at = std::to_string(w) + " x " + std::to_string(h);
    const Rect sheet = AreaRect(skin::kEditorSheet, w, h);
    const Rect panel = AreaRect(skin::kEditorPanel, w, h);
    Rect tray{};
    for (const skin::Piece& piece : skin::kEditorPieces) {
      if (piece.role == "view tray") tray = PieceRect(piece, w, h);
    }
    const auto contains = [](const Rect& outer, const Rect& inner) {
      return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
             inner.bottom() <= outer.bottom();
    };
    for (const skin::ButtonPlace& place : skin::kEditorButtons) {
      const Rect r = ButtonRect(place, w, h);
      const std::string what = "control " + std::to_string(place.control) + " at " + at;
      if (place.y.fromEnd) {
        EXPECT_TRUE(contains(tray, r)) << what << " is off the view tray";
      } else if (r.top >= panel.top) {
        // The panel's tabs above the sheet, its controls on it.
        EXPECT_TRUE(contains(panel, r)) << what;
        EXPECT_TRUE(r.bottom() <= sheet.top || contains(sheet, r)) << what << " is half on the sheet";
      } else {
        EXPECT_TRUE(contains({0, 0, w, panel.top}, r)) << what << " is off the top bar";
      }
    }
  }
}

void ExpectButtonsClear(const std::vector<skin::ButtonPlace>& places, int w, int h,
                        const std::vector<Rect>& lists, const std::string& layout) {
  for (size_t i = 0; i < places.size(); ++i) {
    const Rect a = ButtonRect(places[i], w, h);
    EXPECT_TRUE(a.Inside(w, h)) << layout << " control " << places[i].control;
    for (const Rect& list : lists) EXPECT_FALSE(a.Overlaps(list)) << layout << " control " << places[i].control;
    for (size_t j = i + 1; j < places.size(); ++j) {
      const Rect b = ButtonRect(places[j], w, h);
      const bool stacked = places[i].set == places[j].set && a.left == b.left && a.top == b.top;
      EXPECT_TRUE(stacked || !a.Overlaps(b))
          << layout << " controls " << places[i].control << " and " << places[j].control;
    }
  }
}

TEST(SkinLayout, CompactButtonsLieInsideTheOutlineClearOfTheLists) {
  const std::vector<skin::ButtonPlace> places(skin::kCompactButtons.begin(), skin::kCompactButtons.end());
  // The album list at its taller place (y 163, 55 high) covers the shorter one too.
  ExpectButtonsClear(places, skin::kCompactWidth, skin::kCompactHeight, {{13, 40, 94, 116}, {13, 163, 94, 55}},
                     "compact");
  for (const skin::ButtonPlace& place : places) {
    const Rect r = ButtonRect(place, skin::kCompactWidth, skin::kCompactHeight);
    // The outline cuts 3 pixels off each corner.
    EXPECT_TRUE(r.left >= 3 || (r.top >= 3 && r.bottom() <= skin::kCompactHeight - 3)) << place.control;
    EXPECT_TRUE(r.right() <= skin::kCompactWidth - 3 || (r.top >= 3 && r.bottom() <= skin::kCompactHeight - 3))
        << place.control;
  }
}

TEST(SkinLayout, FullScreenButtonsSitWhereTheLayoutPutsThem) {
  const std::vector<skin::ButtonPlace> places(skin::kMaxButtons.begin(), skin::kMaxButtons.end());
  for (const Size& area : kWorkAreas) {
    const int w = area.width, h = area.height;
    const std::string layout = "full screen " + std::to_string(w) + " x " + std::to_string(h);
    ExpectButtonsClear(places, w, h, {MaxItemList(w, h), MaxAlbumList(w, h)}, layout);
    for (const skin::ButtonPlace& place : places) {
      const Rect r = ButtonRect(place, w, h);
      // Album buttons: the layout's own rectangles.
      if (place.control == 1023) {
        EXPECT_EQ((std::vector{r.left, r.top, r.width, r.height}), (std::vector{26, h - 90, 79, 28}));
      }
      if (place.control == 1024) {
        EXPECT_EQ((std::vector{r.left, r.top, r.width, r.height}), (std::vector{25, h - 58, 80, 28}));
      }
      if (place.control == 1025) {
        EXPECT_EQ((std::vector{r.left, r.top, r.width, r.height}), (std::vector{w - 104, h - 90, 84, 28}));
      }
      if (place.control == 1026) {
        EXPECT_EQ((std::vector{r.left, r.top, r.width, r.height}), (std::vector{w - 90, h - 58, 70, 29}));
      }
      // Menu buttons: their popup opens at (width - 651 | 548 | 231, 62), under the button.
      const int popupX = place.control == 1016 ? w - 651 : place.control == 1015 ? w - 548 : place.control == 1019 ? w - 231 : -1;
      if (popupX >= 0) {
        EXPECT_TRUE(popupX >= r.left - 2 && popupX < r.right()) << layout << " control " << place.control;
        EXPECT_EQ(r.bottom(), 62) << layout << " control " << place.control;
      }
    }
  }
}

}  // namespace
}  // namespace lumora
