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

constexpr int kMargin = 6;

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
    // The labels of all bands fit the window as it opens (10000 twips, its
    // frame's borders and the margins less).
    fitBandLabels(px(10000) - 8 - 2 * kMargin);
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
    applyMinimumSize();
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
constexpr int kLevelRowPitch = 40;
constexpr int kSummaryHeight = 32; // the summaries under the grid
constexpr int kTopMinHeight = 140; // the grid's few rows and the summaries
constexpr int kGridMaxWidth = 300;
constexpr int kChartMinWidth = 160;
constexpr int kFieldMinWidth = 120; // a descriptive field beside its label
constexpr int kMeasuredBoxWidth = 60;

int textWidth(const QLabel* label) {
    return label->fontMetrics().horizontalAdvance(label->text());
}

// The "Measured", "dBA", "at" and "m" words with the room after them.
int wordWidth(const QLabel* label) {
    return textWidth(label) + 6;
}

} // namespace

int DatasheetWindow::levelFrameHeight() const {
    const int n = bandCount();
    return 20 + n / (n == 30 ? 15 : 10) * kLevelRowPitch;
}

int DatasheetWindow::frameHeight(int kind) const {
    return 26 + frameRows(kind) * kFramePitch;
}

int DatasheetWindow::summaryLabelWidth() const {
    return textWidth(lblSum) + 6;
}

int DatasheetWindow::gridWidth(int windowWidth) {
    return std::min(kGridMaxWidth, (windowWidth - 3 * kMargin) * 45 / 100);
}

QSize DatasheetWindow::minimumLayoutSize() const {
    const int n = bandCount();
    const int height = kMargin + kTopMinHeight + kMargin + levelFrameHeight() + 4 +
                       frameHeight(kind_) + 2 * kMargin;

    // Level boxes, each wide enough for its band and a level.
    int width = 2 * kMargin + 12 + (n == 30 ? 15 : 10) * (levelBoxMinWidth() + 2);
    // The two summaries under the grid show a rating whole; the grid takes
    // 45 percent of the window, the chart the rest.
    const int summary = txtSum1->fontMetrics().horizontalAdvance("-888.8 dBA") + 10;
    const int grid = std::min(kGridMaxWidth, summaryLabelWidth() + 4 + 2 * summary);
    width = std::max(
        {width, 3 * kMargin + (grid * 100 + 44) / 45, 3 * kMargin + grid + kChartMinWidth});
    // Two columns of descriptive fields, each field beside the widest label
    // of its column; the source frame's "Measured ... m" line at the foot
    // of the second.
    int column = 0;
    for (int c = 0; c < 2; ++c)
        column = std::max(column, columnLabelWidth(kind_, c) + kFieldMinWidth);
    if (kind_ == 1) {
        int line = 2 * kMeasuredBoxWidth + 8;
        for (const QLabel* word : measuredLabels_)
            line += wordWidth(word);
        column = std::max(column, line);
    }
    width = std::max(width, 2 * kMargin + 3 * 8 + 2 * column);
    return {width, height};
}

// The grid with the summaries under it and the chart beside it on top, then
// the level boxes across the window, and the descriptive fields under them
// in two columns. An enlarged window's extra height goes to the grid and
// the chart.
void DatasheetWindow::layoutControls() {
    const int w = width();
    const int h = height();
    const int margin = kMargin;
    const int levH = levelFrameHeight();
    const int infoH = frameHeight(kind_);
    const int topH = std::max(kTopMinHeight, h - 4 * margin - levH - infoH - 4);
    const int gridW = gridWidth(w);
    const int shortGrid = topH - kSummaryHeight;
    grdSpectra->setGeometry(margin, margin, gridW, gridTall() ? px(tallGridTwips()) : shortGrid);
    const int sumY = margin + shortGrid + 8;
    const int sumLabelW = summaryLabelWidth();
    lblSum->setGeometry(margin, sumY + 3, sumLabelW, 20);
    const int sumW = (gridW - sumLabelW - 4) / 2;
    txtSum1->setGeometry(margin + sumLabelW, sumY, sumW, 24);
    txtSum2->setGeometry(margin + sumLabelW + sumW + 4, sumY, sumW, 24);
    const int chartX = 2 * margin + gridW;
    chtDisp->setGeometry(chartX, margin, w - chartX - margin, topH);

    int y = margin + topH + margin;
    Frame2->setGeometry(margin, y, w - 2 * margin, levH);
    layoutLevelBoxes(w - 2 * margin, kLevelRowPitch, 15);
    y += levH + 4;
    for (int k = 1; k <= 2; ++k) {
        frames_[static_cast<size_t>(k)]->setGeometry(margin, y, w - 2 * margin, frameHeight(k));
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

std::vector<std::pair<QLabel*, QWidget*>> DatasheetWindow::labelledRows(int kind) const {
    std::vector<std::pair<QLabel*, QWidget*>> labelled;
    for (const auto& row : rows_[static_cast<size_t>(kind)])
        if (row.first) labelled.push_back(row);
    return labelled;
}

int DatasheetWindow::columnLabelWidth(int kind, int column) const {
    const auto labelled = labelledRows(kind);
    const size_t perColumn = static_cast<size_t>(frameRows(kind));
    const size_t from = static_cast<size_t>(column) * perColumn;
    const size_t to = std::min(labelled.size(), from + perColumn);
    int labelW = 0;
    for (size_t i = from; i < to; ++i)
        labelW = std::max(labelW, textWidth(labelled[i].first));
    return labelW + 8;
}

void DatasheetWindow::layoutFrame(int kind, int width) {
    const auto labelled = labelledRows(kind);
    const int perColumn = frameRows(kind);
    const int x = 8;
    const int columnW = (width - 3 * x) / 2;
    for (int c = 0; c < 2; ++c) {
        const size_t from = static_cast<size_t>(c * perColumn);
        const size_t to = std::min(labelled.size(), from + static_cast<size_t>(perColumn));
        const int labelW = columnLabelWidth(kind, c);
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
        const int y =
            20 + static_cast<int>(labelled.size() - static_cast<size_t>(perColumn)) * kFramePitch;
        int lx = x + columnW + x;
        measuredLabels_[0]->setGeometry(lx, y + 2, wordWidth(measuredLabels_[0]), 20);
        lx += wordWidth(measuredLabels_[0]);
        txtOther(13)->setGeometry(lx, y, kMeasuredBoxWidth, 22);
        lx += kMeasuredBoxWidth + 4;
        measuredLabels_[1]->setGeometry(lx, y + 2, wordWidth(measuredLabels_[1]), 20);
        lx += wordWidth(measuredLabels_[1]);
        measuredLabels_[2]->setGeometry(lx, y + 2, wordWidth(measuredLabels_[2]), 20);
        lx += wordWidth(measuredLabels_[2]);
        txtOther(14)->setGeometry(lx, y, kMeasuredBoxWidth, 22);
        lx += kMeasuredBoxWidth + 4;
        measuredLabels_[3]->setGeometry(lx, y + 2, wordWidth(measuredLabels_[3]), 20);
    }
}

// The stretched grid reaches down to 400 twips above the window's bottom.
int DatasheetWindow::tallGridTwips() const {
    return std::max(0, platform::pixelsToTwips(height()) - grdSpectra->Top() - 400);
}
