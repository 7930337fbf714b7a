#include "editing/sheet_edit.h"

#include "editing/spectrum_refs.h"
#include "engine/globals.h"
#include "engine/recalc.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/flag_guard.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/sheet_display.h"
#include "sheets/sheet_window.h"
#include "sheets/view_hold.h"

#include <algorithm>
#include <limits>

namespace {

DatasheetEditHooks gHooks;

long codeOf(const db::Value& v) {
    return v.isNumber() ? static_cast<long>(v.toLong()) : 0;
}

// The band system of a window's sheet from its "Sheets List" row.
void sheetBands(SheetWindow& window, int& bandKind, int& firstBand) {
    db::Recordset& list = window.Data2.recordset();
    bandKind = 1;
    firstBand = 0;
    if (!list.isOpen() || list.eof() || list.bof()) return;
    const db::Value system = list.Fields("Octave/Third Octave").value();
    bandKind = system.isNumber() && system.toLong() == 2 ? 2 : 1;
    const db::Value first = list.Fields("First Band").value();
    firstBand = first.isNumber() ? static_cast<int>(first.toLong()) : 0;
}

} // namespace

SheetEdit::SheetEdit(SheetWindow& window) : window_(window) {
    db::Recordset& rs = window.Data1.recordset();
    if (!rs.isOpen()) throw db::Error("The sheet window shows no records");
    db_ = rs.database();
    table_ = window.sheetName().toStdString();
    if (db_->findTable(table_) != table_)
        throw db::Error("The table \"" + table_ + "\" is not in the file");
    def_ = db_->tableDef(table_);
    if (def_.fields.size() <= static_cast<size_t>(db::kFieldFormula))
        throw db::Error("The table \"" + table_ + "\" is not a sheet");
    worksheet_ = window.sheetKind() == db::SheetKind::Worksheet;
    sheetBands(window, bandKind_, firstBand_);
    if (def_.fields.size() < static_cast<size_t>(db::kFirstBandField + bandCount()))
        throw db::Error("The table \"" + table_ + "\" holds fewer bands than its sheet");

    std::string sql = "SELECT rowid, " + db::quoteIdent(def_.fields[0].name);
    if (worksheet_) sql += ", " + db::quoteIdent(def_.fields[db::kFieldFormula].name);
    sql += " FROM " + db::quoteIdent(table_) + " ORDER BY " + db::quoteIdent(def_.fields[0].name);
    db::Statement st(*db_, sql);
    while (st.step()) {
        Record r;
        r.rowid = st.column(0).toLong();
        r.code = codeOf(st.column(1));
        if (worksheet_) {
            const db::Value f = st.column(2);
            if (f.isText()) r.formula = f.text();
        }
        records_.push_back(std::move(r));
    }
}

SheetEdit::~SheetEdit() {
    // Statements end before the transaction rolls back.
    deleteSt_.reset();
    codeSt_.reset();
    formulaSt_.reset();
    updateSt_.reset();
    insertSt_.reset();
    tx_.reset();
}

int SheetEdit::positionOfCode(long code) const {
    const auto it = std::lower_bound(records_.begin(), records_.end(), code,
                                     [](const Record& r, long c) { return r.code < c; });
    return it != records_.end() && it->code == code ? static_cast<int>(it - records_.begin()) + 1
                                                    : 0;
}

long SheetEdit::maxCode() const {
    return records_.empty() ? 0 : records_.back().code;
}

void SheetEdit::begin() {
    tx_ = std::make_unique<db::Database::Transaction>(*db_);
    // The file's read lock, held to the end of the transaction.
    db_->scalar("SELECT count(*) FROM sqlite_schema");
    const SheetView view = sheetView(window_);
    if (view == SheetView::Current) return;
    tx_.reset();
    if (view == SheetView::Gone) throw db::Error(goneElsewhereText(window_).toStdString());
    showSheetChanges(window_, window_.Data1.recordset().AbsolutePosition(), false);
    throw db::Error(changedElsewhereText(window_).toStdString());
}

void SheetEdit::commit() {
    if (tx_) tx_->commit();
    tx_.reset();
}

db::Value SheetEdit::coerced(size_t field, const db::Value& v) const {
    return db::coerceForField(def_.fields.at(field), v);
}

db::Statement& SheetEdit::statement(std::unique_ptr<db::Statement>& slot, const std::string& sql) {
    if (!slot) slot = std::make_unique<db::Statement>(*db_, sql);
    slot->reset();
    return *slot;
}

void SheetEdit::deleteRecord(std::int64_t rowid) {
    db::Statement& st =
        statement(deleteSt_, "DELETE FROM " + db::quoteIdent(table_) + " WHERE rowid = ?");
    st.bind(1, db::Value(static_cast<long long>(rowid)));
    st.step();
}

void SheetEdit::renumber(const std::vector<std::pair<std::int64_t, long>>& codes) {
    if (codes.empty()) return;
    long top = maxCode();
    for (const auto& [rowid, code] : codes)
        top = std::max(top, code);
    // First every moving record to a Code above all old and new ones, then
    // each to its own.
    const long long base = static_cast<long long>(top) + 1;
    if (base + top > std::numeric_limits<std::int32_t>::max())
        throw db::Error("The spectra of \"" + table_ + "\" cannot be renumbered");
    db::Statement& st =
        statement(codeSt_, "UPDATE " + db::quoteIdent(table_) + " SET " +
                               db::quoteIdent(def_.fields[0].name) + " = ? WHERE rowid = ?");
    for (int phase = 0; phase < 2; ++phase)
        for (const auto& [rowid, code] : codes) {
            st.reset();
            st.bind(1, db::Value(phase == 0 ? base + code : static_cast<long long>(code)));
            st.bind(2, db::Value(static_cast<long long>(rowid)));
            st.step();
        }
}

void SheetEdit::setFormula(std::int64_t rowid, const std::string& formula) {
    db::Statement& st =
        statement(formulaSt_, "UPDATE " + db::quoteIdent(table_) + " SET " +
                                  db::quoteIdent(def_.fields[db::kFieldFormula].name) +
                                  " = ? WHERE rowid = ?");
    st.bind(1, coerced(db::kFieldFormula, db::Value(formula)));
    st.bind(2, db::Value(static_cast<long long>(rowid)));
    st.step();
}

void SheetEdit::updateFields(std::int64_t rowid, const std::vector<db::Value>& fields) {
    if (fields.size() > def_.fields.size())
        throw db::Error("The table \"" + table_ + "\" has fewer fields than the record written");
    std::vector<size_t> cols;
    for (size_t i = 1; i < fields.size(); ++i)
        if (!fields[i].isEmpty()) cols.push_back(i);
    if (cols.empty()) return;
    // One statement for records of one shape (every pasted record has it).
    if (cols != updateCols_) {
        updateSt_.reset();
        updateCols_ = cols;
    }
    if (!updateSt_) {
        std::string sql = "UPDATE " + db::quoteIdent(table_) + " SET ";
        for (size_t k = 0; k < cols.size(); ++k)
            sql += (k ? ", " : "") + db::quoteIdent(def_.fields[cols[k]].name) + " = ?";
        sql += " WHERE rowid = ?";
        updateSt_ = std::make_unique<db::Statement>(*db_, sql);
    }
    db::Statement& st = *updateSt_;
    st.reset();
    int n = 1;
    for (size_t c : cols)
        st.bind(n++, coerced(c, fields[c]));
    st.bind(n, db::Value(static_cast<long long>(rowid)));
    st.step();
}

void SheetEdit::insertRecord(long code, const std::vector<db::Value>& fields) {
    if (!insertSt_) {
        std::string cols, marks;
        for (size_t i = 0; i < def_.fields.size(); ++i) {
            cols += (i ? ", " : "") + db::quoteIdent(def_.fields[i].name);
            marks += i ? ", ?" : "?";
        }
        insertSt_ =
            std::make_unique<db::Statement>(*db_, "INSERT INTO " + db::quoteIdent(table_) + " (" +
                                                      cols + ") VALUES (" + marks + ")");
    }
    db::Statement& st = *insertSt_;
    st.reset();
    for (size_t i = 0; i < def_.fields.size(); ++i) {
        db::Value v;
        if (i == 0)
            v = db::Value(code);
        else if (i < fields.size() && !fields[i].isEmpty())
            v = coerced(i, fields[i]);
        else if (!def_.fields[i].defaultValue.isEmpty())
            v = coerced(i, def_.fields[i].defaultValue);
        else
            v = db::Value::null();
        st.bind(static_cast<int>(i) + 1, v);
    }
    st.step();
}

void UpdateSpecs(SheetEdit& edit, const std::function<long(long)>& newNumber) {
    if (!edit.worksheet()) return;
    for (const SheetEdit::Record& r : edit.records()) {
        if (r.formula.empty()) continue;
        const std::string renumbered = renumberRefs(r.formula, newNumber);
        if (renumbered != r.formula) edit.setFormula(r.rowid, renumbered);
    }
}

void UpdateSpecs(SheetEdit& edit, long threshold, long delta) {
    UpdateSpecs(edit, [threshold, delta](long m) { return m >= threshold ? m + delta : m; });
}

void showSheetChanges(SheetWindow& window, int position, bool recalc, long code, TypeList types) {
    db::Recordset& rs = window.Data1.recordset();
    if (window.grdSpectra) window.grdSpectra->SelBookmarks().Clear();
    {
        platform::FlagGuard busy(gBusy);
        rs.Requery();
        const int n = rs.RecordCount();
        if (code > 0)
            for (int pos = 1; pos <= n; ++pos)
                if (codeOf(rs.peek(pos, 0)) == code) position = pos;
        if (n > 0) rs.setAbsolutePosition(std::clamp(position, 1, n));
    }
    gActiveSheet = &window;
    if (window.sheetKind() == db::SheetKind::Datasheet && gHooks.recordsChanged)
        gHooks.recordsChanged(window, types);
    if (recalc) RecalcSheet();
    int bandKind = 1, firstBand = 0;
    sheetBands(window, bandKind, firstBand);
    const int bands = bandKind == 2 ? 30 : 10;
    FillChart(bands, firstBand);
    if (window.Lev(1)) FillLevBoxes(bands);
}

void setDatasheetEditHooks(DatasheetEditHooks hooks) {
    gHooks = std::move(hooks);
}

const DatasheetEditHooks& datasheetEditHooks() {
    return gHooks;
}

SheetWindow* activeSheetWindow() {
    if (gActiveKind != 1 && gActiveKind != 2) return nullptr;
    return dynamic_cast<SheetWindow*>(gActiveSheet);
}

bool viewMadeStale(SheetWindow& window) {
    // A file only viewed until now is taken for writing once free, on the
    // window as the file holds it.
    if (takeViewedFile(window.txtDBName->text(), &window) == Takeover::TakenChanged) {
        platform::MsgBox(takenChangedText(window.sheetName()), platform::vbExclamation);
        return true;
    }
    const SheetView view = sheetView(window);
    if (view == SheetView::Current) return false;
    // A sheet that is gone stays shown as it was, read-only.
    if (view == SheetView::Gone) return window.refusedAsStale(QString());
    showSheetChanges(window, window.Data1.recordset().AbsolutePosition(), false);
    platform::MsgBox(changedElsewhereText(window), platform::vbExclamation);
    return true;
}

bool endSheetEdits(SheetWindow& window) {
    if (window.grdSpectra) {
        window.grdSpectra->setEditActive(false);
        window.grdSpectra->Refresh();
    }
    db::Recordset& rs = window.Data1.recordset();
    if (!rs.isOpen() || !rs.editing()) return true;
    // Written only onto the records the window showed.
    if (window.refusedAsStale(window.typedNotStored())) return false;
    rs.Update();
    return true;
}
