// The graph window through its real controls: opening it from the Output
// menu, ticking and choosing spectra in the list and on the chart, styling
// lines, activations that keep the user's work while the sheet changes,
// what the chart draws, printing it to PDF and copying it.
#include "output/output_copy.h"
#include "output/output_menu.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/clipboard.h"
#include "sheets/level_display.h"
#include "tests/output/output_fixture.h"
#include "tests/support/dialog_script.h"
#include "tests/support/printer_dialog_script.h"

#include <QTest>

using namespace output_tests;
using testing_support::DialogScript;
using testing_support::PrinterDialogScript;

namespace {

class GraphWindowTest : public OutputWindowTest {
protected:
    void addPlantSheet() {
        file_->addSheet("Plant", 1, 14,
                        {row("Fan", {62, 60, 58, 55, 52, 50, 47, 44, 40, 38}),
                         row("Pump", {50, -999, 48, 47, 46, 45, -998, 43, 42, 41}),
                         row("Road", {70, 68, 66, 64, 62, 60, 58, 56, 54, 52})},
                        "Level survey");
    }
    static void tick(frmGraph* g, int index, bool on = true) {
        g->lstSpectra->item(index)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        QApplication::processEvents();
    }
    // A user's click on a list item.
    static void choose(frmGraph* g, int index) {
        g->lstSpectra->setCurrentRow(index);
        QApplication::processEvents();
    }
    // A user's pick in a drop-down list.
    static void pick(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
        QApplication::processEvents();
    }
};

TEST_F(GraphWindowTest, OutputGraphOpensAWindowOnTheActiveSheet) {
    addPlantSheet();
    WorksheetWindow* sheet = openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    EXPECT_EQ(g->windowTitle(), "Graph: Plant");
    EXPECT_EQ(g->txtFirstBand->text(), "14");
    EXPECT_EQ(g->txtSheetType->text(), "1");
    EXPECT_EQ(g->txtGraphTitle->text(), "Level survey");
    ASSERT_EQ(g->lstSpectra->count(), 3);
    EXPECT_EQ(g->lstSpectra->item(0)->text(), "1: Fan");
    EXPECT_EQ(g->lstSpectra->item(2)->text(), "3: Road");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(g->lstSpectra->item(i)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(g->chkLegend->isChecked());
    EXPECT_TRUE(g->txtYTitle->text().isEmpty());
    EXPECT_EQ(g->cmbColour->count(), 7);
    EXPECT_EQ(g->cmbPoints->count(), 15);
    EXPECT_EQ(g->cmbLineWidth->count(), 5);
    EXPECT_EQ(g->mLineSettings[1].legend, "Pump");
    // An empty chart: no line, no legend, the sheet's notes as its title.
    EXPECT_EQ(g->chtDisp->seriesCount(), 0);
    EXPECT_FALSE(g->chtDisp->legendVisible());
    EXPECT_EQ(g->chtDisp->title(), "Level survey");
    EXPECT_EQ(g->chtDisp->categoryTitle(), "Frequency, Hz");
    EXPECT_EQ(gActiveKind, 3);
    EXPECT_FALSE(menuItem("mnuGraphDraw")->isEnabled());
    EXPECT_TRUE(menuItem("mnuEditCopy")->isEnabled());
    // Cascaded one step past the sheet window, at its designed size.
    const QMdiSubWindow* sub = frame(g);
    EXPECT_EQ(sub->pos(), QPoint(platform::twipsToPixels(300), platform::twipsToPixels(300)));
    EXPECT_EQ(sub->size(), QSize(platform::twipsToPixels(11300), platform::twipsToPixels(7450)));
    EXPECT_TRUE(platform::gui::isLoaded(g));
    EXPECT_EQ(platform::gui::formKind(g), platform::gui::FormKind::Graph);

    // A second graph of the same sheet is a window of its own, one step further.
    activate(sheet);
    frmGraph* second = openGraph();
    ASSERT_TRUE(second);
    EXPECT_NE(second, g);
    EXPECT_EQ(frame(second)->pos(),
              QPoint(platform::twipsToPixels(600), platform::twipsToPixels(600)));

    // Closing the graph window leaves the menus of "a file open, no sheet active".
    frame(sheet)->close();
    frame(g)->close();
    QApplication::processEvents();
    frame(second)->close();
    QApplication::processEvents();
    EXPECT_FALSE(menuItem("mnuEditCopy")->isEnabled());
    EXPECT_TRUE(menuItem("mnuFileNewWorksheet")->isEnabled());
}

TEST_F(GraphWindowTest, TheListTheChartAndTheEditorsFollowOneAnother) {
    addPlantSheet();
    openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 0);
    tick(g, 2);
    ASSERT_EQ(g->chtDisp->seriesCount(), 2);
    EXPECT_DOUBLE_EQ(g->chtDisp->value(1, 1), 62);
    EXPECT_DOUBLE_EQ(g->chtDisp->value(1, 2), 70);
    EXPECT_TRUE(g->chtDisp->legendVisible());
    EXPECT_EQ(g->chtDisp->series(2).name, "Road");

    // Choosing Road in the list makes it the record the editors work on.
    choose(g, 2);
    EXPECT_EQ(g->Data1.recordset().AbsolutePosition(), 3);
    EXPECT_EQ(g->txtLegTxt->text(), "Road");
    pick(g->cmbColour, 1);    // Red
    pick(g->cmbLineStyle, 2); // Dashed
    pick(g->cmbLineWidth, 3); // width index 4
    pick(g->cmbPoints, 5);    // marker style 4, a circle
    g->txtLegTxt->setFocus();
    g->txtLegTxt->selectAll();
    QTest::keyClicks(g->txtLegTxt, "Road traffic");
    QTest::keyClick(g->txtLegTxt, Qt::Key_Return);
    g->chkSecondAxis->click();
    QApplication::processEvents();
    const platform::gui::ChartSeries& road = g->chtDisp->series(2);
    EXPECT_EQ(road.color, QColor(255, 0, 0));
    EXPECT_EQ(road.penStyle, platform::gui::PenStyle::Dash);
    EXPECT_NEAR(road.width, 40 / 15.0, 1e-9);
    EXPECT_EQ(road.marker, platform::gui::Marker::Circle);
    EXPECT_EQ(road.name, "Road traffic");
    EXPECT_TRUE(road.secondAxis);
    EXPECT_FALSE(g->chtDisp->axis(platform::gui::AxisId::Y2).hidden);
    // Fan kept its own line.
    EXPECT_EQ(g->chtDisp->series(1).color, QColor(0, 0, 0));
    EXPECT_EQ(g->chtDisp->series(1).penStyle, platform::gui::PenStyle::Solid);

    // Back on Fan the editors show Fan's line, and change nothing by showing it.
    choose(g, 0);
    EXPECT_EQ(g->cmbColour->currentText(), "Black");
    EXPECT_EQ(g->cmbLineStyle->currentText(), "Solid");
    EXPECT_EQ(g->cmbPoints->currentIndex(), 0);
    EXPECT_EQ(g->cmbLineWidth->currentIndex(), 1);
    EXPECT_FALSE(g->chkSecondAxis->isChecked());
    EXPECT_EQ(g->txtLegTxt->text(), "Fan");
    EXPECT_EQ(g->mLineSettings[2].red, 255);

    // A click on Road's line chooses Road, counting only the plotted spectra.
    const auto at = g->chtDisp->pointAt(2, 5);
    ASSERT_TRUE(at);
    QTest::mouseClick(g->chtDisp, Qt::LeftButton, {}, at->toPoint());
    QApplication::processEvents();
    EXPECT_EQ(g->lstSpectra->currentRow(), 2);
    EXPECT_EQ(g->Data1.recordset().AbsolutePosition(), 3);
    EXPECT_EQ(g->cmbColour->currentText(), "Red");
    EXPECT_TRUE(g->chkSecondAxis->isChecked());

    // Unticking everything leaves an empty chart without a legend.
    tick(g, 0, false);
    tick(g, 2, false);
    EXPECT_EQ(g->chtDisp->seriesCount(), 0);
    EXPECT_FALSE(g->chtDisp->legendVisible());
}

TEST_F(GraphWindowTest, ActivationsKeepTheUsersWorkWhileSpectraComeAndGo) {
    addPlantSheet();
    WorksheetWindow* sheet = openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 1);
    tick(g, 2);
    choose(g, 1);
    pick(g->cmbColour, 4); // Pump in blue
    g->txtYTitle->setText("Level, dB");
    g->chkLegend->setChecked(false);
    g->chkSummary->setChecked(true);

    // Working in the sheet, then back in the graph: nothing of that is lost.
    activate(sheet);
    activate(g);
    EXPECT_EQ(g->txtYTitle->text(), "Level, dB");
    EXPECT_FALSE(g->chkLegend->isChecked());
    EXPECT_EQ(g->lstSpectra->currentRow(), 1);
    EXPECT_EQ(g->Data1.recordset().AbsolutePosition(), 2);
    EXPECT_EQ(g->cmbColour->currentText(), "Blue");
    EXPECT_EQ(g->chtDisp->seriesCount(), 2);

    // Meanwhile a spectrum is inserted at the top (the others move down a
    // code) and Road is deleted.
    activate(sheet);
    auto database = file_->database();
    database->Execute("DELETE FROM \"Plant\" WHERE \"Description\" = 'Road'");
    database->Execute("UPDATE \"Plant\" SET \"Code\" = \"Code\" + 10");
    database->Execute("UPDATE \"Plant\" SET \"Code\" = \"Code\" - 9");
    database->Execute("INSERT INTO \"Plant\" (\"Code\", \"Description\") VALUES (1, 'Compressor')");
    activate(g);
    ASSERT_EQ(g->lstSpectra->count(), 3);
    EXPECT_EQ(g->lstSpectra->item(0)->text(), "1: Compressor");
    EXPECT_EQ(g->lstSpectra->item(1)->text(), "2: Fan");
    EXPECT_EQ(g->lstSpectra->item(2)->text(), "3: Pump");
    EXPECT_EQ(g->lstSpectra->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(g->lstSpectra->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(g->lstSpectra->item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(g->mLineSettings[0].legend, "Compressor");
    // Pump is still the one being edited, still blue, and the only line.
    EXPECT_EQ(g->lstSpectra->currentRow(), 2);
    EXPECT_EQ(g->Data1.recordset().AbsolutePosition(), 3);
    EXPECT_EQ(g->cmbColour->currentText(), "Blue");
    ASSERT_EQ(g->chtDisp->seriesCount(), 1);
    EXPECT_EQ(g->chtDisp->series(1).color, QColor(0, 0, 255));
    EXPECT_EQ(g->chtDisp->series(1).name, "Pump");
    pick(g->cmbColour, 1);
    EXPECT_EQ(g->mLineSettings[2].red, 255);
    EXPECT_EQ(g->mLineSettings[0].red, 0);
}

TEST_F(GraphWindowTest, TheChartDrawsEachLineInItsColourWithGapsAtMissingValues) {
    addPlantSheet();
    openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 1); // Pump: no value at 63 Hz, "X" at 2 kHz
    choose(g, 1);
    pick(g->cmbColour, 4); // Blue
    pick(g->cmbLineWidth, 4);
    tick(g, 2);
    choose(g, 2);
    pick(g->cmbColour, 1); // Red
    pick(g->cmbLineWidth, 4);
    platform::gui::Chart* c = g->chtDisp;
    const QImage img = c->grab().toImage();

    auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) <
               90;
    };
    const double ratio = img.devicePixelRatio();
    auto colourAt = [&](const QPointF& p) { return img.pixelColor((p * ratio).toPoint()); };
    for (int row : {1, 3, 4, 5, 6, 8, 9, 10})
        EXPECT_TRUE(near(colourAt(*c->pointAt(1, row)), Qt::blue)) << "Pump at row " << row;
    for (int row = 1; row <= 10; ++row)
        EXPECT_TRUE(near(colourAt(*c->pointAt(2, row)), Qt::red)) << "Road at row " << row;
    // No point where Pump has no value, and no line through the gap.
    EXPECT_FALSE(c->pointAt(1, 2));
    EXPECT_FALSE(c->pointAt(1, 7));
    const QPointF before = *c->pointAt(1, 1), after = *c->pointAt(1, 3);
    EXPECT_FALSE(near(colourAt((before + after) / 2), Qt::blue));
    const QPointF in = *c->pointAt(1, 4), out = *c->pointAt(1, 5);
    EXPECT_TRUE(near(colourAt((in + out) / 2), Qt::blue));
}

TEST_F(GraphWindowTest, EverySpectrumsSummariesStandUnderTheFirstSpectrumsLabels) {
    // A room's noise rated dBA and dBL beside a wall rated Rw and Ctr.
    file_->addSheet("Plant", 1, 14,
                    {row("Fan", {62, 60, 58, 55, 52, 50, 47, 44, 40, 38}),
                     row("Wall", {18, 22, 29, 36, 42, 47, 52, 55, 58, 60}, "Transmission Loss")});
    file_->database()->Execute("UPDATE \"Plant\" SET \"Summary 1 Type\" = 'Rw', \"Summary 2 Type\" "
                               "= 'Ctr' WHERE Code = 2");
    openSheet("Plant"); // rates both
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 0);
    tick(g, 1);
    g->chkSummary->setChecked(true);
    QApplication::processEvents();
    platform::gui::Chart* c = g->chtDisp;
    ASSERT_EQ(c->rowCount(), 13);
    EXPECT_EQ(c->rowLabel(12), "dBA");
    EXPECT_EQ(c->rowLabel(13), "dBL");
    auto rating = [&](const char* field) {
        return NumFromText(file_->database()->scalar(std::string("SELECT \"") + field +
                                                     "\" FROM \"Plant\" WHERE Code = 2"));
    };
    const double rw = rating("Summary 1 Val"), ctr = rating("Summary 2 Val");
    ASSERT_GT(rw, 20);
    ASSERT_LT(ctr, 0);
    // Wall's Rw stands under "dBA", its Ctr under "dBL", both drawn.
    EXPECT_DOUBLE_EQ(c->value(12, 2), rw);
    EXPECT_DOUBLE_EQ(c->value(13, 2), ctr);
    for (int r : {12, 13}) {
        const auto at = c->pointAt(2, r);
        ASSERT_TRUE(at) << r;
        EXPECT_EQ(c->hitTest(at->toPoint()).series, 2) << r;
        EXPECT_GT(at->x(), c->pointAt(1, 10)->x()) << r;
    }
    EXPECT_LT(c->pointAt(2, 12)->y(), c->pointAt(2, 13)->y()); // Rw above Ctr
    EXPECT_DOUBLE_EQ(c->pointAt(2, 12)->x(), c->pointAt(1, 12)->x());
}

TEST_F(GraphWindowTest, LabelsStayUprightSummariesArePointsAndEveryTitleLineShows) {
    testing_support::SpectrumRow fan = row("Fan", {62, 60, 58, 55, 52, 50, 47, 44, 40, 38});
    fan.sum1Val = db::Value("57.1 dBA");
    fan.sum2Val = db::Value("66.0 dBL");
    file_->addSheet("Plant", 1, 14, {fan, row("Huge", {400000, -200, 10, 10, 10})},
                    "Line one\r\nLine two");
    openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 0);
    g->chkSummary->setChecked(true);
    QApplication::processEvents();
    platform::gui::Chart* c = g->chtDisp;
    ASSERT_EQ(c->rowCount(), 13);

    // The line ends at the last band; the two summaries are points of their
    // own, drawn although the line has no markers.
    auto ink = [](const QImage& img, const QPointF& p) {
        const double ratio = img.devicePixelRatio();
        const QColor k = img.pixelColor((p * ratio).toPoint());
        return k.red() + k.green() + k.blue() < 200;
    };
    const QImage img = c->grab().toImage();
    const QPointF dba = *c->pointAt(1, 12), dbl = *c->pointAt(1, 13);
    for (double t : {0.3, 0.5, 0.7})
        EXPECT_FALSE(ink(img, dba + t * (dbl - dba))) << t;
    EXPECT_TRUE(ink(img, dba + QPointF(2, 0)));
    EXPECT_TRUE(ink(img, dbl + QPointF(0, 2)));
    EXPECT_FALSE(c->labelRect(12).isNull());
    EXPECT_FALSE(c->labelRect(13).isNull());

    // A narrow window leaves band labels out at a regular stride, upright.
    frame(g)->resize(560, frame(g)->height());
    QApplication::processEvents();
    std::vector<int> shown;
    for (int r = 1; r <= 10; ++r) {
        const QRectF q = c->labelRect(r);
        if (q.isNull()) continue;
        shown.push_back(r);
        EXPECT_LT(q.height(), q.width() + 8) << r;
        EXPECT_DOUBLE_EQ(q.height(), c->labelRect(12).height()) << r;
    }
    ASSERT_GE(shown.size(), 2u);
    EXPECT_LT(shown.size(), 10u);
    EXPECT_EQ(shown.front(), 1);
    for (size_t k = 2; k < shown.size(); ++k)
        EXPECT_EQ(shown[k] - shown[k - 1], shown[1] - shown[0]);
    frame(g)->resize(platform::twipsToPixels(11300), frame(g)->height());
    QApplication::processEvents();

    // A very wide scale: its labels stand at round values on ticks drawn
    // apart from one another.
    tick(g, 0, false);
    tick(g, 1);
    EXPECT_EQ(c->axis(platform::gui::AxisId::Y1).minimum, -300);
    EXPECT_EQ(c->axis(platform::gui::AxisId::Y1).maximum, 400100);
    const auto marks = c->axisMarks(platform::gui::AxisId::Y1);
    EXPECT_GE(marks.labels.size(), 4u);
    for (double v : marks.labels) {
        EXPECT_NE(std::find(marks.ticks.begin(), marks.ticks.end(), v), marks.ticks.end()) << v;
        EXPECT_EQ(std::fmod(v, 10000), 0) << v;
    }
    const double perUnit = c->plotArea().height() / (400100 + 300);
    for (size_t k = 1; k < marks.ticks.size(); ++k)
        EXPECT_GE((marks.ticks[k] - marks.ticks[k - 1]) * perUnit, 4) << k;
    for (size_t k = 1; k < marks.labels.size(); ++k)
        EXPECT_GE((marks.labels[k] - marks.labels[k - 1]) * perUnit, 15) << k;

    // Both lines of the notes title the graph, on screen and on paper.
    EXPECT_EQ(c->title(), g->txtGraphTitle->text());
    EXPECT_TRUE(c->title().contains("Line two"));
    const QString pdf = tempFile("title.pdf");
    {
        PrinterDialogScript printer;
        printer.answerPdf(pdf);
        g->cmdPrint->click();
    }
    const QString text = runTool("pdftotext", {"-layout", pdf, "-"});
    const qsizetype one = text.indexOf("Line one"), two = text.indexOf("Line two");
    EXPECT_GE(one, 0) << text.toStdString();
    EXPECT_GT(two, one) << text.toStdString();
    EXPECT_LT(two, text.indexOf(QString::number(marks.labels.back()))) << text.toStdString();
}

TEST_F(GraphWindowTest, PrintingPutsTheChartCentredOnOnePageAndLeavesItsCopy) {
    addPlantSheet();
    openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 0);
    tick(g, 2);
    platform::clearClipboard();

    // Cancel prints nothing and says nothing.
    {
        PrinterDialogScript printer;
        printer.cancel();
        g->cmdPrint->click();
    }
    EXPECT_TRUE(platform::clipboardImage().isNull());

    const QString pdf = tempFile("graph.pdf");
    {
        PrinterDialogScript printer;
        printer.answerPdf(pdf);
        g->cmdPrint->click();
        EXPECT_EQ(printer.selectionOptions(), std::vector<bool>{false});
    }
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(pdfPageCount(pdf), 1);
    const QString text = runTool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(text.contains("Level survey")) << text.toStdString();
    EXPECT_TRUE(text.contains("Frequency, Hz"));
    EXPECT_TRUE(text.contains("Road"));
    // The chart's frame spans 90 % of the printable width of the portrait
    // page and stands in its middle, its shape kept.
    const QImage page = pdfPage(pdf, 1, 40);
    ASSERT_FALSE(page.isNull());
    const QRect ink = inkBox(page);
    ASSERT_FALSE(ink.isNull());
    EXPECT_NEAR(ink.center().x(), page.width() / 2.0, page.width() * 0.02);
    EXPECT_NEAR(ink.center().y(), page.height() / 2.0, page.height() * 0.02);
    EXPECT_GT(ink.width(), page.width() * 0.8);
    EXPECT_LT(ink.width(), page.width() * 0.9);
    EXPECT_NEAR(double(ink.width()) / ink.height(),
                double(g->chtDisp->width()) / g->chtDisp->height(), 0.05);
    // The chart's copy stays on the clipboard.
    EXPECT_EQ(platform::clipboardImage().size(), g->chtDisp->size());

    // A file that cannot be written: the user is told, nothing is left behind.
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    {
        PrinterDialogScript printer;
        printer.answerPdf(tempFile("no such folder/graph.pdf"));
        g->cmdPrint->click();
    }
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(script.prompts()[0].contains("could not be printed"));
}

TEST_F(GraphWindowTest, CopyPutsThePictureAndItsDataOnTheClipboard) {
    addPlantSheet();
    openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 0);
    tick(g, 1);
    platform::setClipboard(QString("old"));
    EXPECT_TRUE(copyOutputWindow(g));
    EXPECT_EQ(platform::clipboardImage().size(), g->chtDisp->size());
    const QStringList lines = platform::clipboardText().split("\r\n");
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], "\tFan\tPump");
    EXPECT_EQ(lines[1], "31.5\t62\t50");
    EXPECT_EQ(lines[2], "63\t60\t");
    // Another window is not the output windows' to copy.
    EXPECT_FALSE(copyOutputWindow(g->parentWidget()));
}

TEST_F(GraphWindowTest, AGraphFollowsARenameOfItsSheet) {
    addPlantSheet();
    WorksheetWindow* sheet = openSheet("Plant");
    frmGraph* g = openGraph();
    ASSERT_TRUE(g);
    tick(g, 1);
    activate(sheet);
    // The rename as the Worksheets menu does it: the table, its catalogue
    // row, the window's binding and caption.
    auto database = file_->database();
    database->renameTable("Plant", "Plant room 2");
    database->Execute("UPDATE \"Sheets List\" SET \"Sheet Name\" = 'Plant room 2'");
    sheet->setWindowTitle("Worksheet: Plant room 2");
    EXPECT_EQ(g->windowTitle(), "Graph: Plant room 2");
    activate(g);
    ASSERT_EQ(g->lstSpectra->count(), 3);
    EXPECT_EQ(g->lstSpectra->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(g->chtDisp->seriesCount(), 1);
}

TEST_F(GraphWindowTest, ADatasheetGraphShowsTheTypeTheDatasheetWindowShows) {
    QComboBox* types = nullptr;
    SheetWindow* ds = openDatasheet(types);
    types->setCurrentText("Plant");
    frmGraph* g = openGraphWindow();
    ASSERT_TRUE(g);
    QApplication::processEvents();
    EXPECT_TRUE(g->txtGraphTitle->text().isEmpty());
    ASSERT_EQ(g->lstSpectra->count(), 2);
    EXPECT_EQ(g->lstSpectra->item(0)->text(), "1: Fan coil");
    EXPECT_EQ(g->lstSpectra->item(1)->text(), "3: Chiller");

    // A type with no spectrum: an empty list and chart.
    activate(ds);
    types->addItem("Ventilation");
    types->setCurrentText("Ventilation");
    g = openGraphWindow();
    ASSERT_TRUE(g);
    QApplication::processEvents();
    EXPECT_EQ(g->lstSpectra->count(), 0);
    EXPECT_EQ(g->chtDisp->seriesCount(), 0);

    activate(ds);
    types->setCurrentText("<All>");
    g = openGraphWindow();
    ASSERT_TRUE(g);
    QApplication::processEvents();
    ASSERT_EQ(g->lstSpectra->count(), 3);
    EXPECT_EQ(g->lstSpectra->item(1)->text(), "2: Lorry");
}

} // namespace
