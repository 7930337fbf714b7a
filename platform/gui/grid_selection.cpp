#include "platform/gui/data_grid.h"

#include "platform/gui/grid_view.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace platform {

// ---- SelBookmarks ------------------------------------------------------------

db::RecordKey SelBookmarkList::Item(int index) const {
    return keys_.at(static_cast<size_t>(index));
}

bool SelBookmarkList::contains(db::RecordKey key) const {
    return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
}

void SelBookmarkList::Add(db::RecordKey key) {
    if (contains(key)) return;
    grid_.runAnchor_.reset();
    keys_.push_back(key);
    const int row = grid_.model_->rowOf(key);
    if (row >= 0 && grid_.model_->columnCount() > 0)
        grid_.main_->selectionModel()->select(
            grid_.model_->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void SelBookmarkList::Remove(int index) {
    const db::RecordKey key = keys_.at(static_cast<size_t>(index));
    grid_.runAnchor_.reset();
    keys_.erase(keys_.begin() + index);
    const int row = grid_.model_->rowOf(key);
    if (row >= 0 && grid_.model_->columnCount() > 0)
        grid_.main_->selectionModel()->select(
            grid_.model_->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void SelBookmarkList::Clear() {
    grid_.runAnchor_.reset();
    keys_.clear();
    grid_.main_->selectionModel()->clearSelection();
}

// ---- selecting on the record selectors ---------------------------------------

void DataGrid::onRecordSelector(int row) {
    const Qt::KeyboardModifiers mods = selectorModifiers_;
    selectorModifiers_ = Qt::NoModifier;
    dragFrom_ = -1;
    // Below the last row there is no record: nothing new is selected.
    if (model_->columnCount() == 0 || row < 0 || row >= model_->rowCount()) return;
    // Moving the cursor lets the window clear the selection; Ctrl and Shift
    // build on the one that stood before.
    const std::vector<db::RecordKey> before = sel_.keys_;
    const QModelIndex cur = main_->currentIndex();
    const int col = std::clamp(cur.isValid() ? cur.column() : curCol_, 0, ColumnCount() - 1);
    shiftMove_ = mods & Qt::ShiftModifier;
    main_->selectionModel()->setCurrentIndex(model_->index(row, col),
                                             QItemSelectionModel::NoUpdate);
    shiftMove_ = false;
    if (main_->currentIndex().row() != row) return; // the record set stayed where it was
    const db::RecordKey key = model_->keyAt(row);
    const bool add = mods & Qt::ControlModifier;
    const int anchorRow = selAnchor_ ? model_->rowOf(*selAnchor_) : -1;
    if ((mods & Qt::ShiftModifier) && anchorRow >= 0) {
        // The run from the last record clicked, added to the selection with Ctrl.
        std::vector<db::RecordKey> keys = add ? before : std::vector<db::RecordKey>();
        appendRun(keys, anchorRow, row);
        setSelection(std::move(keys));
        runAnchor_ = selAnchor_;
        return;
    }
    selAnchor_ = key;
    dragBase_ = add ? before : std::vector<db::RecordKey>();
    const auto it = std::find(dragBase_.begin(), dragBase_.end(), key);
    if (it != dragBase_.end()) {
        dragBase_.erase(it); // Ctrl+click on a selected record takes it out
        setSelection(dragBase_);
        return;
    }
    dragFrom_ = row;
    std::vector<db::RecordKey> keys = dragBase_;
    keys.push_back(key);
    setSelection(std::move(keys));
}

// A drag over the record selectors selects the run from where it started;
// the current record stays where the press put it.
void DataGrid::onSelectorEntered(int row) {
    if (dragFrom_ < 0 || dragFrom_ >= model_->rowCount() || row < 0 || row >= model_->rowCount())
        return;
    std::vector<db::RecordKey> keys = dragBase_;
    appendRun(keys, dragFrom_, row);
    setSelection(std::move(keys));
    runAnchor_ = model_->keyAt(dragFrom_);
}

// Adds the records of rows from ... to, in the order they stand.
void DataGrid::appendRun(std::vector<db::RecordKey>& keys, int from, int to) const {
    for (int r = std::min(from, to); r <= std::max(from, to); ++r) {
        const db::RecordKey k = model_->keyAt(r);
        if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
    }
}

std::optional<db::RecordKey> DataGrid::runAnchor() const {
    if (runAnchor_ && model_->rowOf(*runAnchor_) < 0) return std::nullopt;
    return runAnchor_;
}

void DataGrid::setSelection(std::vector<db::RecordKey> keys) {
    runAnchor_.reset();
    sel_.keys_ = std::move(keys);
    mirrorSelection();
}

void DataGrid::mirrorSelection() {
    QItemSelectionModel* sm = main_->selectionModel();
    if (sel_.keys_.empty() || model_->columnCount() == 0) {
        sel_.keys_.clear();
        sm->clearSelection();
        return;
    }
    // One pass over the rows; bookmarks of records no longer there are dropped.
    std::unordered_set<db::RecordKey> wanted(sel_.keys_.begin(), sel_.keys_.end());
    std::unordered_set<db::RecordKey> found;
    QItemSelection selection;
    const int last = model_->columnCount() - 1;
    int runStart = -1;
    for (int r = 0; r <= model_->rowCount(); ++r) {
        const bool in = r < model_->rowCount() && wanted.count(model_->keyAt(r));
        if (in) {
            found.insert(model_->keyAt(r));
            if (runStart < 0) runStart = r;
        } else if (runStart >= 0) {
            selection.select(model_->index(runStart, 0), model_->index(r - 1, last));
            runStart = -1;
        }
    }
    if (std::erase_if(sel_.keys_, [&found](db::RecordKey k) { return !found.count(k); }) > 0)
        runAnchor_.reset(); // the run no longer stands whole
    sm->select(selection, QItemSelectionModel::ClearAndSelect);
}

} // namespace platform
