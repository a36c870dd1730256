// The picture view: the picture drawn through ViewRenderer into one reused
// buffer, Qt's scroll bars over the view's ranges, the selection tracker of
// region-select mode and the magnifier.
#include "editor/ImageCanvas.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <vector>

#include "editor/ViewMath.h"
#include "editor/ViewRender.h"
#include "media/codecs/PictureFiles.h"
#include "platform/qt/QtPointerConfinement.h"

namespace lumora {

namespace {

// Tracker handles: squares of this side inside the rectangle's corners and
// edge middles.
constexpr int kHandleSize = 7;
// The stored right and bottom edges are drawn this far inwards.
constexpr int kEdgeInset = 2;
// One wheel notch.
constexpr int kWheelNotch = 120;

// The edges a tracker drag moves.
constexpr unsigned kLeft = 1, kTop = 2, kRight = 4, kBottom = 8, kAllEdges = 15;

// The selection's rectangle as drawn, in client coordinates (corners included).
QRect DrawnRect(const ViewRect& s, int sx, int sy) {
  return QRect(QPoint(s.left - sx, s.top - sy), QPoint(s.right - kEdgeInset - sx, s.bottom - kEdgeInset - sy))
      .normalized();
}

struct Handle {
  unsigned edges;
  QRect area;
};

std::array<Handle, 8> HandlesOf(const QRect& r) {
  const int l = r.left(), t = r.top(), ri = r.right() - kHandleSize + 1, b = r.bottom() - kHandleSize + 1;
  const int cx = r.center().x() - kHandleSize / 2, cy = r.center().y() - kHandleSize / 2;
  const QSize s(kHandleSize, kHandleSize);
  return {{{kLeft | kTop, {QPoint(l, t), s}},
           {kTop, {QPoint(cx, t), s}},
           {kRight | kTop, {QPoint(ri, t), s}},
           {kRight, {QPoint(ri, cy), s}},
           {kRight | kBottom, {QPoint(ri, b), s}},
           {kBottom, {QPoint(cx, b), s}},
           {kLeft | kBottom, {QPoint(l, b), s}},
           {kLeft, {QPoint(l, cy), s}}}};
}

// What a press at `p` would take hold of: a handle's edges, all edges (the
// inside: a move), or 0 (outside: a new rubber band).
unsigned HitTest(const QRect& drawn, const QPoint& p) {
  for (const Handle& h : HandlesOf(drawn))
    if (h.area.contains(p)) return h.edges;
  return drawn.contains(p) ? kAllEdges : 0;
}

Qt::CursorShape CursorFor(unsigned edges) {
  switch (edges) {
    case kAllEdges:
      return Qt::SizeAllCursor;
    case kLeft | kTop:
    case kRight | kBottom:
      return Qt::SizeFDiagCursor;
    case kRight | kTop:
    case kLeft | kBottom:
      return Qt::SizeBDiagCursor;
    case kLeft:
    case kRight:
      return Qt::SizeHorCursor;
    default:
      return Qt::SizeVerCursor;
  }
}

ViewRect Normalised(const ViewRect& r) {
  return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
}

bool operator==(const ViewRect& a, const ViewRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

struct ImageCanvas::State {
  int zoomStep = 1;
  float zoom = 1.0f;
  uint32_t background = 0;
  bool showBase = false;
  bool updatingBars = false;
  std::function<void()> zoomChanged, selectionChanged;

  ViewRenderer renderer;
  std::vector<ViewPixel> pixels;  // the view, one device pixel each
  QImage image;                   // wraps `pixels`

  // A left-button drag: the tracker's (edges it moves; 0 draws a rubber
  // band) or the magnifier's.
  enum class Drag { None, Tracker, Magnifier } drag = Drag::None;
  unsigned edges = 0;
  QPoint pressed;     // scrolled coordinates
  ViewRect start;     // the selection when the drag began
  ViewRect tracking;  // the rectangle being dragged, not yet normalised
  QPoint loupe;       // client coordinates
  std::unique_ptr<PointerConfinement> confinement;

  int wheelZoom = 0, wheelScroll = 0;  // wheel angle not yet turned into steps
};

ImageCanvas::ImageCanvas(EffectLevels& levels, QWidget* parent)
    : QAbstractScrollArea(parent), levels_(levels), state_(std::make_unique<State>()) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(true);
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    bar->setSingleStep(kScrollLineStep);
    bar->setPageStep(kScrollPageStep);
    bar->setTracking(true);
  }
}

ImageCanvas::~ImageCanvas() = default;

bool ImageCanvas::LoadPicture(const std::string& path) {
  displayed_.Free();
  const bool read = LoadPictureFile(displayed_, path) && ExpandToEightBits(displayed_);
  if (!read) displayed_.Free();
  ResetZoom();
  return read;
}

void ImageCanvas::FreePictures() {
  for (DibImage* picture : {&displayed_, &base_, &preTrim_, &overlay_, &trimmed_, &spare_}) picture->Free();
  PictureChanged();
}

void ImageCanvas::PictureChanged() {
  UpdateScrollBars(false);
  viewport()->update();
}

int ImageCanvas::ZoomStep() const { return state_->zoomStep; }
float ImageCanvas::ZoomFactor() const { return state_->zoom; }

bool ImageCanvas::ZoomIn() { return SetZoomStep(ZoomStepIn(state_->zoomStep)); }
bool ImageCanvas::ZoomOut() { return SetZoomStep(ZoomStepOut(state_->zoomStep)); }

bool ImageCanvas::SetZoomStep(int step) {
  if (step == state_->zoomStep || ZoomStepIndex(step) < 0) return false;
  const float old = state_->zoom;
  state_->zoomStep = step;
  state_->zoom = ZoomFactorOf(step);
  levels_.selection = RescaleSelection(levels_.selection, old, state_->zoom);
  UpdateScrollBars(true);
  viewport()->update();
  if (state_->zoomChanged) state_->zoomChanged();
  return true;
}

void ImageCanvas::ResetZoom() {
  state_->zoomStep = 1;
  state_->zoom = 1.0f;
  PictureChanged();
}

void ImageCanvas::OnZoomChanged(std::function<void()> changed) { state_->zoomChanged = std::move(changed); }

int ImageCanvas::ScrollX() const { return horizontalScrollBar()->value(); }
int ImageCanvas::ScrollY() const { return verticalScrollBar()->value(); }
int ImageCanvas::RangeX() const { return horizontalScrollBar()->maximum(); }
int ImageCanvas::RangeY() const { return verticalScrollBar()->maximum(); }

uint32_t ImageCanvas::Background() const { return state_->background; }

void ImageCanvas::SetBackground(uint32_t colour) {
  state_->background = colour;
  viewport()->update();
}

ViewGeometry ImageCanvas::Geometry() const {
  const QSize client = ClientSize();
  return {state_->zoom, client.width(), client.height()};
}

void ImageCanvas::SelectMiddleHalf() {
  const QSize client = ClientSize();
  levels_.selection = MiddleHalf(client.width(), client.height(), ScrollX(), ScrollY());
  viewport()->update();
}

void ImageCanvas::OnSelectionChanged(std::function<void()> changed) { state_->selectionChanged = std::move(changed); }

void ImageCanvas::ShowEffectBase(bool on) {
  if (state_->showBase == on) return;
  state_->showBase = on;
  viewport()->update();
}

bool ImageCanvas::MagnifierActive() const { return state_->drag == State::Drag::Magnifier; }

void ImageCanvas::UpdateScrollBars(bool zoomed) {
  if (state_->updatingBars) return;
  state_->updatingBars = true;
  // A bar is shown while its range is not 0. Each bar takes room from the
  // other axis, so which ones are needed is settled first, on the area
  // without bars; showing and hiding them lays the view out at once.
  const QSize area = contentsRect().size();
  const QSize bars(verticalScrollBar()->sizeHint().width(), horizontalScrollBar()->sizeHint().height());
  bool needX = false, needY = false;
  for (int pass = 0; pass < 2; ++pass) {
    needX = ScrollRange(displayed_.width(), state_->zoom, area.width() - (needY ? bars.width() : 0)) > 0;
    needY = ScrollRange(displayed_.height(), state_->zoom, area.height() - (needX ? bars.height() : 0)) > 0;
  }
  setHorizontalScrollBarPolicy(needX ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(needY ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);

  const QSize client = ClientSize();
  auto apply = [&](QScrollBar* bar, int32_t pictureSize, int32_t clientSize) {
    const ScrollAxis now{bar->maximum(), bar->value()};
    const int range = ScrollRange(pictureSize, state_->zoom, clientSize);
    const ScrollAxis next = zoomed ? ZoomedRange(now, range) : WithRange(now, range);
    bar->setRange(0, next.range);
    bar->setValue(next.position);
  };
  apply(horizontalScrollBar(), displayed_.width(), client.width());
  apply(verticalScrollBar(), displayed_.height(), client.height());
  state_->updatingBars = false;
}

QSize ImageCanvas::ClientSize() const {
  // The bars are shown exactly while their policy says so (UpdateScrollBars),
  // so this is the viewport's size once laid out, and already before the
  // view is first shown.
  const bool barX = horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
  const bool barY = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
  return contentsRect().size() - QSize(barY ? verticalScrollBar()->sizeHint().width() : 0,
                                       barX ? horizontalScrollBar()->sizeHint().height() : 0);
}

void ImageCanvas::paintEvent(QPaintEvent*) {
  State& s = *state_;
  const QSize size = viewport()->size();
  if (size.isEmpty()) return;
  if (s.image.size() != size) {
    s.pixels.assign(size_t(size.width()) * size_t(size.height()), 0);
    s.image = QImage(reinterpret_cast<uchar*>(s.pixels.data()), size.width(), size.height(),
                     qsizetype(size.width()) * qsizetype(sizeof(ViewPixel)), QImage::Format_RGB32);
  }
  const DibImage& shown = s.showBase && !base_.empty() ? base_ : displayed_;
  const ViewPlacement placement{s.zoom, ScrollX(), ScrollY(), size.width(), size.height(), s.background};
  s.renderer.Render(shown, placement, s.pixels.data(), size_t(size.width()));
  if (s.drag == State::Drag::Magnifier)
    DrawLoupe(s.pixels.data(), size.width(), size.height(), size_t(size.width()), s.loupe.x(), s.loupe.y(),
              ViewPixelOf(s.background));

  QPainter painter(viewport());
  painter.drawImage(0, 0, s.image);
  if (!levels_.regionSelect || s.drag == State::Drag::Magnifier) return;
  const ViewRect selection = s.drag == State::Drag::Tracker ? Normalised(s.tracking) : levels_.selection;
  if (selection.empty()) return;
  // The tracker: a dashed border, black over white so that it shows on any
  // picture, and the eight handles.
  const QRect drawn = DrawnRect(selection, ScrollX(), ScrollY());
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 0));
  painter.drawRect(drawn.adjusted(0, 0, -1, -1));  // an outline of exactly `drawn`
  painter.setPen(QPen(Qt::black, 0, Qt::DashLine));
  painter.drawRect(drawn.adjusted(0, 0, -1, -1));  // an outline of exactly `drawn`
  if (s.drag == State::Drag::Tracker) return;
  // Black squares in a white edge, so they show on the background too.
  for (const Handle& h : HandlesOf(drawn)) {
    painter.fillRect(h.area, Qt::white);
    painter.fillRect(h.area.adjusted(1, 1, -1, -1), Qt::black);
  }
}

void ImageCanvas::resizeEvent(QResizeEvent*) { UpdateScrollBars(false); }

void ImageCanvas::scrollContentsBy(int, int) { viewport()->update(); }

QPoint ImageCanvas::ClampToView(const QPoint& p) const {
  return {std::clamp(p.x(), 0, std::max(0, viewport()->width() - 1)),
          std::clamp(p.y(), 0, std::max(0, viewport()->height() - 1))};
}

void ImageCanvas::UpdateCursor(const QPoint& at) {
  const unsigned edges = levels_.regionSelect && !levels_.selection.empty()
                             ? HitTest(DrawnRect(levels_.selection, ScrollX(), ScrollY()), at)
                             : 0;
  if (edges)
    viewport()->setCursor(CursorFor(edges));
  else
    viewport()->unsetCursor();
}

void ImageCanvas::mousePressEvent(QMouseEvent* event) {
  State& s = *state_;
  if (event->button() != Qt::LeftButton || s.drag != State::Drag::None) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const QPoint at = ClampToView(event->position().toPoint());
  s.confinement = std::make_unique<PointerConfinement>(*viewport());
  if (levels_.regionSelect) {
    s.drag = State::Drag::Tracker;
    s.pressed = at + QPoint(ScrollX(), ScrollY());
    s.start = levels_.selection;
    s.edges = s.start.empty() ? 0 : HitTest(DrawnRect(s.start, ScrollX(), ScrollY()), at);
    s.tracking = s.edges ? s.start : ViewRect{s.pressed.x(), s.pressed.y(), s.pressed.x(), s.pressed.y()};
  } else {
    s.drag = State::Drag::Magnifier;
    s.loupe = at;
    viewport()->setCursor(Qt::BlankCursor);
  }
  viewport()->update();
}

void ImageCanvas::mouseMoveEvent(QMouseEvent* event) {
  State& s = *state_;
  const QPoint at = ClampToView(event->position().toPoint());
  switch (s.drag) {
    case State::Drag::None:
      UpdateCursor(at);
      return;
    case State::Drag::Magnifier:
      s.loupe = at;
      break;
    case State::Drag::Tracker: {
      const QPoint now = at + QPoint(ScrollX(), ScrollY());
      if (!s.edges) {
        s.tracking.right = now.x();
        s.tracking.bottom = now.y();
        break;
      }
      const QPoint d = now - s.pressed;
      s.tracking = s.start;
      if (s.edges & kLeft) s.tracking.left += d.x();
      if (s.edges & kTop) s.tracking.top += d.y();
      if (s.edges & kRight) s.tracking.right += d.x();
      if (s.edges & kBottom) s.tracking.bottom += d.y();
      break;
    }
  }
  viewport()->update();
}

void ImageCanvas::mouseReleaseEvent(QMouseEvent* event) {
  State& s = *state_;
  if (event->button() != Qt::LeftButton || s.drag == State::Drag::None) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    return;
  }
  mouseMoveEvent(event);
  const State::Drag ended = s.drag;
  s.drag = State::Drag::None;
  s.confinement.reset();
  viewport()->update();
  if (ended == State::Drag::Magnifier) {
    UpdateCursor(ClampToView(event->position().toPoint()));
    return;
  }
  // A click that drew no rectangle, or a drag that changed nothing, leaves
  // the selection as it was.
  const ViewRect result = Normalised(s.tracking);
  if (result.empty() || result == levels_.selection) return;
  levels_.selection = result;
  if (s.selectionChanged) s.selectionChanged();
}

void ImageCanvas::wheelEvent(QWheelEvent* event) {
  State& s = *state_;
  const QPoint angle = event->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  if (event->modifiers() & Qt::ControlModifier) {
    s.wheelZoom += delta;
    for (; s.wheelZoom >= kWheelNotch; s.wheelZoom -= kWheelNotch) ZoomIn();
    for (; s.wheelZoom <= -kWheelNotch; s.wheelZoom += kWheelNotch) ZoomOut();
    event->accept();
    return;
  }
  // Each notch scrolls the system's number of lines; a partial notch (a
  // smooth wheel) is kept until it adds up to a line.
  QScrollBar* bar = event->modifiers() & Qt::ShiftModifier ? horizontalScrollBar() : verticalScrollBar();
  s.wheelScroll += delta * QApplication::wheelScrollLines();
  const int lines = s.wheelScroll / kWheelNotch;
  s.wheelScroll -= lines * kWheelNotch;
  bar->setValue(bar->value() - lines * kScrollLineStep);
  event->accept();
}

void ImageCanvas::keyPressEvent(QKeyEvent* event) {
  // Home and End: the start and the end of the vertical range, with Shift of
  // the horizontal one.
  if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
    QScrollBar* bar = event->modifiers() & Qt::ShiftModifier ? horizontalScrollBar() : verticalScrollBar();
    bar->setValue(event->key() == Qt::Key_Home ? 0 : bar->maximum());
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace lumora
