// Edit > Paste and Edit > Paste Insert: clipboard spectrum text written over
// the records from the cursor on, or inserted as new spectra at the cursor.
#include "editing/edit_menu.h"
#include "editing/paste_data.h"
#include "editing/sheet_edit.h"
#include "engine/summary.h"
#include "platform/db/recordset.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/level_display.h"
#include "sheets/sheet_window.h"
#include "tables/type_tables.h"

namespace {

long codeOf(const db::Value& v) {
    return v.isNumber() ? static_cast<long>(v.toLong()) : 0;
}

void refreshGrid(SheetWindow& w) {
    if (!w.grdSpectra) return;
    w.grdSpectra->setEditActive(false);
    w.grdSpectra->Refresh();
}

// Decodes and checks the clipboard; false after the message that refuses it.
bool readClipboardSpectra(SheetWindow& w, PasteArray& data, PasteSource& source) {
    const QString message = DecodePaste(data);
    if (!message.isEmpty()) {
        platform::MsgBox(message);
        return false;
    }
    if (!readPasteSource(data, source)) {
        refreshGrid(w);
        platform::MsgBox(kMsgWrongFormat);
        return false;
    }
    return true;
}

// Whether the formulas of the data go in: a worksheet asks when any row
// holds one; a datasheet's cell 8 is its Select Type and always goes in.
bool askWithFormula(const SheetWindow& w, const PasteArray& data) {
    if (w.sheetKind() != db::SheetKind::Worksheet) return true;
    for (int r = 2; r <= data.rowCount(); ++r)
        if (!data.cell(r, 8).isEmpty())
            return platform::MsgBox(kMsgFormulaQuestion, platform::vbYesNo) == platform::vbYes;
    return false;
}

// The type of spectra pasted into a datasheet: the filter's, or the user's
// choice under "<All>". False when the user cancelled or chose none.
bool chooseDatasheetType(SheetWindow& w, QString& type) {
    const auto& hook = datasheetEditHooks().newSpectrumType;
    const std::optional<QString> chosen = hook ? hook(w) : std::optional<QString>(QString());
    if (!chosen) return false;
    type = *chosen;
    return true;
}

// A datasheet runs no recalculation: the pasted record's summaries are
// rated here, after the band conversion, so the source's texts never stay.
void rateDatasheetRecord(std::vector<db::Value>& fields, const PasteTarget& target) {
    const int n = target.bandCount();
    BandArray bands;
    for (int j = 1; j <= n; ++j)
        bands[j] = 7 + static_cast<size_t>(j) < fields.size()
                       ? bandValue(fields[7 + static_cast<size_t>(j)])
                       : -999.0;
    for (const size_t typeField : {size_t(3), size_t(5)}) {
        const db::Value& t = fields[typeField];
        const std::string name = t.isNull() || t.isEmpty() ? std::string() : t.toText();
        fields[typeField + 1] =
            db::Value(CalcSummary(summaryTypeNumber(name), bands, target.firstBand, n));
    }
}

} // namespace

void EditMenu::mnuEditPaste_Click() {
    SheetWindow* w = activeSheetWindow();
    if (!w) return;
    try {
        if (!endSheetEdits(*w) || viewMadeStale(*w)) return;
        PasteArray data;
        PasteSource source;
        if (!readClipboardSpectra(*w, data, source)) return;
        if (BackupSheet(false)) return;
        const bool worksheet = w->sheetKind() == db::SheetKind::Worksheet;
        QString type;
        if (!worksheet && !chooseDatasheetType(*w, type)) return;
        const bool withFormula = askWithFormula(*w, data);
        // Another program may have changed the spectra while the questions were open.
        if (viewMadeStale(*w)) return;

        db::Recordset& rs = w->Data1.recordset();
        const int p = rs.AbsolutePosition();
        const int n = rs.RecordCount();
        SheetEdit edit(*w);
        const PasteTarget target{edit.bandKind(), edit.firstBand()};
        edit.begin();
        // Rows beyond the last record are dropped: Paste adds no record.
        for (int r = 1, pos = p; pos >= 1 && pos <= n && r < data.rowCount(); ++r, ++pos) {
            const int at = edit.positionOfCode(codeOf(rs.peek(pos, 0)));
            if (at == 0) throw db::Error("A spectrum of the window is no longer in the file");
            std::vector<db::Value> fields = pastedFields(data, r, target, source, withFormula);
            if (!worksheet) {
                fields[7] = db::Value(type.toStdString());
                rateDatasheetRecord(fields, target);
            }
            edit.updateFields(edit.records()[static_cast<size_t>(at - 1)].rowid, fields);
        }
        edit.commit();
        showSheetChanges(*w, p, worksheet, 0, TypeList::Keep);
    } catch (const std::exception& e) {
        refreshGrid(*w);
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void EditMenu::mnuEditPasteInsert_Click() {
    SheetWindow* w = activeSheetWindow();
    if (!w) return;
    try {
        if (!endSheetEdits(*w) || viewMadeStale(*w)) return;
        PasteArray data;
        PasteSource source;
        if (!readClipboardSpectra(*w, data, source)) return;
        if (BackupSheet(false)) return;
        const bool worksheet = w->sheetKind() == db::SheetKind::Worksheet;
        // Position 7 of a datasheet is its type, taken as Paste takes it,
        // never the source's cell 8 (a worksheet's formula).
        QString type;
        if (!worksheet && !chooseDatasheetType(*w, type)) return;
        const bool withFormula = askWithFormula(*w, data);
        // Another program may have changed the spectra while the questions were open.
        if (viewMadeStale(*w)) return;

        db::Recordset& rs = w->Data1.recordset();
        SheetEdit edit(*w);
        const PasteTarget target{edit.bandKind(), edit.firstBand()};
        const int added = data.rowCount() - 1;
        const int n = edit.count();
        int p = rs.AbsolutePosition();
        if (p < 1 || p > n) p = n + 1; // past the last record: added at the end
        edit.begin();
        if (worksheet) {
            // Spectra p ... n move down to make room; references follow them.
            std::vector<std::pair<std::int64_t, long>> codes;
            for (int pos = 1; pos <= n; ++pos) {
                const SheetEdit::Record& r = edit.records()[static_cast<size_t>(pos - 1)];
                const long final = pos < p ? pos : pos + added;
                if (r.code != final) codes.emplace_back(r.rowid, final);
            }
            edit.renumber(codes);
            UpdateSpecs(edit, p, added);
            for (int r = 1; r <= added; ++r)
                edit.insertRecord(p + r - 1, pastedFields(data, r, target, source, withFormula));
        } else {
            // A datasheet adds them after its highest number.
            const long top = edit.maxCode();
            for (int r = 1; r <= added; ++r) {
                std::vector<db::Value> fields = pastedFields(data, r, target, source, true);
                fields[7] = db::Value(type.toStdString());
                rateDatasheetRecord(fields, target);
                edit.insertRecord(top + r, fields);
            }
        }
        edit.commit();
        showSheetChanges(*w, p, worksheet, 0, TypeList::Keep);
    } catch (const std::exception& e) {
        refreshGrid(*w);
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
