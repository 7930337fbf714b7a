#include "platform/gui/grid_cell_editor.h"

#include "platform/gui/data_grid.h"
#include "platform/gui/grid_view.h"
#include "platform/gui/recordset_model.h"
#include "platform/gui/text_limit.h"

#include <QKeyEvent>

#include <exception>
#include <utility>

namespace platform {

GridLineEdit::GridLineEdit(DataGrid& grid, QWidget* parent) : QLineEdit(parent), grid_(grid) {
    setFrame(false);
}

void GridLineEdit::keyPressEvent(QKeyEvent* e) {
    QLineEdit::keyPressEvent(e);
    if (!e->isAccepted()) grid_.passedOn_ = e;
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
    auto* editor = new GridLineEdit(grid_, parent);
    // A text cell takes no more than its field holds, as a text box does.
    if (const int size = grid_.model()->textSize(index.column()); size > 0)
        new gui::TextLimit(editor, size);
    return editor;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = static_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* limit = line->findChild<gui::TextLimit*>(QString(), Qt::FindDirectChildrenOnly))
        limit->show(text);
    else
        line->setText(text);
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                const QModelIndex& index) const {
    grid_.commitCell(index, static_cast<QLineEdit*>(editor)->text());
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
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

// ---- the grid's side ---------------------------------------------------------

void DataGrid::setUpCellEditor(GridView* v) {
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
}

bool DataGrid::EditActive() const {
    return main_->editing() || frozen_->editing();
}

void DataGrid::setEditActive(bool active) {
    if (active) return; // a cell edit starts from the user's typing only
    if (!frozen_->endEdit()) main_->endEdit();
}

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

} // namespace platform
