// The read-only fields of the information windows (an item's, an album's):
// one labelled line per field, kept by control id, and the OK button that
// closes the window.
#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <span>

class QDialog;
class QLineEdit;
class QVBoxLayout;

namespace lumora {

class InfoFields {
 public:
  struct Row {
    uint32_t control;
    const char* label;
    QString text;
  };
  // Adds the rows as a form to `column`, then the OK button.
  void Build(QDialog& dialog, QVBoxLayout& column, std::span<const Row> rows);
  // The text of field `control`; empty for an unknown id.
  QString Field(uint32_t control) const;

 private:
  std::map<uint32_t, QLineEdit*> fields_;
};

}  // namespace lumora
