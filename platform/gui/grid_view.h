#pragma once
// The table view the data grid is made of (inside the grid only): the whole
// grid, and a second one laid over it for the frozen columns.
#include <QTableView>

#include <functional>

namespace platform {

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
    bool endEdit();

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void keyboardSearch(const QString&) override {} // typing edits; it never jumps to a row
    void selectAll() override {}

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex&,
                                                         const QEvent*) const override {
        return QItemSelectionModel::NoUpdate;
    }
    void keyPressEvent(QKeyEvent* e) override;
    void updateGeometries() override;
};

} // namespace platform
