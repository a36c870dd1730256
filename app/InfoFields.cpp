#include "app/InfoFields.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace lumora {

namespace {

constexpr int kFieldWidth = 300;

}  // namespace

void InfoFields::Build(QDialog& dialog, QVBoxLayout& column, std::span<const Row> rows) {
  auto* form = new QFormLayout;
  for (const Row& row : rows) {
    auto* field = new QLineEdit(row.text, &dialog);
    field->setReadOnly(true);
    field->setMinimumWidth(kFieldWidth);
    form->addRow(QString::fromUtf8(row.label), field);
    fields_[row.control] = field;
  }
  column.addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  column.addWidget(buttons);
}

QString InfoFields::Field(uint32_t control) const {
  const auto found = fields_.find(control);
  return found == fields_.end() ? QString() : found->second->text();
}

}  // namespace lumora
