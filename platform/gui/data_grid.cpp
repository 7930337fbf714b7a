#include "platform/gui/data_grid.h"

#include "platform/geometry.h"
#include "platform/gui/grid_view.h"
#include "platform/gui/record_selector_header.h"
#include "platform/ui.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace platform {

// ---- putting the grid together -----------------------------------------------

namespace {
constexpr int kSelectorWidthTwips = 255;
} // namespace

DataGrid::DataGrid(QWidget* parent) : QWidget(parent), sel_(*this) {
    model_ = new RecordsetModel(this);
    main_ = new GridView(this);
    auto* selectors = new SelectorHeader(main_);
    selectors->isCurrent = [this](int row) {
        if (!data_) return false;
        db::Recordset& rs = data_->recordset();
        return rs.isOpen() && rs.AbsolutePosition() == row + 1;
    };
    main_->setVerticalHeader(selectors);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(main_);
    main_->setModel(model_);
    frozen_ = new GridView(main_);
    frozen_->setModel(model_);
    frozen_->setSelectionModel(main_->selectionModel());

    for (GridView* v : {main_, frozen_}) {
        setUpCellEditor(v);
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
        v->setWordWrap(false);
        v->setCornerButtonEnabled(false);
        v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        v->horizontalHeader()->setHighlightSections(false);
        // Rows are chosen through the record selectors here, columns not at all.
        QObject::disconnect(v->verticalHeader(), SIGNAL(sectionPressed(int)), v, nullptr);
        QObject::disconnect(v->verticalHeader(), SIGNAL(sectionEntered(int)), v, nullptr);
        QObject::disconnect(v->horizontalHeader(), SIGNAL(sectionPressed(int)), v, nullptr);
        QObject::disconnect(v->horizontalHeader(), SIGNAL(sectionEntered(int)), v, nullptr);
        v->viewport()->installEventFilter(this);
    }
    main_->installEventFilter(this);
    frozen_->installEventFilter(this);
    main_->frozenPeer = frozen_;
    // The record selectors carry no text: give them the width of a selector column.
    main_->verticalHeader()->setFixedWidth(twipsToPixels(kSelectorWidthTwips));
    main_->verticalHeader()->viewport()->installEventFilter(this);
    main_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setUpFrozenView();

    connect(main_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DataGrid::onCurrentChanged);
    connect(main_->selectionModel(), &QItemSelectionModel::currentChanged,
            main_->verticalHeader()->viewport(), qOverload<>(&QWidget::update));
    connect(main_->verticalHeader(), &QHeaderView::sectionPressed, this,
            &DataGrid::onRecordSelector);
    connect(main_->verticalHeader(), &QHeaderView::sectionEntered, this,
            &DataGrid::onSelectorEntered);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &DataGrid::afterRowsChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &DataGrid::afterRowsChanged);
    connect(model_, &QAbstractItemModel::modelReset, this, &DataGrid::afterRowsChanged);

    setRowHeight(pixelsToTwips(fontMetrics().height() + 6));
}

DataGrid::~DataGrid() {
    disconnect(moved_);
}

QTableView* DataGrid::view() const {
    return main_;
}
QTableView* DataGrid::frozenView() const {
    return frozen_;
}

// ---- the data control and the columns ----------------------------------------

void DataGrid::setDataSource(db::DataControl* data) {
    disconnect(moved_);
    disconnect(destroyed_);
    data_ = data;
    if (data) {
        // Heard before the model's own notice: the model's reset makes the
        // grid look at its control, which must not be one being destroyed.
        destroyed_ = connect(data, &QObject::destroyed, this, [this, data] {
            if (data_ == data) data_ = nullptr;
        });
    }
    model_->setDataControl(data);
    if (data)
        moved_ = connect(data, &db::DataControl::MoveComplete, this, &DataGrid::onRecordMoved);
    followRecordset(true);
}

db::DataControl* DataGrid::DataSource() const {
    return data_;
}

void DataGrid::setColumns(std::vector<GridColumn> columns) {
    model_->setColumns(std::move(columns));
    setFrozenColumns(frozenCols_);
}

int DataGrid::ColumnCount() const {
    return model_->columnCount();
}
QString DataGrid::caption(int col) const {
    return model_->column(col).caption;
}
void DataGrid::setCaption(int col, const QString& caption) {
    model_->setCaption(col, caption);
}
void DataGrid::setColumnFormat(int col, ColumnFormat format) {
    model_->setColumnFormat(col, std::move(format));
}
int DataGrid::ColumnWidth(int col) const {
    return pixelsToTwips(main_->columnWidth(col));
}
void DataGrid::setColumnWidth(int col, int twips) {
    main_->setColumnWidth(col, twipsToPixels(twips));
}

void DataGrid::Refresh() {
    model_->redraw();
}

// ---- events ------------------------------------------------------------------

void DataGrid::reportError(int code, const QString& text) {
    errorText_ = text;
    int response = 1;
    emit Error(code, response);
    if (response != 0) MsgBox(text, vbOKOnly | vbExclamation);
}

bool DataGrid::announceKey(QKeyEvent* event) {
    passedOn_ = nullptr;
    int code = vbKeyCode(*event);
    if (code == 0) return false;
    emit KeyDown(code, vbShiftState(event->modifiers()));
    return code == 0;
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
        // The keyboard belongs to the whole grid, whose view moves over all columns.
        if (watched == frozen_) main_->setFocus();
        break;
    case QEvent::KeyPress:
        if (watched == main_ || watched == frozen_) {
            auto* ke = static_cast<QKeyEvent*>(event);
            keyShift_ = ke->modifiers() & Qt::ShiftModifier;
            if (ke == passedOn_) {
                passedOn_ = nullptr;
                return false;
            }
            return announceKey(ke);
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == main_->viewport() || watched == frozen_->viewport() ||
            watched == main_->verticalHeader()->viewport())
            emit DblClick();
        break;
    case QEvent::MouseButtonPress:
        if (watched == main_->verticalHeader()->viewport())
            selectorModifiers_ = static_cast<QMouseEvent*>(event)->modifiers();
        break;
    case QEvent::MouseButtonRelease:
        if (watched == main_->verticalHeader()->viewport()) dragFrom_ = -1;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- geometry ----------------------------------------------------------------

int DataGrid::Height() const {
    return heightTwips_ >= 0 && twipsToPixels(heightTwips_) == height() ? heightTwips_
                                                                        : pixelsToTwips(height());
}

void DataGrid::setHeight(int twips) {
    heightTwips_ = twips;
    resize(width(), twipsToPixels(twips));
}

int DataGrid::Top() const {
    return topTwips_ >= 0 && twipsToPixels(topTwips_) == y() ? topTwips_ : pixelsToTwips(y());
}

void DataGrid::setTop(int twips) {
    topTwips_ = twips;
    move(x(), twipsToPixels(twips));
}

int DataGrid::RowHeight() const {
    return rowHeightTwips_;
}

void DataGrid::setRowHeight(int twips) {
    rowHeightTwips_ = twips;
    const int px = std::max(1, twipsToPixels(twips));
    for (GridView* v : {main_, frozen_}) {
        v->verticalHeader()->setMinimumSectionSize(
            std::min(px, v->verticalHeader()->minimumSectionSize()));
        v->verticalHeader()->setDefaultSectionSize(px);
    }
}

} // namespace platform
