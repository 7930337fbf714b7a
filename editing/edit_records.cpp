// Edit > New Spectrum, Insert, Delete and Cut: spectra added and removed,
// the numbers closed up again, and the formula references kept pointing at
// the spectra they named.
#include "editing/edit_menu.h"
#include "editing/sheet_copy.h"
#include "editing/sheet_edit.h"
#include "editing/spectrum_refs.h"
#include "engine/globals.h"
#include "platform/db/recordset.h"
#include "platform/flag_guard.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/sheet_window.h"

#include <algorithm>

namespace {

long codeOf(const db::Value& v) {
    return v.isNumber() ? static_cast<long>(v.toLong()) : 0;
}

// The selected spectra as positions in Code order, in selection order; with
// nothing selected the current one, which then shows as selected.
std::vector<int> selectedPositions(SheetWindow& w, const SheetEdit& edit) {
    db::Recordset& rs = w.Data1.recordset();
    platform::SelBookmarkList& selection = w.grdSpectra->SelBookmarks();
    if (selection.Count() == 0 && !rs.eof() && !rs.bof()) selection.Add(rs.Bookmark());
    std::vector<int> positions;
    for (int i = 0; i < selection.Count(); ++i) {
        const int pos = rs.positionOf(selection.Item(i));
        const int at = pos > 0 ? edit.positionOfCode(codeOf(rs.peek(pos, 0))) : 0;
        if (at > 0 && std::find(positions.begin(), positions.end(), at) == positions.end())
            positions.push_back(at);
    }
    return positions;
}

// Which of the chosen spectra may go: one that a formula of a spectrum that
// stays refers to, or its own formula, stays. A reference from another
// spectrum that goes too does not hold one back, whatever the order of the
// selection. Returns a flag per position.
std::vector<char> deletable(const SheetEdit& edit, const std::vector<int>& chosen) {
    const int n = edit.count();
    std::vector<char> gone(static_cast<size_t>(n) + 1, 0);
    for (int c : chosen)
        gone[static_cast<size_t>(c)] = 1;
    if (!edit.worksheet()) return gone;
    std::vector<std::vector<int>> usedBy(static_cast<size_t>(n) + 1);
    for (int q = 1; q <= n; ++q)
        for (const SpectrumRef& r :
             spectrumRefs(edit.records()[static_cast<size_t>(q - 1)].formula))
            if (r.number >= 1 && r.number <= n) usedBy[static_cast<size_t>(r.number)].push_back(q);
    for (bool changed = true; changed;) {
        changed = false;
        for (int c : chosen) {
            if (!gone[static_cast<size_t>(c)]) continue;
            for (int q : usedBy[static_cast<size_t>(c)])
                if (q == c || !gone[static_cast<size_t>(q)]) {
                    gone[static_cast<size_t>(c)] = 0;
                    changed = true;
                    break;
                }
        }
    }
    return gone;
}

// The deletion that Delete and Cut share.
void deleteSelected(SheetWindow& w, bool cut) {
    if (!endSheetEdits(w) || viewMadeStale(w)) return;
    db::Recordset& rs = w.Data1.recordset();
    if (!rs.isOpen()) return;
    if (BackupSheet(false)) return;
    if (cut) {
        const QString text = selectedSpectraText(w);
        platform::clearClipboard();
        platform::setClipboard(text);
    }
    SheetEdit edit(w);
    const int p0 = rs.AbsolutePosition();
    const std::vector<int> chosen = selectedPositions(w, edit);
    const std::vector<char> gone = deletable(edit, chosen);
    int going = 0;
    for (int c : chosen) {
        if (gone[static_cast<size_t>(c)]) {
            ++going;
            continue;
        }
        platform::MsgBox(QString("Can't delete spectrum S%1.  Formulae in other spectra refer to "
                                 "this one")
                             .arg(c));
    }
    if (going == 0) return;

    const int n = edit.count();
    // below[m]: spectra going before position m, for the references.
    std::vector<long> below(static_cast<size_t>(n) + 2, 0);
    for (int m = 1; m <= n; ++m)
        below[static_cast<size_t>(m + 1)] =
            below[static_cast<size_t>(m)] + gone[static_cast<size_t>(m)];
    const auto newNumber = [&below, n](long m) {
        if (m < 1) return m;
        return m - below[static_cast<size_t>(std::min<long>(m, n + 1))];
    };

    edit.begin();
    std::vector<std::pair<std::int64_t, long>> codes;
    long kept = 0;
    for (int q = 1; q <= n; ++q) {
        const SheetEdit::Record& r = edit.records()[static_cast<size_t>(q - 1)];
        if (gone[static_cast<size_t>(q)]) {
            edit.deleteRecord(r.rowid);
            continue;
        }
        if (r.code != ++kept) codes.emplace_back(r.rowid, kept);
        if (!r.formula.empty()) {
            const std::string renumbered = renumberRefs(r.formula, newNumber);
            if (renumbered != r.formula) edit.setFormula(r.rowid, renumbered);
        }
    }
    edit.renumber(codes);
    // A sheet never stays empty.
    if (kept == 0) {
        std::vector<db::Value> fields;
        if (!edit.worksheet())
            fields = {db::Value(), db::Value(), db::Value(), db::Value(),
                      db::Value(), db::Value(), db::Value(), db::Value("")};
        edit.insertRecord(1, fields);
    }
    edit.commit();
    showSheetChanges(w, p0, false);
}

} // namespace

void EditMenu::mnuEditDelete_Click() {
    SheetWindow* w = activeSheetWindow();
    if (!w) return;
    try {
        deleteSelected(*w, false);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void EditMenu::mnuEditCut_Click() {
    SheetWindow* w = activeSheetWindow();
    if (!w || w->sheetKind() != db::SheetKind::Worksheet) return;
    try {
        deleteSelected(*w, true);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void EditMenu::mnuEditInsert_Click() {
    SheetWindow* w = activeSheetWindow();
    if (!w || w->sheetKind() != db::SheetKind::Worksheet) return;
    try {
        if (!endSheetEdits(*w) || viewMadeStale(*w)) return;
        if (BackupSheet(false)) return;
        SheetEdit edit(*w);
        const int n = edit.count();
        int p = w->Data1.recordset().AbsolutePosition();
        if (p < 1 || p > n) p = n + 1;
        edit.begin();
        std::vector<std::pair<std::int64_t, long>> codes;
        for (int pos = 1; pos <= n; ++pos) {
            const SheetEdit::Record& r = edit.records()[static_cast<size_t>(pos - 1)];
            const long final = pos < p ? pos : pos + 1;
            if (r.code != final) codes.emplace_back(r.rowid, final);
        }
        edit.renumber(codes);
        UpdateSpecs(edit, p, 1);
        edit.insertRecord(p);
        edit.commit();
        showSheetChanges(*w, p, false);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void EditMenu::mnuEditNew_Click() {
    SheetWindow* w = activeSheetWindow();
    if (!w) return;
    platform::FlagGuard noRecalc(gNoRecalc);
    try {
        if (!endSheetEdits(*w) || viewMadeStale(*w)) return;
        if (BackupSheet(false)) return;
        std::vector<db::Value> fields;
        if (w->sheetKind() == db::SheetKind::Datasheet) {
            const auto& hook = datasheetEditHooks().newSpectrumType;
            const std::optional<QString> type = hook ? hook(*w) : std::optional<QString>(QString());
            if (!type) return;
            fields.resize(8);
            fields[7] = db::Value(type->toStdString());
        }
        SheetEdit edit(*w);
        const long code = edit.maxCode() + 1;
        edit.begin();
        edit.insertRecord(code, fields);
        edit.commit();
        showSheetChanges(*w, edit.count() + 1, false, code, TypeList::Keep);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
