#include "editor/LevelBar.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace lumora {

namespace {

// Eight shades of the base colour from the top row of the fill to its bottom:
// four lighter, the base, three darker.
std::array<QColor, 8> Shades(QColor base) {
  return {base.lighter(190), base.lighter(160), base.lighter(135), base.lighter(115),
          base,              base.darker(115),  base.darker(135),  base.darker(160)};
}

}  // namespace

LevelBar::LevelBar(QWidget* parent, bool reversed) : QWidget(parent), reversed_(reversed) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelBar::SetMaximum(int maximum) {
  maximum_ = std::max(maximum, 1);
  position_ = std::clamp(position_, 0, maximum_);
  update();
}

bool LevelBar::SetPosition(int position) {
  const int before = FilledWidth();
  position_ = std::clamp(position, 0, maximum_);
  if (FilledWidth() == before) return false;
  update();
  return true;
}

void LevelBar::SetBaseColour(QColor colour) {
  base_ = colour;
  update();
}

int LevelBar::FilledWidth() const {
  const int inner = std::max(width() - 2, 0);
  return int(int64_t(inner) * position_ / maximum_);
}

void LevelBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect all = rect();
  // The track: a sunken groove with a dark top-left and a light bottom-right edge.
  painter.fillRect(all, QColor(236, 240, 246));
  painter.setPen(QColor(120, 130, 150));
  painter.drawLine(all.topLeft(), all.topRight());
  painter.drawLine(all.topLeft(), all.bottomLeft());
  painter.setPen(Qt::white);
  painter.drawLine(all.bottomLeft(), all.bottomRight());
  painter.drawLine(all.topRight(), all.bottomRight());

  const int filled = FilledWidth();
  const int innerHeight = height() - 2;
  if (filled <= 0 || innerHeight <= 0) return;
  const int left = reversed_ ? width() - 1 - filled : 1;
  const std::array<QColor, 8> shades = Shades(base_);
  for (int y = 0; y < innerHeight; ++y) {
    const size_t shade = size_t(y * int(shades.size()) / innerHeight);
    painter.fillRect(left, 1 + y, filled, 1, shades[shade]);
  }
}

}  // namespace lumora
