// The information window of an item: the file's title, folder, creation,
// modification and access times, type and size with the picture's width and
// height, in read-only fields. OK closes it.
#pragma once

#include <QDialog>

#include <cstdint>

#include "albums/ItemFiles.h"
#include "app/InfoFields.h"

namespace lumora {

class FileInfoDialog final : public QDialog {
 public:
  static constexpr int kTemplateId = 290;
  // The fields by control id.
  static constexpr uint32_t kTitle = 1071, kPath = 1074, kCreated = 1048, kModified = 1047, kAccessed = 1049,
                            kType = 1043, kSize = 1046;

  FileInfoDialog(const ItemInfo& info, QWidget* parent);

  // The text of field `control`; empty for an unknown id.
  QString Field(uint32_t control) const { return fields_.Field(control); }

 private:
  InfoFields fields_;
};

}  // namespace lumora
