#pragma once
// The data grid of the sheet windows: a table view over one model of a data
// control's record set (never a widget per cell), with the events and
// properties the windows use.
//
// The grid's current row is the record set's current record: moving the
// record set moves the grid's row, and a row chosen in the grid moves the
// record set (its MoveComplete fires as after any move). An edited cell goes
// into the record's edit buffer, never straight into the file; a move,
// Move 0 or Update commits it, as for the bound text boxes.
//
// The first FrozenColumns() columns stay in place while the others scroll:
// a second view laid over the first, sharing its model and selection.
//
// Here the grid is put together and wired to its data control; its parts
// stand beside it: grid_current_cell (the current row and the record set),
// grid_selection, record_selector_header, grid_cell_editor,
// grid_frozen_columns, grid_view and grid_key_codes.
#include "platform/gui/grid_key_codes.h"
#include "platform/gui/grid_selection.h"
#include "platform/gui/recordset_model.h"

#include <QWidget>

#include <optional>
#include <vector>

class QKeyEvent;
class QTableView;

namespace platform {

class GridView;
class GridDelegate;
class GridLineEdit;

class DataGrid : public QWidget {
    Q_OBJECT
public:
    // DataError of the Error event.
    enum DataError {
        ErrValueRefused = 1,  // the field cannot hold the typed value
        ErrRecordRefused = 2, // the record could not be written when leaving it
    };

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void setDataSource(db::DataControl* data);
    db::DataControl* DataSource() const;
    void setColumns(std::vector<GridColumn> columns);
    int ColumnCount() const;
    QString caption(int col) const;
    void setCaption(int col, const QString& caption);
    // The display text of a column's cells (see ColumnFormat).
    void setColumnFormat(int col, ColumnFormat format);
    int ColumnWidth(int col) const; // twips
    void setColumnWidth(int col, int twips);
    // Draws every cell again.
    void Refresh();
    // Whether a cell is being edited. Setting it false ends the edit, the
    // typed text going into the record's edit buffer.
    bool EditActive() const;
    void setEditActive(bool active);

    // The current column (0-based); setting it moves the current cell.
    int Col() const;
    void setCol(int col);
    // The bookmark of the current row. Throws db::Error when there is none.
    db::RecordKey Bookmark() const;
    SelBookmarkList& SelBookmarks() { return sel_; }
    const SelBookmarkList& SelBookmarks() const { return sel_; }
    // The record a run selected with the mouse (Shift+click or drag) starts
    // from, while that run is still the selection; none otherwise.
    std::optional<db::RecordKey> runAnchor() const;

    int FrozenColumns() const { return frozenCols_; }
    void setFrozenColumns(int count);
    // The first column shown right of the frozen ones.
    int LeftCol() const;
    void setLeftCol(int col);

    // Geometry in twips, in the parent's coordinates.
    int Height() const;
    void setHeight(int twips);
    int Top() const;
    void setTop(int twips);
    int RowHeight() const;
    void setRowHeight(int twips);

    // The text of the last data error.
    QString ErrorText() const { return errorText_; }

    QTableView* view() const;       // the whole grid, scrolling part
    QTableView* frozenView() const; // the frozen columns laid over it
    RecordsetModel* model() const { return model_; }

signals:
    // Before an edited cell goes into the record: NewValue may be replaced;
    // Cancel keeps the record as it was.
    void BeforeColUpdate(int ColIndex, const db::Value& OldValue, db::Value& NewValue,
                         bool& Cancel);
    // After the current cell moved. LastRow is the bookmark of the row left,
    // Empty when the row did not change or there was none; LastCol is -1 at first.
    void RowColChange(const db::Value& LastRow, int LastCol);
    // A key, before the grid acts on it; KeyCode set to 0 keeps it from the grid.
    void KeyDown(int& KeyCode, int Shift);
    void DblClick();
    // The record set refused a value or a record; Response 0 shows no message.
    void Error(int DataError, int& Response);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class SelBookmarkList;
    friend class GridDelegate;
    friend class GridLineEdit;

    void setUpCellEditor(GridView* view);
    void setUpFrozenView();
    void onCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void onRecordMoved();
    void afterRowsChanged();
    // Puts the view's current cell on the record set's current record.
    void followRecordset(bool announce);
    void announce(int row, int col);
    void setViewCurrent(const QModelIndex& index);
    void commitCell(const QModelIndex& index, const QString& text);
    bool announceKey(QKeyEvent* event);
    void reportError(int code, const QString& text);
    void onRecordSelector(int row);
    void onSelectorEntered(int row);
    void appendRun(std::vector<db::RecordKey>& keys, int from, int to) const;
    void setSelection(std::vector<db::RecordKey> keys);
    void mirrorSelection();
    void layoutFrozen();
    int frozenWidth() const;
    void applyLeftCol();

    RecordsetModel* model_ = nullptr;
    GridView* main_ = nullptr;
    GridView* frozen_ = nullptr;
    db::DataControl* data_ = nullptr;
    QMetaObject::Connection moved_;
    QMetaObject::Connection destroyed_;
    SelBookmarkList sel_;
    std::optional<db::RecordKey> curKey_;
    int curCol_ = -1;
    bool syncing_ = false;
    int frozenCols_ = 0;
    int wantedLeftCol_ = -1;
    bool applyingLeft_ = false;
    int heightTwips_ = -1;
    int topTwips_ = -1;
    int rowHeightTwips_ = 0;
    QString errorText_;
    // A key the cell editor passed on to the grid, already announced.
    const QKeyEvent* passedOn_ = nullptr;
    Qt::KeyboardModifiers selectorModifiers_;
    // Where a Shift+click run starts: the current record after any move
    // but one made with Shift (a Shift+click or a Shift+arrow), which
    // extends from it. The row a drag over the selectors started from (-1
    // when none) and the selection it adds to.
    std::optional<db::RecordKey> selAnchor_;
    bool shiftMove_ = false; // the current move is made with Shift held
    bool keyShift_ = false;  // the key the grid is handling has Shift
    std::optional<db::RecordKey> runAnchor_;
    int dragFrom_ = -1;
    std::vector<db::RecordKey> dragBase_;
    bool refocus_ = false;
};

} // namespace platform
