#include "platform/gui/data_grid.h"

#include "platform/geometry.h"
#include "platform/ui.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <functional>
#include <unordered_set>
#include <utility>

namespace platform {

// ---- key codes -------------------------------------------------------------

int vbKeyCode(const QKeyEvent& e) {
    const int k = e.key();
    if (e.modifiers() & Qt::KeypadModifier) {
        if (k >= Qt::Key_0 && k <= Qt::Key_9) return 96 + (k - Qt::Key_0);
        switch (k) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 110;
        case Qt::Key_Slash:
            return 111;
        default:
            break;
        }
    }
    if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z)) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}

int vbShiftState(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? vbShiftMask : 0) | (m & Qt::ControlModifier ? vbCtrlMask : 0) |
           (m & Qt::AltModifier ? vbAltMask : 0);
}

// ---- the parts of the grid -------------------------------------------------

// A view whose selection only code makes (SelBookmarks): no click, drag or
// Shift+arrow selects by itself.
class GridView : public QTableView {
public:
    using QTableView::QTableView;

    int handlingKey = 0; // inside the view's own key handling
    bool inGeometries = false;
    int frozenCount = 0;   // columns the frozen view shows over this one
    int frozenWidthPx = 0; // and their width
    GridView* frozenPeer = nullptr;
    std::function<void()> onGeometries;

    void refreshGeometries() { updateGeometries(); }

    bool editing() const { return state() == EditingState; }
    // Ends the cell edit in progress: its text goes into the record as
    // with Enter. False when no cell was being edited.
    bool endEdit() {
        if (state() != EditingState) return false;
        QWidget* editor = indexWidget(currentIndex());
        if (!editor) return false;
        QAbstractItemDelegate* delegate = itemDelegateForIndex(currentIndex());
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        return true;
    }

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override {
        if (!index.isValid()) return;
        if (frozenCount > 0 && index.column() < frozenCount) {
            // A frozen column is always in sight: only the rows scroll.
            const int h = horizontalScrollBar()->value();
            QTableView::scrollTo(index, hint);
            horizontalScrollBar()->setValue(h);
            return;
        }
        QTableView::scrollTo(index, hint);
        const int left = columnViewportPosition(index.column());
        if (frozenCount > 0 && left < frozenWidthPx)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() -
                                            (frozenWidthPx - left));
    }
    void keyboardSearch(const QString&) override {} // typing edits; it never jumps to a row
    void selectAll() override {}

protected:
    // A frozen cell is edited in the frozen view: here it lies under it.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (frozenPeer && index.isValid() && index.column() < frozenCount)
            return frozenPeer->edit(index, trigger, event);
        return QTableView::edit(index, trigger, event);
    }
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex&,
                                                         const QEvent*) const override {
        return QItemSelectionModel::NoUpdate;
    }
    void keyPressEvent(QKeyEvent* e) override {
        ++handlingKey;
        QTableView::keyPressEvent(e);
        --handlingKey;
    }
    void updateGeometries() override {
        inGeometries = true;
        QTableView::updateGeometries();
        inGeometries = false;
        if (onGeometries) onGeometries();
    }
};

// The record selectors. The current record's carries the current-row mark,
// so the user sees which spectrum the rest of the window shows.
class SelectorHeader : public QHeaderView {
public:
    explicit SelectorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
        setSectionsClickable(true);
        setHighlightSections(true);
    }
    std::function<bool(int row)> isCurrent;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override {
        painter->save(); // the style leaves its own clipping behind
        QHeaderView::paintSection(painter, rect, logical);
        painter->restore();
        if (!isCurrent || !isCurrent(logical)) return;
        // A triangle pointing at the row.
        const int h = std::max(4, std::min(rect.height(), rect.width()) / 2);
        const QPointF c = QRectF(rect).center();
        const QPolygonF mark({QPointF(c.x() - h / 3.0, c.y() - h / 2.0),
                              QPointF(c.x() + h / 2.0, c.y()),
                              QPointF(c.x() - h / 3.0, c.y() + h / 2.0)});
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette().color(QPalette::WindowText));
        painter->drawPolygon(mark);
        painter->restore();
    }
};

// The cell editor: a line edit for every cell (a double's spin box could not
// take "X"). Keys it does not use go on to the grid, already announced.
class GridLineEdit : public QLineEdit {
public:
    GridLineEdit(DataGrid& grid, QWidget* parent) : QLineEdit(parent), grid_(grid) {
        setFrame(false);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        QLineEdit::keyPressEvent(e);
        if (!e->isAccepted()) grid_.passedOn_ = e;
    }

private:
    DataGrid& grid_;
};

class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(DataGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return new GridLineEdit(grid_, parent);
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        grid_.commitCell(index, static_cast<QLineEdit*>(editor)->text());
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QLineEdit*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(event);
            // A key the view opened the editor with was announced by the view.
            if (!grid_.main_->handlingKey && !grid_.frozen_->handlingKey) {
                if (vbKeyCode(*ke) == 13) {
                    // The cell goes into the record before anyone hears of
                    // Enter, so a handler's Move 0 commits it.
                    emit commitData(editor);
                    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                    grid_.announceKey(ke);
                    return true;
                }
                if (grid_.announceKey(ke)) return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    DataGrid& grid_;
};

// ---- SelBookmarks ------------------------------------------------------------

db::RecordKey SelBookmarkList::Item(int index) const {
    return keys_.at(static_cast<size_t>(index));
}

bool SelBookmarkList::contains(db::RecordKey key) const {
    return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
}

void SelBookmarkList::Add(db::RecordKey key) {
    if (contains(key)) return;
    keys_.push_back(key);
    const int row = grid_.model_->rowOf(key);
    if (row >= 0 && grid_.model_->columnCount() > 0)
        grid_.main_->selectionModel()->select(
            grid_.model_->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void SelBookmarkList::Remove(int index) {
    const db::RecordKey key = keys_.at(static_cast<size_t>(index));
    keys_.erase(keys_.begin() + index);
    const int row = grid_.model_->rowOf(key);
    if (row >= 0 && grid_.model_->columnCount() > 0)
        grid_.main_->selectionModel()->select(
            grid_.model_->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void SelBookmarkList::Clear() {
    keys_.clear();
    grid_.main_->selectionModel()->clearSelection();
}

// ---- DataGrid ----------------------------------------------------------------

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
        auto* delegate = new GridDelegate(*this, v);
        // An editor closing in the frozen view, which takes no focus, hands
        // the keyboard back to the grid when it had it. (Connected around the
        // view's own handling: before it, to see the focus; after it, to move it.)
        if (v == frozen_)
            connect(delegate, &QAbstractItemDelegate::closeEditor, this,
                    [this](QWidget* editor) { refocus_ = editor && editor->hasFocus(); });
        v->setItemDelegate(delegate);
        if (v == frozen_)
            connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] {
                if (std::exchange(refocus_, false)) main_->setFocus();
            });
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

bool DataGrid::EditActive() const {
    return main_->editing() || frozen_->editing();
}

void DataGrid::setEditActive(bool active) {
    if (active) return; // a cell edit starts from the user's typing only
    if (!frozen_->endEdit()) main_->endEdit();
}

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

// ---- moving ------------------------------------------------------------------

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
    curKey_ = key;
    curCol_ = col;
    emit RowColChange(lastRow, lastCol);
}

void DataGrid::afterRowsChanged() {
    if (frozenCols_ > 0) setFrozenColumns(frozenCols_);
    mirrorSelection();
    followRecordset(false);
}

// ---- editing -----------------------------------------------------------------

void DataGrid::commitCell(const QModelIndex& index, const QString& text) {
    const int row = index.row(), col = index.column();
    if (text == model_->editText(row, col)) return; // nothing typed
    const db::Value old = model_->value(row, col);
    db::Value now(text.toStdString());
    bool cancel = false;
    emit BeforeColUpdate(col, old, now, cancel);
    if (cancel) return;
    try {
        model_->writeCell(row, col, now);
    } catch (const std::exception& e) {
        reportError(ErrValueRefused, QString::fromStdString(e.what()));
    }
}

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

// ---- selection ---------------------------------------------------------------

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
    main_->selectionModel()->setCurrentIndex(model_->index(row, col),
                                             QItemSelectionModel::NoUpdate);
    if (main_->currentIndex().row() != row) return; // the record set stayed where it was
    const db::RecordKey key = model_->keyAt(row);
    const bool add = mods & Qt::ControlModifier;
    const int anchorRow = selAnchor_ ? model_->rowOf(*selAnchor_) : -1;
    if ((mods & Qt::ShiftModifier) && anchorRow >= 0) {
        // The run from the last record clicked, added to the selection with Ctrl.
        std::vector<db::RecordKey> keys = add ? before : std::vector<db::RecordKey>();
        appendRun(keys, anchorRow, row);
        return setSelection(std::move(keys));
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
}

// Adds the records of rows from ... to, in the order they stand.
void DataGrid::appendRun(std::vector<db::RecordKey>& keys, int from, int to) const {
    for (int r = std::min(from, to); r <= std::max(from, to); ++r) {
        const db::RecordKey k = model_->keyAt(r);
        if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
    }
}

void DataGrid::setSelection(std::vector<db::RecordKey> keys) {
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
    std::erase_if(sel_.keys_, [&found](db::RecordKey k) { return !found.count(k); });
    sm->select(selection, QItemSelectionModel::ClearAndSelect);
}

// ---- frozen columns and scrolling --------------------------------------------

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
