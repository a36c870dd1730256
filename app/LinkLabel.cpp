// LinkLabel: colours, font rebuilds, link mode and the hover cursor.
#include "app/LinkLabel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>

#include "platform/Shell.h"

namespace lumora {

LinkLabel::LinkLabel(Shell& shell, QWidget* parent)
    : QLabel(parent),
      shell_(shell),
      textColour_(palette().color(QPalette::WindowText)),
      background_(palette().color(QPalette::Button)),
      description_(QApplication::font()),
      labelFont_(description_) {
  setAutoFillBackground(true);
  ApplyLook();
}

void LinkLabel::ApplyLook() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, textColour_);
  colours.setBrush(QPalette::Window, background_);
  setPalette(colours);
  setFont(labelFont_);
}

void LinkLabel::RebuildFont() {
  labelFont_ = description_;
  ApplyLook();
  repaint();
}

void LinkLabel::SetTextColour(const QColor& colour) {
  textColour_ = colour;
  ApplyLook();
  update();
}

void LinkLabel::SetFontSize(int pixels) {
  description_.setPixelSize(pixels);
  RebuildFont();
}

void LinkLabel::SetUnderline(bool underline) {
  description_.setUnderline(underline);
  RebuildFont();
}

void LinkLabel::SetItalic(bool italic) {
  description_.setItalic(italic);
  RebuildFont();
}

void LinkLabel::SetLinkMode(bool link) { linkMode_ = link; }

void LinkLabel::SetHoverCursor(const QCursor& cursor) { setCursor(cursor); }

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  if (linkMode_ && event->button() == Qt::LeftButton) shell_.OpenDocument(text().toStdString());
  QLabel::mousePressEvent(event);
}

}  // namespace lumora
