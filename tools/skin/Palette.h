// The skin's one palette: a dark blue-slate frame around light content, cream
// paper and cognac leather for the albums, and one warm amber accent for hover
// and pressed looks. Every picture the generator draws takes its colours here.
#pragma once

#include <QColor>

namespace lumora::skin {

// Frame, darkest to lightest.
inline const QColor kInk{24, 34, 50};
inline const QColor kNavy{33, 47, 69};
inline const QColor kSlate{45, 62, 89};
inline const QColor kSlateLight{63, 84, 116};
inline const QColor kSteel{98, 124, 160};
inline const QColor kFrost{170, 188, 210};

// Chrome surfaces: the bars, the recessed trays under buttons, the side panel
// and the cards under the launch buttons.
inline const QColor kBarTop{40, 56, 82};
inline const QColor kBarBottom{28, 40, 60};
inline const QColor kTray{20, 30, 45};
inline const QColor kPanel{45, 62, 89};
inline const QColor kCard{36, 51, 75};
// The photo editor's panel: a light sheet on which the window writes the level
// rows' names in dark text and draws the level bars.
inline const QColor kSheet{220, 229, 238};
inline const QColor kSheetEdge{150, 170, 196};

// Content: the item list backgrounds the window uses, and paper.
inline const QColor kHaze{192, 203, 217};  // compact item list
inline const QColor kMist{211, 223, 232};  // full-screen item list
inline const QColor kPaper{247, 243, 235};
inline const QColor kPaperShade{226, 219, 205};

// Accent.
inline const QColor kAmber{242, 168, 74};
inline const QColor kAmberLight{251, 204, 136};
inline const QColor kAmberDeep{214, 128, 44};
inline const QColor kCoral{214, 88, 76};

// The album list backgrounds (linen), around which the album icons are drawn.
inline const QColor kLinenCompact{222, 229, 238};
inline const QColor kLinenMax{229, 234, 240};

// Albums.
inline const QColor kCognac{172, 88, 52};
inline const QColor kCognacDark{118, 56, 32};
inline const QColor kGold{236, 196, 118};

// Text.
inline const QColor kTextLight{239, 243, 248};
inline const QColor kTextDim{176, 192, 212};
inline const QColor kTextDark{24, 34, 50};

// Button faces: normal, hover, active (pressed or running), top and bottom of
// their vertical gradient.
struct Face {
  QColor top;
  QColor bottom;
  QColor border;
  QColor ink;   // label and glyph
  QColor glyph; // glyph when it differs from the label
};
inline const Face kFaceNormal{{58, 79, 111}, {45, 63, 91}, {78, 101, 136}, kTextLight, {190, 206, 226}};
inline const Face kFaceHover{{84, 110, 150}, {64, 88, 124}, kAmber, {255, 255, 255}, kAmberLight};
inline const Face kFaceActive{{252, 196, 120}, {234, 150, 58}, {255, 224, 176}, kTextDark, kTextDark};

}  // namespace lumora::skin
