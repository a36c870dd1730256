// Rendering a window into a picture through its mask.
#include "app/WindowPicture.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace lumora {

QImage WindowPicture(QWidget& window) {
  const QPixmap rendered = window.grab();
  QImage picture(rendered.size(), QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  if (!window.mask().isEmpty()) painter.setClipRegion(window.mask());
  painter.drawPixmap(0, 0, rendered);
  return picture;
}

}  // namespace lumora
