// A picture of a window as it shows on screen: the widget rendered with its
// children, everything outside its mask (the compact outline) transparent.
#pragma once

#include <QImage>

class QWidget;

namespace lumora {

QImage WindowPicture(QWidget& window);

}  // namespace lumora
