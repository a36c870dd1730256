// ItemCommands: the item commands of the "file" menu (Add, Delete, Rename,
// Duplicate, Information), Export, and the drags of items: out of the item
// list, and the drops of files onto the album list and the item list. Each
// works on the album's files on disk (albums/ItemFiles.h) and brings the
// item list up to date item by item, without reloading the album.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QvDropDialog;

namespace lumora {

class AlbumBrowser;
class AlbumListView;
class ItemBrowser;
class ItemListView;
class MessageStrings;
class ProgressDialog;
class Prompts;
class Resources;
class Shell;

class ItemCommands {
 public:
  struct Services {
    const Resources& resources;
    Prompts& prompts;
    Shell& shell;
    const MessageStrings& messages;
    // Runs a modal dialog (the information window) to its end.
    std::function<int(QDialog&)> runDialog;
  };
  // The Open dialog's filter of Add.
  static constexpr char kAddFilter[] =
      "Image Files(*.BMP, *.JPG)|*.BMP; *.JPG|Video Files(*.mpeg,*.mpg,*.avi)|*.mpeg; *.mpg; *.avi|";
  // The message texts (string ids) and formats of the item commands.
  static constexpr uint32_t kCannotCopy = 8, kNotFound = 11, kCannotRename = 12, kCopyFailure = 13,
                            kNoPicture = 18, kNoAlbum = 19, kConfirmDelete = 20, kWaitText = 16;
  static constexpr char kDropClashFormat[] =
      "Same file name already exists. File has been automatically renamed to %s%s";
  static constexpr char kNotDeletedFormat[] = "'%s' could not be deleted.";
  // The progress window's steps per file.
  static constexpr int kAddSteps = 2, kDuplicateSteps = 5;
  // The export's folder picker.
  static constexpr char kExportTitle[] = "Export";
  static constexpr char kExportPrompt[] = "Path...";

  // `window` starts the drags and parents the dialogs.
  ItemCommands(Services services, ItemListView& list, ItemBrowser& items, AlbumListView& albumList,
               AlbumBrowser& albums, QvDropDialog& window);
  ~ItemCommands();
  ItemCommands(const ItemCommands&) = delete;
  ItemCommands& operator=(const ItemCommands&) = delete;

  void Add();
  void Delete();
  void Rename();
  void Duplicate();
  void ShowInfo();
  void Export();
  // The files of the selected items in list order; an entry without its item
  // record gives nothing.
  std::vector<std::optional<std::string>> SelectedPaths() const;

  // A drag of the selected items out of the list, the move effect only.
  void DragItems();
  // True while a drag that started in the item list is under way.
  bool Dragging() const { return dragging_; }
  // The effect of a drop at `point` (the window's coordinates): move or none.
  int DropEffectAt(const QPoint& point) const;
  // Files dropped at `point` (the window's coordinates).
  void DropFiles(const std::vector<std::string>& paths, const QPoint& point);

  // The progress window of the last Add, Duplicate or Export, for tests
  // (its window is gone once the command is over); null when none was made.
  const ProgressDialog* Progress() const { return progress_.get(); }

 private:
  // The end of the label edit that Rename opened.
  void OnLabelEdited(int row, const QString& text);
  // The selected rows in ascending order.
  std::vector<int> SelectedRows() const;
  // The album row under `point` (the window's coordinates), -1 for none.
  int AlbumAt(const QPoint& point) const;
  // Without a selection: string 18 as a plain box, then item 0 (when there
  // is one) becomes current, selected and in view.
  void NoSelection();
  void StartProgress(int top);
  void EndProgress();
  // Removes `rows` from the highest down.
  void RemoveRows(std::vector<int> rows);
  // A message with the program name as caption.
  int Message(const std::string& text, uint32_t style);
  void NotFound(const std::string& path);

  Services services_;
  ItemListView& list_;
  ItemBrowser& items_;
  AlbumListView& albumList_;
  AlbumBrowser& albums_;
  QvDropDialog& window_;
  std::unique_ptr<ProgressDialog> progress_;
  bool dragging_ = false;
};

}  // namespace lumora
