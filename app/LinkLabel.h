// LinkLabel: a text label with its own font and colours that, in link mode,
// opens its own text with the shell when clicked (the About box's home-page
// line). Every change of the font's size, underline or italic rebuilds the
// font and repaints the label at once; a hover cursor, when set, shows while
// the pointer is over it.
#pragma once

#include <QBrush>
#include <QColor>
#include <QCursor>
#include <QFont>
#include <QLabel>

namespace lumora {

class Shell;

class LinkLabel final : public QLabel {
 public:
  // Text colour: the palette's window text; background: the palette's button
  // colour; font: the application's default font; link mode on.
  LinkLabel(Shell& shell, QWidget* parent);

  void SetTextColour(const QColor& colour);
  // Font height in pixels.
  void SetFontSize(int pixels);
  void SetUnderline(bool underline);
  void SetItalic(bool italic);
  void SetLinkMode(bool link);
  void SetHoverCursor(const QCursor& cursor);

  QColor TextColour() const { return textColour_; }
  const QBrush& Background() const { return background_; }
  bool LinkMode() const { return linkMode_; }
  // The font the label draws with.
  const QFont& LabelFont() const { return labelFont_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  // Makes the font from its description and repaints now.
  void RebuildFont();
  // Font, text colour and background as the label draws them.
  void ApplyLook();

  Shell& shell_;
  QColor textColour_;
  QBrush background_;
  QFont description_;
  QFont labelFont_;
  bool linkMode_ = true;
};

}  // namespace lumora
