// EntryListView: a list view over a vector of records, the common part of
// the album list and the item list. The records live in the view's model
// (EntryModel), in list order; the view reads them through the model, and
// its delegate draws each entry from its record. Records are appended,
// removed, replaced as a whole and sorted where they are, never taken out of
// the view and put back. A record names itself with `Text()`.
#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QListView>
#include <QString>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace lumora {

template <typename Record>
class EntryModel final : public QAbstractListModel {
 public:
  // `flags`: what every entry allows (selection, editing).
  EntryModel(Qt::ItemFlags flags, QObject* parent) : QAbstractListModel(parent), flags_(flags) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : int(entries_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const Record* entry = At(index.row());
    if (!entry || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return QString::fromStdString(entry->Text());
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override { return At(index.row()) ? flags_ : Qt::NoItemFlags; }

  // The record at `row`, null when there is none.
  Record* At(int row) { return row >= 0 && size_t(row) < entries_.size() ? &entries_[size_t(row)] : nullptr; }
  const Record* At(int row) const {
    return row >= 0 && size_t(row) < entries_.size() ? &entries_[size_t(row)] : nullptr;
  }
  const std::vector<Record>& Entries() const { return entries_; }

  void Append(Record entry) {
    const int row = int(entries_.size());
    beginInsertRows(QModelIndex(), row, row);
    entries_.push_back(std::move(entry));
    endInsertRows();
  }
  // Appends `entries` in one insertion, so the view lays out and draws once.
  void AppendAll(std::vector<Record> entries) {
    if (entries.empty()) return;
    const int row = int(entries_.size());
    beginInsertRows(QModelIndex(), row, row + int(entries.size()) - 1);
    std::move(entries.begin(), entries.end(), std::back_inserter(entries_));
    endInsertRows();
  }
  // The record at `row` becomes `entry`; the row keeps its selection.
  void Replace(int row, Record entry) {
    if (!At(row)) return;
    entries_[size_t(row)] = std::move(entry);
    emit dataChanged(index(row), index(row));
  }
  void Remove(int row) {
    if (!At(row)) return;
    beginRemoveRows(QModelIndex(), row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
  }
  void Reset(std::vector<Record> entries = {}) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
  }
  // A stable sort; the selection and the current entry are cleared, as the
  // rows now hold other records.
  template <typename Less>
  void Sort(Less less) {
    beginResetModel();
    std::stable_sort(entries_.begin(), entries_.end(), less);
    endResetModel();
  }

 private:
  Qt::ItemFlags flags_;
  std::vector<Record> entries_;
};

template <typename Record>
class EntryListView : public QListView {
 public:
  EntryListView(Qt::ItemFlags flags, QWidget* parent) : QListView(parent), model_(new EntryModel<Record>(flags, this)) {
    setModel(model_);
  }

  int Count() const { return model_->rowCount(); }
  // The record at `row`, null when there is none.
  Record* Entry(int row) const { return model_->At(row); }
  void Append(Record entry) { model_->Append(std::move(entry)); }
  void AppendAll(std::vector<Record> entries) { model_->AppendAll(std::move(entries)); }
  void Replace(int row, Record entry) { model_->Replace(row, std::move(entry)); }
  void Remove(int row) { model_->Remove(row); }
  void Clear() { model_->Reset(); }
  // Sorts the records, stable; the selection and the current entry go.
  template <typename Less>
  void SortEntries(Less less) {
    model_->Sort(less);
  }

  // Selects `row` alone and makes it current; an invalid row clears the
  // selection.
  void SetCurrentRow(int row) {
    selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
  }
  bool HasSelection() const { return selectionModel()->hasSelection(); }
  bool IsSelected(int row) const { return selectionModel()->isSelected(model_->index(row)); }
  // The selected row nearest the end, -1 for none.
  int LastSelectedRow() const {
    for (int row = Count() - 1; row >= 0; --row) {
      if (IsSelected(row)) return row;
    }
    return -1;
  }
  void ScrollToRow(int row) { scrollTo(model_->index(row)); }
  // The cell of `row` in viewport coordinates.
  QRect RowRect(int row) const { return visualRect(model_->index(row)); }

 private:
  EntryModel<Record>* model_;
};

}  // namespace lumora
