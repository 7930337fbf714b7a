#include "sheets/datasheet_window.h"

#include "engine/bands.h"
#include "engine/globals.h"
#include "engine/summary.h"
#include "platform/db/database.h"
#include "platform/geometry.h"
#include "platform/gui/chart.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "sheets/datasheet_layout.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/grid_selection.h"
#include "sheets/level_display.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/sheet_display.h"
#include "tables/globals.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>

using platform::gui::indexedName;
using platform::gui::makeNamed;
using platform::gui::makeNamedAt;

// Building and placing the datasheet window's controls.
namespace {

int px(int twips) {
    return platform::twipsToPixels(twips);
}

} // namespace

void DatasheetWindow::buildControls() {
    const int n = bandCount();
    grdSpectra = makeNamed<platform::DataGrid>(this, "grdSpectra");
    grdSpectra->setDataSource(&Data1);
    // The number is the spectrum's place, kept by the Edit commands.
    grdSpectra->setColumns({{"Code", "Number", true}, {"Description", "Description"}});
    grdSpectra->setColumnWidth(0, 900);
    grdSpectra->setColumnWidth(1, 2800);
    chtDisp = makeNamed<platform::gui::Chart>(this, "chtDisp");
    txtRecalc = makeNamed<platform::gui::TextBox>(this, "txtRecalc");
    txtRecalc->hide();

    Frame2 = makeNamed<QGroupBox>(this, "Frame2", "Spectrum:");
    buildLevelBoxes(Frame2);
    lblSum = makeNamed<QLabel>(this, "lblSum", "Summaries:");
    txtSum1 = makeNamed<platform::gui::BoundTextBox>(this, "txtSum1");
    txtSum2 = makeNamed<platform::gui::BoundTextBox>(this, "txtSum2");
    for (auto* box : {txtSum1, txtSum2}) {
        box->setReadOnly(true); // ratings of the levels, never typed
        box->setFocusPolicy(Qt::ClickFocus);
    }
    txtSum1->bind(Data1, "Summary 1 Val");
    txtSum2->bind(Data1, "Summary 2 Val");

    buildFrame(1);
    buildFrame(2);
    setDatasheetType(1);

    connectGridEvents();

    // Tab order: the grid, the levels, then the descriptive fields.
    QWidget* previous = grdSpectra;
    for (int j = 1; j <= n; ++j) {
        QWidget::setTabOrder(previous, Lev(j));
        previous = Lev(j);
    }
    for (int k = 1; k <= 2; ++k)
        for (const auto& [label, control] : rows_[static_cast<size_t>(k)]) {
            QWidget::setTabOrder(previous, control);
            previous = control;
        }

    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    layoutControls();
}

void DatasheetWindow::buildFrame(int kind) {
    auto* frame =
        makeNamedAt<QGroupBox>(this, "frmOtherInfo", kind,
                               kind == 1 ? "Source Information:" : "Construction Information:");
    frames_[static_cast<size_t>(kind)] = frame;
    auto& rows = rows_[static_cast<size_t>(kind)];
    const auto addRow = [&](const char* caption, QWidget* control) {
        auto* label = new QLabel(QString::fromUtf8(caption), frame);
        label->setBuddy(control);
        rows.push_back({label, control});
    };

    auto* selector = makeNamedAt<platform::gui::ComboBox>(frame, "cmbSelectBy", kind);
    auto* selectLabel =
        makeNamedAt<QLabel>(frame, "lblSelectBy", kind,
                            kind == 1 ? "Select Source Type:" : "Select Construction Type:");
    selectLabel->setBuddy(selector);
    cmbSelectBy_[static_cast<size_t>(kind)] = selector;
    lblSelectBy_[static_cast<size_t>(kind)] = selectLabel;
    rows.push_back({selectLabel, selector});
    connect(selector, &platform::gui::ComboBox::Click, this,
            [this, kind] { cmbSelectBy_Click(kind); });

    const auto text = [&](int i, const char* field, const char* caption) {
        auto* box = makeNamedAt<platform::gui::BoundTextBox>(frame, "txtOther", i);
        box->bind(Data1, field);
        txtOther_[static_cast<size_t>(i)] = box;
        connect(box, &QLineEdit::textEdited, this, [this] { backupBeforeEdit(); });
        connect(box, &platform::gui::TextBox::LostFocus, this,
                [this, i] { txtOther_LostFocus(i); });
        if (caption) addRow(caption, box);
        return box;
    };
    const auto combo = [&](int i, const char* field, const char* caption) {
        auto* box = makeNamedAt<BoundTextCombo>(frame, "cmbOther", i);
        box->bind(Data1, field);
        cmbOther_[static_cast<size_t>(i)] = box;
        connect(box, &BoundTextCombo::Edited, this, [this] { backupBeforeEdit(); });
        connect(box, &BoundTextCombo::Click, this, [this, i] { cmbOther_Click(i); });
        // A typed text is kept when the focus moves on, as a chosen one is.
        connect(box, &BoundTextCombo::LostFocus, this, [this, i] { cmbOther_Click(i); });
        addRow(caption, box);
    };

    if (kind == 1) {
        text(1, "Source Description", "Source Description:");
        combo(1, "Noise Descriptor", "Noise Descriptor:");
        text(3, "Measurement Conditions", "Measurement Conditions:");
        combo(2, "Information Source", "Information Source:");
        text(5, "Date Acquired", "Date Acquired:");
        text(6, "Measured By", "Measured By:");
        text(7, "Project Ref", "Project Ref:");
        text(8, "Comments", "Comments:");
        const char* words[] = {"Measured", "dBA", "at", "m"};
        for (size_t w = 0; w < 4; ++w)
            measuredLabels_[w] = new QLabel(words[w], frame);
        auto* spl = text(13, "Measured A-wt SPL", nullptr);
        auto* distance = text(14, "Measurement Distance", nullptr);
        measuredLabels_[0]->setBuddy(spl);
        rows.push_back({nullptr, spl});
        rows.push_back({nullptr, distance});
    } else {
        text(9, "Details", "Details:");
        combo(3, "Information Source", "Information Source:");
        text(11, "Date Acquired", "Date Acquired:");
        text(12, "Comments", "Comments:");
    }
}

namespace {
constexpr int kFramePitch = 23;
} // namespace

// The grid with the summaries under it and the chart beside it on top, then
// the level boxes across the window, and the descriptive fields under them
// in two columns. An enlarged window's extra height goes to the grid and
// the chart; a small one keeps a few rows of the grid and cuts the bottom.
void DatasheetWindow::layoutControls() {
    const int w = width();
    const int h = height();
    const int margin = 6;
    const int n = bandCount();
    const int perRow = n == 30 ? 15 : 10;
    const int levRows = n / perRow;
    const int levH = 20 + levRows * 40;
    const int infoH = 26 + frameRows(kind_) * kFramePitch;
    const int sumH = 32;
    const int topH = std::max(140, h - 4 * margin - levH - infoH - 4);
    const int gridW = std::min(300, (w - 3 * margin) * 45 / 100);
    const int shortGrid = topH - sumH;
    grdSpectra->setGeometry(margin, margin, gridW, gridTall() ? px(tallGridTwips()) : shortGrid);
    const int sumY = margin + shortGrid + 8;
    const int sumLabelW = lblSum->fontMetrics().horizontalAdvance(lblSum->text()) + 6;
    lblSum->setGeometry(margin, sumY + 3, sumLabelW, 20);
    const int sumW = (gridW - sumLabelW - 4) / 2;
    txtSum1->setGeometry(margin + sumLabelW, sumY, sumW, 24);
    txtSum2->setGeometry(margin + sumLabelW + sumW + 4, sumY, sumW, 24);
    const int chartX = 2 * margin + gridW;
    chtDisp->setGeometry(chartX, margin, w - chartX - margin, topH);

    int y = margin + topH + margin;
    Frame2->setGeometry(margin, y, w - 2 * margin, levH);
    layoutLevelBoxes(w - 2 * margin, 40, 15);
    y += levH + 4;
    for (int k = 1; k <= 2; ++k) {
        frames_[static_cast<size_t>(k)]->setGeometry(margin, y, w - 2 * margin,
                                                     26 + frameRows(k) * kFramePitch);
        layoutFrame(k, w - 2 * margin);
    }
    grdSpectra->raise();
}

// Rows of the descriptive fields in each of the two columns.
int DatasheetWindow::frameRows(int kind) const {
    int items = kind == 1 ? 1 : 0; // the "Measured ... m" line
    for (const auto& [label, control] : rows_[static_cast<size_t>(kind)])
        if (label) ++items;
    return (items + 1) / 2;
}

void DatasheetWindow::layoutFrame(int kind, int width) {
    const auto& rows = rows_[static_cast<size_t>(kind)];
    std::vector<std::pair<QLabel*, QWidget*>> labelled;
    for (const auto& row : rows)
        if (row.first) labelled.push_back(row);
    const int perColumn = frameRows(kind);
    const int x = 8;
    const int columnW = (width - 3 * x) / 2;
    for (int c = 0; c < 2; ++c) {
        const size_t from = static_cast<size_t>(c * perColumn);
        const size_t to = std::min(labelled.size(), from + static_cast<size_t>(perColumn));
        int labelW = 0;
        for (size_t i = from; i < to; ++i)
            labelW = std::max(labelW, labelled[i].first->fontMetrics().horizontalAdvance(
                                          labelled[i].first->text()));
        labelW += 8;
        const int left = x + c * (columnW + x);
        int y = 20;
        for (size_t i = from; i < to; ++i) {
            labelled[i].first->setGeometry(left, y + 2, labelW, 20);
            labelled[i].second->setGeometry(left + labelW, y, columnW - labelW, 22);
            y += kFramePitch;
        }
    }
    if (kind == 1) {
        // "Measured [ ] dBA at [ ] m", the last line of the second column.
        const auto wordW = [](QLabel* l) {
            return l->fontMetrics().horizontalAdvance(l->text()) + 6;
        };
        const int y =
            20 + static_cast<int>(labelled.size() - static_cast<size_t>(perColumn)) * kFramePitch;
        int lx = x + columnW + x;
        measuredLabels_[0]->setGeometry(lx, y + 2, wordW(measuredLabels_[0]), 20);
        lx += wordW(measuredLabels_[0]);
        txtOther(13)->setGeometry(lx, y, 60, 22);
        lx += 64;
        measuredLabels_[1]->setGeometry(lx, y + 2, wordW(measuredLabels_[1]), 20);
        lx += wordW(measuredLabels_[1]);
        measuredLabels_[2]->setGeometry(lx, y + 2, wordW(measuredLabels_[2]), 20);
        lx += wordW(measuredLabels_[2]);
        txtOther(14)->setGeometry(lx, y, 60, 22);
        lx += 64;
        measuredLabels_[3]->setGeometry(lx, y + 2, wordW(measuredLabels_[3]), 20);
    }
}

// The stretched grid reaches down to 400 twips above the window's bottom.
int DatasheetWindow::tallGridTwips() const {
    return std::max(0, platform::pixelsToTwips(height()) - grdSpectra->Top() - 400);
}
