// The worksheet windows through their real controls: typing levels and
// formulas, recalculation in both modes, the level boxes' Enter keys, the
// grid's record selection and the clean-up when a window closes.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "sheets/datasheet_window.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/level_display.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "tests/support/datasheet_fixture.h"
#include "tests/support/dialog_script.h"
#include "tests/support/full_disk.h"
#include "tests/support/window_fixture.h"
#include "tests/support/worksheet_fixture.h"
#include "workspace/bandwright_window.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

using testing_support::cellText;
using testing_support::DialogScript;
using testing_support::SpectrumRow;
using testing_support::type;
using testing_support::typeIntoCell;
using testing_support::WorksheetFile;

namespace {

void moveTo(platform::DataGrid* grid, int row, int col) {
    grid->view()->setCurrentIndex(grid->model()->index(row, col));
    QApplication::processEvents();
}

const std::string kSheet = "Site 'A' [1]; DROP TABLE x; --~";

SpectrumRow spectrum(std::vector<double> bands, const std::string& formula = "",
                     const std::string& type = "Sound Level") {
    SpectrumRow r;
    r.bands = std::move(bands);
    r.formula = formula;
    r.type = type;
    return r;
}

class WorksheetWindowTest : public testing_support::WindowFixtureOn<WorksheetFile> {
protected:
    WorksheetWindowTest() : WindowFixtureOn("window.bwdb") {}

    WorksheetWindow* open(int bandKind, int view, int firstBand = 14,
                          const std::string& sheet = kSheet) {
        return openWorksheet(path_, sheet, bandKind, view, firstBand);
    }
    double band(int code, int j, const std::string& sheet = kSheet) {
        return file_->database()
            ->scalar("SELECT L" + std::to_string(j) + " FROM " + db::quoteIdent(sheet) +
                         " WHERE Code = ?",
                     {code})
            .toDouble();
    }
    db::Value field(int code, const std::string& name) {
        return WindowFixtureOn::field(kSheet, code, name);
    }
    // Positions of the selected records, in the order they were added.
    static std::vector<int> selectedPositions(WorksheetWindow* w) {
        std::vector<int> out;
        db::Recordset clone = w->Data1.recordset().Clone();
        for (int i = 0; i < w->grdSpectra->SelBookmarks().Count(); ++i) {
            clone.setBookmark(w->grdSpectra->SelBookmarks().Item(i));
            out.push_back(clone.AbsolutePosition());
        }
        return out;
    }
};

TEST_F(WorksheetWindowTest, TypingALevelStoresRecalculatesRatesAndRedraws) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40)), spectrum({}, "s1 + 3")});
    WorksheetWindow* w = open(1, 1);
    EXPECT_EQ(w->windowTitle(), QString::fromStdString("Worksheet: " + kSheet));
    EXPECT_EQ(gActiveSheet, w);
    EXPECT_EQ(w->Lev(1)->text(), "40.0");
    EXPECT_EQ(w->LF(1)->text(), "31.5Hz");
    EXPECT_EQ(w->LF(2)->text(), "63Hz");
    // Activation recalculated the formula spectrum and took a backup.
    EXPECT_DOUBLE_EQ(band(2, 1), 43);
    EXPECT_EQ(gBackupCaption, w->windowTitle());
    const std::string before = field(1, "Summary 1 Val").toText();

    type(w->Lev(6), "55");
    EXPECT_DOUBLE_EQ(band(1, 6), 55);
    EXPECT_DOUBLE_EQ(band(2, 6), 58);
    EXPECT_NE(field(1, "Summary 1 Val").toText(), before);
    EXPECT_EQ(w->Lev(6)->text(), "55.0");
    // The chart shows the new level and the backup holds the level before.
    EXPECT_DOUBLE_EQ(w->chtDisp->value(6, 1), 55);
    EXPECT_DOUBLE_EQ(
        file_->database()->scalar("SELECT L6 FROM \"~Backup\" WHERE Code = 1").toDouble(), 40);

    // Spectra added since the backup, and rated: on a disk with no room for
    // their copy the level is kept and recalculated in place; only its
    // backup is missing, and the message says so.
    db::Recordset& rs = w->Data1.recordset();
    for (int code = 3; code <= 80; ++code) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(code);
        rs.Update();
    }
    rs.MoveFirst();
    w->txtRecalc_LostFocus();
    {
        DialogScript script;
        testing_support::FullDisk full(rs.database()->handle());
        script.answerMsgBox(platform::vbOK);
        type(w->Lev(7), "56");
        ASSERT_EQ(script.prompts().size(), 1u);
        EXPECT_EQ(script.prompts()[0],
                  keptWithoutUndo("The database operation failed (database or disk is full)"));
    }
    EXPECT_DOUBLE_EQ(band(1, 7), 56);
    EXPECT_DOUBLE_EQ(band(2, 7), 59);
    EXPECT_FALSE(menuItem("mnuEditUndo")->isEnabled());

    // The line runs over the bands only: dBA and dBL are points of their own.
    platform::gui::Chart* c = w->chtDisp;
    ASSERT_EQ(c->rowCount(), 12);
    const QImage img = c->grab().toImage();
    const QColor colour = c->series(1).color;
    auto drawn = [&](const QPointF& p) { // at or right beside the place: lines are smoothed
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const QColor k =
                    img.pixelColor((p * img.devicePixelRatio()).toPoint() + QPoint(dx, dy));
                if (std::abs(k.red() - colour.red()) + std::abs(k.green() - colour.green()) +
                        std::abs(k.blue() - colour.blue()) <
                    90)
                    return true;
            }
        return false;
    };
    const QPointF last = *c->pointAt(1, 10), dba = *c->pointAt(1, 11), dbl = *c->pointAt(1, 12);
    EXPECT_TRUE(drawn((*c->pointAt(1, 9) + last) / 2));
    for (double t : {0.35, 0.5, 0.65}) {
        EXPECT_FALSE(drawn(last + t * (dba - last))) << t;
        EXPECT_FALSE(drawn(dba + t * (dbl - dba))) << t;
    }
    EXPECT_TRUE(drawn(dba));
    EXPECT_TRUE(drawn(dbl));
}

TEST_F(WorksheetWindowTest, LevelBoxesReadMarkersAndNumbersAsTyped) {
    std::vector<double> bands(10, 40);
    bands[4] = 12.34;
    file_->addSheet(kSheet, 1, 14, {spectrum(bands)});
    WorksheetWindow* w = open(1, 1);
    DialogScript script;

    // Unchanged text writes nothing and takes no backup.
    gBackupCaption.clear();
    type(w->Lev(5), "12.3");
    EXPECT_DOUBLE_EQ(band(1, 5), 12.34);
    EXPECT_TRUE(gBackupCaption.isEmpty());

    // A text that begins with no number is no level: refused with a
    // message, nothing stored, and the box shows the stored level again.
    const struct {
        QString text;
        double value; // stored afterwards
        bool refused;
    } cases[] = {
        {"X", -998, false},      {"#ERR", -997, false}, {".", -999, false},
        {"", -999, false},       {"7 5", 75, false},    {"x", -998, false},
        {"12.36", 12.36, false}, {"abc", 12.36, true},  {"-3,5", -3.5, false},
        {"dB 45", -3.5, true},   {"1,2,3", 1, false},   {"1,5.2", 1, false},
        {"-", 1, true},          {"#err", 1, true},     {" x ", -998, false},
        {"65,2 dB", 65, false},  {"65,2", 65.2, false}, {"  ", -999, false},
        {".5", 0.5, false},      {"60 dB", 60, false},
    };
    for (const auto& c : cases) {
        const size_t asked = script.prompts().size();
        if (c.refused) script.answerMsgBox(platform::vbOK);
        type(w->Lev(3), c.text);
        EXPECT_DOUBLE_EQ(band(1, 3), c.value) << c.text.toStdString();
        ASSERT_EQ(script.prompts().size(), asked + (c.refused ? 1 : 0)) << c.text.toStdString();
        if (c.refused) {
            EXPECT_TRUE(script.prompts().back().startsWith("\"" + c.text + "\" is not a level"));
            EXPECT_EQ(w->Lev(3)->text(), QString::fromStdString(FormatLevel(c.value, "")));
        }
    }
    EXPECT_EQ(script.prompts()[0],
              "\"abc\" is not a level, and nothing was stored. A level takes a number, \".\" or "
              "nothing for no value, \"X\" to mark a band, or \"#ERR\".");
    EXPECT_EQ(w->Lev(3)->text(), "60.0");
    type(w->Lev(4), "X");
    EXPECT_EQ(w->Lev(4)->text(), "X");
    EXPECT_EQ(w->Lev(4)->palette().color(QPalette::Text), QColor(Qt::green));

    // A number too large for a level: a message, and nothing changes.
    script.answerMsgBox(platform::vbOK);
    type(w->Lev(6), "1e999");
    EXPECT_EQ(script.prompts().size(), 5u);
    EXPECT_EQ(script.prompts().back(), "\"1e999\" is too large a number for a level.");
    EXPECT_DOUBLE_EQ(band(1, 6), 40);
    EXPECT_EQ(w->Lev(6)->text(), "40.0");
}

TEST_F(WorksheetWindowTest, OnChangingRecordsWaitsForTheNextRecord) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40)), spectrum({}, "s1 + 3")});
    WorksheetWindow* w = open(1, 1);
    w->optRecalRecord->click();
    type(w->Lev(1), "50");
    EXPECT_DOUBLE_EQ(band(1, 1), 50);
    EXPECT_DOUBLE_EQ(band(2, 1), 43); // not yet
    EXPECT_EQ(w->Lev(1)->text(), "50.0");
    w->Data1.recordset().MoveNext();
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(band(2, 1), 53);
    EXPECT_EQ(w->Lev(1)->text(), "53.0");
}

TEST_F(WorksheetWindowTest, EnterAndShiftEnterWrapAroundTheLevelBoxes) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40))});
    WorksheetWindow* w = open(1, 1);
    w->Lev(10)->setFocus();
    QTest::keyClick(w->Lev(10), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(w->Lev(1)->hasFocus());
    EXPECT_EQ(w->Lev(1)->selectedText(), "40.0");
    QTest::keyClick(w->Lev(1), Qt::Key_Return, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_TRUE(w->Lev(10)->hasFocus());
    QTest::keyClicks(w->Lev(10), "44");
    QTest::keyClick(w->Lev(10), Qt::Key_Return, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_TRUE(w->Lev(9)->hasFocus());
    EXPECT_DOUBLE_EQ(band(1, 10), 44);
}

TEST_F(WorksheetWindowTest, TypeAndSummaryChoicesRateTheCurrentSpectrum) {
    file_->addSheet(kSheet, 1, 14,
                    {spectrum(std::vector<double>(10, 40)), spectrum(std::vector<double>(10, 30))});
    WorksheetWindow* w = open(1, 1);
    const db::Value other = field(2, "Summary 1 Val");
    const int tl = w->cmbType->findText("Transmission Loss");
    w->cmbType->setCurrentIndex(tl);
    emit w->cmbType->activated(tl);
    QApplication::processEvents();
    EXPECT_EQ(field(1, "Type").toText(), "Transmission Loss");
    EXPECT_EQ(field(1, "Summary 1 Type").toText(), "Rw");
    EXPECT_EQ(field(1, "Summary 2 Type").toText(), "Ctr");
    EXPECT_EQ(field(1, "Summary 1 Val").toText().rfind("Rw", 0), 0u);
    EXPECT_EQ(field(2, "Summary 1 Val"), other); // other spectra wait for a recalculation

    const int rt = w->cmbType->findText("Reverberation Time");
    w->cmbType->setCurrentIndex(rt);
    emit w->cmbType->activated(rt);
    QApplication::processEvents();
    EXPECT_EQ(field(1, "Summary 1 Type").toText(), "");
    EXPECT_EQ(field(1, "Summary 1 Val").toText(), "");
    EXPECT_EQ(w->Lev(1)->text(), "40.00"); // two decimals for this type
}

TEST_F(WorksheetWindowTest, ShiftArrowsExtendASelectionOfRecords) {
    std::vector<SpectrumRow> rows(6, spectrum(std::vector<double>(10, 40)));
    file_->addSheet(kSheet, 1, 14, rows);
    WorksheetWindow* w = open(1, 1);
    platform::DataGrid* grid = w->grdSpectra;
    db::Recordset& rs = w->Data1.recordset();
    const auto positions = [&] { return selectedPositions(w); };
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::ShiftModifier) {
        QTest::keyClick(grid->view()->viewport(), k, m);
        QApplication::processEvents();
    };
    rs.setAbsolutePosition(3);
    QApplication::processEvents();
    grid->SelBookmarks().Add(rs.Bookmark());
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(positions(), (std::vector<int>{3, 4, 5}));
    key(Qt::Key_Up);
    EXPECT_EQ(positions(), (std::vector<int>{3, 4}));
    key(Qt::Key_Shift, Qt::NoModifier); // Shift alone keeps the extension
    key(Qt::Key_Down);
    EXPECT_EQ(positions(), (std::vector<int>{3, 4, 5}));
    key(Qt::Key_Down, Qt::NoModifier); // a plain arrow ends it
    EXPECT_TRUE(positions().empty());
    EXPECT_FALSE(gSelExtending);

    // From a record that is not selected Shift+Down only moves.
    key(Qt::Key_Down);
    EXPECT_TRUE(positions().empty());

    // Upwards the end stops at the first record.
    rs.setAbsolutePosition(2);
    QApplication::processEvents();
    grid->SelBookmarks().Add(rs.Bookmark());
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(positions(), (std::vector<int>{1, 2}));
}

TEST_F(WorksheetWindowTest, TheSmallChartOfAVeryWideScaleIsLabelledAtRoundValues) {
    std::vector<double> bands(10, 40);
    bands[0] = 400000;
    bands[1] = -200;
    file_->addSheet(kSheet, 1, 14, {spectrum(bands)});
    DialogScript script;
    script.answerMsgBox(platform::vbOK); // the division overflows, as ever
    WorksheetWindow* w = open(1, 1);
    EXPECT_EQ(script.prompts(), std::vector<QString>{"Overflow"});
    const platform::gui::Chart* c = w->chtDisp;
    const auto marks = c->axisMarks(platform::gui::AxisId::Y1);
    ASSERT_GE(marks.labels.size(), 3u);
    const double stride = marks.labels[1] - marks.labels[0];
    EXPECT_EQ(std::fmod(stride, 10000), 0) << stride;
    for (size_t k = 0; k < marks.labels.size(); ++k) {
        EXPECT_EQ(std::fmod(marks.labels[k], stride), 0) << marks.labels[k];
        if (k > 0) {
            EXPECT_EQ(marks.labels[k] - marks.labels[k - 1], stride) << k;
        }
    }
    EXPECT_LE(marks.labels.front(), 0);
    EXPECT_GE(marks.labels.back() + stride, 400000);
    // Both extremes are drawn inside the plot, 400000 at its top.
    const QRectF plot = c->plotArea();
    EXPECT_NEAR(c->pointAt(1, 1)->y(), plot.top(), 1);
    EXPECT_LE(c->pointAt(1, 2)->y(), plot.bottom());
    EXPECT_GT(c->pointAt(1, 2)->y(), c->pointAt(1, 3)->y() - 1);
}

TEST_F(WorksheetWindowTest, SpreadsheetViewCellsAndDecimals) {
    std::vector<double> bands(30, 40);
    bands[0] = 12.34;
    file_->addSheet(kSheet, 2, 13, {spectrum(bands), spectrum({}, "s1 + 3")});
    WorksheetWindow* w = open(2, 2, 13);
    platform::DataGrid* grid = w->grdSpectra;
    EXPECT_EQ(grid->LeftCol(), 4);
    EXPECT_EQ(grid->caption(4), "25Hz");
    EXPECT_EQ(cellText(grid, 0, 4), "12.3");
    w->cmbDecimals->setCurrentText("3");
    emit w->cmbDecimals->activated(3);
    EXPECT_EQ(cellText(grid, 0, 4), "12.340");
    w->cmbDecimals->setCurrentText("0");
    emit w->cmbDecimals->activated(0);
    EXPECT_EQ(cellText(grid, 0, 4), "12");

    // Under On Changing Records two cells of one row do not recalculate; the
    // next row does. "X" stores no value in the grid.
    w->optRecalRecord->click();
    typeIntoCell(grid, 0, 5, "50");
    typeIntoCell(grid, 0, 6, "X");
    EXPECT_DOUBLE_EQ(band(2, 2), 43);
    moveTo(grid, 1, 7);
    EXPECT_DOUBLE_EQ(band(1, 2), 50);
    EXPECT_DOUBLE_EQ(band(1, 3), -999);
    EXPECT_DOUBLE_EQ(band(2, 2), 53);
    EXPECT_EQ(cellText(grid, 0, 6), ".");

    // A decimal comma, as a spreadsheet in such a language writes it.
    typeIntoCell(grid, 0, 7, "65,2");
    moveTo(grid, 1, 7);
    EXPECT_DOUBLE_EQ(band(1, 4), 65.2);
    EXPECT_DOUBLE_EQ(band(2, 4), 68.2);

    // A band cell reads what a level box reads; a text that is no level is
    // refused in our own message and the cell keeps its level.
    {
        DialogScript script;
        script.answerMsgBox(platform::vbOK);
        typeIntoCell(grid, 0, 8, "abc");
        QApplication::processEvents();
        ASSERT_EQ(script.prompts().size(), 1u);
        EXPECT_TRUE(script.prompts()[0].startsWith("\"abc\" is not a level, and nothing was "
                                                   "stored."));
        typeIntoCell(grid, 0, 9, "45 dB");
        typeIntoCell(grid, 0, 10, "x");
        moveTo(grid, 1, 7);
        EXPECT_EQ(script.prompts().size(), 1u);
    }
    EXPECT_DOUBLE_EQ(band(1, 5), 40);
    EXPECT_EQ(cellText(grid, 0, 8), "40");
    EXPECT_DOUBLE_EQ(band(1, 6), 45);
    EXPECT_DOUBLE_EQ(band(1, 7), -999);

    // A description typed into the grid shows in the box above it as soon as
    // the cell is left, before the record is written.
    typeIntoCell(grid, 0, 1, "Boiler house");
    EXPECT_EQ(w->txtDescription->text(), "Boiler house");
    EXPECT_EQ(cellText(grid, 0, 1), "Boiler house");
    moveTo(grid, 1, 1);
    EXPECT_EQ(w->txtDescription->text(), "");
    EXPECT_EQ(field(1, "Description").toText(), "Boiler house");
    moveTo(grid, 0, 1);
    EXPECT_EQ(w->txtDescription->text(), "Boiler house");
}

TEST_F(WorksheetWindowTest, ClosingDropsOnlyItsOwnRecoveryTable) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40))});
    file_->addSheet("Backup", 1, 14, {spectrum(std::vector<double>(10, 40))});
    file_->database()->copyTableStructure(kSheet, "~" + kSheet);
    file_->database()->copyTableStructure(kSheet, "~Other");
    WorksheetWindow* w = open(1, 1);
    ASSERT_TRUE(file_->database()->findTable("~Backup"));
    w->txtNotes->setFocus();
    QTest::keyClicks(w->txtNotes, "measured at night");
    w->Lev(1)->setFocus(); // the octave view commits notes as they lose the focus
    QApplication::processEvents();
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_EQ(gActiveSheet, nullptr);
    EXPECT_FALSE(file_->database()->findTable("~" + kSheet));
    EXPECT_TRUE(file_->database()->findTable("~Other"));
    EXPECT_TRUE(file_->database()->findTable("~Backup"));
    EXPECT_EQ(file_->database()
                  ->scalar("SELECT Notes FROM \"Sheets List\" WHERE \"Sheet Name\" = ?",
                           {db::Value(kSheet)})
                  .toText(),
              "measured at night");
    EXPECT_FALSE(menuItem("mnuSaveWorksheetAs")->isEnabled()); // back to mode 2

    // A window on the sheet "Backup" leaves the program's backup table alone.
    open(1, 1, 14, "Backup");
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_TRUE(file_->database()->findTable("~Backup"));
}

TEST_F(WorksheetWindowTest, ASheetThatCannotBeBoundClosesWithOneMessage) {
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    WorksheetWindow* w = newWorksheetWindow(1, 1);
    gActiveSheet = w;
    EXPECT_TRUE(OpenSheetForm(w, QString::fromStdString(path_), "No such sheet", 1, 14, 1, true));
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(main_->mdiArea->subWindowList().isEmpty());

    // Sheets another program spoiled are refused, with their name and fault.
    const struct {
        std::string sheet, spoil, message;
    } cases[] = {
        {"Gone", "DROP TABLE Gone", "Worksheet \"Gone\" is listed but missing from the file"},
        {"NoCode", "UPDATE NoCode SET Code = NULL WHERE Code = 2",
         "Worksheet \"NoCode\" cannot be opened: a spectrum has no number (Code)"},
        {"TextCode", "UPDATE TextCode SET Code = 'two' WHERE Code = 2",
         "Worksheet \"TextCode\" cannot be opened: a spectrum's number (Code) is \"two\", not a "
         "whole number"},
        {"HighBand",
         "UPDATE \"Sheets List\" SET \"First Band\" = 22 WHERE \"Sheet Name\" = 'HighBand'",
         "Worksheet \"HighBand\" cannot be opened: its First Band \"22\" puts its bands outside "
         "the band table (1 to 48)"},
        {"NoKind",
         "UPDATE \"Sheets List\" SET \"Octave/Third Octave\" = 3 WHERE \"Sheet Name\" = 'NoKind'",
         "Worksheet \"NoKind\" cannot be opened: its band system (Octave/Third Octave) is \"3\", "
         "not 1 (octave) or 2 (third-octave)"},
        // The program's own undo copy, listed as a sheet by another tool.
        {"~Backup", "",
         "Worksheet \"~Backup\" cannot be opened: names beginning with \"~\" belong to the "
         "program's own backup and recovery tables"},
        // A table without its primary key, two spectra numbered alike.
        {"Twice",
         "CREATE TABLE Loose AS SELECT * FROM Twice; DROP TABLE Twice; "
         "ALTER TABLE Loose RENAME TO Twice; UPDATE Twice SET Code = 1 WHERE Code = 2",
         "Worksheet \"Twice\" cannot be opened: two spectra have the number (Code) 1"},
        {"Noise",
         "UPDATE \"Sheets List\" SET \"Sheet Name\" = 'NOISE' WHERE \"Sheet Name\" = 'Noise'",
         "Worksheet \"NOISE\" cannot be opened: its table is called \"Noise\", written another "
         "way"},
    };
    for (const auto& c : cases) {
        file_->addSheet(c.sheet, 1, 14, {spectrum({40}), spectrum({}, "s1 - 3")});
        file_->database()->Execute("PRAGMA ignore_check_constraints = ON");
        for (const QString& sql : QString::fromStdString(c.spoil).split(';', Qt::SkipEmptyParts))
            file_->database()->Execute(sql.toStdString());
        const std::string listed = c.sheet == "Noise" ? "NOISE" : c.sheet;
        script.answerMsgBox(platform::vbOK);
        WorksheetWindow* spoiled = newWorksheetWindow(1, 1);
        gActiveSheet = spoiled;
        EXPECT_TRUE(OpenSheetForm(spoiled, QString::fromStdString(path_),
                                  QString::fromStdString(listed), 1, 14, 1, true));
        QApplication::processEvents();
        EXPECT_EQ(script.prompts().back().toStdString(), c.message);
        EXPECT_TRUE(main_->mdiArea->subWindowList().isEmpty());
    }
    EXPECT_EQ(script.prompts().size(), 9u);
    // Nothing was taken from the undo copy that was listed as a sheet.
    EXPECT_EQ(file_->database()->scalar("SELECT count(*) FROM \"~Backup\"").toLong(), 2);
}

TEST_F(WorksheetWindowTest, WindowsCascadeAndTakeTheirSizes) {
    file_->addSheet(kSheet, 2, 13, {spectrum(std::vector<double>(30, 40))});
    platform::gui::setCaption(main_, "Bandwright: /tmp/noise.bwdb");
    WorksheetWindow* a = open(2, 1, 13);
    WorksheetWindow* b = open(2, 2, 13);
    QWidget* fa = a->parentWidget();
    QWidget* fb = b->parentWidget();
    EXPECT_EQ(fa->pos(), QPoint(0, 0));
    EXPECT_EQ(fb->pos(), QPoint(20, 20));
    EXPECT_EQ(fa->size(), QSize(747, 507)); // 11200 x 7600 twips
    EXPECT_EQ(fb->size(), QSize(747, 500)); // 11200 x 7500 twips
    EXPECT_TRUE(menuItem("mnuWSViewSpread")->isChecked());
    EXPECT_FALSE(menuItem("mnuWSViewFormula")->isChecked());

    // Enlarged, the window gives its grid the extra rows; the chart and the
    // level boxes keep their size and move down.
    for (WorksheetWindow* w : {a, b}) {
        QWidget* f = w->parentWidget();
        const int grid = w->grdSpectra->height(), chart = w->chtDisp->height();
        const int chartTop = w->chtDisp->y();
        EXPECT_EQ(grid, platform::twipsToPixels(w == a ? 2555 : 3402));
        f->resize(f->width(), f->height() + 300);
        QApplication::processEvents();
        EXPECT_EQ(w->grdSpectra->height(), grid + 300);
        EXPECT_EQ(w->chtDisp->height(), chart);
        EXPECT_EQ(w->chtDisp->y(), chartTop + 300);
        // A double click stretches it over the rest and brings it back.
        w->grdSpectra_DblClick();
        EXPECT_GT(w->grdSpectra->height(), w->chtDisp->geometry().bottom() - 40);
        w->grdSpectra_DblClick();
        EXPECT_EQ(w->grdSpectra->height(), grid + 300);
        // Smaller than it opens: the grid keeps its rows, the chart gives way.
        f->resize(f->width(), f->height() - 400);
        QApplication::processEvents();
        EXPECT_EQ(w->grdSpectra->height(), grid);
        EXPECT_LT(w->chtDisp->height(), chart);
    }
    static_cast<QMdiSubWindow*>(fb)->showMaximized();
    QApplication::processEvents();
    EXPECT_GT(b->grdSpectra->height(), platform::twipsToPixels(3402) + 100);
}

// The controls a person reads and uses: the window's own and those in its
// frames (not the inner parts of a grid, combo or chart).
std::vector<QWidget*> controlsOf(QWidget* window) {
    std::vector<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isVisibleTo(window)) continue;
        out.push_back(w);
        if (qobject_cast<QGroupBox*>(w))
            for (QWidget* inner : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (inner->isVisibleTo(window)) out.push_back(inner);
    }
    return out;
}

// Every control lies whole inside its window or frame, apart from the
// controls beside it, with its caption whole; a box shows its text's start.
void expectWholeControls(QWidget* window, const std::string& where) {
    // The window itself lies whole inside the frame round it.
    EXPECT_TRUE(window->parentWidget()->rect().contains(window->geometry())) << where;
    const std::vector<QWidget*> controls = controlsOf(window);
    for (QWidget* c : controls) {
        const std::string name =
            where + " " + c->objectName().toStdString() + " \"" +
            (qobject_cast<QLabel*>(c) ? static_cast<QLabel*>(c)->text().toStdString()
                                      : std::string()) +
            "\"";
        const QRect inParent = c->parentWidget()->rect();
        EXPECT_TRUE(inParent.contains(c->geometry())) << name;
        const QRect shown(c->mapTo(window, QPoint(0, 0)), c->size());
        EXPECT_TRUE(window->rect().contains(shown)) << name;
        if (auto* label = qobject_cast<QLabel*>(c); label && !label->wordWrap()) {
            QString text = label->text();
            text.remove('&');
            EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->width()) << name;
        }
        if (auto* option = qobject_cast<QRadioButton*>(c)) {
            EXPECT_LE(option->sizeHint().width(), option->width()) << name;
        }
        if (auto* frame = qobject_cast<QGroupBox*>(c)) {
            EXPECT_LT(frame->fontMetrics().horizontalAdvance(frame->title()), frame->width())
                << name;
        }
        if (auto* box = qobject_cast<QLineEdit*>(c); box && !box->hasFocus()) {
            EXPECT_EQ(box->cursorPosition(), 0) << name << " shows " << box->text().toStdString();
        }
        for (QWidget* other : controls) {
            if (other != c && other->parentWidget() == c->parentWidget()) {
                EXPECT_FALSE(c->geometry().intersects(other->geometry()))
                    << name << " and " << other->objectName().toStdString();
            }
        }
    }
}

// All six sheet windows, made as small as a person can drag them, keep a
// size at which every control is whole; the long texts in their boxes show
// their start, not their end.
TEST_F(WorksheetWindowTest, EverySheetWindowKeepsItsControlsWholeWhenMadeSmall) {
    const std::string roof = "Fan coil unit on the roof, north side, measured at 1 m after dark";
    SpectrumRow third = spectrum(std::vector<double>(30, 105.2));
    third.description = roof;
    third.formula = "10 * log( 15 ) + 10 * log( 15 ) + 10 * log( 15 ) + 10 * log( 15 ) + 60";
    SpectrumRow octave = spectrum(std::vector<double>(10, -12.5));
    octave.description = roof;
    file_->addSheet("Third", 2, 13, {third});
    file_->addSheet("Octave", 1, 14, {octave});
    testing_support::DatasheetsFile datasheets(pathOf("data.bwdb"));
    const auto details = [&roof](const char* field) {
        return std::map<std::string, std::string>{
            {"Summary 1 Val", "26.6 dBA"}, {"Summary 2 Val", "Rw 44 (-1;-4)"}, {field, roof}};
    };
    datasheets.addDatasheet("Plant", 2, 13, "Sound Level",
                            {{"Roof fan", db::Value(""), std::vector<double>(30, 105.2),
                              details("Source Description")}});
    datasheets.addDatasheet(
        "Walls", 1, 14, "Transmission Loss",
        {{"Block wall", db::Value(""), std::vector<double>(10, 44), details("Details")}});
    useFile(datasheets);

    std::vector<QWidget*> windows;
    for (const auto& [sheet, bandKind, firstBand] :
         {std::tuple{"Third", 2, 13}, std::tuple{"Octave", 1, 14}})
        for (int view : {1, 2})
            windows.push_back(open(bandKind, view, firstBand, sheet));
    windows.push_back(openDatasheet(datasheets.path(), "Plant", 2, 13, 1));
    windows.push_back(openDatasheet(datasheets.path(), "Walls", 1, 14, 2));

    // The sizes they open at, in twips: every control is whole at them.
    const std::map<std::string, QSize> openingTwips = {
        {"frmWorksheet2B", {11200, 7600}}, {"frmWorksheet2A", {11200, 7500}},
        {"frmWorksheet1B", {11200, 7600}}, {"frmWorksheet1A", {11300, 7500}},
        {"frmDatasheet2", {10000, 7500}},  {"frmDatasheet1", {10000, 7500}}};
    for (QWidget* w : windows) {
        ASSERT_TRUE(w);
        const std::string name = w->objectName().toStdString();
        QWidget* f = frame(w);
        const QSize twips = openingTwips.at(name);
        EXPECT_EQ(f->size(), QSize(platform::twipsToPixels(twips.width()),
                                   platform::twipsToPixels(twips.height())))
            << name;
        activate(w);
        w->setFocus(); // no box is being typed in
        QApplication::processEvents();
        expectWholeControls(w, name + " as it opens");
        const QSize opening = f->size();
        f->resize(120, 80);
        QApplication::processEvents();
        EXPECT_GE(w->width(), w->minimumWidth()) << name;
        EXPECT_GE(w->height(), w->minimumHeight()) << name;
        EXPECT_LE(f->width(), opening.width()) << name;
        expectWholeControls(w, name + " made small");
        f->resize(opening.width() + 300, opening.height() + 200);
        QApplication::processEvents();
        expectWholeControls(w, name + " enlarged");
    }
}

// A box left for a dialog shows its start again once its window comes back
// with the focus elsewhere: at a sheet the dialog opened behind itself.
TEST_F(WorksheetWindowTest, ABoxLeftForADialogShowsItsStartWhenTheFocusComesBackElsewhere) {
    SpectrumRow row = spectrum(std::vector<double>(10, 40));
    row.formula = "10 * log( 15 ) + 10 * log( 15 ) + 10 * log( 15 ) + 10 * log( 15 ) + 10 * "
                  "log( 15 ) + 10 * log( 15 ) + 10 * log( 15 ) + 60";
    file_->addSheet(kSheet, 1, 14, {row});
    file_->addSheet("Other", 1, 14, {spectrum(std::vector<double>(10, 50))});
    WorksheetWindow* w = open(1, 2);
    ASSERT_TRUE(w);
    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_));
    w->txtFormula->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(w->txtFormula, Qt::Key_End);
    ASSERT_GT(w->txtFormula->cursorPosition(), 0);

    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_GT(w->txtFormula->cursorPosition(), 0); // kept while the dialog is up
    WorksheetWindow* other = open(1, 2, 14, "Other");
    ASSERT_TRUE(other);
    dialog.close();
    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_));
    ASSERT_NE(QApplication::focusWidget(), w->txtFormula);
    EXPECT_EQ(w->txtFormula->cursorPosition(), 0);

    // Typing into it again keeps the caret where the person put it.
    activate(w);
    w->txtFormula->setFocus(Qt::MouseFocusReason);
    w->txtFormula->setCursorPosition(5);
    QTest::keyClicks(w->txtFormula, "2");
    EXPECT_EQ(w->txtFormula->cursorPosition(), 6);
    EXPECT_TRUE(w->txtFormula->text().startsWith("10 * 2log"));
}

} // namespace

namespace {

TEST_F(WorksheetWindowTest, ClosingAWindowKeepsWhatWasTyped) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40))});
    WorksheetWindow* w = open(1, 2);
    w->optRecalRecord->click();
    typeIntoCell(w->grdSpectra, 0, 5, "55"); // pending until the row changes
    w->txtDescription->setFocus();
    QTest::keyClicks(w->txtDescription, "at night");
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(band(1, 2), 55);
    EXPECT_EQ(field(1, "Description").toText(), "at night");

    // A level still in its box when the window closes.
    WorksheetWindow* f = open(1, 1);
    f->Lev(3)->setFocus();
    f->Lev(3)->selectAll();
    QTest::keyClicks(f->Lev(3), "61");
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(band(1, 3), 61);
}

TEST_F(WorksheetWindowTest, ACommandNeverDropsWhatIsBeingTyped) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40)), spectrum({}, "s1 + 3")});
    platform::clearClipboard();
    DialogScript script;
    // Ctrl+A (Paste Insert) with an empty clipboard while a level is typed:
    // the level is stored before the message, and stays.
    WorksheetWindow* f = open(1, 1);
    f->Lev(2)->setFocus();
    f->Lev(2)->selectAll();
    QTest::keyClicks(f->Lev(2), "61");
    script.answerMsgBox(platform::vbOK);
    menuItem("mnuEditPasteInsert")->trigger();
    EXPECT_EQ(script.prompts().back(), "No paste data");
    EXPECT_DOUBLE_EQ(band(1, 2), 61);
    EXPECT_DOUBLE_EQ(band(2, 2), 64);
    EXPECT_EQ(f->Lev(2)->text(), "61.0");
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();

    // The same for a grid cell being typed.
    WorksheetWindow* s = open(1, 2);
    typeIntoCell(s->grdSpectra, 0, 6, "62", false);
    script.answerMsgBox(platform::vbOK);
    menuItem("mnuEditPasteInsert")->trigger();
    EXPECT_EQ(script.prompts().back(), "No paste data");
    EXPECT_DOUBLE_EQ(band(1, 3), 62);
    EXPECT_EQ(cellText(s->grdSpectra, 0, 6), "62.0");
}

TEST_F(WorksheetWindowTest, LeavingTheRecalculationBoxOrTheWindowCountsTheCellStillOnItsRow) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40)), spectrum({}, "s1 + 1")});
    WorksheetWindow* w = open(1, 2);
    platform::DataGrid* grid = w->grdSpectra;
    // Enter keeps the current cell on its row: the level waits in the record.
    typeIntoCell(grid, 0, 4, "80", false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(grid->view()->currentIndex().row(), 0);
    QTest::mouseClick(w->txtRecalc, Qt::LeftButton);
    QTest::keyClick(w->txtRecalc, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(band(1, 1), 80);
    EXPECT_DOUBLE_EQ(band(2, 1), 81);
    EXPECT_EQ(cellText(grid, 0, 4), "80.0");
    EXPECT_EQ(cellText(grid, 1, 4), "81.0");
    // Closing the window stores such a level with the results it gives,
    // also at exit, where another window is active and has a pass to make.
    typeIntoCell(grid, 0, 5, "70", false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    file_->addSheet("Other", 1, 14,
                    {spectrum(std::vector<double>(10, 10)), spectrum({}, "s1 + 5")});
    db::Recordset& other = open(1, 2, 14, "Other")->Data1.recordset();
    other.Fields(db::kFirstBandField) = db::Value(20.0);
    other.Update();
    DialogScript script;
    main_->mdiArea->closeAllSubWindows();
    EXPECT_DOUBLE_EQ(band(1, 2), 70);
    EXPECT_DOUBLE_EQ(band(2, 2), 71);
    EXPECT_TRUE(script.prompts().empty()) << script.prompts().front().toStdString();
}

// Tests run as root, whom the permission bits do not stop: the file is
// read-only all the same.
TEST_F(WorksheetWindowTest, AReadOnlyFileOpensForViewingAndSaysSoAtEveryEdit) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40))});
    file_.reset();
    std::filesystem::permissions(path_, std::filesystem::perms::owner_read |
                                            std::filesystem::perms::group_read |
                                            std::filesystem::perms::others_read);
    DialogScript script; // opening shows no message
    WorksheetWindow* w = open(1, 1);
    EXPECT_TRUE(script.prompts().empty());
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    EXPECT_FALSE(w->cmbType->isEnabled());
    EXPECT_TRUE(w->txtNotes->isReadOnly());
    EXPECT_EQ(w->Lev(1)->text(), "40.0");
    EXPECT_TRUE(gBackupCaption.isEmpty());
    EXPECT_FALSE(menuItem("mnuEditUndo")->isEnabled());

    // Every try to type gets the reason; nothing changes.
    const QString message =
        QString::fromStdString("The file \"" + path_ + "\" is read-only; it cannot be changed");
    script.answerMsgBox(platform::vbOK).answerMsgBox(platform::vbOK);
    type(w->Lev(1), "55");
    script.answerMsgBox(platform::vbOK);
    w->txtNotes->setFocus();
    QTest::keyClick(w->txtNotes, Qt::Key_Backspace);
    // So does a command that would change the sheet.
    script.answerMsgBox(platform::vbOK);
    menuItem("mnuEditNew")->trigger();
    EXPECT_EQ(script.prompts(), std::vector<QString>(4, message));
    EXPECT_EQ(w->Lev(1)->text(), "40.0");
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();

    WorksheetWindow* s = open(1, 2);
    s->grdSpectra->view()->setCurrentIndex(s->grdSpectra->model()->index(0, 5));
    s->grdSpectra->view()->setFocus();
    script.answerMsgBox(platform::vbOK);
    QTest::keyClick(s->grdSpectra->view(), Qt::Key_7);
    EXPECT_EQ(script.prompts().size(), 5u);
    EXPECT_EQ(script.prompts().back(), message);
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(
        db::Database::open(path_)->scalar("SELECT L1 FROM " + db::quoteIdent(kSheet)).toDouble(),
        40);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST_F(WorksheetWindowTest, AnEmptySheetOffersNothingToTypeInto) {
    file_->addSheet(kSheet, 1, 14, {});
    WorksheetWindow* w = open(1, 1);
    EXPECT_EQ(w->Lev(1)->text(), "");
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    EXPECT_FALSE(w->cmbType->isEnabled());
    EXPECT_DOUBLE_EQ(w->chtDisp->value(1, 1), 0);
}

TEST_F(WorksheetWindowTest, AWindowWhoseActivationFailsReportsTheFailure) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40))});
    file_->database()->Execute("DELETE FROM \"Sheets List\"");
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    WorksheetWindow* w = newWorksheetWindow(1, 1);
    gActiveSheet = w;
    EXPECT_TRUE(OpenSheetForm(w, QString::fromStdString(path_), QString::fromStdString(kSheet), 1,
                              14, 1, true));
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(main_->mdiArea->subWindowList().isEmpty());
}

} // namespace

namespace {

// The record selectors select as such grids do, and the current record's
// carries the mark. A click below the last row selects nothing new.
TEST_F(WorksheetWindowTest, RecordSelectorsSelectWithTheMouseAndMarkTheCurrentRecord) {
    std::vector<SpectrumRow> rows(6, spectrum(std::vector<double>(10, 40)));
    file_->addSheet(kSheet, 1, 14, rows);
    WorksheetWindow* w = open(1, 1);
    platform::DataGrid* grid = w->grdSpectra;
    db::Recordset& rs = w->Data1.recordset();
    QHeaderView* selectors = grid->view()->verticalHeader();
    const auto selectorAt = [&](int row) {
        return QPoint(selectors->width() / 2,
                      selectors->sectionViewportPosition(row) + selectors->sectionSize(row) / 2);
    };
    const QPoint belowLast(selectors->width() / 2,
                           selectors->sectionViewportPosition(5) + selectors->sectionSize(5) + 10);
    const auto click = [&](QPoint at, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::mouseClick(selectors->viewport(), Qt::LeftButton, m, at);
        QApplication::processEvents();
    };
    const auto selected = [&] { return selectedPositions(w); };
    // Rows whose record selector shows the mark, and rows shown selected.
    const auto marked = [&] {
        const QImage image = selectors->viewport()->grab().toImage();
        std::vector<int> out;
        for (int r = 0; r < 6; ++r) {
            int dark = 0;
            const int top = selectors->sectionViewportPosition(r);
            for (int y = top + 2; y < top + selectors->sectionSize(r) - 2; ++y)
                for (int x = 2; x < image.width() - 2; ++x)
                    dark += QColor(image.pixel(x, y)).lightness() < 80;
            if (dark > 6) out.push_back(r + 1);
        }
        return out;
    };
    const auto shown = [&] {
        std::vector<int> out;
        for (int r = 0; r < 6; ++r)
            if (grid->view()->selectionModel()->isRowSelected(r)) out.push_back(r + 1);
        return out;
    };
    EXPECT_EQ(marked(), std::vector<int>{1});

    click(selectorAt(0));
    click(belowLast, Qt::ShiftModifier);
    click(belowLast);
    EXPECT_EQ(selected(), std::vector<int>{1});
    EXPECT_EQ(rs.AbsolutePosition(), 1);

    click(selectorAt(3), Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(shown(), selected());
    EXPECT_EQ(rs.AbsolutePosition(), 4);
    EXPECT_EQ(marked(), std::vector<int>{4});
    click(selectorAt(1), Qt::ControlModifier); // out
    click(selectorAt(5), Qt::ControlModifier); // in
    EXPECT_EQ(selected(), (std::vector<int>{1, 3, 4, 6}));
    click(selectorAt(4), Qt::ShiftModifier); // the run from the last one clicked
    EXPECT_EQ(selected(), (std::vector<int>{5, 6}));
    click(selectorAt(2), Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(selected(), (std::vector<int>{5, 6, 3, 4}));
    EXPECT_EQ(marked(), std::vector<int>{3});

    // A drag over the selectors selects the run; the current record is where it started.
    QTest::mousePress(selectors->viewport(), Qt::LeftButton, Qt::NoModifier, selectorAt(4));
    QTest::mouseMove(selectors->viewport(), selectorAt(3));
    QTest::mouseMove(selectors->viewport(), selectorAt(1));
    QTest::mouseRelease(selectors->viewport(), Qt::LeftButton, Qt::NoModifier, selectorAt(1));
    QApplication::processEvents();
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(shown(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(rs.AbsolutePosition(), 5);
    EXPECT_EQ(marked(), std::vector<int>{5});

    // Code moving the record set moves the mark.
    rs.MoveFirst();
    QApplication::processEvents();
    EXPECT_EQ(marked(), std::vector<int>{1});

    // A Shift+click runs from where the cursor now is, however it got there.
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(grid->view()->viewport(), k, m);
        QApplication::processEvents();
    };
    grid->view()->setFocus();
    click(selectorAt(0));
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Down);
    EXPECT_TRUE(selected().empty());
    click(selectorAt(4), Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<int>{4, 5}));

    // Shift+arrows after a run made with the mouse carry on from its start.
    click(selectorAt(1));
    click(selectorAt(3), Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(shown(), selected());
    click(selectorAt(5), Qt::ShiftModifier); // still from the run's start
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 4, 5, 6}));
    click(selectorAt(3), Qt::ShiftModifier);
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<int>{2, 3}));
    EXPECT_EQ(rs.AbsolutePosition(), 3);

    // In the Spreadsheet view a click on a cell moves the start too.
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    w = open(1, 2);
    grid = w->grdSpectra;
    selectors = grid->view()->verticalHeader();
    click(selectorAt(0));
    const QRect cell = grid->view()->visualRect(grid->model()->index(3, grid->LeftCol()));
    QTest::mouseClick(grid->view()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QApplication::processEvents();
    EXPECT_EQ(w->Data1.recordset().AbsolutePosition(), 4);
    click(selectorAt(5), Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<int>{4, 5, 6}));
}

} // namespace

namespace {

// A spectrum's number is its place in the sheet: no view lets it be retyped.
TEST_F(WorksheetWindowTest, TheSpectrumNumberCannotBeRetyped) {
    file_->addSheet(kSheet, 1, 14, {spectrum(std::vector<double>(10, 40)), spectrum({}, "s1 + 1")});
    for (int view : {1, 2}) {
        WorksheetWindow* w = open(1, view);
        QTableView* grid = w->grdSpectra->view();
        grid->setFocus();
        moveTo(w->grdSpectra, 1, 0);
        QTest::keyClicks(grid, "5");
        EXPECT_FALSE(w->grdSpectra->EditActive()) << view;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QApplication::processEvents();
        EXPECT_EQ(cellText(w->grdSpectra, 1, 0), "2") << view;
        EXPECT_EQ(field(2, "Formula").toText(), "s1 + 1") << view;
        EXPECT_EQ(file_->database()->scalar("SELECT max(Code) FROM " + db::quoteIdent(kSheet)),
                  db::Value(2))
            << view;
        main_->mdiArea->closeAllSubWindows();
        QApplication::processEvents();
    }
}

} // namespace
