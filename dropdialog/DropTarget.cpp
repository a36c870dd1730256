// QvDropDialog as a drop target: Qt's drag events go to the virtual
// operations, whose effects are filtered by what the source allows and handed
// back to Qt as drop actions; a drag with the right button ends in menu 9002,
// and closing that menu without a choice drops nothing.
#include "dropdialog/QvDropDialog.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <array>

#include "dropdialog/DropFilters.h"
#include "dropdialog/WireFormats.h"

namespace {

// Menu 9002: the first popup is shown at the drop point.
constexpr std::uint32_t kDropMenuId = 9002;
constexpr std::uint32_t kCommandCopy = 32771;
constexpr std::uint32_t kCommandMove = 32772;
constexpr std::uint32_t kCommandLink = 32773;
constexpr std::uint32_t kCommandCancel = 32774;

struct DropMenuEntry {
  const char* text;  // nullptr: a separator
  std::uint32_t command;
};
// The library's own copy of menu 9002, used when the program hands in none.
constexpr std::array<DropMenuEntry, 5> kBuiltInDropMenu{{
    {"Copy", kCommandCopy},
    {"Move", kCommandMove},
    {"Link", kCommandLink},
    {nullptr, 0},
    {"Cancel", kCommandCancel},
}};

lumora::Menu BuiltInDropMenu() {
  lumora::MenuItem popup;
  popup.kind = lumora::MenuItem::Kind::kPopup;
  popup.text = "drop";
  for (const DropMenuEntry& entry : kBuiltInDropMenu) {
    lumora::MenuItem item;
    if (entry.text) {
      item.text = entry.text;
      item.command = entry.command;
    } else {
      item.kind = lumora::MenuItem::Kind::kSeparator;
    }
    popup.children.push_back(std::move(item));
  }
  lumora::Menu menu;
  menu.id = kDropMenuId;
  menu.items.push_back(std::move(popup));
  return menu;
}

int EffectOfCommand(std::uint32_t command) {
  switch (command) {
    case kCommandCopy:
      return QvDropDialog::kDropEffectCopy;
    case kCommandMove:
      return QvDropDialog::kDropEffectMove;
    case kCommandLink:
      return QvDropDialog::kDropEffectLink;
    default:
      return QvDropDialog::kDropEffectNone;
  }
}

int EffectsOf(Qt::DropActions actions) {
  int effects = QvDropDialog::kDropEffectNone;
  if (actions & Qt::CopyAction) effects |= QvDropDialog::kDropEffectCopy;
  if (actions & Qt::MoveAction) effects |= QvDropDialog::kDropEffectMove;
  if (actions & Qt::LinkAction) effects |= QvDropDialog::kDropEffectLink;
  return effects;
}

Qt::DropAction ActionOf(int effect) {
  if (effect & QvDropDialog::kDropEffectCopy) return Qt::CopyAction;
  if (effect & QvDropDialog::kDropEffectMove) return Qt::MoveAction;
  if (effect & QvDropDialog::kDropEffectLink) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

// An effect the source does not allow becomes the other of copy and move when
// that is allowed, else link when allowed; link itself has no stand-in.
int FilterEffect(int effect, int allowed) {
  if ((effect & allowed) != 0) return effect;
  switch (effect) {
    case QvDropDialog::kDropEffectCopy:
      if (allowed & QvDropDialog::kDropEffectMove) return QvDropDialog::kDropEffectMove;
      if (allowed & QvDropDialog::kDropEffectLink) return QvDropDialog::kDropEffectLink;
      break;
    case QvDropDialog::kDropEffectMove:
      if (allowed & QvDropDialog::kDropEffectCopy) return QvDropDialog::kDropEffectCopy;
      if (allowed & QvDropDialog::kDropEffectLink) return QvDropDialog::kDropEffectLink;
      break;
    default:
      break;
  }
  return QvDropDialog::kDropEffectNone;
}

QvDropDialog::DragKeys KeysOf(const QDropEvent& event) { return {event.buttons(), event.modifiers()}; }

// The file list the data offers, as a block: the local files of a URL list
// (every URL must be one), else a valid block in the own format.
std::optional<QByteArray> FileListOf(const QMimeData* data) {
  if (!data) return std::nullopt;
  if (data->hasUrls()) {
    std::vector<std::string> paths;
    for (const QUrl& url : data->urls()) {
      if (!url.isLocalFile()) {
        paths.clear();
        break;
      }
      paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    if (!paths.empty()) return QvDropDialog::CreateDropFiles(paths);
  }
  const QString ownFormat = QString::fromLatin1(QvDropDialog::kQuorvixFilesFormat);
  if (!data->hasFormat(ownFormat)) return std::nullopt;
  QByteArray block = data->data(ownFormat);
  if (!QvDropDialog::ReadDropFiles(block)) return std::nullopt;
  return block;
}

}  // namespace

int QvDropDialog::OnDragEnter(const QMimeData* data, DragKeys keys, const QPoint& point) {
  if (!acceptFiles_) return kDropEffectNone;
  if (draggingSelf_) {
    dropOnSelf_ = true;
    return kDropEffectNone;
  }
  accepted_ = false;
  draggedExtensions_.clear();
  const std::optional<QByteArray> block = FileListOf(data);
  if (!block) return kDropEffectNone;
  for (const std::string& path : ReadDropFiles(*block).value_or(std::vector<std::string>{}))
    lumora::dropdialog::AddDraggedExtension(draggedExtensions_, lumora::dropdialog::DraggedExtension(path));
  if ((!acceptList_.empty() || !rejectList_.empty()) &&
      !lumora::dropdialog::ExtensionsPass(draggedExtensions_, acceptList_, rejectList_))
    return kDropEffectNone;
  accepted_ = true;
  return OnDragOver(data, keys, point);
}

int QvDropDialog::OnDragOver(const QMimeData* data, DragKeys keys, const QPoint& point) {
  if (!acceptFiles_ || dropOnSelf_ || !accepted_) return kDropEffectNone;
  if (keys.buttons & Qt::RightButton) {
    rightButton_ = true;
    return OnDragOver(point);
  }
  if (keys.modifiers & Qt::ControlModifier) return kDropEffectCopy;
  if (keys.modifiers & Qt::AltModifier) return kDropEffectMove;
  return OnDragOver(point);
}

int QvDropDialog::OnDragOver(const QPoint& point) { return defaultEffect_; }

void QvDropDialog::OnDropFiles(const QByteArray& fileList) {}

void QvDropDialog::OnDeleteFiles(const QByteArray& fileList) {}

int QvDropDialog::OnDropEx(const QMimeData* data, int defaultEffect, int allowedEffects, const QPoint& point) {
  if (!rightButton_) return -1;
  return ChooseFromDropMenu(data, defaultEffect, allowedEffects, point);
}

int QvDropDialog::ChooseFromDropMenu(const QMimeData* data, int defaultEffect, int allowedEffects,
                                     const QPoint& point) {
  const lumora::Menu source = platform_.dropMenu ? *platform_.dropMenu : BuiltInDropMenu();
  const auto popup = std::find_if(source.items.begin(), source.items.end(), [](const lumora::MenuItem& item) {
    return item.kind == lumora::MenuItem::Kind::kPopup;
  });
  if (popup == source.items.end()) return -1;

  QMenu menu(this);
  for (const lumora::MenuItem& item : popup->children) {
    if (item.kind == lumora::MenuItem::Kind::kSeparator) {
      menu.addSeparator();
      continue;
    }
    if (item.kind != lumora::MenuItem::Kind::kCommand) continue;
    QAction* action = menu.addAction(QString::fromStdString(item.text));
    action->setData(item.command);
    const int effect = EffectOfCommand(item.command);
    if (effect == kDropEffectNone) continue;
    action->setEnabled((allowedEffects & effect) != 0);
    if (effect == defaultEffect) menu.setDefaultAction(action);
  }

  const QPoint at = mapToGlobal(point);
  QAction* chosen = platform_.runMenu ? platform_.runMenu(menu, at) : menu.exec(at);
  // A menu dismissed without a choice (Escape, a click elsewhere) is a
  // cancel: the files stay where they are.
  const std::uint32_t command = chosen ? chosen->data().toUInt() : kCommandCancel;
  if (command == kCommandCancel) {
    OnDragLeave();
    return kDropEffectNone;
  }
  const int effect = EffectOfCommand(command);
  if (effect == kDropEffectNone) return -1;
  return OnDrop(data, effect, point) ? effect : kDropEffectNone;
}

bool QvDropDialog::OnDrop(const QMimeData* data, int effect, const QPoint& point) {
  OnDragLeave();
  dropFailed_ = false;
  const std::optional<QByteArray> block = FileListOf(data);
  if (!block) return false;
  OnDropFiles(*block);
  return !dropFailed_;
}

void QvDropDialog::OnDragLeave() {
  rightButton_ = false;
  accepted_ = false;
  draggedExtensions_.clear();
}

void QvDropDialog::dragEnterEvent(QDragEnterEvent* event) {
  const int allowed = EffectsOf(event->possibleActions());
  const int effect = FilterEffect(OnDragEnter(event->mimeData(), KeysOf(*event), event->position().toPoint()), allowed);
  // The drag that DoDragDrop2 runs came back onto this dialog: end it.
  if (draggingSelf_ && dropOnSelf_) {
    if (platform_.cancelDrag)
      platform_.cancelDrag();
    else
      QDrag::cancel();
  }
  // An accepted drag stays accepted while it offers no effect at this point,
  // so that Qt keeps sending it here as it moves.
  event->setDropAction(ActionOf(effect));
  event->setAccepted(accepted_ || effect != kDropEffectNone);
}

void QvDropDialog::dragMoveEvent(QDragMoveEvent* event) {
  const int allowed = EffectsOf(event->possibleActions());
  const int effect = FilterEffect(OnDragOver(event->mimeData(), KeysOf(*event), event->position().toPoint()), allowed);
  event->setDropAction(ActionOf(effect));
  event->setAccepted(effect != kDropEffectNone);
}

void QvDropDialog::dragLeaveEvent(QDragLeaveEvent* event) { OnDragLeave(); }

void QvDropDialog::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  const QPoint point = event->position().toPoint();
  const int allowed = EffectsOf(event->possibleActions());
  int effect = FilterEffect(OnDragOver(data, KeysOf(*event), point), allowed);
  const int chosen = OnDropEx(data, effect, allowed, point);
  if (chosen != -1) {
    effect = chosen;
  } else if (effect != kDropEffectNone) {
    if (!OnDrop(data, effect, point)) effect = kDropEffectNone;
  } else {
    OnDragLeave();
  }
  event->setDropAction(ActionOf(effect));
  event->setAccepted(effect != kDropEffectNone);
}
