// Qt backend of the prompts.
#include "platform/qt/QtPrompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace lumora {

namespace {

QMessageBox::Icon IconOf(uint32_t style) {
  switch (style & box::kIconMask) {
    case box::kIconStop: return QMessageBox::Critical;
    case box::kIconQuestion: return QMessageBox::Question;
    case box::kIconExclamation: return QMessageBox::Warning;
    case box::kIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QStringList QtNameFilters(std::string_view filter) {
  QStringList out;
  for (const auto& f : ParseFileFilter(filter)) {
    QString description = QString::fromStdString(f.description).trimmed();
    // Qt reads the patterns from the last parentheses: drop any the text has.
    if (description.endsWith(')')) {
      int open = description.lastIndexOf('(');
      if (open > 0) description = description.left(open).trimmed();
    }
    QStringList patterns;
    for (const auto& p : f.patterns) patterns << QString::fromStdString(p);
    out << description + " (" + patterns.join(' ') + ")";
  }
  return out;
}

int QtPrompts::ShowMessage(const std::string& text, const std::string& caption, uint32_t style) {
  QMessageBox box(IconOf(style), Q(caption), Q(text), QMessageBox::NoButton, parent_);
  if (style & (box::kTopmost | box::kSystemModal)) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  box.setWindowModality(Qt::ApplicationModal);
  switch (style & box::kButtonMask) {
    case box::kOkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case box::kYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case box::kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok: return kAnswerOk;
    case QMessageBox::Yes: return kAnswerYes;
    case QMessageBox::No: return kAnswerNo;
    default: return (style & box::kButtonMask) == box::kYesNo ? kAnswerNo : kAnswerCancel;
  }
}

std::vector<std::string> QtPrompts::OpenFiles(const OpenFileRequest& request) {
  QFileDialog dialog(parent_, Q(request.title), Q(request.initialFolder));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  std::vector<std::string> files;
  if (dialog.exec() != QDialog::Accepted) return files;
  for (const QString& f : dialog.selectedFiles()) files.push_back(f.toStdString());
  return files;
}

std::optional<Colour> QtPrompts::ChooseColour(Colour initial) {
  QColor start(int(initial & 0xff), int((initial >> 8) & 0xff), int((initial >> 16) & 0xff));
  QColor c = QColorDialog::getColor(start, parent_);
  if (!c.isValid()) return std::nullopt;
  return MakeColour(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

std::optional<std::string> QtPrompts::BrowseFolder(const FolderRequest& request) {
  QFileDialog dialog(parent_, Q(request.title), Q(request.initialFolder));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  if (!request.prompt.empty()) dialog.setLabelText(QFileDialog::FileName, Q(request.prompt));
  while (dialog.exec() == QDialog::Accepted) {
    QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) continue;
    std::string path = chosen.first().toStdString();
    if (!request.accept || request.accept(path)) return path;
    dialog.setDirectory(chosen.first());  // the check said no: let the user try again
  }
  return std::nullopt;
}

}  // namespace lumora
