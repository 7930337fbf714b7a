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

// Building and placing the worksheet window's controls.
namespace {

// A spectrum's number is its place in the sheet, kept by the Edit commands.
constexpr bool kNumberReadOnly = true;

int px(int twips) {
    return platform::twipsToPixels(twips);
}

} // namespace

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
    connectGridEvents();

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
    applyMinimumSize();
    layoutControls();
}

namespace {

constexpr int kMargin = 6;
constexpr int kTopRowHeight = 30;  // the description and formula boxes
constexpr int kLevelRowPitch = 42; // a band label and its level box
constexpr int kLeftWidth = 344;    // type, recalculation, decimals, notes
constexpr int kTypeHeight = 54;
constexpr int kRecalcHeight = 48;
constexpr int kDecimalsHeight = 28;
constexpr int kNotesLabelHeight = 18;
constexpr int kChartMinWidth = 200;
constexpr int kChartMinHeight = 100;

} // namespace

int WorksheetWindow::shortGridPixels() const {
    return px(view_ == Spreadsheet ? 3402 : bandCount() == 30 ? 2555 : 2918);
}

int WorksheetWindow::levelFrameHeight() const {
    const int n = bandCount();
    return 22 + n / (n == 30 ? 15 : 10) * kLevelRowPitch;
}

// The left column: as wide as it was designed, or as the recalculation
// frame's two options and the recalculation box beside it need.
int WorksheetWindow::leftColumnWidth() const {
    const int options =
        8 + optRecalCell->sizeHint().width() + 6 + optRecalRecord->sizeHint().width() + 8;
    return std::max(kLeftWidth, options + 34);
}

QSize WorksheetWindow::minimumLayoutSize() const {
    const int n = bandCount();
    int height = kMargin + (view_ == Spreadsheet ? kTopRowHeight : 0) + shortGridPixels() + kMargin;
    if (fraSpectrum) height += levelFrameHeight() + kMargin;
    // The left column under them, with a line of notes at least; the chart
    // beside it is never taller.
    const int notes = txtNotes->fontMetrics().lineSpacing() + 2 * txtNotes->frameWidth() + 8;
    const int left = kTypeHeight + kMargin + kRecalcHeight + kMargin +
                     (cmbDecimals ? kDecimalsHeight : 0) + kNotesLabelHeight + notes;
    height += std::max(left, kChartMinHeight) + kMargin;

    int width = 3 * kMargin + leftColumnWidth() + kChartMinWidth;
    if (fraSpectrum)
        width = std::max(width, 2 * kMargin + 12 + (n == 30 ? 15 : 10) * (levelBoxMinWidth() + 2));
    return {width, height};
}

// Places the controls for the window's width: the grid on top (its height is
// the grid's own, toggled by a double click), the current spectrum below,
// then the type, recalculation and notes on the left and the chart on the
// right.
void WorksheetWindow::layoutControls() {
    const int w = width();
    const int h = height();
    const int margin = kMargin;
    int y = margin;
    if (view_ == Spreadsheet) {
        lblDescription->setGeometry(margin, y + 3, 64, 20);
        txtDescription->setGeometry(margin + 66, y, (w - 3 * margin) / 2 - 66, 24);
        const int x2 = w / 2 + margin / 2;
        lblFormula->setGeometry(x2, y + 3, 56, 20);
        txtFormula->setGeometry(x2 + 58, y, w - x2 - 58 - margin, 24);
        y += kTopRowHeight;
    }
    // A window taller than it opens gives the grid the extra rows.
    const int shortGrid =
        shortGridPixels() + heightBeyondOpening(view_ == Spreadsheet ? 7500 : 7600);
    const int gridHeight = gridTall() ? px(tallGridTwips(y)) : shortGrid;
    grdSpectra->setGeometry(margin, y, w - 2 * margin, gridHeight);
    y += shortGrid + margin;

    if (fraSpectrum) {
        const int frameH = levelFrameHeight();
        fraSpectrum->setGeometry(margin, y, w - 2 * margin, frameH);
        layoutLevelBoxes(w - 2 * margin, kLevelRowPitch, 16);
        y += frameH + margin;
    }

    // Left: type, recalculation, decimals and notes; right: the chart.
    const int leftW = leftColumnWidth();
    const int bottom = h - margin;
    fraType->setGeometry(margin, y, leftW, kTypeHeight);
    const int comboW = (leftW - 32) / 4;
    cmbType->setGeometry(8, 22, 2 * comboW, 24);
    cmbSum1->setGeometry(16 + 2 * comboW, 22, comboW, 24);
    cmbSum2->setGeometry(24 + 3 * comboW, 22, comboW, 24);
    int ly = y + kTypeHeight + margin;
    fraRecalc->setGeometry(margin, ly, leftW - 34, kRecalcHeight);
    const int cellW = optRecalCell->sizeHint().width();
    optRecalCell->setGeometry(8, 22, cellW, 20);
    optRecalRecord->setGeometry(14 + cellW, 22, leftW - 34 - 22 - cellW, 20);
    txtRecalc->setGeometry(margin + leftW - px(375), ly + 24, px(375), px(195));
    ly += kRecalcHeight + margin;
    if (cmbDecimals) {
        lblDecimals->setGeometry(margin, ly + 3, 140, 20);
        cmbDecimals->setGeometry(margin + 142, ly, 60, 24);
        ly += kDecimalsHeight;
    }
    lblNotes->setGeometry(margin, ly, leftW, kNotesLabelHeight);
    txtNotes->setGeometry(margin, ly + kNotesLabelHeight, leftW,
                          std::max(24, bottom - ly - kNotesLabelHeight));
    chtDisp->setGeometry(2 * margin + leftW, y, w - 3 * margin - leftW,
                         std::max(kChartMinHeight, bottom - y));
    grdSpectra->raise();
}

// The stretched grid: the window's outer height (title bar and borders
// included) less the grid's top and 400 twips.
int WorksheetWindow::tallGridTwips(int gridTopPixels) const {
    const QWidget* outer = parentWidget() ? parentWidget() : this;
    return std::max(0, platform::pixelsToTwips(outer->height()) -
                           platform::pixelsToTwips(gridTopPixels) - 400);
}
