// QvDropDialog: construction, the first showing (OnInitDialog), owner and
// child dialogs over message 2011, closing, and the small plain operations.
#include "dropdialog/QvDropDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <span>

#include "dropdialog/DropFilters.h"
#include "dropdialog/WireFormats.h"
#include "platform/Paths.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtWindowPresence.h"
#include "platform/qt/QtWindowSystem.h"

using lumora::WindowHandle;
using lumora::kNoWindow;

namespace {

// The window class every dialog of the product line is found by.
constexpr char kDialogWindowClass[] = "#32770";

// The child dialogs announced to this program: one list for the library.
std::vector<QvDropDialog::ChildDialog>& Children() {
  static std::vector<QvDropDialog::ChildDialog> children;
  return children;
}

std::span<const std::uint8_t> BytesOf(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

}  // namespace

QvDropDialog::QvDropDialog(int templateId, QWidget* parent) : QvDropDialog(templateId, parent, Platform{}) {}

QvDropDialog::QvDropDialog(int templateId, QWidget* parent, Platform platform)
    : QDialog(parent), templateId_(templateId), platform_(std::move(platform)) {}

QvDropDialog::~QvDropDialog() = default;

lumora::Registry& QvDropDialog::registry() {
  if (platform_.registry) return *platform_.registry;
  if (!ownRegistry_) ownRegistry_ = std::make_unique<lumora::Registry>(lumora::Registry::DefaultFolder());
  return *ownRegistry_;
}

lumora::Desktop& QvDropDialog::desktop() {
  if (platform_.desktop) return *platform_.desktop;
  if (!ownDesktop_) ownDesktop_ = std::make_unique<lumora::QtDesktop>();
  return *ownDesktop_;
}

lumora::WindowSystem* QvDropDialog::windows() {
  return platform_.windows ? platform_.windows : ownWindows_.get();
}

WindowHandle QvDropDialog::Handle() const { return presence_ ? presence_->handle() : kNoWindow; }

std::vector<QvDropDialog::ChildDialog> QvDropDialog::ChildDialogs() { return Children(); }

void QvDropDialog::setVisible(bool visible) {
  if (visible && !initialised_) {
    initialised_ = true;
    OnInitDialog();
  }
  QDialog::setVisible(visible);
}

bool QvDropDialog::OnInitDialog() {
  // The drop target: Qt delivers drag events to the dialog from now on.
  setAcceptDrops(true);

  const QStringList arguments = platform_.arguments ? *platform_.arguments : QCoreApplication::arguments();
  std::vector<std::string> commandLine;
  for (const QString& argument : arguments) commandLine.push_back(argument.toStdString());
  owner_ = lumora::dropdialog::ParseOwnerArgument(commandLine).value_or(kNoWindow);

  programFileName_ = desktop().ProgramPath().filename().string();

  // Other programs find the dialog by its class and title and post to it. A
  // dialog that cannot announce itself still works, without messages.
  std::string error;
  if (!platform_.windows && !ownWindows_) ownWindows_ = lumora::OpenWindowSystemForQt(&error);
  presence_ = lumora::QtWindowPresence::Announce(
      *this, kDialogWindowClass, windowTitle(), [this](const lumora::WindowMessage& message) { OnMessage(message); },
      &error);

  // An owner that cannot be told (its program ended, or it took nothing for
  // the whole wait) does not list this dialog; the dialog works on and says so.
  if (owner_ != kNoWindow && Handle() != kNoWindow &&
      !Post(owner_, kNotifyAnnounce, MakeAnnounceEntry(Handle(), programFileName_)))
    std::fprintf(stderr, "QvDialog: %s could not announce itself to its owner window %08X\n",
                 programFileName_.c_str(), unsigned(owner_));
  return true;
}

bool QvDropDialog::Post(WindowHandle window, std::uint32_t code, const QByteArray& payload) {
  lumora::WindowSystem* system = windows();
  if (!system) return false;
  const auto bytes = BytesOf(payload);
  return system->Post(window, lumora::WindowMessage{kNotifyMessage, code, {bytes.begin(), bytes.end()}});
}

void QvDropDialog::OnMessage(const lumora::WindowMessage& message) {
  if (message.number != kNotifyMessage) return;
  OnQuorvixNotify(message.word, ToByteArray(message.payload));
}

int QvDropDialog::OnQuorvixNotify(std::uint32_t code, const QByteArray& parameter) {
  std::vector<ChildDialog>& children = Children();
  switch (code) {
    case kNotifyAnnounce: {
      std::optional<ChildDialog> entry = ReadAnnounceEntry(parameter);
      if (!entry) break;
      const auto known = std::find_if(children.begin(), children.end(), [&](const ChildDialog& child) {
        return lumora::EqualsIgnoreCase(child.programFileName, entry->programFileName);
      });
      if (known != children.end())
        known->window = entry->window;
      else
        children.push_back(std::move(*entry));
      break;
    }
    case kNotifyChildClosing: {
      const std::optional<WindowHandle> window = lumora::dropdialog::ParseHandlePayload(BytesOf(parameter));
      if (!window) break;
      std::erase_if(children, [&](const ChildDialog& child) { return child.window == *window; });
      break;
    }
    case kNotifyDropFiles:
      if (ReadDropFiles(parameter)) OnDropFiles(parameter);
      break;
    case kNotifyDeleteFiles:
      if (ReadDropFiles(parameter)) OnDeleteFiles(parameter);
      break;
    case kNotifyOwnerClosing:
      owner_ = kNoWindow;
      break;
    default:
      break;
  }
  return 0;
}

void QvDropDialog::closeEvent(QCloseEvent* event) {
  // Closing goes on whether or not these arrive: a window that cannot be told
  // has ended or stopped taking messages.
  if (owner_ != kNoWindow && Handle() != kNoWindow)
    Post(owner_, kNotifyChildClosing, ToByteArray(lumora::dropdialog::HandlePayload(Handle())));
  std::vector<ChildDialog> children;
  children.swap(Children());
  for (const ChildDialog& child : children) Post(child.window, kNotifyOwnerClosing, {});
  QDialog::closeEvent(event);
}

void QvDropDialog::DragAcceptFiles(bool accept) { acceptFiles_ = accept; }

void QvDropDialog::DragAcceptFileFilters(std::string_view acceptText, std::string_view rejectText) {
  acceptList_ = lumora::dropdialog::SplitFilterText(acceptText);
  rejectList_ = lumora::dropdialog::SplitFilterText(rejectText);
}

void QvDropDialog::SetDropFail() { dropFailed_ = true; }

std::optional<QByteArray> QvDropDialog::CreateDropFiles(const std::vector<std::string>& paths) {
  std::optional<std::vector<std::uint8_t>> block = lumora::dropdialog::BuildFileListBlock(paths);
  if (!block) return std::nullopt;
  return ToByteArray(*block);
}

std::optional<std::vector<std::string>> QvDropDialog::ReadDropFiles(const QByteArray& fileList) {
  return lumora::dropdialog::ParseFileListBlock(BytesOf(fileList));
}

QByteArray QvDropDialog::MakeAnnounceEntry(WindowHandle window, std::string_view programFileName) {
  return ToByteArray(lumora::dropdialog::BuildAnnounceEntry(window, programFileName));
}

std::optional<QvDropDialog::ChildDialog> QvDropDialog::ReadAnnounceEntry(const QByteArray& entry) {
  std::optional<lumora::dropdialog::AnnounceEntry> parsed = lumora::dropdialog::ParseAnnounceEntry(BytesOf(entry));
  if (!parsed) return std::nullopt;
  return ChildDialog{parsed->window, std::move(parsed->programFileName)};
}
