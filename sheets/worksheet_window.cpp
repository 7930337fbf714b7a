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
#include "tables/globals.h"

#include <QAction>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QResizeEvent>
#include <QTableView>

#include <cmath>

namespace {

constexpr int kKeyEnter = 13;
// A spectrum's number is its place in the sheet, kept by the Edit commands.
constexpr bool kNumberReadOnly = true;

int px(int twips) {
    return platform::twipsToPixels(twips);
}

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

void WorksheetWindow::buildControls() {
    const int n = bandCount();
    grdSpectra = platform::gui::makeNamed<platform::DataGrid>(this, "grdSpectra");
    chtDisp = platform::gui::makeNamed<platform::gui::Chart>(this, "chtDisp");

    if (view_ == Spreadsheet) {
        lblDescription = platform::gui::makeNamed<QLabel>(this, "lblDescription", "Spectrum:");
        txtDescription =
            platform::gui::makeNamed<platform::gui::BoundTextBox>(this, "txtDescription");
        lblDescription->setBuddy(txtDescription);
        lblFormula = platform::gui::makeNamed<QLabel>(this, "lblFormula", "Formula:");
        txtFormula = platform::gui::makeNamed<platform::gui::BoundTextBox>(this, "txtFormula");
        lblFormula->setBuddy(txtFormula);
    } else {
        fraSpectrum = platform::gui::makeNamed<QGroupBox>(this, "fraSpectrum", "Spectrum:");
        buildLevelBoxes(fraSpectrum);
    }

    fraType =
        platform::gui::makeNamed<QGroupBox>(this, "fraType", "Spectrum Type and Descriptors:");
    cmbType = platform::gui::makeNamed<platform::gui::BoundComboBox>(fraType, "cmbType");
    cmbSum1 = platform::gui::makeNamed<platform::gui::BoundComboBox>(fraType, "cmbSum1");
    cmbSum2 = platform::gui::makeNamed<platform::gui::BoundComboBox>(fraType, "cmbSum2");
    fraRecalc = platform::gui::makeNamed<QGroupBox>(this, "fraRecalc", "Re-Calculate:");
    optRecalRecord =
        platform::gui::makeNamed<QRadioButton>(fraRecalc, "optRecalRecord", "On Changing Records");
    optRecalCell =
        platform::gui::makeNamed<QRadioButton>(fraRecalc, "optRecalCell", "On Changing Cells");
    txtRecalc = platform::gui::makeNamed<platform::gui::TextBox>(this, "txtRecalc");
    txtRecalc->setToolTip("Leave this box to recalculate the worksheet");
    lblNotes = platform::gui::makeNamed<QLabel>(this, "lblNotes", "Notes:");
    txtNotes = platform::gui::makeNamed<platform::gui::BoundMultiLineTextBox>(this, "txtNotes");
    lblNotes->setBuddy(txtNotes);
    if (view_ == Spreadsheet) {
        lblDecimals = platform::gui::makeNamed<QLabel>(this, "lblDecimals", "Show Decimal Places:");
        cmbDecimals = platform::gui::makeNamed<QComboBox>(this, "cmbDecimals");
        lblDecimals->setBuddy(cmbDecimals);
    }

    // Bindings: the combos and text boxes to the current spectrum, the notes
    // to the sheet's catalogue row.
    cmbType->bind(Data1, "Type");
    cmbSum1->bind(Data1, "Summary 1 Type");
    cmbSum2->bind(Data1, "Summary 2 Type");
    txtNotes->bind(Data2, "Notes");
    if (txtFormula) {
        txtFormula->bind(Data1, "Formula");
        txtDescription->bind(Data1, "Description");
    }
    grdSpectra->setDataSource(&Data1);

    connect(cmbType, &platform::gui::ComboBox::Click, this, &WorksheetWindow::cmbType_Click);
    connect(cmbSum1, &platform::gui::ComboBox::Click, this, &WorksheetWindow::cmbSum1_Click);
    connect(cmbSum2, &platform::gui::ComboBox::Click, this, &WorksheetWindow::cmbSum2_Click);
    if (n == 30)
        connect(txtNotes, &platform::gui::MultiLineTextBox::Change, this,
                &WorksheetWindow::txtNotes_Change);
    else
        connect(txtNotes, &platform::gui::MultiLineTextBox::LostFocus, this,
                &WorksheetWindow::txtNotes_LostFocus);
    connect(txtRecalc, &platform::gui::TextBox::LostFocus, this,
            &WorksheetWindow::txtRecalc_LostFocus);
    if (txtFormula) {
        connect(txtFormula, &platform::gui::TextBox::KeyDown, this,
                &WorksheetWindow::txtFormula_KeyDown);
        connect(txtFormula, &platform::gui::TextBox::LostFocus, this,
                &WorksheetWindow::txtFormula_LostFocus);
        connect(txtDescription, &platform::gui::TextBox::KeyDown, this,
                &WorksheetWindow::txtDescription_KeyDown);
        for (auto* box : {txtFormula, txtDescription})
            connect(box, &QLineEdit::textEdited, this, [this] { backupBeforeEdit(); });
        connect(cmbDecimals, &QComboBox::activated, this, &WorksheetWindow::cmbDecimals_Click);
    }
    connect(grdSpectra, &platform::DataGrid::BeforeColUpdate, this,
            &WorksheetWindow::grdSpectra_BeforeColUpdate);
    connect(grdSpectra, &platform::DataGrid::KeyDown, this, &WorksheetWindow::grdSpectra_KeyDown);
    connect(grdSpectra, &platform::DataGrid::RowColChange, this,
            &WorksheetWindow::grdSpectra_RowColChange);
    connect(grdSpectra, &platform::DataGrid::DblClick, this, &WorksheetWindow::grdSpectra_DblClick);
    connect(grdSpectra, &platform::DataGrid::Error, this, &WorksheetWindow::grdSpectra_Error);
    connect(&Data1, &db::DataControl::MoveComplete, this, &WorksheetWindow::Data1_MoveComplete);

    // Grid columns; band headings follow at activation.
    if (view_ == Formula) {
        grdSpectra->setColumns({{"Code", "Spectrum", kNumberReadOnly},
                                {"Description", "Description"},
                                {"Formula", "Formula"},
                                {"Summary 1 Val", "Summary 1 Val"},
                                {"Summary 2 Val", "Summary 2 Val"}});
    } else {
        std::vector<platform::GridColumn> cols = {{"Code", "Spectrum", kNumberReadOnly},
                                                  {"Description", "Description"},
                                                  {"Summary 1 Val", "Summary 1 Val"},
                                                  {"Summary 2 Val", "Summary 2 Val"}};
        for (int j = 1; j <= n; ++j)
            cols.push_back({"L" + std::to_string(j), QString("L%1").arg(j)});
        grdSpectra->setColumns(cols);
        grdSpectra->setFrozenColumns(4);
        for (int c = 4; c < n + 4; ++c)
            grdSpectra->setColumnWidth(c, 825);
        // GrdFmt: the display format of every band column.
        for (int c = 4; c < n + 4; ++c)
            grdSpectra->setColumnFormat(
                c, [this](int, const db::Value& v) { return GrdFmt_Format(v); });
    }

    const int widths[] = {900, 2400, view_ == Formula ? 3800 : 1500, 1500, 1500};
    for (int c = 0; c < (view_ == Formula ? 5 : 4); ++c)
        grdSpectra->setColumnWidth(c, c < 2 ? widths[c] : view_ == Formula ? widths[c] : 1500);

    // Tab order: the grid, then what edits the current spectrum, then the rest.
    QWidget* previous = grdSpectra;
    const auto tab = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    if (view_ == Spreadsheet) {
        QWidget::setTabOrder(txtDescription, txtFormula);
        QWidget::setTabOrder(txtFormula, grdSpectra);
    } else {
        for (int j = 1; j <= n; ++j)
            tab(Lev(j));
    }
    tab(cmbType);
    tab(cmbSum1);
    tab(cmbSum2);
    tab(optRecalCell);
    tab(optRecalRecord);
    tab(txtRecalc);
    if (cmbDecimals) tab(cmbDecimals);
    tab(txtNotes);

    // The Edit menu's shortcuts reach the menu from every box of the window.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    layoutControls();
}

// Places the controls for the window's width: the grid on top (its height is
// the grid's own, toggled by a double click), the current spectrum below,
// then the type, recalculation and notes on the left and the chart on the
// right.
void WorksheetWindow::layoutControls() {
    const int w = width();
    const int h = height();
    const int margin = 6;
    const int n = bandCount();
    int y = margin;
    if (view_ == Spreadsheet) {
        lblDescription->setGeometry(margin, y + 3, 64, 20);
        txtDescription->setGeometry(margin + 66, y, (w - 3 * margin) / 2 - 66, 24);
        const int x2 = w / 2 + margin / 2;
        lblFormula->setGeometry(x2, y + 3, 56, 20);
        txtFormula->setGeometry(x2 + 58, y, w - x2 - 58 - margin, 24);
        y += 30;
    }
    // A window taller than it opens gives the grid the extra rows.
    const int shortGrid = px(view_ == Spreadsheet ? 3402
                             : n == 30            ? 2555
                                                  : 2918) +
                          heightBeyondOpening(view_ == Spreadsheet ? 7500 : 7600);
    const int gridHeight = gridTall() ? px(tallGridTwips(y)) : shortGrid;
    grdSpectra->setGeometry(margin, y, w - 2 * margin, gridHeight);
    y += shortGrid + margin;

    if (fraSpectrum) {
        const int rows = n / (n == 30 ? 15 : 10);
        const int frameH = 22 + rows * 42;
        fraSpectrum->setGeometry(margin, y, w - 2 * margin, frameH);
        layoutLevelBoxes(w - 2 * margin, 42, 16);
        y += frameH + margin;
    }

    // Left: type, recalculation, decimals and notes; right: the chart.
    const int leftW = 344;
    const int bottom = h - margin;
    fraType->setGeometry(margin, y, leftW, 54);
    const int comboW = (leftW - 32) / 4;
    cmbType->setGeometry(8, 22, 2 * comboW, 24);
    cmbSum1->setGeometry(16 + 2 * comboW, 22, comboW, 24);
    cmbSum2->setGeometry(24 + 3 * comboW, 22, comboW, 24);
    int ly = y + 54 + margin;
    fraRecalc->setGeometry(margin, ly, leftW - 34, 48);
    optRecalCell->setGeometry(8, 22, 134, 20);
    optRecalRecord->setGeometry(144, 22, leftW - 34 - 146, 20);
    txtRecalc->setGeometry(margin + leftW - px(375), ly + 24, px(375), px(195));
    ly += 48 + margin;
    if (cmbDecimals) {
        lblDecimals->setGeometry(margin, ly + 3, 140, 20);
        cmbDecimals->setGeometry(margin + 142, ly, 60, 24);
        ly += 28;
    }
    lblNotes->setGeometry(margin, ly, leftW, 18);
    txtNotes->setGeometry(margin, ly + 18, leftW, std::max(24, bottom - ly - 18));
    chtDisp->setGeometry(2 * margin + leftW, y, w - 3 * margin - leftW, std::max(60, bottom - y));
    grdSpectra->raise();
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
    commitRecord();
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
        if (const std::optional<double> value = typedLevel(index)) {
            // The level is stored even when its backup fails; the user hears which.
            BackupSheet(false, &backupFailure);
            try {
                rs.Fields(7 + index) = db::Value(*value);
                rs.Update();
                changed = true;
            } catch (const std::exception& e) {
                try {
                    rs.CancelUpdate();
                } catch (const std::exception&) {
                }
                platform::MsgBox(QString::fromStdString(e.what()));
                FillLevBoxes(n);
            }
        }
    } else if (box && !box->text().isEmpty()) {
        box->setText(QString()); // no spectrum to hold it
    }
    if (changed) {
        if (optRecalCell->isChecked()) RecalcSheet();
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
    try {
        backupBeforeEdit();
        const int t = spectrumTypeNumber(cmbType->Text().toStdString());
        const auto& row = gSpectrumTypes[static_cast<size_t>(t)];
        cmbSum1->setText(QString::fromStdString(row[2]));
        cmbSum2->setText(QString::fromStdString(row[3]));
        updateSummary(3);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        discardEdit();
    }
    FillChart(bandCount(), mFirstBand);
    if (view_ == Formula) FillLevBoxes(bandCount());
}

void WorksheetWindow::cmbSum1_Click() {
    db::Recordset& rs = Data1.recordset();
    if (!atRecord(rs)) return;
    try {
        backupBeforeEdit();
        updateSummary(1);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        discardEdit();
    }
    FillChart(bandCount(), mFirstBand);
}

void WorksheetWindow::cmbSum2_Click() {
    db::Recordset& rs = Data1.recordset();
    if (!atRecord(rs)) return;
    try {
        backupBeforeEdit();
        updateSummary(2);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        discardEdit();
    }
    FillChart(bandCount(), mFirstBand);
}

void WorksheetWindow::cmbDecimals_Click() {
    RecalcSheet();
    grdSpectra->Refresh(); // the band cells show the new number of decimals
}

void WorksheetWindow::txtNotes_Change() {
    db::Recordset& row = Data2.recordset();
    try {
        if (row.isOpen()) row.Move(0);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
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
    RecalcSheet();
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
    if (!commitRecord()) return; // the recalculation must see the new formula
    RecalcSheet();
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
                                                 db::Value& newValue, bool&) {
    if (sameCellValue(oldValue, newValue)) return;
    if (view_ == Formula) {
        if (colIndex == 2) mCellChanged = true;
    } else if (colIndex >= 4) {
        mCellChanged = true;
        const std::string t = valueText(newValue);
        if (newValue.isNull() || t.empty() || t == "." || t == "X")
            newValue = db::Value("-999");
        else if (const auto v = decimalCommaNumber(QString::fromStdString(t)))
            newValue = db::Value(*v);
    }
    backupBeforeEdit(); // the file still holds the sheet before this edit
}

void WorksheetWindow::grdSpectra_KeyDown(int& keyCode, int shift) {
    selectionKeyDown(*this, keyCode, shift);
    if (view_ == Formula && keyCode == kKeyEnter && grdSpectra->Col() == 2) {
        if (!commitRecord()) return;
        RecalcSheet();
        FillChart(bandCount(), firstBand());
        FillLevBoxes(bandCount());
    }
}

void WorksheetWindow::grdSpectra_RowColChange(const db::Value& lastRow, int) {
    if (gBusy) return;
    try {
        if (view_ == Formula) {
            if (mCellChanged) {
                if (commitRecord()) RecalcSheet();
                mCellChanged = false;
            }
            FillChart(bandCount(), firstBand());
            FillLevBoxes(bandCount());
        } else if (mCellChanged && (optRecalCell->isChecked() || !lastRow.isEmpty())) {
            if (commitRecord()) RecalcSheet();
            FillChart(bandCount(), firstBand());
            mCellChanged = false;
        }
        selectionRowColChange(*this);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

// The stretched grid: the window's outer height (title bar and borders
// included) less the grid's top and 400 twips.
int WorksheetWindow::tallGridTwips(int gridTopPixels) const {
    const QWidget* outer = parentWidget() ? parentWidget() : this;
    return std::max(0, platform::pixelsToTwips(outer->height()) -
                           platform::pixelsToTwips(gridTopPixels) - 400);
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
