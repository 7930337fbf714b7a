#include "platform/gui/data_grid.h"

#include "platform/gui/grid_view.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace platform {

// The frozen view lies over the scrolling one, sharing its model and
// selection; its scroll bar and its column widths follow the other's.
void DataGrid::setUpFrozenView() {
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setFrameShape(QFrame::NoFrame);
    main_->viewport()->stackUnder(frozen_);
    frozen_->hide();

    connect(frozen_->verticalScrollBar(), &QScrollBar::valueChanged, main_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(main_->verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(main_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int col, int, int size) {
                if (col < frozenCols_) {
                    frozen_->setColumnWidth(col, size);
                    layoutFrozen();
                }
            });
    connect(frozen_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int col, int, int size) {
                if (col < frozenCols_) main_->setColumnWidth(col, size);
            });
    connect(main_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!applyingLeft_ && !main_->inGeometries) wantedLeftCol_ = -1;
    });
    main_->onGeometries = [this] {
        layoutFrozen();
        applyLeftCol();
    };
}

void DataGrid::setFrozenColumns(int count) {
    const int cols = ColumnCount();
    frozenCols_ = std::clamp(count, 0, cols);
    for (int c = 0; c < cols; ++c) {
        frozen_->setColumnHidden(c, c >= frozenCols_);
        if (c < frozenCols_) frozen_->setColumnWidth(c, main_->columnWidth(c));
    }
    layoutFrozen();
}

int DataGrid::frozenWidth() const {
    int w = 0;
    for (int c = 0; c < frozenCols_ && c < ColumnCount(); ++c)
        if (!main_->isColumnHidden(c)) w += main_->columnWidth(c);
    return w;
}

void DataGrid::layoutFrozen() {
    main_->frozenCount = frozenCols_;
    main_->frozenWidthPx = frozenWidth();
    if (frozenCols_ == 0) {
        frozen_->hide();
        return;
    }
    const int frame = main_->frameWidth();
    const int left =
        frame + (main_->verticalHeader()->isVisible() ? main_->verticalHeader()->width() : 0);
    frozen_->setGeometry(left, frame, main_->frozenWidthPx,
                         main_->viewport()->height() + main_->horizontalHeader()->height());
    frozen_->show();
}

int DataGrid::LeftCol() const {
    const int cols = ColumnCount();
    if (cols == 0) return 0;
    const int first = std::min(frozenCols_, cols - 1);
    const int c = main_->columnAt(frozenWidth());
    return c < 0 ? first : std::max(c, first);
}

void DataGrid::setLeftCol(int col) {
    const int cols = ColumnCount();
    if (cols == 0) return;
    wantedLeftCol_ = std::clamp(col, std::min(frozenCols_, cols - 1), cols - 1);
    // The scroll range may be stale until the view lays itself out again;
    // what cannot be reached now is tried again then.
    main_->refreshGeometries();
    applyLeftCol();
}

void DataGrid::applyLeftCol() {
    if (wantedLeftCol_ < 0 || wantedLeftCol_ >= ColumnCount()) return;
    const int want = main_->horizontalHeader()->sectionPosition(wantedLeftCol_) - frozenWidth();
    QScrollBar* h = main_->horizontalScrollBar();
    applyingLeft_ = true;
    h->setValue(want);
    applyingLeft_ = false;
    if (h->value() == want) wantedLeftCol_ = -1;
}

} // namespace platform
