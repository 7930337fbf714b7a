#pragma once
// The data grid's cell editing (inside the grid only): a line edit for every
// cell (a double's spin box could not take "X"), whose typed text goes into
// the record's edit buffer through the grid.
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace platform {

class DataGrid;

// Keys the cell editor does not use go on to the grid, already announced.
class GridLineEdit : public QLineEdit {
public:
    GridLineEdit(DataGrid& grid, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    DataGrid& grid_;
};

class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(DataGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    DataGrid& grid_;
};

} // namespace platform
