// ImageCanvas: the photo editor's picture view, a child window of the main
// window. It owns the editor's six pictures (the displayed picture, the
// effect base, the pre-trim copy, the overlay, the trimmed picture and a
// spare), the zoom, the scroll positions, the background colour and the
// magnifier; it reads the levels and the selection from the editor's
// EffectLevels and writes the selection the user draws back into them.
//
// Painting maps one picture pixel to zoom-factor device pixels, centres a
// picture smaller than the view, fills the rest with the background colour
// and samples only the visible part of the picture: a repaint costs the
// view's area, never the picture's.
#pragma once

#include <QAbstractScrollArea>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "editor/effects/EffectLevels.h"
#include "editor/effects/Selection.h"
#include "picture/DibImage.h"

namespace lumora {

class ImageCanvas final : public QAbstractScrollArea {
 public:
  ImageCanvas(EffectLevels& levels, QWidget* parent);
  ~ImageCanvas() override;

  // --- The six pictures.
  DibImage& Displayed() { return displayed_; }
  DibImage& EffectBase() { return base_; }
  DibImage& PreTrim() { return preTrim_; }
  DibImage& Overlay() { return overlay_; }
  DibImage& Trimmed() { return trimmed_; }
  DibImage& Spare() { return spare_; }
  const DibImage& Displayed() const { return displayed_; }

  // Frees the displayed picture, reads `path` through the codecs into it
  // (1- and 4-bit pictures expanded to 8 bits), zoom step and factor 1,
  // recomputes the scroll ranges and repaints. False when the file could not
  // be read: the picture is then empty and the view shows the background.
  bool LoadPicture(const std::string& path);
  // Frees all six pictures (the editor closes).
  void FreePictures();
  // The displayed picture was rebuilt (effects, trim): recomputes the scroll
  // ranges and repaints.
  void PictureChanged();

  // --- Zoom: the steps -4, -3, -2, 1, 2, 3, 4, 8, 16.
  int ZoomStep() const;
  float ZoomFactor() const;
  // Each false when nothing changed (already at the end of the steps, or the
  // same step). A change rescales the selection to the new factor and keeps
  // each scroll position's proportion of its range, then repaints and calls
  // the zoom callback.
  bool ZoomIn();
  bool ZoomOut();
  bool SetZoomStep(int step);
  // Step and factor back to 1 without touching the selection (a reset).
  void ResetZoom();
  // Called after every zoom change, also those of Ctrl + wheel.
  void OnZoomChanged(std::function<void()> changed);

  // --- Scrolling (device pixels).
  int ScrollX() const;
  int ScrollY() const;
  int RangeX() const;
  int RangeY() const;

  // --- Background colour: red in the low byte, green, blue; 0 (black) at start.
  uint32_t Background() const;
  void SetBackground(uint32_t colour);

  // The zoom factor and the client size, as the selection's conversion to
  // picture coordinates needs them.
  ViewGeometry Geometry() const;

  // --- Region select. The selection lives in the levels (scrolled client
  // coordinates). Sets it to the middle half of the view: from
  // (sx + W / 4, sy + H / 4) to (sx + 3W / 4, sy + 3H / 4).
  void SelectMiddleHalf();
  // Called after the user drew, moved or resized the selection (normalised,
  // stored in the levels): the editor recomputes at once.
  void OnSelectionChanged(std::function<void()> changed);

  // While on, the view shows the effect base instead of the displayed picture
  // (the unedited picture, held on a key); no state changes.
  void ShowEffectBase(bool on);

  bool MagnifierActive() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  // Home and End: the start and end of the vertical range (with Shift, the
  // horizontal one).
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Sets both bars' ranges for the picture, zoom and client size. After a
  // zoom change the positions keep their proportion of the ranges.
  void UpdateScrollBars(bool zoomed);
  // The client area: the view less the bars shown.
  QSize ClientSize() const;
  QPoint ClampToView(const QPoint& p) const;
  // The tracker's cursor for the pointer at `at` (client coordinates).
  void UpdateCursor(const QPoint& at);

  EffectLevels& levels_;
  DibImage displayed_, base_, preTrim_, overlay_, trimmed_, spare_;
  // The view's state (zoom, scroll ranges, render buffer, tracker, magnifier).
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace lumora
