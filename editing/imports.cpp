// Edit > Paste From > CEL SoundTrack and > Insul48.
#include "editing/imports.h"

#include "editing/edit_menu.h"
#include "editing/paste_data.h"
#include "editing/sheet_edit.h"
#include "editing/spectrum_text.h"
#include "platform/db/recordset.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/level_display.h"
#include "sheets/sheet_window.h"
#include "tables/band_table.h"

#include <cmath>

namespace {

ListPicker gPicker;

// The cells of the working record; its data row is array row 2.
constexpr int kRow = 2;
constexpr int kFieldCells = 8;

// Band-table index of a frequency, or 0. Labels are nominal values and the
// kilohertz ones pass through a decimal product, so equal means within a
// part in a million.
int bandIndexOf(double hertz) {
    if (!(hertz > 0)) return 0;
    for (int i = 1; i <= kBandTableSize; ++i) {
        const double f = gBandFreq[static_cast<size_t>(i)];
        if (std::abs(f - hertz) <= f * 1e-6) return i;
    }
    return 0;
}

// A band row's label as a band-table index ("12" is the 12.5 Hz band), or 0.
int labelBand(const QString& cell) {
    QString label = cell;
    double hertz = CELDecode(label);
    if (hertz == 12) hertz = 12.5;
    return bandIndexOf(hertz);
}

void refreshGrid(SheetWindow& w) {
    if (!w.grdSpectra) return;
    w.grdSpectra->setEditActive(false);
    w.grdSpectra->Refresh();
}

// The active worksheet window; the imports write worksheets only.
SheetWindow* activeWorksheet() {
    SheetWindow* w = activeSheetWindow();
    return w && w->sheetKind() == db::SheetKind::Worksheet ? w : nullptr;
}

// Writes the working record into the window's current record, backup first,
// in one transaction, and shows the result recalculated.
void writeCurrentRecord(SheetWindow& w, const PasteArray& work, const PasteSource& source) {
    if (BackupSheet(false)) return;
    db::Recordset& rs = w.Data1.recordset();
    const int p = rs.AbsolutePosition();
    if (p < 1 || p > rs.RecordCount()) return; // no current spectrum to write
    SheetEdit edit(w);
    const db::Value code = rs.peek(p, 0);
    const int at = edit.positionOfCode(code.isNumber() ? static_cast<long>(code.toLong()) : 0);
    if (at == 0) throw db::Error("The spectrum is no longer in the file");
    const PasteTarget target{edit.bandKind(), edit.firstBand()};
    const std::vector<db::Value> fields = pastedFields(work, kRow - 1, target, source, false);
    edit.begin();
    edit.updateFields(edit.records()[static_cast<size_t>(at - 1)].rowid, fields);
    edit.commit();
    showSheetChanges(w, p, true);
}

// The meter export read: where its bands are and which column was chosen.
struct MeterExport {
    int headerRow = 0;
    int firstBandRow = 0;
    int bandRows = 0;
    int sourceKind = 1;
    int firstBand = 0;
};

// Finds the band table after the header row. Its first label alone says
// which bands the export holds: a third below an octave centre (25 Hz)
// starts third-octave data, an octave centre (31.5 Hz) octave data, and the
// third above one (20 Hz) starts neither. Returns "" or the refusal.
QString readBandTable(const PasteArray& data, MeterExport& out) {
    int r = out.headerRow + 1;
    while (r <= data.rowCount() && (data.cell(r, 1) == QLatin1String("Broadband") ||
                                    data.cell(r, 1) == QLatin1String("Hz")))
        ++r;
    if (r > data.rowCount()) return kMsgInvalidFormat;
    out.firstBandRow = r;
    const int first = labelBand(data.cell(r, 1));
    if (first == 0) return kMsgInvalidFormat;
    if (first % 3 == 0) return kMsgInvalidFirstBand;
    out.sourceKind = first % 3 == 1 ? 2 : 1;
    out.firstBand = first;
    // The rows that follow are the next bands in turn; the table ends where
    // a row is labelled with no band frequency (a total, a note).
    while (r <= data.rowCount() && labelBand(data.cell(r, 1)) != 0) {
        ++out.bandRows;
        ++r;
    }
    return {};
}

QString blankLevel(const QString& level) {
    return level == QLatin1String("---.-") || level == QLatin1String("--.--")
               ? QStringLiteral("-999")
               : level;
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

// A cell holding a number and nothing else (a decimal comma included).
bool isNumber(const QString& cell) {
    if (decimalCommaNumber(cell)) return true;
    bool ok = false;
    const double v = cell.trimmed().toDouble(&ok);
    return ok && std::isfinite(v);
}

} // namespace

double CELDecode(QString& label) {
    if (label.isEmpty()) return 0;
    const qsizetype k = label.indexOf(QLatin1Char('k'));
    if (k < 0) return readNumber(label);
    QString text = label;
    text[k] = QLatin1Char('.');
    const double hertz = readNumber(text) * 1000;
    label = QString::fromStdString(clipboardNumber(hertz));
    return hertz;
}

void setImportPicker(ListPicker picker) {
    gPicker = std::move(picker);
}

void EditMenu::mnuEditPasteFromCEL_Click() {
    SheetWindow* w = activeWorksheet();
    if (!w) return;
    try {
        if (!endSheetEdits(*w) || viewMadeStale(*w)) return;
        PasteArray data;
        // Rows of different lengths are what a meter export looks like.
        const QString message = DecodePaste(data);
        if (!message.isEmpty() && message != QLatin1String(kMsgNotRectangular)) {
            platform::MsgBox(message);
            return;
        }
        MeterExport ex;
        for (int r = 1; r < data.rowCount() && ex.headerRow == 0; ++r)
            if (data.cell(r, 1).startsWith(QLatin1String("Band"))) ex.headerRow = r;
        QString refusal = data.rowCount() < 3 || ex.headerRow == 0 ? QString(kMsgInvalidFormat)
                                                                   : readBandTable(data, ex);
        if (!refusal.isEmpty()) {
            refreshGrid(*w);
            platform::MsgBox(refusal);
            return;
        }

        const int startColumn = data.cell(ex.headerRow, 3).startsWith(QLatin1Char('T')) ? 2 : 3;
        QStringList columns;
        for (int c = startColumn; c <= data.cellCount(ex.headerRow); ++c)
            columns << data.cell(ex.headerRow, c);
        const std::optional<int> picked =
            gPicker ? gPicker(kCaptionPickColumn, columns) : std::nullopt;
        if (!picked || *picked < 0 || *picked >= columns.size()) return;
        const int column = startColumn + *picked;
        const QString& header = columns[*picked];

        PasteArray work;
        work.setCell(kRow, 2, fileNameOf(data.cell(1, 1)) + ": " + header);
        if (header.startsWith(QLatin1Char('T'))) {
            work.setCell(kRow, 3, "Reverberation Time");
        } else {
            work.setCell(kRow, 3, "Sound Level");
            work.setCell(kRow, 4, "dBA");
            work.setCell(kRow, 6, "dBL");
        }
        for (int k = 1; k <= ex.bandRows; ++k)
            work.setCell(kRow, kFieldCells + k,
                         blankLevel(data.cell(ex.firstBandRow + k - 1, column)));
        const PasteSource source{kFieldCells + ex.bandRows, ex.sourceKind, ex.firstBand};
        writeCurrentRecord(*w, work, source);
    } catch (const std::exception& e) {
        refreshGrid(*w);
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void EditMenu::mnuEditPasteFromIns_Click() {
    // The prediction's table: the thirds 50 Hz to 5000 Hz, the loss in cell 2.
    constexpr int kInsulBands = 21;
    constexpr int kInsulFirstBand = 16;
    SheetWindow* w = activeWorksheet();
    if (!w) return;
    try {
        if (!endSheetEdits(*w) || viewMadeStale(*w)) return;
        PasteArray data;
        const QString message = DecodePaste(data);
        if (!message.isEmpty()) {
            platform::MsgBox(message);
            return;
        }
        bool valid = data.rowCount() >= kInsulBands;
        for (int r = 1; valid && r <= kInsulBands; ++r)
            valid = isNumber(data.cell(r, 2));
        if (!valid) {
            refreshGrid(*w);
            platform::MsgBox(kMsgInvalidFormat);
            return;
        }
        PasteArray work;
        work.setCell(kRow, 2, "Insul TL spectrum");
        work.setCell(kRow, 3, "Transmission Loss");
        work.setCell(kRow, 4, "Rw");
        work.setCell(kRow, 6, "STC");
        for (int k = 1; k <= kInsulBands; ++k)
            work.setCell(kRow, kFieldCells + k, data.cell(k, 2).trimmed());
        const PasteSource source{kFieldCells + kInsulBands, 2, kInsulFirstBand};
        writeCurrentRecord(*w, work, source);
    } catch (const std::exception& e) {
        refreshGrid(*w);
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
