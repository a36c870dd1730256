// The item information window's fields.
#include "app/FileInfoDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <array>

namespace lumora {

namespace {

constexpr int kFieldWidth = 300;

struct FieldRow {
  uint32_t control;
  const char* label;
  std::string ItemInfo::*text;
};
constexpr std::array<FieldRow, 7> kRows = {{
    {FileInfoDialog::kTitle, "Title name", &ItemInfo::title},
    {FileInfoDialog::kPath, "Path", &ItemInfo::folder},
    {FileInfoDialog::kCreated, "Created", &ItemInfo::created},
    {FileInfoDialog::kModified, "Modified", &ItemInfo::modified},
    {FileInfoDialog::kAccessed, "Accessed", &ItemInfo::accessed},
    {FileInfoDialog::kType, "Type", &ItemInfo::type},
    {FileInfoDialog::kSize, "File Size", &ItemInfo::size},
}};

}  // namespace

FileInfoDialog::FileInfoDialog(const ItemInfo& info, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Information"));
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  for (const FieldRow& row : kRows) {
    auto* field = new QLineEdit(QString::fromStdString(info.*row.text), this);
    field->setReadOnly(true);
    field->setMinimumWidth(kFieldWidth);
    form->addRow(QString::fromUtf8(row.label), field);
    fields_[row.control] = field;
  }
  column->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
}

QString FileInfoDialog::Field(uint32_t control) const {
  const auto found = fields_.find(control);
  return found == fields_.end() ? QString() : found->second->text();
}

}  // namespace lumora
