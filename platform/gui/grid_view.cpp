#include "platform/gui/grid_view.h"

#include <QScrollBar>

namespace platform {

bool GridView::endEdit() {
    if (state() != EditingState) return false;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor) return false;
    QAbstractItemDelegate* delegate = itemDelegateForIndex(currentIndex());
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
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
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (frozenWidthPx - left));
}

// A frozen cell is edited in the frozen view: here it lies under it.
bool GridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (frozenPeer && index.isValid() && index.column() < frozenCount)
        return frozenPeer->edit(index, trigger, event);
    return QTableView::edit(index, trigger, event);
}

void GridView::keyPressEvent(QKeyEvent* e) {
    ++handlingKey;
    QTableView::keyPressEvent(e);
    --handlingKey;
}

void GridView::updateGeometries() {
    inGeometries = true;
    QTableView::updateGeometries();
    inGeometries = false;
    if (onGeometries) onGeometries();
}

} // namespace platform
