// The album information dialog: the album's name, path, creation,
// modification and access times, item count and size in read-only fields,
// with the picture of the open album at its top left. OK closes it.
#pragma once

#include <QDialog>
#include <QImage>

#include <cstdint>

#include "albums/AlbumStore.h"
#include "app/InfoFields.h"

namespace lumora {

class AlbumInfoDialog final : public QDialog {
 public:
  static constexpr int kTemplateId = 294;
  // The fields by control id.
  static constexpr uint32_t kName = 1071, kPath = 1075, kCreated = 1076, kModified = 1077, kAccessed = 1078,
                            kCount = 1079, kSize = 1080;
  // Where the open album's picture is painted.
  static constexpr QPoint kPictureAt{20, 25};

  // `picture`: the open album (42 x 40); null for none.
  AlbumInfoDialog(const AlbumInfo& info, QImage picture, QWidget* parent);

  // The text of field `control`; empty for an unknown id.
  QString Field(uint32_t control) const { return fields_.Field(control); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  InfoFields fields_;
};

}  // namespace lumora
