#include "platform/gui/data_grid.h"

#include "platform/gui/grid_view.h"

#include <QHeaderView>

#include <algorithm>
#include <exception>

namespace platform {

// The grid's current row is the record set's current record, each moving
// the other.

int DataGrid::Col() const {
    const QModelIndex cur = main_->currentIndex();
    return cur.isValid() ? cur.column() : curCol_;
}

void DataGrid::setCol(int col) {
    if (col < 0 || col >= ColumnCount()) return;
    const QModelIndex cur = main_->currentIndex();
    if (!cur.isValid()) {
        curCol_ = col;
        return;
    }
    main_->selectionModel()->setCurrentIndex(model_->index(cur.row(), col),
                                             QItemSelectionModel::NoUpdate);
}

db::RecordKey DataGrid::Bookmark() const {
    const QModelIndex cur = main_->currentIndex();
    if (!cur.isValid()) throw db::Error("The grid has no current row");
    return model_->keyAt(cur.row());
}

void DataGrid::onCurrentChanged(const QModelIndex& current, const QModelIndex&) {
    if (syncing_ || model_->changingRows() || !current.isValid()) return;
    if (data_) {
        db::Recordset& rs = data_->recordset();
        if (rs.isOpen() && rs.AbsolutePosition() != current.row() + 1) {
            syncing_ = true;
            try {
                rs.setAbsolutePosition(current.row() + 1);
            } catch (const std::exception& e) {
                // The record left could not be written: stay on it.
                syncing_ = false;
                reportError(ErrRecordRefused, QString::fromStdString(e.what()));
                followRecordset(false);
                return;
            }
            syncing_ = false;
        }
    }
    announce(current.row(), current.column());
}

void DataGrid::onRecordMoved() {
    main_->verticalHeader()->viewport()->update(); // the current-row mark
    if (!syncing_) followRecordset(true);
}

void DataGrid::followRecordset(bool announceIt) {
    if (!data_ || model_->columnCount() == 0) return;
    db::Recordset& rs = data_->recordset();
    const int pos = rs.isOpen() ? rs.AbsolutePosition() : db::kPosUnknown;
    // Away from any record the grid keeps its cell.
    if (pos < 1 || pos > model_->rowCount()) return;
    const QModelIndex cur = main_->currentIndex();
    const int col =
        std::clamp(cur.isValid() ? cur.column() : curCol_, 0, model_->columnCount() - 1);
    const QModelIndex want = model_->index(pos - 1, col);
    if (cur != want) setViewCurrent(want);
    if (announceIt && (!curKey_ || *curKey_ != model_->keyAt(pos - 1) || curCol_ != col))
        announce(pos - 1, col);
}

void DataGrid::setViewCurrent(const QModelIndex& index) {
    syncing_ = true;
    main_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void DataGrid::announce(int row, int col) {
    db::RecordKey key = 0;
    try {
        key = model_->keyAt(row);
    } catch (const db::Error&) {
        return;
    }
    const db::Value lastRow =
        curKey_ && *curKey_ != key ? db::Value(static_cast<long long>(*curKey_)) : db::Value();
    const int lastCol = curCol_;
    const bool viaShiftKey = keyShift_ && (main_->handlingKey > 0 || frozen_->handlingKey > 0);
    if ((!curKey_ || *curKey_ != key) && !shiftMove_ && !viaShiftKey) selAnchor_ = key;
    curKey_ = key;
    curCol_ = col;
    emit RowColChange(lastRow, lastCol);
}

void DataGrid::afterRowsChanged() {
    if (frozenCols_ > 0) setFrozenColumns(frozenCols_);
    mirrorSelection();
    followRecordset(false);
}

} // namespace platform
