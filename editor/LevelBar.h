// LevelBar: a bar the editor draws itself, for its level bars and the effect
// progress bar. It shows a position in 0..maximum as a filled part in eight
// shades of one base colour (blue by default): lighter towards the top edge,
// darker towards the bottom, over a recessed track. A reversed bar fills from
// its right end, so the negative bar of a pair grows away from the middle.
#pragma once

#include <QColor>
#include <QWidget>

namespace lumora {

class LevelBar final : public QWidget {
 public:
  explicit LevelBar(QWidget* parent, bool reversed = false);

  void SetMaximum(int maximum);
  // Clamped to 0..maximum. True (and a repaint is due) when the filled
  // width changed.
  bool SetPosition(int position);
  int Maximum() const { return maximum_; }
  int Position() const { return position_; }
  bool Reversed() const { return reversed_; }
  void SetBaseColour(QColor colour);
  // The filled width in pixels for the current position.
  int FilledWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int maximum_ = 100;
  int position_ = 0;
  bool reversed_;
  QColor base_{0, 0, 255};
};

}  // namespace lumora
