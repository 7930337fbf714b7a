#include "sheets/grid_selection.h"

#include "platform/gui/data_grid.h"
#include "sheets/globals.h"
#include "sheets/sheet_window.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kKeyShift = 16;
constexpr int kKeyUp = 38;
constexpr int kKeyDown = 40;

long recordCount(db::Recordset& rs) {
    db::Recordset clone = rs.Clone();
    long count = 0;
    if (clone.RecordCount() > 0) {
        clone.MoveLast();
        count = clone.RecordCount();
    }
    clone.Close();
    return count;
}

} // namespace

void selectionKeyDown(SheetWindow& window, int keyCode, int shift) {
    if (keyCode == kKeyShift) return;
    db::Recordset& rs = window.Data1.recordset();
    if ((keyCode == kKeyUp || keyCode == kKeyDown) && shift == 1 && rs.isOpen() && !rs.eof() &&
        !rs.bof()) {
        platform::DataGrid& grid = *window.grdSpectra;
        const long position = rs.AbsolutePosition();
        bool inSelection = false;
        if (!gSelExtending) {
            const auto current = grid.Bookmark();
            for (int i = 0; i < grid.SelBookmarks().Count(); ++i)
                inSelection = inSelection || grid.SelBookmarks().Item(i) == current;
        } else {
            inSelection = gSelEnd == position;
        }
        if (!inSelection) {
            gSelExtending = false;
        } else if (!gSelExtending) {
            gSelExtending = true;
            gSelAnchor = position;
            gSelEnd = position;
            if (keyCode == kKeyUp && position > 1) gSelEnd = position - 1;
            if (keyCode == kKeyDown && position < recordCount(rs)) gSelEnd = position + 1;
            // A run selected with the mouse keeps its start: the keys move its other end.
            if (const auto anchor = grid.runAnchor()) {
                db::Recordset clone = rs.Clone();
                clone.setBookmark(*anchor);
                gSelAnchor = clone.AbsolutePosition();
                clone.Close();
            }
        } else {
            const long count = recordCount(rs);
            if (keyCode == kKeyUp && gSelEnd > 1) --gSelEnd;
            if (keyCode == kKeyDown && gSelEnd < count) ++gSelEnd;
        }
        return;
    }
    gSelExtending = false;
}

void selectionRowColChange(SheetWindow& window) {
    db::Recordset& rs = window.Data1.recordset();
    platform::DataGrid& grid = *window.grdSpectra;
    if (!rs.isOpen()) return;
    if (gSelEnd != rs.AbsolutePosition()) gSelExtending = false;
    grid.SelBookmarks().Clear();
    if (!gSelExtending) return;
    const long first = std::min(gSelAnchor, gSelEnd);
    const long k = std::labs(gSelEnd - gSelAnchor);
    // Records removed since the extension began (a delete, a reread) may
    // have taken its anchor: then it ends.
    if (first < 1 || first + k > recordCount(rs)) {
        gSelExtending = false;
        return;
    }
    db::Recordset clone = rs.Clone();
    clone.MoveFirst();
    clone.Move(first - 1);
    grid.SelBookmarks().Add(clone.Bookmark());
    for (long i = 0; i < k; ++i) {
        clone.MoveNext();
        grid.SelBookmarks().Add(clone.Bookmark());
    }
    clone.Close();
}
