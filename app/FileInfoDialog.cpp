// The item information window's fields.
#include "app/FileInfoDialog.h"

#include <QVBoxLayout>

namespace lumora {

FileInfoDialog::FileInfoDialog(const ItemInfo& info, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Information"));
  const auto text = [](const std::string& value) { return QString::fromStdString(value); };
  const InfoFields::Row rows[] = {
      {kTitle, "Title name", text(info.title)},       {kPath, "Path", text(info.folder)},
      {kCreated, "Created", text(info.created)},      {kModified, "Modified", text(info.modified)},
      {kAccessed, "Accessed", text(info.accessed)},   {kType, "Type", text(info.type)},
      {kSize, "File Size", text(info.size)},
  };
  fields_.Build(*this, *new QVBoxLayout(this), rows);
}

}  // namespace lumora
