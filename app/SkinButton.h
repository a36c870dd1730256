// SkinButton: the owner-drawn bitmap push button every button of the main
// window is made of. It shows one of its bitmaps by its look state, the mouse
// over it and the left button held on it, and takes its shape from its normal
// bitmap: pixels of the transparent colour are cut out of the button (its
// mask), so they neither show nor take clicks.
//
// Look states: 0 normal, 1 the hover bitmap shown all the time, 2 the active
// bitmap shown all the time (a companion started or running), 3 the disabled
// bitmap.
//
// Hover follows the pointer entering and leaving the button's shape; a press
// keeps the mouse with the button until its release (Qt's own implicit grab),
// and moving off the shape meanwhile ends the hover look. The button never
// takes the mouse grab itself: a click's handler may open a modal window (a
// message box), and a grab held by the button would keep every click from it.
//
// The click itself is QAbstractButton's: it reaches the window as an ordinary
// clicked() of the button.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QRegion>
#include <QRgb>

#include <array>
#include <cstdint>

namespace lumora {

class BitmapSource;

class SkinButton final : public QAbstractButton {
 public:
  enum Look : int { kLookNormal = 0, kLookHover = 1, kLookActive = 2, kLookDisabled = 3 };
  // The bitmap slots.
  enum Slot : int { kNormal = 0, kAlternate = 1, kHoverBitmap = 2, kActive = 3, kDisabled = 4, kNone = -1 };

  SkinButton(const BitmapSource& skin, uint32_t controlId, QWidget* parent);

  uint32_t ControlId() const { return controlId_; }

  // Takes the bitmaps by id from the skin; 0 means the normal bitmap serves
  // that slot. Without a normal bitmap the button is not ready (draws
  // nothing) and false is returned. Otherwise the size comes from the normal
  // bitmap, the shape is cut again, and the answer is whether the last slot
  // had a bitmap of its own.
  bool SetBitmaps(uint32_t normal, uint32_t alternate, uint32_t hover, uint32_t active, uint32_t disabled);
  // The colour cut out of the shape and the tolerance per channel; the shape
  // is cut at the next SetBitmaps.
  void SetTransparentColour(QRgb colour, int tolerance = 0);

  // Stores the look state, clears the hover flag and redraws.
  void SetLookState(int state);
  int LookState() const { return lookState_; }
  // Redraws the whole button; clears the hover flag.
  void Redraw();

  bool IsReady() const { return ready_; }
  bool IsHovering() const { return hover_; }
  bool IsPressed() const { return pressed_; }
  // The region cut from the normal bitmap (empty when it is all transparent).
  const QRegion& Shape() const { return shape_; }
  // The slot the next paint draws.
  Slot SlotToDraw() const;
  QImage BitmapIn(Slot slot) const { return slot == kNone ? QImage() : bitmaps_[slot]; }

  // The drawing table: which slot a button draws.
  static Slot ChooseSlot(bool ready, bool enabled, int lookState, bool hover, bool pressed);

  QSize sizeHint() const override;

 protected:
  bool hitButton(const QPoint& pos) const override;
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyShape();

  const BitmapSource& skin_;
  uint32_t controlId_;
  std::array<QImage, 5> bitmaps_;
  QSize size_;
  bool ready_ = false;
  int lookState_ = kLookNormal;
  bool hover_ = false;
  bool pressed_ = false;
  QRgb transparent_ = qRgb(255, 0, 255);
  int tolerance_ = 0;
  QRegion shape_;
};

}  // namespace lumora
