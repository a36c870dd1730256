// SkinButton: bitmaps, the drawing table, hover tracking and the shape.
#include "app/SkinButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/ButtonShape.h"
#include "app/Skin.h"

namespace lumora {

namespace {

// Qt reads an empty mask as "no mask", which would show the whole rectangle.
// A region wholly outside the button stands for the empty shape: nothing of
// the button shows and no point of it takes the mouse.
const QRegion& EmptyShapeMask() {
  static const QRegion kOutside(-1, -1, 1, 1);
  return kOutside;
}

}  // namespace

SkinButton::SkinButton(const BitmapSource& skin, uint32_t controlId, QWidget* parent)
    : QAbstractButton(parent), skin_(skin), controlId_(controlId) {
  setFocusPolicy(Qt::NoFocus);
}

bool SkinButton::SetBitmaps(uint32_t normal, uint32_t alternate, uint32_t hover, uint32_t active, uint32_t disabled) {
  bitmaps_[kNormal] = skin_.Bitmap(normal);
  if (bitmaps_[kNormal].isNull()) {
    ready_ = false;
    update();
    return false;
  }
  bool lastLoaded = true;
  const std::array<std::pair<Slot, uint32_t>, 4> others = {
      {{kAlternate, alternate}, {kHoverBitmap, hover}, {kActive, active}, {kDisabled, disabled}}};
  for (const auto& [slot, id] : others) {
    QImage image = id == 0 ? QImage() : skin_.Bitmap(id);
    lastLoaded = id == 0 || !image.isNull();
    bitmaps_[slot] = image.isNull() ? bitmaps_[kNormal] : image;
  }
  size_ = bitmaps_[kNormal].size();
  ready_ = true;
  resize(size_);
  ApplyShape();
  updateGeometry();
  update();
  return lastLoaded;
}

void SkinButton::SetTransparentColour(QRgb colour, int tolerance) {
  transparent_ = colour;
  tolerance_ = tolerance;
}

void SkinButton::ApplyShape() {
  shape_ = ShapeFromBitmap(bitmaps_[kNormal], transparent_, tolerance_);
  setMask(shape_.isEmpty() ? EmptyShapeMask() : shape_);
}

void SkinButton::SetLookState(int state) {
  lookState_ = state;
  hover_ = false;
  update();
}

void SkinButton::Redraw() {
  hover_ = false;
  update();
}

SkinButton::Slot SkinButton::ChooseSlot(bool ready, bool enabled, int lookState, bool hover, bool pressed) {
  if (!ready) return kNone;
  if (!enabled) return kDisabled;
  if (!hover) {
    switch (lookState) {
      case kLookHover: return kHoverBitmap;
      case kLookActive: return kActive;
      case kLookDisabled: return kDisabled;
      default: return kNormal;
    }
  }
  if (!pressed) return lookState == kLookActive ? kActive : kHoverBitmap;
  return lookState == kLookHover ? kHoverBitmap : kActive;
}

SkinButton::Slot SkinButton::SlotToDraw() const { return ChooseSlot(ready_, isEnabled(), lookState_, hover_, pressed_); }

QSize SkinButton::sizeHint() const { return size_; }

bool SkinButton::hitButton(const QPoint& pos) const {
  // A click counts only where the button shows.
  return mask().isEmpty() ? QAbstractButton::hitButton(pos) : mask().contains(pos);
}

void SkinButton::paintEvent(QPaintEvent*) {
  const Slot slot = SlotToDraw();
  if (slot == kNone) return;
  if (!isEnabled()) hover_ = false;
  QPainter painter(this);
  painter.drawImage(0, 0, bitmaps_[slot]);
}

void SkinButton::enterEvent(QEnterEvent* event) {
  hover_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void SkinButton::leaveEvent(QEvent* event) {
  hover_ = false;
  pressed_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void SkinButton::mouseMoveEvent(QMouseEvent* event) {
  QAbstractButton::mouseMoveEvent(event);
  // Moves arrive off the shape only while a press holds the mouse here; the
  // leave comes with the release.
  if (!hover_ || hitButton(event->position().toPoint())) return;
  hover_ = false;
  pressed_ = false;
  update();
}

void SkinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  QAbstractButton::mousePressEvent(event);
}

void SkinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = false;
  QAbstractButton::mouseReleaseEvent(event);
}

void SkinButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) update();
  QAbstractButton::changeEvent(event);
}

}  // namespace lumora
