// ProgressDialog: the modeless window with a text line, a progress bar and a
// percentage that long item operations (loading an album, copying, export)
// update as they go. Its owner window is disabled from Create to Destroy;
// before each change of the bar the waiting events of the UI thread are
// processed, so the window repaints and stays responsive during the work. It
// closes itself once the percentage reaches 100; the user can close it too
// (Escape, or the window manager's close when it offers one). Closing only
// hides it: the work goes on, so the owner stays disabled, taking no input,
// until Destroy.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include <QPointer>
#include <QString>
#include <QWidget>

class QDialog;
class QLabel;
class QProgressBar;

namespace lumora {

class Resources;

class ProgressDialog {
 public:
  // The window title is string `captionId` of `resources`; 0 means string 1
  // ("Wait, please..."). Range 0 to 100, step 10.
  explicit ProgressDialog(const Resources& resources, uint32_t captionId = 0);
  ~ProgressDialog();  // Destroy()
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  // Makes the window, hidden, with the range, step and the lower bound as
  // position, and disables the top-level window of `parent` when it is
  // enabled (no parent: no owner). False, touching nothing, when the window
  // already exists.
  bool Create(QWidget* parent);
  // Shows the window made by Create, centred on its owner, at the size of
  // its contents: a dialog with a title and no buttons of the window manager.
  void Show();
  // Re-enables the owner if this dialog disabled it and deletes the window.
  void Destroy();

  void SetText(const std::string& text);
  void SetRange(int lower, int upper);
  void SetStep(int step);
  // Each of these processes waiting events first, then moves the bar and
  // shows the percentage of the position it asked for: SetPos of `pos`,
  // OffsetPos of the old position + `delta`, StepIt of the old position + the
  // step. The bar itself stays within the range (SetPos and OffsetPos stop at
  // the bounds; StepIt past the upper bound starts again at the lower one).
  void SetPos(int pos);
  void OffsetPos(int delta);
  void StepIt();

  int lower() const { return lower_; }
  int upper() const { return upper_; }
  int step() const { return step_; }
  // The bar's position.
  int position() const { return position_; }
  // The window; nullptr before Create and after Destroy.
  QDialog* window() const;
  QString text() const;
  QString percentText() const;
  // Created, and not closed by reaching 100 per cent or by the user.
  bool IsOpen() const;

 private:
  void PumpEvents();
  // Puts the bar at `barPos` and shows the percentage of `shownPos`; closes
  // the window at 100 per cent or more.
  void MoveBar(int barPos, int64_t shownPos);
  int BarLow() const { return std::min(lower_, upper_); }
  int BarHigh() const { return std::max(lower_, upper_); }
  void ReleaseOwner();

  QString caption_;
  int lower_ = 0;
  int upper_ = 100;
  int step_ = 10;
  int position_ = 0;
  QPointer<QWidget> owner_;
  bool disabledOwner_ = false;
  bool open_ = false;
  std::unique_ptr<QDialog> window_;
  QLabel* textLine_ = nullptr;
  QLabel* percent_ = nullptr;
  QProgressBar* bar_ = nullptr;
};

}  // namespace lumora
