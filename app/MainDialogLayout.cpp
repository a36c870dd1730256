// MainDialog's two layouts: entering each one, the skin, and painting the
// window in the layout it is in.
#include "app/MainDialog.h"

#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QTimer>

#include "app/AlbumBrowser.h"
#include "app/AlbumListView.h"
#include "app/ItemListView.h"
#include "app/SkinButton.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "resources/SkinLayout.h"

namespace lumora {

namespace {

constexpr int kFrameThinPen = 1;
constexpr int kFrameThickPen = 2;

QColor ColourOf(layout::Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

QRect ToQRect(const layout::Rect& r) { return QRect(r.x, r.y, r.width, r.height); }

}  // namespace

bool MainDialog::LoadSkin() {
  std::optional<QImage> background = skin_.CompactBackground();
  if (!background) {
    EndProcess(0);
    return false;
  }
  compactBackground_ = std::move(*background);
  // Without an outline the window keeps its rectangle.
  if (std::optional<QRegion> outline = skin_.WindowOutline())
    setMask(*outline);
  else
    clearMask();
  return true;
}

void MainDialog::ApplyLook() {
  const layout::ModeLook look = layout::LookOf(mode_);
  QPalette items = itemList_->palette();
  items.setColor(QPalette::Base, ColourOf(look.itemListColour));
  itemList_->setPalette(items);

  albums_->SetLayout(mode_);

  thumbnailCell_ = look.thumbnailCell;
  SetUpItemList();
}

void MainDialog::PlaceLists(const layout::ListPlaces& places) {
  itemList_->setGeometry(ToQRect(places.itemList));
  albumList_->setGeometry(ToQRect(places.albumList));
}

void MainDialog::PlaceButtons() {
  const std::span<const skin::ButtonPlace> places =
      mode_ == layout::WindowMode::Max ? std::span<const skin::ButtonPlace>(skin::kMaxButtons)
                                       : std::span<const skin::ButtonPlace>(skin::kCompactButtons);
  for (const skin::ButtonPlace& place : places) {
    if (SkinButton* button = Button(place.control)) button->move(place.x.At(width()), place.y.At(height()));
  }
  if (mode_ != layout::WindowMode::Max) return;
  // The editor's buttons (hidden until it opens) belong to the full layout.
  for (const skin::ButtonPlace& place : skin::kEditorButtons) {
    if (SkinButton* button = Button(place.control)) button->move(place.x.At(width()), place.y.At(height()));
  }
}

void MainDialog::ShowButtons() {
  for (const uint32_t control : layout::HiddenIn(mode_)) {
    if (SkinButton* button = Button(control)) button->hide();
  }
  for (const uint32_t control : layout::ShownIn(mode_)) {
    if (SkinButton* button = Button(control)) button->show();
  }
}

bool MainDialog::EnterStartLayout() {
  resize(layout::kStartSize.width, layout::kStartSize.height);
  if (!LoadSkin()) return false;
  ApplyLook();
  PlaceLists(layout::CompactLists(albumList_->Count()));
  PlaceButtons();
  ShowButtons();
  return true;
}

bool MainDialog::EnterCompactLayout() {
  mode_ = layout::WindowMode::Original;
  WriteMachineString(services_.registry, SuiteKey, kTopmost, kTopmostRemocon);
  ApplyLook();
  resize(layout::kCompactSize.width, layout::kCompactSize.height);
  if (!LoadSkin()) return false;
  PlaceLists(layout::CompactLists(albumList_->Count()));
  PlaceButtons();
  ShowButtons();
  move(normalPosition_);
  LowerCompanions();
  update();
  // The thumbnails are made again at the compact cell size.
  albums_->LoadItems();
  return true;
}

void MainDialog::EnterMaxLayout() {
  normalPosition_ = pos();
  mode_ = layout::WindowMode::Max;
  WriteMachineString(services_.registry, SuiteKey, kTopmost, kTopmostMax);
  clearMask();
  const ScreenRect area = services_.desktop.WorkArea();
  setGeometry(area.left, area.top, area.width(), area.height());
  ApplyLook();
  PlaceLists(layout::MaxLists({area.width(), area.height()}));
  PlaceButtons();
  ShowButtons();
  RaiseCompanions();
  maxEntered_ = true;
  update();
  // The thumbnails are made again at the full layout's cell size.
  albums_->LoadItems();
}

void MainDialog::LowerCompanions() {
  if (coupling_.lower) coupling_.lower();
}

void MainDialog::RaiseCompanions() {
  if (coupling_.raise) coupling_.raise();
}

void MainDialog::RecheckWorkArea() {
  if (workAreaRecheckQueued_ || ended_ || layout::WorkAreaLargeEnough(services_.desktop.WorkArea())) return;
  // No message box inside a paint event: it comes once painting is over.
  workAreaRecheckQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    services_.prompts.ShowMessage(messages_.Text(6), messages_.Caption(), box::kIconStop);
    EndProcess(0);
  });
}

void MainDialog::paintEvent(QPaintEvent* event) {
  QvDropDialog::paintEvent(event);
  if (!initialised_) return;
  RecheckWorkArea();
  QPainter painter(this);
  if (mode_ == layout::WindowMode::Original) {
    painter.drawImage(0, 0, compactBackground_);
    return;
  }
  skin_.PaintMaxBackground(painter, size(), editorShown_);
  if (editorShown_) {
    const skin::Area& frame = skin::kEditorFrame;
    PaintFrame(painter, QRect(QPoint(frame.left.At(width()), frame.top.At(height())),
                              QPoint(frame.right.At(width()), frame.bottom.At(height()))));
    painter.end();
    editor_->PaintPanel(*this);
    return;
  }
  if (!maxEntered_) return;
  const layout::FrameCorners frame = layout::MaxItemFrame({width(), height()});
  PaintFrame(painter, QRect(QPoint(frame.topLeft.x, frame.topLeft.y), QPoint(frame.bottomRight.x, frame.bottomRight.y)));
}

// Around the item list or the picture view: the top and left edges thin and
// black, the right and bottom edges thick and white.
void MainDialog::PaintFrame(QPainter& painter, const QRect& frame) {
  painter.setPen(QPen(Qt::black, kFrameThinPen));
  painter.drawLine(frame.topLeft(), frame.topRight());
  painter.drawLine(frame.topLeft(), frame.bottomLeft());
  painter.setPen(QPen(Qt::white, kFrameThickPen));
  painter.drawLine(frame.topRight(), frame.bottomRight());
  painter.drawLine(frame.bottomLeft(), frame.bottomRight());
}

}  // namespace lumora
