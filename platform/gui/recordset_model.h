#pragma once
// A table model over a data control's record set: one row per record, one
// column per chosen field. It reads only the cells a view asks for, through
// the record set's positional read (no move, no commit), so a sheet of
// 10,000 records opens at once, and follows the record set's row notices.
// Rows count from 0 here and from 1 in the record set.
#include "platform/db/data_control.h"

#include <QAbstractTableModel>
#include <QMetaObject>

#include <functional>
#include <string>
#include <vector>

namespace platform {

// A grid column: the field it shows (by name, any letter case) and its heading.
struct GridColumn {
    std::string field;
    QString caption;
    bool readOnly = false; // shown, never typed into
};

// The display text of a column's value. A null QString, or an exception,
// leaves the plain text.
using ColumnFormat = std::function<QString(int col, const db::Value& value)>;

class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordsetModel(QObject* parent = nullptr);
    ~RecordsetModel() override;

    // Shows the control's record set, and whichever it owns after a Refresh.
    void setDataControl(db::DataControl* data);
    db::DataControl* dataControl() const { return data_; }

    void setColumns(std::vector<GridColumn> columns);
    const GridColumn& column(int col) const;
    void setCaption(int col, const QString& caption);
    void setColumnFormat(int col, ColumnFormat format);
    // The record set's field shown in a column, or -1 when it has none.
    int fieldIndex(int col) const;
    // The most characters a column's text field holds; 0 for any other column.
    int textSize(int col) const;

    // A cell's value as the record set shows it (the current record's edit
    // buffer included); Empty when there is no such cell.
    db::Value value(int row, int col) const;
    QString displayText(int row, int col) const;
    // The plain text an editor starts with.
    QString editText(int row, int col) const;
    db::RecordKey keyAt(int row) const;
    // The row of a bookmark, or -1.
    int rowOf(db::RecordKey key) const;

    // Puts a value into the edit buffer of a record, making it the current
    // record first. Throws db::Error when the record set refuses either.
    void writeCell(int row, int col, const db::Value& value);

    // Every cell drawn again (a column's format changed).
    void redraw();
    // True while the model passes on a change of rows: the current index a
    // view moves then is no choice of the user's.
    bool changingRows() const { return changing_ > 0; }

    // Cells read from the record set so far.
    long long reads() const { return reads_; }
    void resetReads() { reads_ = 0; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    struct Column {
        GridColumn def;
        ColumnFormat format;
        int field = -1;
        bool editable = false;
        bool numeric = false;
        int textSize = 0;
    };
    void attach();
    void resolveFields();
    int recordCount() const;
    // The record set's position of a row (0 when it has none), with the
    // shift of a change the views are being told of.
    int positionOf(int row) const;
    bool valid(const QModelIndex& index) const;
    void onRows(const db::RowEvent& e);

    db::DataControl* data_ = nullptr;
    QMetaObject::Connection replaced_;
    QMetaObject::Connection destroyed_;
    db::Recordset rs_;
    db::Subscription rowsSub_;
    std::vector<Column> columns_;
    int rows_ = 0;
    int changing_ = 0;
    int shiftFrom_ = -1;
    int shiftBy_ = 0;
    mutable long long reads_ = 0;
};

} // namespace platform
