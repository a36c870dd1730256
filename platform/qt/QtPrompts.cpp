// Qt backend of the prompts.
#include "platform/qt/QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

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

// The prompt, a field holding the chosen folder's path that the user may also
// type into, and the folder tree. OK hands the field's text, exactly as typed,
// to the request's check (a typed folder need not exist yet: the check may
// offer to create it); a refusal keeps the browser open with the focus back
// in the field.
std::optional<std::string> QtPrompts::BrowseFolder(const FolderRequest& request) {
  QFileSystemModel model;  // outlives the dialog's tree view
  model.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model.setRootPath(QDir::rootPath());
  QDialog dialog(parent_);
  dialog.setWindowTitle(Q(request.title));

  auto* prompt = new QLabel(Q(request.prompt), &dialog);
  prompt->setWordWrap(true);
  prompt->setVisible(!request.prompt.empty());
  auto* tree = new QTreeView(&dialog);
  tree->setModel(&model);
  tree->setHeaderHidden(true);
  for (int column = 1; column < model.columnCount(); ++column) tree->hideColumn(column);
  auto* field = new QLineEdit(&dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(prompt);
  layout->addWidget(field);
  layout->addWidget(tree, 1);
  layout->addWidget(buttons);
  dialog.resize(420, 460);

  QObject::connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, field,
                   [&](const QModelIndex& current) { field->setText(model.filePath(current)); });
  QObject::connect(field, &QLineEdit::textChanged, ok, [ok](const QString& text) { ok->setEnabled(!text.isEmpty()); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  std::optional<std::string> chosen;
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    const std::string typed = field->text().toStdString();
    const bool passes = request.accept ? request.accept(typed) : QFileInfo(field->text()).isDir();
    if (!passes) {
      field->setFocus();
      return;
    }
    chosen = typed;
    dialog.accept();
  });

  const QString start = request.initialFolder.empty() ? QDir::currentPath() : Q(request.initialFolder);
  const QModelIndex startIndex = model.index(start);
  if (startIndex.isValid()) {
    tree->setCurrentIndex(startIndex);
    // The model lists and sorts folders in the background, and each sort
    // moves the start folder: keep it in view until the user acts.
    const QPersistentModelIndex startItem(startIndex);
    const QMetaObject::Connection follow = QObject::connect(&model, &QAbstractItemModel::layoutChanged, tree, [=] {
      tree->scrollTo(startItem, QAbstractItemView::PositionAtCenter);
    });
    auto stopFollowing = [follow] { QObject::disconnect(follow); };
    QObject::connect(tree, &QAbstractItemView::pressed, tree, stopFollowing);
    QObject::connect(tree->verticalScrollBar(), &QAbstractSlider::actionTriggered, tree, stopFollowing);
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, tree, stopFollowing);
  }
  field->setText(start);
  field->setFocus();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return chosen;
}

// The devices in a list of vendor, model and name; a double click or
// Select chooses.
std::optional<size_t> QtPrompts::ChooseScanDevice(const std::vector<ScanDevice>& devices, size_t current) {
  QDialog dialog(parent_);
  dialog.setWindowTitle("Select Source");
  auto* list = new QTreeWidget(&dialog);
  list->setRootIsDecorated(false);
  list->setHeaderLabels({"Vendor", "Model", "Device"});
  for (const ScanDevice& d : devices) new QTreeWidgetItem(list, {Q(d.vendor), Q(d.model), Q(d.name)});
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  if (current < devices.size()) list->setCurrentItem(list->topLevelItem(int(current)));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText("Select");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(list);
  layout->addWidget(buttons);
  dialog.resize(460, 260);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QTreeWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted || !list->currentItem()) return std::nullopt;
  return size_t(list->indexOfTopLevelItem(list->currentItem()));
}

// Mode, resolution and document source, each a list of the device's
// choices (a row the device has no choices for is left out).
std::optional<ScanSettings> QtPrompts::ChooseScanSettings(const ScanChoices& choices) {
  QDialog dialog(parent_);
  dialog.setWindowTitle(Q("Scan - " + choices.device));
  auto* form = new QFormLayout;
  const auto addList = [&](const char* label, const std::vector<std::string>& items, const std::string& current) {
    auto* box = new QComboBox(&dialog);
    for (const std::string& item : items) box->addItem(Q(item));
    box->setCurrentText(Q(current));
    if (!items.empty()) form->addRow(label, box);
    return box;
  };
  QComboBox* mode = addList("Mode:", choices.modes, choices.mode);
  QComboBox* source = addList("Source:", choices.sources, choices.source);
  auto* resolution = new QComboBox(&dialog);
  for (int dpi : choices.resolutions) {
    resolution->addItem(QString("%1 dpi").arg(dpi), dpi);
    if (dpi == choices.resolution) resolution->setCurrentIndex(resolution->count() - 1);
  }
  if (!choices.resolutions.empty()) form->insertRow(1, "Resolution:", resolution);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText("Scan");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  dialog.setMinimumWidth(340);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  ScanSettings settings;
  settings.mode = choices.modes.empty() ? choices.mode : mode->currentText().toStdString();
  settings.source = choices.sources.empty() ? choices.source : source->currentText().toStdString();
  settings.resolution = choices.resolutions.empty() ? choices.resolution : resolution->currentData().toInt();
  return settings;
}

namespace {

// A small window with a busy bar and Cancel, shown while pages are scanned.
// It is not modal; it belongs to the modal window running (the main window
// runs modally, and a window manager keeps that above windows of its own
// that are not its children).
class QtScanProgress final : public ScanProgress {
 public:
  QtScanProgress(QWidget* parent, const std::string& device, std::function<void()> cancel)
      : dialog_(new QDialog(parent ? parent
                                   : QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                                        : QApplication::activeWindow())) {
    dialog_->setWindowTitle("Scanning");
    auto* label = new QLabel(Q("Scanning from " + device + "..."), dialog_);
    auto* bar = new QProgressBar(dialog_);
    bar->setRange(0, 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog_);
    auto* layout = new QVBoxLayout(dialog_);
    layout->addWidget(label);
    layout->addWidget(bar);
    layout->addWidget(buttons);
    dialog_->setMinimumWidth(300);
    QPushButton* button = buttons->button(QDialogButtonBox::Cancel);
    // Cancel keeps the window, saying so, until the scan has ended; closing
    // the window (which hides it) cancels too.
    const auto stop = [button, label, cancel] {
      if (!button->isEnabled()) return;
      button->setEnabled(false);
      label->setText("Cancelling...");
      cancel();
    };
    pressed_ = QObject::connect(buttons, &QDialogButtonBox::rejected, dialog_, stop);
    closed_ = QObject::connect(dialog_, &QDialog::rejected, dialog_, stop);
    dialog_->show();
  }
  ~QtScanProgress() override {
    // The scan is over: going away is no cancel.
    QObject::disconnect(pressed_);
    QObject::disconnect(closed_);
    delete dialog_.data();
  }

 private:
  QPointer<QDialog> dialog_;
  QMetaObject::Connection pressed_, closed_;
};

}  // namespace

std::unique_ptr<ScanProgress> QtPrompts::ShowScanProgress(const std::string& device, std::function<void()> cancel) {
  return std::make_unique<QtScanProgress>(parent_, device, std::move(cancel));
}

}  // namespace lumora
