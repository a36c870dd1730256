// The item commands, Export and the item drags and drops.
#include "app/ItemCommands.h"

#include <QDialog>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "albums/ItemFiles.h"
#include "app/AlbumBrowser.h"
#include "app/AlbumListView.h"
#include "app/FileInfoDialog.h"
#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "app/MessageStrings.h"
#include "dropdialog/QvDropDialog.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "ui/FolderPicker.h"
#include "ui/ProgressDialog.h"

namespace lumora {

namespace {

namespace fs = std::filesystem;

// Replaces each "%s" of `format` in turn by the next argument.
std::string Format(std::string_view format, std::initializer_list<std::string_view> arguments) {
  std::string text;
  auto next = arguments.begin();
  for (size_t at = 0; at < format.size(); ++at) {
    if (format.compare(at, 2, "%s") == 0 && next != arguments.end()) {
      text += *next++;
      ++at;
    } else {
      text += format[at];
    }
  }
  return text;
}

// The item commands find a file missing when it cannot be opened for reading.
bool CanOpen(const std::string& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The extension of a file name from its last "." on; empty without one.
std::string ExtensionOf(const std::string& fileName) {
  const std::string::size_type dot = fileName.rfind('.');
  return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

std::string FolderOf(const std::string& path) { return fs::path(path).parent_path().string(); }
std::string FileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace

ItemCommands::ItemCommands(Services services, ItemListView& list, ItemBrowser& items, AlbumListView& albumList,
                           AlbumBrowser& albums, QvDropDialog& window)
    : services_(std::move(services)),
      list_(list),
      items_(items),
      albumList_(albumList),
      albums_(albums),
      window_(window) {
  list_.OnLabelEdited([this](int row, const QString& text) { OnLabelEdited(row, text); });
  list_.OnBeginDrag([this] { DragItems(); });
}

ItemCommands::~ItemCommands() = default;

int ItemCommands::Message(const std::string& text, uint32_t style) {
  return services_.prompts.ShowMessage(text, services_.messages.Caption(), style);
}

void ItemCommands::NotFound(const std::string& path) {
  Message(Format("'%s' %s", {path, services_.messages.Text(kNotFound)}), box::kTopmost);
}

std::vector<std::optional<std::string>> ItemCommands::SelectedPaths() const {
  std::vector<std::optional<std::string>> paths;
  for (const int row : SelectedRows()) {
    const ItemEntry* entry = list_.Entry(row);
    paths.push_back(entry ? std::optional<std::string>(entry->Item().path) : std::nullopt);
  }
  return paths;
}

std::vector<int> ItemCommands::SelectedRows() const {
  std::vector<int> rows;
  for (int row = 0; row < list_.Count(); ++row) {
    if (list_.IsSelected(row)) rows.push_back(row);
  }
  return rows;
}

void ItemCommands::NoSelection() {
  Message(services_.messages.Text(kNoPicture), box::kOk);
  if (list_.Count() == 0) {
    items_.SetCurrentItem(-1);
    return;
  }
  list_.setFocus();
  list_.SetCurrentRow(0);
  list_.ScrollToRow(0);
  items_.SetCurrentItem(0);
}

void ItemCommands::StartProgress(int top) {
  progress_ = std::make_unique<ProgressDialog>(services_.resources, res::kStringProgramName);
  progress_->Create(&window_);
  progress_->SetRange(0, top);
  progress_->SetPos(0);
  progress_->SetText(services_.messages.Text(kWaitText));
  progress_->Show();
}

void ItemCommands::EndProgress() {
  if (progress_) progress_->Destroy();
}

void ItemCommands::RemoveRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) list_.Remove(*row);
}

void ItemCommands::Add() {
  const std::string folder = albums_.CurrentPath();
  if (folder.empty()) {
    Message(services_.messages.Text(kNoAlbum), box::kTopmost);
    return;
  }
  const std::vector<std::string> chosen =
      services_.prompts.OpenFiles(OpenFileRequest{"", kAddFilter, folder, true});
  if (chosen.empty()) return;

  if (const int current = items_.CurrentItem(); current >= 0)
    list_.selectionModel()->select(list_.model()->index(current, 0), QItemSelectionModel::Deselect);
  const auto readable = std::count_if(chosen.begin(), chosen.end(), CanOpen);
  if (readable > 0) StartProgress(int(readable) * kAddSteps);
  int step = 0;
  // The copies run as one batch, so their syncs overlap; each file gets its
  // name only once its data are on the disk, and the names of the copies
  // under way count as taken for the next.
  const auto failed = [this](const std::string& source, const std::string& destination) {
    Message(Format("%s - %s : %s", {source, destination, services_.messages.Text(kCopyFailure)}), box::kOk);
  };
  CopyBatch batch;
  std::vector<std::string> sources, destinations;
  for (const std::string& source : chosen) {
    if (progress_ && readable > 0) progress_->SetPos(++step);
    if (!CanOpen(source)) continue;
    const std::string destination = AddDestination(folder, source, destinations);
    if (!batch.Start(source, destination, /*replace=*/false)) {
      failed(source, destination);
      continue;
    }
    sources.push_back(source);
    destinations.push_back(destination);
  }
  const std::vector<FileOp> results = batch.Finish();
  for (size_t i = 0; i < results.size() && i < destinations.size(); ++i) {
    if (!results[i]) {
      failed(sources[i], destinations[i]);
      continue;
    }
    const int row = items_.AddItem(destinations[i]);
    if (progress_) progress_->SetPos(++step);
    if (row < 0) continue;
    items_.SetCurrentItem(row);
    list_.clearSelection();
    list_.setFocus();
    list_.SetCurrentRow(row);
    list_.ScrollToRow(row);
  }
  if (readable > 0) EndProgress();
}

void ItemCommands::Delete() {
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) {
    Message(services_.messages.Text(kNoPicture), box::kTopmost);
    return;
  }
  if (Message(services_.messages.Text(kConfirmDelete), box::kYesNo | box::kTopmost) != kAnswerYes) return;

  std::vector<int> leaving;
  for (const int row : selected) {
    const std::string path = list_.Entry(row)->Item().path;
    if (!CanOpen(path)) {
      NotFound(path);
      leaving.push_back(row);
      continue;
    }
    // To the trash, so the user can take it back; where there is no usable
    // trash the file is deleted for good, as the user confirmed.
    std::error_code error;
    if (services_.shell.TrashPaths({path}) != FileOpResult::Done) services_.shell.DeletePaths({path});
    if (fs::exists(fs::symlink_status(path, error))) {
      Message(Format(kNotDeletedFormat, {path}), box::kTopmost);
      continue;
    }
    items_.FileGone(path);
    leaving.push_back(row);
  }
  list_.setFocus();
  RemoveRows(leaving);
  if (list_.Count() == 0) {
    items_.SetCurrentItem(-1);
    return;
  }
  list_.SetCurrentRow(0);
  list_.ScrollToRow(0);
  items_.SetCurrentItem(0);
}

void ItemCommands::Rename() {
  const int last = list_.LastSelectedRow();
  if (last < 0) {
    NoSelection();
    return;
  }
  items_.SetCurrentItem(last);
  list_.setFocus();
  list_.OpenLabelEditor(last);
}

void ItemCommands::OnLabelEdited(int row, const QString& text) {
  ItemEntry* entry = list_.Entry(row);
  if (!entry) return;
  const AlbumItem old = entry->Item();
  const std::string title = text.toStdString();
  if (title.empty()) return;
  if (!CanOpen(old.path)) {
    NotFound(old.path);
    list_.Remove(row);
    return;
  }
  const std::string newPath = FolderOf(old.path) + "/" + title + ExtensionOf(FileNameOf(old.path));
  // A name that would leave the folder, or one whose file exists, is refused:
  // a rename never replaces a file.
  std::error_code error;
  const bool refused = title.find('/') != std::string::npos || title == "." || title == ".." ||
                       fs::exists(fs::symlink_status(newPath, error));
  if (refused || services_.shell.RenamePath(old.path, newPath) != FileOpResult::Done) {
    Message(Format("%s(%s - %s) ", {services_.messages.Text(kCannotRename), old.path, newPath}), box::kTopmost);
    return;
  }
  items_.FileMoved(old.path, newPath);
  entry->Item() = AlbumItem{title, newPath, old.time};
  list_.Replace(row, *entry);
}

void ItemCommands::Duplicate() {
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) {
    NoSelection();
    return;
  }
  StartProgress(int(selected.size()) * kDuplicateSteps);
  std::vector<int> leaving;
  int step = 0;
  // One batch of copies, as Add makes them.
  CopyBatch batch;
  std::vector<int> rows;
  std::vector<std::string> sources, copies;
  for (const int row : selected) {
    step += kDuplicateSteps;
    progress_->SetPos(step);
    const std::string path = list_.Entry(row)->Item().path;
    if (!CanOpen(path)) {
      NotFound(path);
      leaving.push_back(row);
      continue;
    }
    const std::string copy = DuplicateDestination(path, copies);
    if (!batch.Start(path, copy, /*replace=*/false)) {
      Message(Format("%s\n\n%s\n-\n%s)", {services_.messages.Text(kCannotCopy), path, copy}), box::kOk);
      continue;
    }
    rows.push_back(row);
    sources.push_back(path);
    copies.push_back(copy);
  }
  const std::vector<FileOp> results = batch.Finish();
  for (size_t i = 0; i < results.size() && i < copies.size(); ++i) {
    if (!results[i]) {
      Message(Format("%s\n\n%s\n-\n%s)", {services_.messages.Text(kCannotCopy), sources[i], copies[i]}), box::kOk);
      continue;
    }
    items_.AddItem(copies[i]);
    list_.selectionModel()->select(list_.model()->index(rows[i], 0), QItemSelectionModel::Deselect);
  }
  EndProgress();
  RemoveRows(leaving);
}

void ItemCommands::ShowInfo() {
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) {
    Message(services_.messages.Text(kNoPicture), box::kTopmost);
    return;
  }
  list_.clearSelection();
  if (items_.CurrentItem() < 0 || !list_.Entry(items_.CurrentItem())) items_.SetCurrentItem(selected.back());
  const int current = items_.CurrentItem();
  const std::string path = list_.Entry(current)->Item().path;
  const std::optional<ItemInfo> info =
      CanOpen(path) ? ReadItemInfo(path, services_.resources.Data(res::kDataAudioOnlyPicture).value_or(
                                             std::vector<uint8_t>()))
                    : std::nullopt;
  if (!info) {
    NotFound(path);
    list_.Remove(current);
    items_.SetCurrentItem(-1);
    return;
  }
  list_.SetCurrentRow(current);
  FileInfoDialog dialog(*info, &window_);
  services_.runDialog(dialog);
}

void ItemCommands::Export() {
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) {
    Message(services_.messages.Text(kNoPicture), box::kTopmost);
    return;
  }
  FolderPicker picker(services_.prompts, services_.messages.Caption(), kExportTitle, kExportPrompt,
                      albums_.CurrentPath() + "/");
  if (picker.Browse() != 1) return;
  const std::string folder = picker.chosenPath();

  // Files of the same name in the folder are replaced, each only once its
  // copy is complete. The copies run as one batch, so their syncs overlap.
  const auto report = [this](const std::string& source, const std::string& destination, const FileOp& copied) {
    const std::string reason = copied.status == FileOpStatus::SourceGone
                                   ? services_.messages.Text(kNotFound)
                                   : (copied.reason.empty() ? services_.messages.Text(kCopyFailure) : copied.reason);
    Message(Format("%s - %s : %s", {source, destination, reason}), box::kTopmost);
  };
  const bool several = selected.size() > 1;
  if (several) StartProgress(int(selected.size()) + 1);
  int step = 0;
  CopyBatch batch;
  std::vector<std::pair<std::string, std::string>> started;
  for (const int row : selected) {
    const std::string source = list_.Entry(row)->Item().path;
    const std::string destination = JoinPath(folder, FileNameOf(source)).value_or(FileNameOf(source));
    const FileOp begun = batch.Start(source, destination, /*replace=*/true);
    if (several) progress_->SetPos(++step);
    if (begun)
      started.emplace_back(source, destination);
    else
      report(source, destination, begun);
  }
  const std::vector<FileOp> results = batch.Finish();
  if (several) progress_->SetPos(++step);
  for (size_t i = 0; i < results.size() && i < started.size(); ++i) {
    if (!results[i]) report(started[i].first, started[i].second, results[i]);
  }
  if (several) EndProgress();
}

void ItemCommands::DragItems() {
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) return;
  dragging_ = true;
  std::vector<std::string> paths;
  for (const int row : selected) paths.push_back(list_.Entry(row)->Item().path);
  items_.SetCurrentItem(selected.back());
  window_.DoDragDrop(paths, QvDropDialog::kDropEffectMove);
  dragging_ = false;
}

int ItemCommands::AlbumAt(const QPoint& point) const {
  if (!albumList_.isVisible()) return -1;
  const QPoint inList = albumList_.viewport()->mapFrom(&window_, point);
  if (!albumList_.viewport()->rect().contains(inList)) return -1;
  const QModelIndex at = albumList_.indexAt(inList);
  return at.isValid() ? at.row() : -1;
}

int ItemCommands::DropEffectAt(const QPoint& point) const {
  if (const int album = AlbumAt(point); album >= 0)
    return album == albums_.Current() ? QvDropDialog::kDropEffectNone : QvDropDialog::kDropEffectMove;
  const QWidget* under = window_.childAt(point);
  const bool overItems = under && (under == &list_ || list_.isAncestorOf(under));
  return overItems && !dragging_ ? QvDropDialog::kDropEffectMove : QvDropDialog::kDropEffectNone;
}

void ItemCommands::DropFiles(const std::vector<std::string>& paths, const QPoint& point) {
  const int album = AlbumAt(point);
  if (album >= 0 && album == albums_.Current()) return;
  const AlbumEntry* target = albumList_.Entry(album);
  const std::string targetFolder = target ? target->Album().path : albums_.CurrentPath();
  if (targetFolder.empty()) return;

  // One look at the album's files for the whole drop.
  AlbumDrop drop(targetFolder);
  for (const std::string& source : paths) {
    // Folders, files that vanished before the drop and the album's own files
    // dropped onto it are skipped, each on its own.
    std::error_code error;
    if (!fs::is_regular_file(source, error)) continue;
    if (fs::equivalent(FolderOf(source), targetFolder, error)) continue;
    if (dragging_ && album < 0) continue;

    const PutResult put = drop.Put(source);
    if (!put.op) {
      if (put.op.status != FileOpStatus::SourceGone)
        Message(Format("%s - %s : %s", {source, targetFolder, put.op.reason}), box::kTopmost);
      continue;
    }
    if (put.renamed) {
      const std::string name = FileNameOf(put.path);
      const std::string extension = ExtensionOf(name);
      Message(Format(kDropClashFormat, {name.substr(0, name.size() - extension.size()), extension}),
              box::kOk | box::kSystemModal | box::kIconExclamation);
    }
    if (!put.moved) continue;
    // Its cached thumbnail moves with it.
    items_.FileMoved(source, put.path);
    if (dragging_) {
      for (int row = 0; row < list_.Count(); ++row) {
        if (list_.IsSelected(row) && SameIgnoringCase(list_.Entry(row)->Item().path, source)) {
          list_.Remove(row);
          break;
        }
      }
    } else if (album < 0) {
      items_.AddItem(put.path);
    }
  }
  list_.setFocus();
  const int current = std::min(items_.CurrentItem(), list_.Count() - 1);
  items_.SetCurrentItem(current);
  if (current >= 0) {
    list_.SetCurrentRow(current);
    list_.ScrollToRow(current);
  }
}

}  // namespace lumora
