// The album information dialog's fields and its picture.
#include "app/AlbumInfoDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

#include <array>

namespace lumora {

namespace {

// Room above the fields for the album picture.
constexpr int kPictureRowHeight = 70;
constexpr int kFieldWidth = 300;

struct FieldRow {
  uint32_t control;
  const char* label;
  std::string AlbumInfo::*text;
};
constexpr std::array<FieldRow, 7> kRows = {{
    {AlbumInfoDialog::kName, "Album name", &AlbumInfo::name},
    {AlbumInfoDialog::kPath, "Path", &AlbumInfo::path},
    {AlbumInfoDialog::kCreated, "Created", &AlbumInfo::created},
    {AlbumInfoDialog::kModified, "Modified", &AlbumInfo::modified},
    {AlbumInfoDialog::kAccessed, "Accessed", &AlbumInfo::accessed},
    {AlbumInfoDialog::kCount, "Count", &AlbumInfo::count},
    {AlbumInfoDialog::kSize, "Album Size", &AlbumInfo::size},
}};

}  // namespace

AlbumInfoDialog::AlbumInfoDialog(const AlbumInfo& info, QImage picture, QWidget* parent)
    : QDialog(parent), picture_(std::move(picture)) {
  setWindowTitle(QStringLiteral("Album information"));
  auto* column = new QVBoxLayout(this);
  column->addSpacing(kPictureRowHeight);
  auto* form = new QFormLayout;
  for (const FieldRow& row : kRows) {
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    field->setMinimumWidth(kFieldWidth);
    // A folder that could not be found leaves every field empty.
    if (info.found) field->setText(QString::fromStdString(info.*row.text));
    form->addRow(QString::fromUtf8(row.label), field);
    fields_[row.control] = field;
  }
  column->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
}

QString AlbumInfoDialog::Field(uint32_t control) const {
  const auto found = fields_.find(control);
  return found == fields_.end() ? QString() : found->second->text();
}

void AlbumInfoDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(kPictureAt, picture_);
}

}  // namespace lumora
