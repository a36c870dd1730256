// QvDropDialog: the dialog base class of the product line, exported whole from
// the shared library QvDialog (libQvDialog.so). It gives a dialog four things:
// - it is a drop target for lists of files, with extension filters and a menu
//   ("Copy", "Move", "Link", "Cancel") when the right button drags;
// - it starts drags of file lists (DoDragDrop, DoDragDrop2);
// - it links a child program's dialog to an owner program's dialog with the
//   private window message 2011 ("/owner=<hex handle>" on the child's command
//   line);
// - it keeps per-program lists of file paths in the registry.
//
// Formats that cross between programs:
// - file list block: a 20-byte header (offset of the list 20, point 0,0,
//   non-client flag 0, narrow characters), every path with its terminating
//   zero, one more zero; (number of paths x 260 + 21) bytes in all, zero
//   padded. Paths are UTF-8 bytes, each shorter than 260 bytes.
// - drag data: local file URLs ("text/uri-list"), or the block itself in the
//   format kQuorvixFilesFormat when the own-format flag is given.
// - announce entry (message 2011, code 1): 260 bytes, the child's window
//   handle (32 bits, little-endian) and its program file name (zero-terminated
//   in 256 bytes, so at most 255 bytes).
// - window handle payload (code 2): the 32-bit handle, little-endian.
//
// Drop effects keep their numeric values (none 0, copy 1, move 2, link 4). Use
// on the UI thread only.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QPoint>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "platform/window/WindowSystem.h"
#include "resources/Menu.h"

class QAction;
class QCloseEvent;
class QDrag;
class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QMenu;
class QMimeData;

namespace lumora {
class Desktop;
class QtWindowPresence;
}  // namespace lumora

// Everything of the library that other programs see carries this mark; the
// rest of the library is hidden.
#define QVDIALOG_EXPORT __attribute__((visibility("default")))

class QVDIALOG_EXPORT QvDropDialog : public QDialog {
  Q_OBJECT

 public:
  enum DropEffect : int {
    kDropEffectNone = 0,
    kDropEffectCopy = 1,
    kDropEffectMove = 2,
    kDropEffectLink = 4,
  };

  // The private window message and its codes (the message's word).
  static constexpr std::uint32_t kNotifyMessage = 2011;
  enum NotifyCode : std::uint32_t {
    kNotifyAnnounce = 1,       // payload: announce entry; the owner lists the child
    kNotifyChildClosing = 2,   // payload: the child's handle; the owner forgets it
    kNotifyDropFiles = 3,      // payload: file list block; calls OnDropFiles
    kNotifyDeleteFiles = 4,    // payload: file list block; calls OnDeleteFiles
    kNotifyOwnerClosing = 99,  // no payload; the child forgets its owner
  };

  // The drag format that carries a file list block as it is.
  static constexpr char kQuorvixFilesFormat[] = "application/x-qt-windows-mime;value=\"QuorvixFiles\"";

  // Mouse buttons and keys held during a drag.
  struct DragKeys {
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
  };

  // A child dialog of another program that announced itself here.
  struct ChildDialog {
    lumora::WindowHandle window = lumora::kNoWindow;
    std::string programFileName;
    bool operator==(const ChildDialog&) const = default;
  };

  // What the dialog works with. Every field may stay empty; the dialog then
  // uses the real thing (named after each field). Tests hand in doubles.
  struct Platform {
    // File lists. Default: the user's registry (Registry::DefaultFolder()).
    lumora::Registry* registry = nullptr;
    // Posting message 2011. Default: the window system matching Qt's platform.
    lumora::WindowSystem* windows = nullptr;
    // The program file (its name is the program file name) and the wait
    // cursor. Default: QtDesktop.
    lumora::Desktop* desktop = nullptr;
    // The program's command line, program first. Default: the application's.
    std::optional<QStringList> arguments;
    // Menu 9002 from the program's resources, so that a resource library the
    // program loaded decides its texts. Default: the library's own copy.
    std::optional<lumora::Menu> dropMenu;
    // Runs a drag to its end and returns the target's choice. Default:
    // QDrag::exec.
    std::function<Qt::DropAction(QDrag&, Qt::DropActions)> runDrag;
    // Cancels the drag that runDrag is running. Default: QDrag::cancel.
    std::function<void()> cancelDrag;
    // Shows the right-button drop menu at a global point until the user
    // chooses; the chosen action or nullptr. Default: QMenu::exec.
    std::function<QAction*(QMenu&, const QPoint&)> runMenu;
  };

  // `templateId` names the dialog template the derived class is built from.
  explicit QvDropDialog(int templateId, QWidget* parent = nullptr);
  QvDropDialog(int templateId, QWidget* parent, Platform platform);
  ~QvDropDialog() override;
  QvDropDialog(const QvDropDialog&) = delete;
  QvDropDialog& operator=(const QvDropDialog&) = delete;

  int TemplateId() const { return templateId_; }

  // --- Virtual operations, in this order after QDialog's.
  // The effect for a drag over the dialog by the keys held.
  virtual int OnDragOver(const QMimeData* data, DragKeys keys, const QPoint& point);
  // The effect at a point (client coordinates): the default effect here.
  virtual int OnDragOver(const QPoint& point);
  // Files dropped here or sent by a child with code 3. Does nothing here.
  virtual void OnDropFiles(const QByteArray& fileList);
  // Files a child asks this dialog to delete (code 4). Does nothing here.
  virtual void OnDeleteFiles(const QByteArray& fileList);
  virtual int OnDragEnter(const QMimeData* data, DragKeys keys, const QPoint& point);
  // The effect of a drop, or -1 to let OnDrop handle it.
  virtual int OnDropEx(const QMimeData* data, int defaultEffect, int allowedEffects, const QPoint& point);
  virtual bool OnDrop(const QMimeData* data, int effect, const QPoint& point);
  virtual void OnDragLeave();
  // Runs once, just before the dialog is first shown. Derived classes call
  // this first.
  virtual bool OnInitDialog();

  // --- Plain operations.
  void DragAcceptFiles(bool accept);
  // Blank- or comma-separated extensions without the dot, e.g. "JPG, BMP".
  void DragAcceptFileFilters(std::string_view acceptText, std::string_view rejectText);
  // The file list block of `paths`; nothing when a path is empty, holds a zero
  // byte or is 260 bytes or longer, or when memory runs out.
  static std::optional<QByteArray> CreateDropFiles(const std::vector<std::string>& paths);
  // The paths of a file list block; nothing when the block is malformed (it is
  // never read past its end).
  static std::optional<std::vector<std::string>> ReadDropFiles(const QByteArray& fileList);
  // Drags `paths` with the effects allowed; the effect the target chose.
  int DoDragDrop(const std::vector<std::string>& paths, int allowedEffects, bool ownFormat = false);
  // As DoDragDrop, but a drag that comes back onto this dialog is cancelled.
  // `effect`: the allowed effects in, the chosen effect out. 0 when the drag
  // came back onto this dialog, else 1.
  int DoDragDrop2(const std::vector<std::string>& paths, int& effect, bool ownFormat = false);
  // Makes the OnDrop under way report failure.
  void SetDropFail();
  // Handles message 2011; always 0.
  int OnQuorvixNotify(std::uint32_t code, const QByteArray& parameter);

  // The announce entry of a child and its parser (nothing when malformed).
  static QByteArray MakeAnnounceEntry(lumora::WindowHandle window, std::string_view programFileName);
  static std::optional<ChildDialog> ReadAnnounceEntry(const QByteArray& entry);

  // --- Registry file lists: "Software\quorvix\<program>[\<subKey>]\Files".
  // The key, created when missing; not open on failure. An empty program name
  // means the running program's file name.
  lumora::RegKey RegOpen(std::string_view subKey, std::string_view programName, bool machine);
  // The first of "folder/title.ext", "folder/title2.ext", "folder/title3.ext",
  // ... that does not exist; empty when none up to kMaxAllocNumber does.
  static std::string RegAllocFilePath(std::string_view folder, std::string_view title, std::string_view extension);
  bool RegAddFilePath(const lumora::RegKey& key, std::string_view path);
  bool RegDeleteFilePath(const lumora::RegKey& key, std::string_view path, bool deleteFile);
  bool RegReadAllFiles(const lumora::RegKey& key, std::vector<std::string>& paths);
  bool RegDeleteAllFiles(const lumora::RegKey& key, bool deleteFile);
  void RegClose(lumora::RegKey& key);

  static constexpr int kMaxAllocNumber = 99999;

 protected:
  // The handle other programs know this dialog by (after OnInitDialog), or 0.
  lumora::WindowHandle Handle() const;
  // The children announced to this program so far (library-wide).
  static std::vector<ChildDialog> ChildDialogs();

  void setVisible(bool visible) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  // --- The dialog's drag state, in the order the base class keeps it.
  std::string programFileName_;       // the running program's file name (OnInitDialog)
  int defaultEffect_ = kDropEffectMove;  // the point form of OnDragOver returns it
  bool acceptFiles_ = false;          // while false every drag is refused
  bool draggingSelf_ = false;         // DoDragDrop2 runs
  bool dropOnSelf_ = false;           // that drag came back onto this dialog
  bool rightButton_ = false;          // the right button was seen during the drag
  lumora::WindowHandle owner_ = lumora::kNoWindow;  // "/owner=" of the command line
  std::vector<std::string> acceptList_;
  std::vector<std::string> rejectList_;
  std::vector<std::string> draggedExtensions_;  // upper case, each once
  bool accepted_ = false;             // OnDragEnter accepted the drag
  bool dropFailed_ = false;           // SetDropFail was called during OnDrop

  // The window directory the dialog posts through: the platform's, else one
  // matching Qt's platform (null when that has no display).
  lumora::WindowSystem* windows();

 private:
  lumora::Registry& registry();
  lumora::Desktop& desktop();
  // Posts message 2011 with `code`; false when it could not be queued (no
  // window system, the window is gone, or it stayed busy for the whole wait).
  bool Post(lumora::WindowHandle window, std::uint32_t code, const QByteArray& payload);
  void OnMessage(const lumora::WindowMessage& message);
  int ChooseFromDropMenu(const QMimeData* data, int defaultEffect, int allowedEffects, const QPoint& point);
  QMimeData* MakeDragData(const std::vector<std::string>& paths, bool ownFormat);

  int templateId_;
  Platform platform_;
  bool initialised_ = false;
  std::unique_ptr<lumora::Registry> ownRegistry_;
  std::unique_ptr<lumora::Desktop> ownDesktop_;
  std::unique_ptr<lumora::WindowSystem> ownWindows_;
  std::unique_ptr<lumora::QtWindowPresence> presence_;
};
