#include "sheets/worksheet_window.h"

#include "engine/bands.h"
#include "engine/globals.h"
#include "engine/number_format.h"
#include "engine/recalc.h"
#include "engine/summary.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/grid_selection.h"
#include "sheets/level_display.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/sheet_display.h"
#include "sheets/view_hold.h"
#include "tables/globals.h"

#include <QAction>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QResizeEvent>
#include <QTableView>
#include <QTimer>

#include <cmath>

namespace {

constexpr int kKeyEnter = 13;
// The grid's column of a text typed or the stored value, compared as shown.
bool sameCellValue(const db::Value& a, const db::Value& b) {
    const auto number = [](const db::Value& v, double& out) {
        if (v.isNumber()) {
            out = v.toDouble();
            return true;
        }
        return v.isText() && db::parseNumber(v.text(), out);
    };
    double x = 0, y = 0;
    if (number(a, x) && number(b, y)) return x == y;
    return valueText(a) == valueText(b);
}

} // namespace

WorksheetWindow::WorksheetWindow(int nBands, View view, QWidget* parent)
    : SheetWindow(db::SheetKind::Worksheet, nBands, parent), view_(view) {
    setObjectName(nBands == 30 ? (view == Formula ? "frmWorksheet2B" : "frmWorksheet2A")
                               : (view == Formula ? "frmWorksheet1B" : "frmWorksheet1A"));
    setWindowTitle(nBands == 30 ? "Third-Octave Worksheet" : "Octave Worksheet");
    buildControls();
    Form_Load();
}

void WorksheetWindow::fillLists(int view) {
    for (int i = 1; i <= gSpectrumTypeCount; ++i)
        cmbType->addItem(QString::fromStdString(gSpectrumTypes[static_cast<size_t>(i)][1]));
    for (int i = 1; i <= gSummaryTypeCount; ++i) {
        cmbSum1->addItem(QString::fromStdString(gSummaryTypes[static_cast<size_t>(i)]));
        cmbSum2->addItem(QString::fromStdString(gSummaryTypes[static_cast<size_t>(i)]));
    }
    if (view == 2 && cmbDecimals) {
        for (const char* d : {"0", "1", "2", "3", "4"})
            cmbDecimals->addItem(d);
        cmbDecimals->setCurrentText("1");
    }
    optRecalCell->setChecked(true);
}

void WorksheetWindow::bound(int view, int bandKind) {
    if (view == 2 && bandKind == 2) grdSpectra->setLeftCol(4);
}

void WorksheetWindow::Form_Load() {
    mCellChanged = false;
    mLevelChanged = false;
}

int WorksheetWindow::firstBand() const {
    const db::Value v =
        const_cast<db::DataControl&>(Data2).recordset().Fields("First Band").value();
    return v.isNumber() ? static_cast<int>(v.toLong()) : 0;
}

void WorksheetWindow::Form_Activate() {
    const int n = bandCount();
    try {
        gActiveSheet = this;
        gActiveKind = 1;
        mFirstBand = firstBand();
        for (int j = 1; j <= n; ++j) {
            const int band = n == 30 ? mFirstBand + j - 1 : mFirstBand + 3 * (j - 1);
            const QString label =
                band >= 1 && band <= 48
                    ? QString::fromStdString(gBandLabel[static_cast<size_t>(band)])
                    : QString();
            if (view_ == Formula)
                LF(j)->setText(label);
            else
                grdSpectra->setCaption(3 + j, label);
        }
        RecalcSheet();
        gNextLev = 0;
        FillChart(n, mFirstBand);
        if (view_ == Formula) FillLevBoxes(n);
        SetMenus(kMenuWorksheet);
        if (QAction* a = menuItem("mnuWSViewSpread")) a->setChecked(view_ == Spreadsheet);
        if (QAction* a = menuItem("mnuWSViewFormula")) a->setChecked(view_ == Formula);
        applyEditability();
        txtNotes->setFocus();
        BackupSheet(true);
        // Another program's change of a file only viewed here shows at once.
        rereadViewedWindow(*this);
    } catch (const std::exception& e) {
        activationFailed_ = true;
        platform::MsgBox(QString::fromStdString(e.what()));
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    }
}

void WorksheetWindow::Form_Unload() {
    // What the user typed is kept: a level still in its box, a cell, and
    // the current record's pending edit.
    storePendingEdits();
    // A level still waiting for the row to change is stored with the
    // results it gives: the file never holds it beside results without it.
    if (!mCellChanged || !recalcWithPendingEdit()) commitRecord();
    CloseSheetForm(this);
}

// No record's fields while there is no current record (an empty sheet).
void WorksheetWindow::setFieldsEditable(bool writable, bool record) {
    for (int j = 1; j <= bandCount(); ++j)
        if (Lev(j)) Lev(j)->setReadOnly(!record);
    cmbType->setEnabled(record);
    cmbSum1->setEnabled(record);
    cmbSum2->setEnabled(record);
    if (txtFormula) {
        txtFormula->setReadOnly(!record);
        txtDescription->setReadOnly(!record);
    }
    txtNotes->setReadOnly(!writable);
}

void WorksheetWindow::Lev_LostFocus(int index) {
    const int n = bandCount();
    db::Recordset& rs = Data1.recordset();
    platform::gui::TextBox* box = Lev(index);
    bool changed = false;
    QString backupFailure;
    if (box && atRecord(rs)) {
        const std::optional<double> value = typedLevel(index);
        const QString notStored =
            " The level typed (" + box->text().trimmed() + ") was not stored.";
        if (value && !refusedAsStale(notStored)) {
            // The backup, the level and its recalculation are one commit.
            EditCommit edit(*this);
            // The level is stored even when its backup fails; the user hears which.
            BackupSheet(false, &backupFailure);
            edit.resume();
            try {
                rs.Fields(7 + index) = db::Value(*value);
                rs.Update();
                changed = true;
            } catch (const std::exception& e) {
                // The write may have found its record changed meanwhile.
                if (!refusedAsStale(notStored)) {
                    try {
                        rs.CancelUpdate();
                    } catch (const std::exception&) {
                    }
                    platform::MsgBox(QString::fromStdString(e.what()));
                    FillLevBoxes(n);
                }
            }
            if (changed) {
                if (optRecalCell->isChecked()) RecalcSheet();
                if (const std::optional<QString> failed = edit.commit()) {
                    changed = false;
                    platform::MsgBox(*failed);
                    FillChart(n, firstBand());
                    FillLevBoxes(n);
                }
            }
        }
    } else if (box && !box->text().isEmpty()) {
        box->setText(QString()); // no spectrum to hold it
    }
    if (changed) {
        mLevelChanged = true;
        FillChart(n, firstBand());
        FillLevBoxes(n);
        if (!backupFailure.isEmpty()) platform::MsgBox(keptWithoutUndo(backupFailure));
    }
    selectNextLev();
}

void WorksheetWindow::updateSummary(int which) {
    db::Recordset& rs = Data1.recordset();
    const int n = bandCount();
    mFirstBand = firstBand();
    BandArray bands;
    for (int j = 1; j <= n; ++j)
        bands[j] = bandValue(rs.Fields(7 + j).value());
    if (which & 1) {
        const int k = summaryTypeNumber(cmbSum1->Text().toStdString());
        rs.Fields("Summary 1 Val") = db::Value(CalcSummary(k, bands, mFirstBand, n));
    }
    if (which & 2) {
        const int k = summaryTypeNumber(cmbSum2->Text().toStdString());
        rs.Fields("Summary 2 Val") = db::Value(CalcSummary(k, bands, mFirstBand, n));
    }
    rs.Update();
}

void WorksheetWindow::cmbType_Click() {
    db::Recordset& rs = Data1.recordset();
    if (!atRecord(rs)) return;
    const QString typed = typedNotStored();
    try {
        if (refusedAsStale(typed)) return;
        backupBeforeEdit();
        const int t = spectrumTypeNumber(cmbType->Text().toStdString());
        const auto& row = gSpectrumTypes[static_cast<size_t>(t)];
        cmbSum1->setText(QString::fromStdString(row[2]));
        cmbSum2->setText(QString::fromStdString(row[3]));
        updateSummary(3);
    } catch (const std::exception& e) {
        // The write may have found its record changed meanwhile.
        if (refusedAsStale(typed)) return;
        platform::MsgBox(QString::fromStdString(e.what()));
        discardEdit();
    }
    FillChart(bandCount(), mFirstBand);
    if (view_ == Formula) FillLevBoxes(bandCount());
}

void WorksheetWindow::cmbSum1_Click() {
    db::Recordset& rs = Data1.recordset();
    if (!atRecord(rs)) return;
    const QString typed = typedNotStored();
    try {
        if (refusedAsStale(typed)) return;
        backupBeforeEdit();
        updateSummary(1);
    } catch (const std::exception& e) {
        // The write may have found its record changed meanwhile.
        if (refusedAsStale(typed)) return;
        platform::MsgBox(QString::fromStdString(e.what()));
        discardEdit();
    }
    FillChart(bandCount(), mFirstBand);
}

void WorksheetWindow::cmbSum2_Click() {
    db::Recordset& rs = Data1.recordset();
    if (!atRecord(rs)) return;
    const QString typed = typedNotStored();
    try {
        if (refusedAsStale(typed)) return;
        backupBeforeEdit();
        updateSummary(2);
    } catch (const std::exception& e) {
        // The write may have found its record changed meanwhile.
        if (refusedAsStale(typed)) return;
        platform::MsgBox(QString::fromStdString(e.what()));
        discardEdit();
    }
    FillChart(bandCount(), mFirstBand);
}

bool WorksheetWindow::recalcWithPendingEdit() {
    db::Recordset& rs = Data1.recordset();
    std::optional<EditCommit> edit;
    if (rs.isOpen() && rs.editing()) edit.emplace(*this);
    // The pass counts the cell still on its row: nothing is left to redo.
    mCellChanged = false;
    if (!commitRecord()) return false;
    {
        // The pass is this window's, also where another is active by now (at
        // exit every window closes): the edit's commit holds this file.
        db::SheetForm* const active = gActiveSheet;
        gActiveSheet = this;
        RecalcSheet();
        if (gActiveSheet == this) gActiveSheet = active;
    }
    if (edit)
        if (const std::optional<QString> failed = edit->commit()) {
            platform::MsgBox(*failed);
            FillChart(bandCount(), firstBand());
            if (view_ == Formula) FillLevBoxes(bandCount());
            return false;
        }
    return true;
}

void WorksheetWindow::cmbDecimals_Click() {
    recalcWithPendingEdit();
    grdSpectra->Refresh(); // the band cells show the new number of decimals
}

void WorksheetWindow::txtNotes_Change() {
    db::Recordset& row = Data2.recordset();
    try {
        if (row.isOpen()) row.Move(0);
    } catch (const std::exception& e) {
        // Never dropped without a word: the notes typed are in the message.
        platform::MsgBox(QString::fromStdString(e.what()) + ". What was typed was not stored:\n\n" +
                         txtNotes->toPlainText());
        try {
            row.CancelUpdate();
            row.Move(0); // the notes as stored
        } catch (const std::exception&) {
        }
    }
}

void WorksheetWindow::txtNotes_LostFocus() {
    txtNotes_Change();
}

void WorksheetWindow::txtRecalc_LostFocus() {
    recalcWithPendingEdit();
    FillChart(bandCount(), firstBand());
}

void WorksheetWindow::txtFormula_KeyDown(int keyCode, int) {
    if (keyCode != kKeyEnter) return;
    commitRecord();
    txtDescription->setFocus();
}

void WorksheetWindow::txtDescription_KeyDown(int keyCode, int) {
    if (keyCode != kKeyEnter) return;
    commitRecord();
    txtFormula->setFocus();
}

void WorksheetWindow::txtFormula_LostFocus() {
    if (gNoRecalc) return;
    if (!recalcWithPendingEdit()) return; // the recalculation must see the new formula
    FillChart(bandCount(), firstBand());
}

QString WorksheetWindow::GrdFmt_Format(const db::Value& dataValue) const {
    if (dataValue.isNull() || dataValue.isEmpty()) return QString();
    const double v = dataValue.isNumber() ? dataValue.toDouble()
                                          : readNumber(QString::fromStdString(dataValue.toText()));
    if (v == kNoValue) return ".";
    if (v == kMarked) return "X";
    if (v == kErrorValue) return "#ERR";
    if (!std::isfinite(v)) return QString::fromStdString(dataValue.toText());
    const QString d = cmbDecimals ? cmbDecimals->currentText() : QString("1");
    const int decimals = d == "0" ? 0 : d == "2" ? 2 : d == "3" ? 3 : d == "4" ? 4 : 1;
    return QString::fromStdString(formatFixed(v, decimals, true));
}

void WorksheetWindow::grdSpectra_BeforeColUpdate(int colIndex, const db::Value& oldValue,
                                                 db::Value& newValue, bool& cancel) {
    if (sameCellValue(oldValue, newValue)) return;
    if (view_ == Formula) {
        if (colIndex == 2) mCellChanged = true;
    } else if (colIndex >= 4) {
        const QString t = QString::fromStdString(valueText(newValue)).trimmed();
        double level = kNoValue;
        const TypedLevel read = levelFromText(t, level);
        if (read != TypedLevel::Level) {
            // The cell keeps its stored level; the message waits until the
            // grid is done with its editor.
            cancel = true;
            QTimer::singleShot(0, this, [read, t] {
                platform::MsgBox(typedLevelRefusal(read, t), platform::vbExclamation);
            });
            return;
        }
        mCellChanged = true;
        // A band cell marks nothing: "X" there is no value, as "." is.
        newValue = db::Value(level == kMarked ? kNoValue : level);
    }
    backupBeforeEdit(); // the file still holds the sheet before this edit
}

void WorksheetWindow::grdSpectra_KeyDown(int& keyCode, int shift) {
    selectionKeyDown(*this, keyCode, shift);
    if (view_ == Formula && keyCode == kKeyEnter && grdSpectra->Col() == 2) {
        if (!recalcWithPendingEdit()) return;
        FillChart(bandCount(), firstBand());
        FillLevBoxes(bandCount());
    }
}

void WorksheetWindow::grdSpectra_RowColChange(const db::Value& lastRow, int) {
    if (gBusy) return;
    try {
        if (view_ == Formula) {
            if (mCellChanged) recalcWithPendingEdit();
            FillChart(bandCount(), firstBand());
            FillLevBoxes(bandCount());
        } else if (mCellChanged && (optRecalCell->isChecked() || !lastRow.isEmpty())) {
            recalcWithPendingEdit();
            FillChart(bandCount(), firstBand());
        }
        selectionRowColChange(*this);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void WorksheetWindow::Data1_MoveComplete() {
    editBackedUp_ = false;
    if (gBusy) return;
    applyEditability();
    try {
        const int n = bandCount();
        if (view_ == Formula) {
            const bool recalc = !optRecalCell->isChecked() && mLevelChanged;
            mLevelChanged = false;
            if (recalc) RecalcSheet();
            FillChart(n, firstBand());
            FillLevBoxes(n);
        } else {
            FillChart(n, firstBand());
        }
    } catch (const std::exception&) {
        // a move never stops on a redraw
    }
}

WorksheetWindow* newWorksheetWindow(int bandKind, int view) {
    if (bandKind == 2) {
        if (view == 2) return new frmWorksheet2A;
        return new frmWorksheet2B;
    }
    if (view == 2) return new frmWorksheet1A;
    return new frmWorksheet1B;
}
