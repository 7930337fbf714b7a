// Edit > Copy: the selected spectra of a sheet window as clipboard spectrum
// text; other windows copy through the handler their folder registers.
#include "editing/edit_menu.h"
#include "editing/sheet_copy.h"
#include "editing/sheet_edit.h"
#include "editing/spectrum_text.h"
#include "platform/db/recordset.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/open_close.h"
#include "sheets/sheet_window.h"
#include "sheets/view_hold.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <map>

namespace {

std::map<platform::gui::FormKind, CopyHandler>& copyHandlers() {
    static std::map<platform::gui::FormKind, CopyHandler> handlers;
    return handlers;
}

QWidget* activeChild() {
    QMdiArea* mdi = mdiArea();
    QMdiSubWindow* sub = mdi ? mdi->activeSubWindow() : nullptr;
    return sub ? sub->widget() : nullptr;
}

} // namespace

void setCopyHandler(platform::gui::FormKind kind, CopyHandler handler) {
    copyHandlers()[kind] = std::move(handler);
}

QString selectedSpectraText(SheetWindow& window) {
    db::Recordset& rs = window.Data1.recordset();
    if (!rs.isOpen()) throw db::Error("The sheet window shows no records");
    platform::SelBookmarkList& selection = window.grdSpectra->SelBookmarks();
    if (selection.Count() == 0) selection.Add(rs.Bookmark());

    db::Recordset& list = window.Data2.recordset();
    const db::Value system = list.Fields("Octave/Third Octave").value();
    const int bandKind = system.isNumber() && system.toLong() == 2 ? 2 : 1;
    const db::Value first = list.Fields("First Band").value();
    const int firstBand = first.isNumber() ? static_cast<int>(first.toLong()) : 0;
    const bool worksheet = window.sheetKind() == db::SheetKind::Worksheet;

    const int fieldCount = std::min(rs.Fields().Count(), spectrumCellCount(bandKind));
    std::vector<std::string> names;
    for (int i = 0; i < std::min(fieldCount, 8); ++i)
        names.push_back(rs.Fields(i).Name());
    std::vector<QStringList> rows;
    rows.push_back(spectrumHeader(names, bandKind, firstBand, worksheet));
    std::vector<db::Value> fields(static_cast<size_t>(fieldCount));
    for (int i = 0; i < selection.Count(); ++i) {
        const int pos = rs.positionOf(selection.Item(i));
        if (pos < 1) continue;
        for (int f = 0; f < fieldCount; ++f)
            fields[static_cast<size_t>(f)] = rs.peek(pos, f);
        rows.push_back(spectrumCells(fields, bandKind, worksheet));
    }
    return joinSpectrumRows(rows);
}

void EditMenu::mnuEditCopy_Click() {
    try {
        QWidget* child = activeChild();
        auto* sheet = dynamic_cast<SheetWindow*>(child);
        if (!child) sheet = activeSheetWindow();
        if (sheet) {
            if (sheet->grdSpectra) {
                sheet->grdSpectra->setEditActive(false);
                sheet->grdSpectra->Refresh();
            }
            if (rereadViewedWindow(*sheet, true)) return;
            const QString text = selectedSpectraText(*sheet);
            platform::clearClipboard();
            platform::setClipboard(text);
            return;
        }
        if (!child) return;
        const auto kind = platform::gui::formKind(child);
        if (!kind) return;
        const auto it = copyHandlers().find(*kind);
        if (it != copyHandlers().end() && it->second) it->second(*child);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
