// The progress window: widgets, owner handling, the event pump and the
// percentage rule.
#include "ui/ProgressDialog.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWindow>

#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace lumora {

namespace {

constexpr int kDefaultLower = 0;
constexpr int kDefaultUpper = 100;
constexpr int kDefaultStep = 10;
constexpr int kWindowWidth = 320;
constexpr int kBarHeight = 16;
constexpr int kFullPercent = 100;
// A title bar with nothing in it: no minimise, maximise or close button.
constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// (pos - lower) * 100 / (upper - lower) in integer arithmetic; anything but
// exactly 100 is taken modulo 100, so 150 of 100 shows 50. An empty range has
// no share to show: 0.
int Percent(int64_t pos, int lower, int upper) {
  const int64_t span = int64_t(upper) - lower;
  if (span == 0) return 0;
  const int64_t percent = (pos - lower) * kFullPercent / span;
  if (percent == kFullPercent) return kFullPercent;
  return int(percent % kFullPercent);
}

}  // namespace

ProgressDialog::ProgressDialog(const Resources& resources, uint32_t captionId)
    : caption_(QString::fromStdString(
          resources.String(captionId == 0 ? res::kStringProgressCaption : captionId).value_or(""))),
      lower_(kDefaultLower),
      upper_(kDefaultUpper),
      step_(kDefaultStep),
      position_(kDefaultLower) {}

ProgressDialog::~ProgressDialog() { Destroy(); }

bool ProgressDialog::Create(QWidget* parent) {
  if (window_) return false;
  owner_ = parent ? parent->window() : nullptr;
  if (owner_ && owner_->isEnabled()) {
    owner_->setEnabled(false);
    disabledOwner_ = true;
  }

  // A window of its own rather than a child of the owner: a disabled owner
  // would disable its children too. Show() ties it to the owner for stacking.
  window_ = std::make_unique<QDialog>(nullptr, kWindowFlags);
  window_->setWindowTitle(caption_);
  window_->setModal(false);
  window_->setFixedWidth(kWindowWidth);

  textLine_ = new QLabel(window_.get());
  textLine_->setTextFormat(Qt::PlainText);
  bar_ = new QProgressBar(window_.get());
  bar_->setTextVisible(false);
  bar_->setFixedHeight(kBarHeight);
  percent_ = new QLabel(QStringLiteral("0%"), window_.get());
  percent_->setTextFormat(Qt::PlainText);
  percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  percent_->setMinimumWidth(percent_->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);

  auto* row = new QHBoxLayout;
  row->addWidget(bar_, 1);
  row->addWidget(percent_);
  auto* column = new QVBoxLayout(window_.get());
  column->setContentsMargins(14, 12, 14, 14);
  column->setSpacing(8);
  column->addWidget(textLine_);
  column->addLayout(row);

  bar_->setRange(BarLow(), BarHigh());
  position_ = lower_;
  bar_->setValue(position_);
  open_ = true;
  // Escape or the window manager's close end it like reaching 100 per cent:
  // hidden, with the owner still disabled.
  QObject::connect(window_.get(), &QDialog::finished, window_.get(), [this] { open_ = false; });
  return true;
}

void ProgressDialog::Show() {
  if (!window_ || !open_) return;
  window_->adjustSize();
  window_->setFixedSize(window_->size());
  if (owner_) {
    window_->winId();  // makes the window handle for the transient parent
    if (QWindow* ownerHandle = owner_->windowHandle()) window_->windowHandle()->setTransientParent(ownerHandle);
    QRect frame = owner_->frameGeometry();
    window_->move(frame.center() - window_->rect().center());
  }
  window_->show();
}

void ProgressDialog::Destroy() {
  ReleaseOwner();
  open_ = false;
  textLine_ = nullptr;
  percent_ = nullptr;
  bar_ = nullptr;
  window_.reset();
}

void ProgressDialog::SetText(const std::string& text) {
  if (textLine_) textLine_->setText(QString::fromStdString(text));
}

void ProgressDialog::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  position_ = std::clamp(position_, BarLow(), BarHigh());
  if (!bar_) return;
  bar_->setRange(BarLow(), BarHigh());
  bar_->setValue(position_);
}

void ProgressDialog::SetStep(int step) { step_ = step; }

void ProgressDialog::SetPos(int pos) {
  PumpEvents();
  MoveBar(std::clamp(pos, BarLow(), BarHigh()), pos);
}

void ProgressDialog::OffsetPos(int delta) {
  PumpEvents();
  const int64_t wanted = int64_t(position_) + delta;
  MoveBar(int(std::clamp<int64_t>(wanted, BarLow(), BarHigh())), wanted);
}

void ProgressDialog::StepIt() {
  PumpEvents();
  const int64_t wanted = int64_t(position_) + step_;
  MoveBar(wanted < BarLow() || wanted > BarHigh() ? BarLow() : int(wanted), wanted);
}

QDialog* ProgressDialog::window() const { return window_.get(); }

QString ProgressDialog::text() const { return textLine_ ? textLine_->text() : QString(); }

QString ProgressDialog::percentText() const { return percent_ ? percent_->text() : QString(); }

bool ProgressDialog::IsOpen() const { return window_ && open_; }

void ProgressDialog::PumpEvents() { QCoreApplication::processEvents(); }

void ProgressDialog::MoveBar(int barPos, int64_t shownPos) {
  position_ = barPos;
  if (!bar_) return;
  bar_->setValue(position_);
  const int percent = Percent(shownPos, lower_, upper_);
  percent_->setText(QString::asprintf("%d%c", percent, '%'));
  if (percent >= kFullPercent && open_) window_->reject();
}

void ProgressDialog::ReleaseOwner() {
  if (disabledOwner_ && owner_) owner_->setEnabled(true);
  disabledOwner_ = false;
  owner_ = nullptr;
}

}  // namespace lumora
