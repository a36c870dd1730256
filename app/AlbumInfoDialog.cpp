// The album information dialog's fields and its picture.
#include "app/AlbumInfoDialog.h"

#include <QPainter>
#include <QVBoxLayout>

namespace lumora {

namespace {

// Room above the fields for the album picture.
constexpr int kPictureRowHeight = 70;

}  // namespace

AlbumInfoDialog::AlbumInfoDialog(const AlbumInfo& info, QImage picture, QWidget* parent)
    : QDialog(parent), picture_(std::move(picture)) {
  setWindowTitle(QStringLiteral("Album information"));
  auto* column = new QVBoxLayout(this);
  column->addSpacing(kPictureRowHeight);
  // A folder that could not be found leaves every field empty.
  const auto text = [&](const std::string& value) { return info.found ? QString::fromStdString(value) : QString(); };
  const InfoFields::Row rows[] = {
      {kName, "Album name", text(info.name)},       {kPath, "Path", text(info.path)},
      {kCreated, "Created", text(info.created)},    {kModified, "Modified", text(info.modified)},
      {kAccessed, "Accessed", text(info.accessed)}, {kCount, "Count", text(info.count)},
      {kSize, "Album Size", text(info.size)},
  };
  fields_.Build(*this, *column, rows);
}

void AlbumInfoDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(kPictureAt, picture_);
}

}  // namespace lumora
