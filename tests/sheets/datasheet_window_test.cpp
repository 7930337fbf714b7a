// The datasheet windows through their real controls: what a datasheet
// shows, the filter by type, level edits only while editable, descriptive
// fields, and each edit's undo backup.
#include "engine/globals.h"
#include "engine/summary.h"
#include "platform/gui/chart.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "sheets/datasheet_window.h"
#include "sheets/db_utilities.h"
#include "sheets/frm_sel_data_type.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/open_datasheet.h"
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
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using testing_support::cellText;
using testing_support::DataRow;
using testing_support::DatasheetsFile;
using testing_support::DialogScript;
using testing_support::type;

namespace {

const std::string kPumps = "Pumps 'n' [fans]";
const std::string kWalls = "Walls";
const std::string kQuoted = "Fan's \"big\" unit";

std::vector<QString> items(QComboBox* combo) {
    std::vector<QString> out;
    for (int i = 0; i < combo->count(); ++i)
        out.push_back(combo->itemText(i));
    return out;
}

void choose(platform::gui::ComboBox* combo, const QString& text) {
    const int i = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_GE(i, 0) << text.toStdString();
    combo->setCurrentIndex(i);
    emit combo->activated(i);
    QApplication::processEvents();
}

std::vector<double> levels(int n, double from) {
    std::vector<double> out;
    for (int j = 0; j < n; ++j)
        out.push_back(from + j);
    return out;
}

class DatasheetWindowTest : public testing_support::WindowFixtureOn<DatasheetsFile> {
protected:
    DatasheetWindowTest() : WindowFixtureOn("datasheets.bwdb") {}

    void addPumps() {
        std::vector<double> pump = levels(10, 60);
        pump[4] = 45.26;
        file_->addDatasheet(
            kPumps, 1, 14, "Sound Level",
            {{"Pump B", db::Value(kQuoted), pump, {{"Source Description", "close to the inlet"}}},
             {"Fan A", db::Value("Fans"), levels(10, 50), {{"Noise Descriptor", "Lmax"}}},
             {"Chiller", db::Value(""), levels(10, 70), {}},
             {"Boiler", db::Value::null(), levels(10, 40), {}}});
    }
    DatasheetWindow* open(const std::string& name, int bandKind, int firstBand, int kind) {
        DatasheetWindow* w = openDatasheet(path_, name, bandKind, firstBand, kind);
        EXPECT_TRUE(w);
        return w;
    }
    db::Value backup(int code, const std::string& name) { return field("~Backup", code, name); }
    QStringList shownDescriptions(DatasheetWindow* w) {
        QStringList out;
        for (int r = 0; r < w->grdSpectra->model()->rowCount(); ++r)
            out << cellText(w->grdSpectra, r, 1);
        return out;
    }
};

TEST_F(DatasheetWindowTest, ASourceDatasheetShowsItsSpectraFieldsAndTypes) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    EXPECT_EQ(w->objectName(), "frmDatasheet1");
    EXPECT_EQ(w->caption(), QString::fromStdString("Datasheet: " + kPumps));
    EXPECT_FALSE(gBusy);
    EXPECT_EQ(gActiveKind, 2);
    EXPECT_TRUE(w->frmOtherInfo(1)->isVisible());
    EXPECT_FALSE(w->frmOtherInfo(2)->isVisible());
    EXPECT_EQ(w->grdSpectra->caption(0), "Number");
    // Every spectrum, by description.
    EXPECT_EQ(shownDescriptions(w), QStringList({"Boiler", "Chiller", "Fan A", "Pump B"}));
    EXPECT_EQ(cellText(w->grdSpectra, 0, 0), "4");
    EXPECT_EQ(w->LF(1)->text(), "31.5Hz");
    EXPECT_EQ(w->LF(10)->text(), "16KHz");
    EXPECT_EQ(w->Lev(1)->text(), "40.0");
    EXPECT_DOUBLE_EQ(w->chtDisp->value(1, 1), 40);
    // The selector: "<All>", one empty item for Null and "", then the types.
    EXPECT_EQ(items(w->cmbSelectBy(1)),
              (std::vector<QString>{"<All>", "", QString::fromStdString(kQuoted), "Fans"}));
    EXPECT_EQ(w->cmbSelectBy(1)->currentText(), "<All>");
    EXPECT_EQ(items(w->cmbOther(1)).size(), 7u);
    EXPECT_EQ(items(w->cmbOther(2)).front(), "Laboratory Test");

    // Each type filters as any other text, the one with quotes too; the
    // empty item shows "" and not the Null one. The boxes show the spectrum
    // the filter leaves.
    struct Filter {
        QString type;
        QStringList shown;
        QString source, descriptor, level5;
    };
    const Filter filters[] = {
        {QString::fromStdString(kQuoted), {"Pump B"}, "close to the inlet", "", "45.3"},
        {"", {"Chiller"}, "", "", "74.0"},
        {"Fans", {"Fan A"}, "", "Lmax", "54.0"},
    };
    for (const Filter& f : filters) {
        SCOPED_TRACE(f.type.toStdString());
        choose(w->cmbSelectBy(1), f.type);
        EXPECT_EQ(shownDescriptions(w), f.shown);
        EXPECT_EQ(w->txtOther(1)->text(), f.source);
        EXPECT_EQ(w->cmbOther(1)->currentText(), f.descriptor);
        EXPECT_EQ(w->Lev(5)->text(), f.level5);
    }
    choose(w->cmbSelectBy(1), "<All>");
    EXPECT_EQ(shownDescriptions(w).size(), 4);

    // Placed at the cascade step, 10000 x 7500 twips.
    EXPECT_EQ(w->parentWidget()->size(), QSize(667, 500));
    // At that size every control shows, and the chart has room to be read.
    for (QWidget* c :
         {static_cast<QWidget*>(w->grdSpectra), static_cast<QWidget*>(w->chtDisp),
          static_cast<QWidget*>(w->frmOtherInfo(1)), static_cast<QWidget*>(w->Lev(10))})
        EXPECT_TRUE(w->rect().contains(c->mapTo(w, c->rect().bottomRight())))
            << c->objectName().toStdString();
    EXPECT_GE(w->chtDisp->plotArea().height(), 120);
    EXPECT_GE(w->grdSpectra->height(), 150);
    // Enlarged, the grid takes the extra height; the level boxes keep theirs.
    const int grid = w->grdSpectra->height(), boxes = w->Lev(1)->height();
    w->parentWidget()->resize(667, 800);
    QApplication::processEvents();
    EXPECT_EQ(w->grdSpectra->height(), grid + 300);
    EXPECT_EQ(w->Lev(1)->height(), boxes);
    EXPECT_TRUE(w->rect().contains(w->frmOtherInfo(1)->geometry()));
    w->grdSpectra_DblClick();
    EXPECT_GT(w->grdSpectra->geometry().bottom(), w->frmOtherInfo(1)->geometry().top());
    w->grdSpectra_DblClick();
    EXPECT_EQ(w->grdSpectra->height(), grid + 300);
}

TEST_F(DatasheetWindowTest, LevelsAreTypedOnlyWhileEditableEachEditBackedUp) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    choose(w->cmbSelectBy(1), QString::fromStdString(kQuoted)); // Pump B, Code 1
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    EXPECT_FALSE(menuItem("mnuEditNew")->isEnabled());
    EXPECT_TRUE(gBackupCaption.isEmpty()); // no backup while not editable

    w->setEditable(true);
    EXPECT_FALSE(w->Lev(1)->isReadOnly());
    // Tabbing through keeps a level stored with more decimals than shown.
    type(w->Lev(5), "45.3");
    EXPECT_DOUBLE_EQ(field(kPumps, 1, "L5").toDouble(), 45.26);
    EXPECT_TRUE(gBackupCaption.isEmpty());

    const std::string dba = field(kPumps, 1, "Summary 1 Val").toText();
    type(w->Lev(1), "90");
    EXPECT_DOUBLE_EQ(field(kPumps, 1, "L1").toDouble(), 90);
    EXPECT_DOUBLE_EQ(backup(1, "L1").toDouble(), 60);
    EXPECT_EQ(gBackupCaption, w->caption());
    EXPECT_NE(field(kPumps, 1, "Summary 1 Val").toText(), dba);
    EXPECT_EQ(w->txtSum1->text().toStdString(), field(kPumps, 1, "Summary 1 Val").toText());
    EXPECT_DOUBLE_EQ(w->chtDisp->value(1, 1), 90);

    // The level boxes' rule of the worksheet windows: a text that is no
    // level is refused with a message.
    {
        DialogScript script;
        script.answerMsgBox(platform::vbOK);
        const std::pair<QString, double> cases[] = {
            {"x", -998}, {"abc", -998}, {"", -999}, {"7 5", 75}};
        for (const auto& [text, value] : cases) {
            type(w->Lev(2), text);
            EXPECT_DOUBLE_EQ(field(kPumps, 1, "L2").toDouble(), value) << text.toStdString();
        }
        ASSERT_EQ(script.prompts().size(), 1u);
        EXPECT_TRUE(script.prompts()[0].startsWith("\"abc\" is not a level"));
        EXPECT_EQ(w->Lev(2)->text(), "75.0");
    }
    EXPECT_DOUBLE_EQ(backup(1, "L2").toDouble(), -999); // the state before the last edit

    // Enter wraps around the boxes.
    w->Lev(10)->setFocus();
    QTest::keyClick(w->Lev(10), Qt::Key_Return);
    EXPECT_TRUE(w->Lev(1)->hasFocus());
    QTest::keyClick(w->Lev(1), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(w->Lev(10)->hasFocus());

    w->setEditable(false);
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();

    // A datasheets file that cannot be written, editable or not: every try
    // to type says why, and nothing changes.
    namespace fs = std::filesystem;
    fs::permissions(path_, fs::perms::owner_read);
    DialogScript script;
    w = open(kPumps, 1, 14, 1);
    w->setEditable(true);
    script.answerMsgBox(platform::vbOK);
    w->Lev(3)->setFocus();
    QTest::keyClick(w->Lev(3), Qt::Key_7);
    EXPECT_EQ(script.prompts(),
              std::vector<QString>{QString::fromStdString(
                  "The file \"" + path_ + "\" is read-only; it cannot be changed")});
    EXPECT_DOUBLE_EQ(field(kPumps, 1, "L3").toDouble(), 62);
    fs::permissions(path_, fs::perms::owner_all);
}

TEST_F(DatasheetWindowTest, ThirdOctaveLevelEditsTakeTheirBackupToo) {
    file_->addDatasheet(kWalls, 2, 13, "Transmission Loss",
                        {{"Brick", db::Value("Masonry"), levels(30, 20), {{"Details", "115 mm"}}}});
    DatasheetWindow* w = open(kWalls, 2, 13, 2);
    EXPECT_EQ(w->objectName(), "frmDatasheet2");
    EXPECT_FALSE(w->frmOtherInfo(1)->isVisible());
    EXPECT_TRUE(w->frmOtherInfo(2)->isVisible());
    EXPECT_EQ(w->LF(1)->text(), "25Hz");
    EXPECT_EQ(w->LF(30)->text(), "20KHz");
    EXPECT_EQ(w->txtOther(9)->text(), "115 mm");
    EXPECT_EQ(field(kWalls, 1, "Summary 1 Type").toText(), "Rw");

    w->setEditable(true);
    type(w->Lev(30), "61");
    EXPECT_DOUBLE_EQ(field(kWalls, 1, "L30").toDouble(), 61);
    EXPECT_DOUBLE_EQ(backup(1, "L30").toDouble(), 49);
    EXPECT_EQ(field(kWalls, 1, "Summary 1 Val").toText().rfind("Rw", 0), 0u);

    // Spectra added since the backup: a disk with no room for their copy
    // spoils the backup, not the level, which is stored in place; it is
    // kept, and the user hears that Undo is not available for it.
    db::Recordset& rs = w->Data1.recordset();
    for (int code = 2; code <= 80; ++code) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(code);
        rs.Update();
    }
    rs.MoveFirst();
    {
        DialogScript script;
        testing_support::FullDisk full(rs.database()->handle());
        script.answerMsgBox(platform::vbOK);
        type(w->Lev(29), "62");
        ASSERT_EQ(script.prompts().size(), 1u);
        EXPECT_EQ(script.prompts()[0],
                  keptWithoutUndo("The database operation failed (database or disk is full)"));
        EXPECT_TRUE(script.prompts()[0].startsWith("The change is kept, but Undo is not"));
    }
    EXPECT_DOUBLE_EQ(field(kWalls, 1, "L29").toDouble(), 62);
    EXPECT_EQ(w->Lev(29)->text(), "62.0");
    EXPECT_FALSE(menuItem("mnuEditUndo")->isEnabled());
}

TEST_F(DatasheetWindowTest, DescriptiveFieldsAreStoredWithTheirBackup) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    choose(w->cmbSelectBy(1), QString::fromStdString(kQuoted));
    type(w->txtOther(1), "at 1 m from the casing");
    EXPECT_EQ(field(kPumps, 1, "Source Description").toText(), "at 1 m from the casing");
    EXPECT_EQ(backup(1, "Source Description").toText(), "close to the inlet");

    // A descriptor of the list, then one typed.
    w->cmbOther(1)->setFocus();
    w->cmbOther(1)->setCurrentIndex(2);
    emit w->cmbOther(1)->activated(2);
    EXPECT_EQ(field(kPumps, 1, "Noise Descriptor").toText(), "Lavmax");
    w->cmbOther(1)->lineEdit()->selectAll();
    QTest::keyClicks(w->cmbOther(1)->lineEdit(), "LAeq,5min");
    w->txtOther(3)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(field(kPumps, 1, "Noise Descriptor").toText(), "LAeq,5min");
    EXPECT_EQ(backup(1, "Noise Descriptor").toText(), "Lavmax");

    // The number is not typed over; the description is.
    w->grdSpectra->view()->setFocus();
    w->grdSpectra->view()->setCurrentIndex(w->grdSpectra->model()->index(0, 1));
    w->grdSpectra->view()->edit(w->grdSpectra->model()->index(0, 1));
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Pump B, 4 kW");
    QTest::keyClick(editor, Qt::Key_Return);
    w->txtOther(5)->setFocus(); // leaving the grid writes the record
    QApplication::processEvents();
    EXPECT_EQ(field(kPumps, 1, "Description").toText(), "Pump B, 4 kW");
}

TEST_F(DatasheetWindowTest, MenusFollowTheWindowsEditability) {
    addPumps();
    file_->addDatasheet(kWalls, 2, 13, "Absorption", {});
    DatasheetWindow* a = open(kPumps, 1, 14, 1);
    a->setEditable(true);
    DatasheetWindow* b = open(kWalls, 2, 13, 2);
    EXPECT_FALSE(menuItem("mnuEditSpectrumEditable")->isChecked());
    EXPECT_FALSE(menuItem("mnuEditPaste")->isEnabled());
    EXPECT_EQ(b->parentWidget()->pos(), QPoint(20, 20));
    gBackupCaption.clear();
    main_->mdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(a->parentWidget()));
    QApplication::processEvents();
    EXPECT_TRUE(menuItem("mnuEditSpectrumEditable")->isChecked());
    EXPECT_TRUE(menuItem("mnuEditPasteInsert")->isEnabled());
    EXPECT_EQ(gBackupCaption, a->caption()); // editable: activation takes a backup
}

TEST_F(DatasheetWindowTest, AFailedOpenLeavesNoWindowAndRedrawOn) {
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    EXPECT_TRUE(OpenDS2(QString::fromStdString(path_), "No such datasheet", 1, 14, 1, false));
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().size(), 1u);
    EXPECT_FALSE(gBusy);
    EXPECT_TRUE(main_->mdiArea->subWindowList().isEmpty());
    EXPECT_EQ(gActiveSheet, nullptr);
}

TEST_F(DatasheetWindowTest, TheTypePickerOffersTheTypesInUseOrANewOne) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    const QString quoted = QString::fromStdString(kQuoted);
    DialogScript script;
    const auto picker = [](QObject& form) -> frmSelDataType& {
        return dynamic_cast<frmSelDataType&>(form);
    };

    // Filtered on a type: the list holds the types in use, that one selected.
    choose(w->cmbSelectBy(1), quoted);
    script.onModal([&](QObject& form) {
        frmSelDataType& p = picker(form);
        EXPECT_EQ(p.windowTitle(), "Select Source Type:");
        EXPECT_EQ(p.lstSheets->count(), 3);
        EXPECT_EQ(p.lstSheets->item(0)->text(), "");
        EXPECT_EQ(p.lstSheets->currentItem()->text(), quoted);
        EXPECT_FALSE(p.txtNewType->isVisibleTo(&p));
        p.cmdOK->click();
        return 0;
    });
    EXPECT_EQ(GetDataType(*w), quoted);

    // Under "<All>" nothing is selected; a double click chooses.
    choose(w->cmbSelectBy(1), "<All>");
    script.onModal([&](QObject& form) {
        frmSelDataType& p = picker(form);
        EXPECT_EQ(p.lstSheets->currentItem(), nullptr);
        QListWidgetItem* fans = p.lstSheets->item(2);
        emit p.lstSheets->itemDoubleClicked(fans);
        return 0;
    });
    EXPECT_EQ(GetDataType(*w), "Fans");

    // A new type typed joins the selector; an empty one does not.
    const auto newType = [&](const QString& text, QPushButton* frmSelDataType::*button) {
        script.onModal([&, text, button](QObject& form) {
            frmSelDataType& p = picker(form);
            p.cmdNewType->click();
            EXPECT_TRUE(p.txtNewType->isVisibleTo(&p));
            EXPECT_FALSE(p.lstSheets->isVisibleTo(&p));
            EXPECT_TRUE(p.txtNewType->text().isEmpty()); // each call starts afresh
            QTest::keyClicks(p.txtNewType, text);
            (p.*button)->click();
            return 0;
        });
        return GetDataType(*w);
    };
    EXPECT_EQ(newType("O'Brien's \"fans\"", &frmSelDataType::cmdOK), "O'Brien's \"fans\"");
    EXPECT_EQ(items(w->cmbSelectBy(1)).back(), "O'Brien's \"fans\"");
    EXPECT_EQ(newType("", &frmSelDataType::cmdOK), "");
    EXPECT_EQ(newType("Cancelled", &frmSelDataType::cmdCancel), "");
    EXPECT_EQ(w->cmbSelectBy(1)->count(), 5);
}

TEST_F(DatasheetWindowTest, EditableAndSpectrumTypeThroughTheEditMenuWithUndo) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    const std::vector<const char*> edits = {"mnuEditNew", "mnuEditDelete", "mnuEditPaste",
                                            "mnuEditPasteInsert", "mnuEditSpectrumType"};
    for (const char* e : edits)
        EXPECT_FALSE(menuItem(e)->isEnabled()) << e;
    QAction* editable = menuItem("mnuEditSpectrumEditable");
    editable->trigger();
    EXPECT_TRUE(editable->isChecked());
    EXPECT_FALSE(w->Lev(1)->isReadOnly());
    for (const char* e : edits)
        EXPECT_TRUE(menuItem(e)->isEnabled()) << e;
    EXPECT_EQ(gBackupCaption, w->caption());
    EXPECT_TRUE(menuItem("mnuEditCopy")->isEnabled());

    // A new type for Fan A (Code 2): the window then shows that type.
    choose(w->cmbSelectBy(1), "Fans");
    const QString duct = "Duct 'silencer'";
    DialogScript script;
    script.onModal([&](QObject& form) {
        auto& p = dynamic_cast<frmSelDataType&>(form);
        EXPECT_EQ(p.lstSheets->currentItem()->text(), "Fans");
        p.cmdNewType->click();
        QTest::keyClicks(p.txtNewType, duct);
        p.cmdOK->click();
        return 0;
    });
    menuItem("mnuEditSpectrumType")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(field(kPumps, 2, "Select Type").toText(), duct.toStdString());
    EXPECT_EQ(w->cmbSelectBy(1)->currentText(), duct);
    EXPECT_EQ(shownDescriptions(w), QStringList({"Fan A"}));
    EXPECT_EQ(items(w->cmbSelectBy(1)).size(), 4u); // "Fans" is no longer in use

    // Cancel changes nothing.
    script.onModal([](QObject& form) {
        dynamic_cast<frmSelDataType&>(form).cmdCancel->click();
        return 0;
    });
    menuItem("mnuEditSpectrumType")->trigger();
    EXPECT_EQ(field(kPumps, 2, "Select Type").toText(), duct.toStdString());

    // Undo brings the old type back and the selector and filter with it.
    ASSERT_TRUE(menuItem("mnuEditUndo")->isEnabled());
    menuItem("mnuEditUndo")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(field(kPumps, 2, "Select Type").toText(), "Fans");
    EXPECT_EQ(items(w->cmbSelectBy(1)),
              (std::vector<QString>{"<All>", "", QString::fromStdString(kQuoted), "Fans"}));
    EXPECT_EQ(w->cmbSelectBy(1)->currentText(), "<All>");
    EXPECT_EQ(shownDescriptions(w).size(), 4);

    editable->trigger();
    EXPECT_FALSE(editable->isChecked());
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    for (const char* e : edits)
        EXPECT_FALSE(menuItem(e)->isEnabled()) << e;
}

} // namespace

namespace {

TEST_F(DatasheetWindowTest, PasteInsertTypesTheNewSpectraAsPasteDoesNeverByAFormula) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    menuItem("mnuEditSpectrumEditable")->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(w->editable());
    // Worksheet text: cell 8 holds a formula, which is no type.
    platform::setClipboard(
        "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 Type\tSummary 2 "
        "Val\tFormula\t31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000\r\n1\tnew fan\tSound "
        "Level\tdBA\t\tdBL\t\ts1 + 3\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1");
    DialogScript script;
    const auto pasteInsert = [] {
        ASSERT_TRUE(menuItem("mnuEditPasteInsert")->isEnabled());
        menuItem("mnuEditPasteInsert")->trigger();
        QApplication::processEvents();
    };

    // Filtered: the filter's type.
    choose(w->cmbSelectBy(1), "Fans");
    pasteInsert();
    EXPECT_EQ(field(kPumps, 5, "Description").toText(), "new fan");
    EXPECT_EQ(field(kPumps, 5, "Select Type").toText(), "Fans");
    // No recalculation runs in a datasheet: the paste rated the new spectrum.
    BandArray ones;
    for (int j = 1; j <= 10; ++j)
        ones[j] = 1;
    EXPECT_EQ(field(kPumps, 5, "Summary 1 Val").toText(),
              CalcSummary(summaryTypeNumber("dBA"), ones, 14, 10));
    EXPECT_EQ(field(kPumps, 5, "Summary 2 Val").toText(),
              CalcSummary(summaryTypeNumber("dBL"), ones, 14, 10));
    EXPECT_FALSE(field(kPumps, 5, "Summary 1 Val").toText().empty());

    // Under "<All>" the picker's choice; Cancel writes nothing.
    choose(w->cmbSelectBy(1), "<All>");
    script.onModal([](QObject& form) {
        dynamic_cast<frmSelDataType&>(form).cmdCancel->click();
        return 0;
    });
    pasteInsert();
    EXPECT_EQ(file_->database()->scalar("SELECT COUNT(*) FROM " + db::quoteIdent(kPumps)).toLong(),
              5);
    script.onModal([](QObject& form) {
        auto& p = dynamic_cast<frmSelDataType&>(form);
        p.lstSheets->setCurrentRow(1);
        p.cmdOK->click();
        return 0;
    });
    pasteInsert();
    EXPECT_EQ(field(kPumps, 6, "Select Type").toText(), kQuoted);
}

// A type named in the picker for new spectra goes last in the filter at
// once and stays there, also when it is a type already listed.
TEST_F(DatasheetWindowTest, ATypeNamedForNewSpectraJoinsTheFilterAsItsLastItem) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    menuItem("mnuEditSpectrumEditable")->trigger();
    QApplication::processEvents();
    const QString quoted = QString::fromStdString(kQuoted);
    DialogScript script;
    const auto named = [&](const QString& text) {
        script.onModal([text](QObject& form) {
            auto& p = dynamic_cast<frmSelDataType&>(form);
            p.cmdNewType->click();
            QTest::keyClicks(p.txtNewType, text);
            p.cmdOK->click();
            return 0;
        });
    };

    named("Air handlers");
    menuItem("mnuEditNew")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(field(kPumps, 5, "Select Type").toText(), "Air handlers");
    EXPECT_EQ(items(w->cmbSelectBy(1)),
              (std::vector<QString>{"<All>", "", quoted, "Fans", "Air handlers"}));
    EXPECT_EQ(w->cmbSelectBy(1)->currentText(), "<All>");

    named("Fans");
    menuItem("mnuEditNew")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(field(kPumps, 6, "Select Type").toText(), "Fans");
    EXPECT_EQ(items(w->cmbSelectBy(1)),
              (std::vector<QString>{"<All>", "", quoted, "Fans", "Air handlers", "Fans"}));

    // Paste asks the same way.
    platform::setClipboard(
        "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 Type\tSummary 2 "
        "Val\tSelect "
        "Type\t31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000\r\n1\tpasted\tSound "
        "Level\tdBA\t\tdBL\t\t\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1");
    named("Blowers");
    menuItem("mnuEditPaste")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(items(w->cmbSelectBy(1)).back(), "Blowers");
    EXPECT_EQ(items(w->cmbSelectBy(1)).size(), 7u);

    // The new type filters at once.
    choose(w->cmbSelectBy(1), "Air handlers");
    EXPECT_EQ(shownDescriptions(w).size(), 1);
    EXPECT_EQ(script.prompts().size(), 0u);
}

} // namespace

namespace {

// Under "<All>" a type must be chosen: nothing chosen, an empty new type or
// Cancel ends New Spectrum, Paste and Paste Insert with the file unchanged.
TEST_F(DatasheetWindowTest, WithoutATypeNoSpectrumIsAddedOrPasted) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    menuItem("mnuEditSpectrumEditable")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(w->cmbSelectBy(1)->currentText(), "<All>");
    platform::setClipboard(
        "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 Type\tSummary 2 "
        "Val\tSelect "
        "Type\t31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000\r\n1\tpasted\tSound "
        "Level\tdBA\t\tdBL\t\t\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1");
    const auto count = [&](const std::string& where) {
        return file_->database()
            ->scalar("SELECT COUNT(*) FROM " + db::quoteIdent(kPumps) + where)
            .toLong();
    };
    DialogScript script;
    const std::vector<std::function<void(frmSelDataType&)>> answers = {
        [](frmSelDataType& p) { p.cmdOK->click(); }, // nothing selected
        [](frmSelDataType& p) {
            p.cmdNewType->click();
            p.cmdOK->click();
        },
        [](frmSelDataType& p) { p.cmdCancel->click(); }};
    for (const char* command : {"mnuEditNew", "mnuEditPaste", "mnuEditPasteInsert"})
        for (const auto& answer : answers) {
            script.onModal([&answer](QObject& form) {
                answer(dynamic_cast<frmSelDataType&>(form));
                return 0;
            });
            menuItem(command)->trigger();
            QApplication::processEvents();
            EXPECT_EQ(count(""), 4) << command;
            EXPECT_EQ(count(" WHERE Description = 'pasted'"), 0) << command;
        }
    EXPECT_EQ(script.prompts().size(), 0u);
    EXPECT_EQ(shownDescriptions(w).size(), 4);
}

// A spectrum copied from an octave worksheet into a third-octave datasheet
// and back arrives as it left: split into thirds by energy, summed again.
TEST_F(DatasheetWindowTest, SpectraTravelBetweenWorksheetsAndDatasheetsAcrossBandSystems) {
    file_->addDatasheet("Thirds", 2, 13, "Sound Level",
                        {{"placeholder", db::Value("Fans"), levels(30, 20), {}}});
    const std::string wsPath = (std::filesystem::temp_directory_path() / "exchange.bwdb").string();
    std::filesystem::remove(wsPath);
    testing_support::WorksheetFile ws(wsPath);
    testing_support::SpectrumRow row;
    row.description = "Compressor";
    row.bands = levels(10, 40);
    ws.addSheet("Plant", 1, 14, {row, testing_support::SpectrumRow()});

    WorksheetWindow* sheet = newWorksheetWindow(1, 1);
    gActiveSheet = sheet;
    ASSERT_FALSE(OpenSheetForm(sheet, QString::fromStdString(wsPath), "Plant", 1, 14, 1, true));
    QApplication::processEvents();
    sheet->grdSpectra->SelBookmarks().Add(sheet->Data1.recordset().Bookmark());
    menuItem("mnuEditCopy")->trigger();

    DatasheetWindow* data = open("Thirds", 2, 13, 1);
    menuItem("mnuEditSpectrumEditable")->trigger();
    choose(data->cmbSelectBy(1), "Fans");
    DialogScript script;
    script.answerAllMsgBoxes(platform::vbNo);
    menuItem("mnuEditPaste")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(field("Thirds", 1, "Description").toText(), "Compressor");
    // 31.5 Hz (the first octave) is the second third of the datasheet.
    EXPECT_NEAR(field("Thirds", 1, "L2").toDouble(), 40 - 10 * std::log10(3.0), 1e-9);
    EXPECT_FALSE(field("Thirds", 1, "Summary 1 Val").toText().empty());

    data->grdSpectra->SelBookmarks().Add(data->Data1.recordset().Bookmark());
    menuItem("mnuEditCopy")->trigger();
    main_->mdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(sheet->parentWidget()));
    QApplication::processEvents();
    sheet->Data1.recordset().MoveLast();
    QApplication::processEvents();
    menuItem("mnuEditPaste")->trigger();
    QApplication::processEvents();
    auto wsdb = db::Database::open(wsPath);
    for (int j = 1; j <= 10; ++j)
        EXPECT_NEAR(
            wsdb->scalar("SELECT L" + std::to_string(j) + " FROM Plant WHERE Code = 2").toDouble(),
            40 + j - 1, 1e-9)
            << j;
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    std::filesystem::remove(wsPath);
}

} // namespace

namespace {

// The datasheets file is shared by every Bandwright: another one (here its
// own connection) inserts a spectrum at 2 while this window shows the
// datasheet. A command given on the old view rereads the window and says
// so; given again on what the window now shows, it acts on that.
TEST_F(DatasheetWindowTest, ACommandOnAViewAnotherProgramChangedRereadsTheWindowInstead) {
    addPumps(); // Pump B, Fan A, Chiller, Boiler
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    menuItem("mnuEditSpectrumEditable")->trigger();
    QApplication::processEvents();
    const std::string table = db::quoteIdent(kPumps);
    const auto otherInsertsAt2 = [&](const std::string& description) {
        auto other = db::Database::open(path_);
        other->Execute("UPDATE " + table + " SET Code = -Code WHERE Code >= 2");
        other->Execute("UPDATE " + table + " SET Code = 1 - Code WHERE Code < 0");
        other->Execute("INSERT INTO " + table + " (Code, Description) VALUES (2, ?)",
                       {db::Value(description)});
    };
    const auto inFile = [&] {
        QStringList out;
        db::Statement st(*file_->database(), "SELECT Description FROM " + table + " ORDER BY Code");
        while (st.step())
            out << QString::fromStdString(st.column(0).toText());
        return out;
    };
    const auto select = [w](const QStringList& descriptions) {
        db::Recordset& rs = w->Data1.recordset();
        platform::SelBookmarkList& sel = w->grdSpectra->SelBookmarks();
        sel.Clear();
        for (const QString& d : descriptions)
            for (int p = 1; p <= rs.RecordCount(); ++p)
                if (rs.peek(p, 1).toText() == d.toStdString()) sel.Add(rs.keyAt(p));
        ASSERT_EQ(sel.Count(), descriptions.size());
    };
    const auto run = [](const char* item) {
        ASSERT_TRUE(menuItem(item)->isEnabled()) << item;
        menuItem(item)->trigger();
        QApplication::processEvents();
    };
    const QString told = "\"" + QString::fromStdString(kPumps) +
                         "\" was changed in its file by another Bandwright since this window "
                         "showed it. The window now shows the file as it is, and nothing was "
                         "done: check the spectra and give the command again.";
    DialogScript script;

    // Fan A and Boiler selected; the other program inserts at 2; Delete.
    select({"Fan A", "Boiler"});
    otherInsertsAt2("Heater");
    script.answerMsgBox(platform::vbOK);
    run("mnuEditDelete");
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_EQ(script.prompts().back(), told);
    EXPECT_EQ(inFile(), QStringList({"Pump B", "Heater", "Fan A", "Chiller", "Boiler"}));
    EXPECT_EQ(shownDescriptions(w).size(), 5);
    select({"Fan A", "Boiler"});
    run("mnuEditDelete");
    EXPECT_EQ(inFile(), QStringList({"Pump B", "Heater", "Chiller"}));

    // Pump B and Heater copied, the cursor on Chiller; another insert; Paste.
    select({"Pump B", "Heater"});
    run("mnuEditCopy");
    w->grdSpectra->SelBookmarks().Clear();
    db::Recordset& rs = w->Data1.recordset();
    for (int p = 1; p <= rs.RecordCount(); ++p)
        if (rs.peek(p, 1).toText() == "Chiller") rs.setAbsolutePosition(p);
    otherInsertsAt2("Cooler");
    script.answerMsgBox(platform::vbOK);
    run("mnuEditPaste");
    EXPECT_EQ(script.prompts().back(), told);
    EXPECT_EQ(inFile(), QStringList({"Pump B", "Cooler", "Heater", "Chiller"}));
    EXPECT_EQ(script.prompts().size(), 2u);

    // A level typed into Chiller after another insert is not stored on
    // whatever now stands in its place; typed again, it lands on Chiller.
    for (int p = 1; p <= rs.RecordCount(); ++p)
        if (rs.peek(p, 1).toText() == "Chiller") rs.setAbsolutePosition(p);
    QApplication::processEvents();
    otherInsertsAt2("Dryer");
    script.answerMsgBox(platform::vbOK);
    type(w->Lev(1), "11");
    EXPECT_EQ(script.prompts().back(), told + " The level typed (11) was not stored.");
    EXPECT_EQ(
        file_->database()->scalar("SELECT count(*) FROM " + table + " WHERE L1 = 11").toLong(), 0);
    for (int p = 1; p <= rs.RecordCount(); ++p)
        if (rs.peek(p, 1).toText() == "Chiller") rs.setAbsolutePosition(p);
    QApplication::processEvents();
    type(w->Lev(1), "11");
    EXPECT_EQ(
        file_->database()->scalar("SELECT Description FROM " + table + " WHERE L1 = 11").toText(),
        "Chiller");
    EXPECT_EQ(script.prompts().size(), 3u);

    // Undo would take back the other program's insert too: refused.
    const QStringList before = {"Pump B", "Evaporator", "Dryer", "Cooler", "Heater", "Chiller"};
    otherInsertsAt2("Evaporator");
    script.answerMsgBox(platform::vbOK);
    run("mnuEditUndo");
    EXPECT_EQ(script.prompts().back(), told);
    EXPECT_EQ(inFile(), before);
    EXPECT_FALSE(menuItem("mnuEditUndo")->isEnabled());

    // Nor is an undo copy swapped in that the other program replaced.
    QApplication::setActiveWindow(main_); // as the user's click on the window does
    type(w->Lev(2), "12");
    const auto stored = [&] {
        return file_->database()
            ->scalar("SELECT count(*) FROM " + table + " WHERE L2 = 12")
            .toLong();
    };
    ASSERT_EQ(stored(), 1);
    db::Database::open(path_)->Execute("DELETE FROM \"~Backup\"");
    script.answerMsgBox(platform::vbOK);
    run("mnuEditUndo");
    EXPECT_EQ(script.prompts().back(), "The undo copy of \"" + QString::fromStdString(kPumps) +
                                           "\" was replaced by another Bandwright, so the last "
                                           "change cannot be undone. Nothing was changed.");
    EXPECT_EQ(inFile(), before);
    EXPECT_EQ(stored(), 1);
    EXPECT_FALSE(menuItem("mnuEditUndo")->isEnabled());

    // A description typed into the grid's first row after another insert
    // at 1 is not stored on the spectrum now standing there.
    {
        auto other = db::Database::open(path_);
        other->Execute("UPDATE " + table + " SET Code = -Code");
        other->Execute("UPDATE " + table + " SET Code = 1 - Code");
        other->Execute("INSERT INTO " + table + " (Code, Description) VALUES (1, 'Fan C')");
    }
    QApplication::setActiveWindow(main_); // as the user's click on the grid does
    QTableView* view = w->grdSpectra->view();
    view->setFocus();
    view->setCurrentIndex(w->grdSpectra->model()->index(0, 1));
    view->edit(w->grdSpectra->model()->index(0, 1));
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Pump C");
    script.answerMsgBox(platform::vbOK);
    QTest::keyClick(editor, Qt::Key_Return);
    w->txtOther(5)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().back(), told + " What was typed (Pump C) was not stored.");
    EXPECT_EQ(inFile(), QStringList({"Fan C"}) + before);
}

} // namespace

namespace {

// Another Bandwright, as a process of its own, doing to the shared
// datasheets file what its commands do; true when it managed.
bool otherBandwright(const std::string& path, const std::function<void(db::Database&)>& edit) {
    const pid_t pid = fork();
    if (pid == 0) {
        int done = 1;
        try {
            edit(*db::Database::open(path));
            done = 0;
        } catch (...) {
        }
        _exit(done);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Programs A (this one) and B (another process) show one datasheet of the
// shared file. Whatever A types or chooses on a view B made stale is
// stored nowhere, and the message shows it so that it can be given again;
// on a datasheet B deleted or renamed, the message says so.
TEST_F(DatasheetWindowTest, WritesOnAViewAnotherBandwrightChangedStoreNothingAndSayWhat) {
    // Floor fan is the last record added: its rowid is the next one free.
    file_->addDatasheet("Fans", 1, 14, "Sound Level",
                        {{"duct fan", db::Value("Axial"), levels(10, 50), {}},
                         {"roof fan", db::Value("Axial"), levels(10, 55), {}},
                         {"wall fan", db::Value("Axial"), levels(10, 60), {}},
                         {"floor fan", db::Value("Axial"), levels(10, 65), {}}});
    DatasheetWindow* w = open("Fans", 1, 14, 1);
    db::Recordset& rs = w->Data1.recordset();
    const auto goTo = [&](const std::string& description) {
        for (int p = 1; p <= rs.RecordCount(); ++p)
            if (rs.peek(p, 1).toText() == description) rs.setAbsolutePosition(p);
        ASSERT_EQ(rs.Fields("Description").value().toText(), description);
        QApplication::processEvents();
    };
    const auto inFile = [&](const std::string& sql) { return file_->database()->scalar(sql); };
    const QString told = "\"Fans\" was changed in its file by another Bandwright since this "
                         "window showed it. The window now shows the file as it is, and nothing "
                         "was done: check the spectra and give the command again.";
    DialogScript script;

    // B deletes floor fan and adds a spectrum: the same rowid, the same Code.
    goTo("floor fan");
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("DELETE FROM Fans WHERE Description = 'floor fan'");
        b.Execute("INSERT INTO Fans (Code, Description) VALUES (4, 'New')");
    }));
    ASSERT_EQ(inFile("SELECT rowid FROM Fans WHERE Code = 4").toLong(), 4);
    script.answerMsgBox(platform::vbOK);
    type(w->txtOther(8), "bearing replaced");
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_EQ(script.prompts().back(),
              told + " What was typed was not stored:\n\nComments: bearing replaced");
    EXPECT_EQ(inFile("SELECT count(*) FROM Fans WHERE Comments IS NOT NULL").toLong(), 0);
    EXPECT_EQ(shownDescriptions(w), QStringList({"duct fan", "New", "roof fan", "wall fan"}));

    // Both give roof fan a comment: B's stays; A's, typed again, replaces it.
    goTo("roof fan");
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("UPDATE Fans SET Comments = 'belt changed' WHERE Description = 'roof fan'");
    }));
    script.answerMsgBox(platform::vbOK);
    type(w->txtOther(8), "new belt");
    EXPECT_EQ(script.prompts().back(),
              told + " What was typed was not stored:\n\nComments: new belt");
    EXPECT_EQ(inFile("SELECT Comments FROM Fans WHERE Code = 2").toText(), "belt changed");
    EXPECT_EQ(w->txtOther(8)->text(), "belt changed");
    type(w->txtOther(8), "new belt");
    EXPECT_EQ(inFile("SELECT Comments FROM Fans WHERE Code = 2").toText(), "new belt");
    EXPECT_EQ(script.prompts().size(), 2u);

    // B pastes a spectrum in ahead of roof fan: the window, read again,
    // stays on roof fan, so that what was not stored is typed again there.
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("INSERT INTO Fans (Code, Description) VALUES (5, 'attic fan')");
    }));
    script.answerMsgBox(platform::vbOK);
    type(w->txtOther(8), "belt worn");
    EXPECT_EQ(rs.Fields("Description").value().toText(), "roof fan");
    type(w->txtOther(8), "belt worn");
    EXPECT_EQ(inFile("SELECT Comments FROM Fans WHERE Code = 2").toText(), "belt worn");
    EXPECT_EQ(script.prompts().size(), 3u);
    ASSERT_TRUE(otherBandwright(
        path_, [](db::Database& b) { b.Execute("DELETE FROM Fans WHERE Code = 5"); }));
    script.answerMsgBox(platform::vbOK);
    type(w->txtOther(8), "belt worn");
    EXPECT_EQ(script.prompts().size(), 4u);

    // Edit Spectrum Type on a stale view asks nothing (no picker is
    // answered here); when B changes the spectra while the picker is
    // open, the type chosen is given to none of them.
    menuItem("mnuEditSpectrumEditable")->trigger();
    goTo("wall fan");
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("UPDATE Fans SET L1 = 70 WHERE Description = 'duct fan'");
    }));
    script.answerMsgBox(platform::vbOK);
    menuItem("mnuEditSpectrumType")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().back(), told);
    goTo("wall fan");
    script.onModal([&](QObject& form) {
        auto& p = dynamic_cast<frmSelDataType&>(form);
        EXPECT_TRUE(otherBandwright(path_, [](db::Database& b) {
            b.Execute("UPDATE Fans SET \"Select Type\" = 'Radial' WHERE Description = 'wall fan'");
        }));
        p.cmdNewType->click();
        QTest::keyClicks(p.txtNewType, "Roof units");
        p.cmdOK->click();
        return 0;
    });
    script.answerMsgBox(platform::vbOK);
    menuItem("mnuEditSpectrumType")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().back(),
              told + " The type chosen (Roof units) was not given to the spectrum.");
    EXPECT_EQ(inFile("SELECT count(*) FROM Fans WHERE \"Select Type\" = 'Roof units'").toLong(), 0);
    EXPECT_EQ(inFile("SELECT \"Select Type\" FROM Fans WHERE Code = 3").toText(), "Radial");
    EXPECT_EQ(script.prompts().size(), 6u);

    // Pasted over roof fan while B inserts a spectrum at 2 (roof fan's
    // Code) during the type question: pasted onto neither.
    goTo("duct fan");
    w->grdSpectra->SelBookmarks().Add(rs.Bookmark());
    menuItem("mnuEditCopy")->trigger();
    w->grdSpectra->SelBookmarks().Clear();
    goTo("roof fan");
    script.onModal([&](QObject& form) {
        auto& p = dynamic_cast<frmSelDataType&>(form);
        EXPECT_TRUE(otherBandwright(path_, [](db::Database& b) {
            b.Execute("UPDATE Fans SET Code = -Code WHERE Code >= 2");
            b.Execute("UPDATE Fans SET Code = 1 - Code WHERE Code < 0");
            b.Execute("INSERT INTO Fans (Code, Description) VALUES (2, 'Heater')");
        }));
        p.cmdNewType->click();
        QTest::keyClicks(p.txtNewType, "Axial");
        p.cmdOK->click();
        return 0;
    });
    script.answerMsgBox(platform::vbOK);
    ASSERT_TRUE(menuItem("mnuEditPaste")->isEnabled());
    menuItem("mnuEditPaste")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().back(), told);
    EXPECT_EQ(inFile("SELECT count(*) FROM Fans WHERE L1 = 70").toLong(), 1); // duct fan's own
    EXPECT_EQ(inFile("SELECT Description FROM Fans WHERE Code = 2").toText(), "Heater");

    // B deletes the datasheet: what A types is not lost in database text.
    const QString gone = "The datasheet \"Fans\" was deleted or renamed in its file by another "
                         "Bandwright since this window showed it, and nothing was done: this "
                         "window can no longer change it. Close the window and open the "
                         "datasheet again (under its new name if it was renamed).";
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("DROP TABLE Fans");
        b.Execute("DELETE FROM \"Sheets List\" WHERE \"Sheet Name\" = 'Fans'");
    }));
    script.answerMsgBox(platform::vbOK);
    type(w->txtOther(8), "fan noisy");
    EXPECT_EQ(script.prompts().back(),
              gone + " What was typed was not stored:\n\nComments: fan noisy");
    EXPECT_TRUE(w->txtOther(8)->isReadOnly());
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    EXPECT_EQ(shownDescriptions(w).size(), 5); // still shown, to be read and copied
    script.answerMsgBox(platform::vbOK);
    choose(w->cmbSelectBy(1), "Axial");
    EXPECT_EQ(script.prompts().back(), gone);

    // B renames the datasheet under a level being typed.
    addPumps();
    DatasheetWindow* pumps = open(kPumps, 1, 14, 1);
    menuItem("mnuEditSpectrumEditable")->trigger();
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("ALTER TABLE " + db::quoteIdent(kPumps) + " RENAME TO Pumps");
        b.Execute("UPDATE \"Sheets List\" SET \"Sheet Name\" = 'Pumps' WHERE \"Sheet Name\" = ?",
                  {db::Value(kPumps)});
    }));
    script.answerMsgBox(platform::vbOK);
    type(pumps->Lev(1), "55");
    EXPECT_EQ(script.prompts().back(), "The datasheet \"" + QString::fromStdString(kPumps) +
                                           gone.mid(QString("The datasheet \"Fans").size()) +
                                           " The level typed (55) was not stored.");
    EXPECT_EQ(inFile("SELECT count(*) FROM Pumps WHERE L1 = 55").toLong(), 0);
    EXPECT_EQ(script.prompts().size(), 10u);

    // B deletes a datasheet and makes one of its name whose bands begin an
    // octave higher: a level typed under the old labels is not stored.
    file_->addDatasheet("Vents", 1, 14, "Sound Level", {{"vent", db::Value(), levels(10, 40), {}}});
    DatasheetWindow* vents = open("Vents", 1, 14, 1);
    menuItem("mnuEditSpectrumEditable")->trigger();
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("DROP TABLE Vents");
        b.Execute("DELETE FROM \"Sheets List\" WHERE \"Sheet Name\" = 'Vents'");
        createDatasheet(b, "Vents", 1, 17, "Sound Level");
        b.Execute("UPDATE Vents SET Description = 'vent', L1 = 40");
    }));
    script.answerMsgBox(platform::vbOK);
    type(vents->Lev(1), "55");
    EXPECT_EQ(script.prompts().back(), "The datasheet \"Vents" +
                                           gone.mid(QString("The datasheet \"Fans").size()) +
                                           " The level typed (55) was not stored.");
    EXPECT_EQ(inFile("SELECT count(*) FROM Vents WHERE L1 = 55").toLong(), 0);
    EXPECT_TRUE(vents->Lev(1)->isReadOnly());

    // ... or of the same bands for another kind of datasheet: its fields are others.
    file_->addDatasheet("Ducts", 1, 14, "Sound Level", {{"duct", db::Value(), levels(10, 40), {}}});
    DatasheetWindow* ducts = open("Ducts", 1, 14, 1);
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("DROP TABLE Ducts");
        b.Execute("DELETE FROM \"Sheets List\" WHERE \"Sheet Name\" = 'Ducts'");
        createDatasheet(b, "Ducts", 1, 14, "Transmission Loss");
        b.Execute("UPDATE Ducts SET Description = 'duct', L1 = 40");
    }));
    script.answerMsgBox(platform::vbOK);
    type(ducts->txtOther(8), "lined");
    EXPECT_EQ(script.prompts().back(), "The datasheet \"Ducts" +
                                           gone.mid(QString("The datasheet \"Fans").size()) +
                                           " What was typed was not stored:\n\nComments: lined");
    EXPECT_TRUE(ducts->txtOther(8)->isReadOnly());
}

// A window closed with a text typed and not yet written, on a view another
// Bandwright made stale: nothing is stored, the message shows the text and
// says what became of the window.
TEST_F(DatasheetWindowTest, AWindowClosedOnAViewAnotherBandwrightChangedSaysItWasClosed) {
    file_->addDatasheet("Fans", 1, 14, "Sound Level",
                        {{"duct fan", db::Value("Axial"), levels(10, 50), {}},
                         {"floor fan", db::Value("Axial"), levels(10, 65), {}}});
    DatasheetWindow* w = open("Fans", 1, 14, 1);
    w->Data1.recordset().setAbsolutePosition(2);
    QApplication::processEvents();
    w->txtOther(8)->setFocus();
    QTest::keyClicks(w->txtOther(8), "bearing replaced");
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("DELETE FROM Fans WHERE Description = 'floor fan'");
        b.Execute("INSERT INTO Fans (Code, Description) VALUES (2, 'New')");
    }));
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    platform::gui::frameOf(w)->close();
    QApplication::processEvents();
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_EQ(script.prompts().back(),
              "\"Fans\" was changed in its file by another Bandwright since this window showed "
              "it: the window was closed without changing the file. What was typed was not "
              "stored:\n\nComments: bearing replaced");
    EXPECT_EQ(
        file_->database()->scalar("SELECT count(*) FROM Fans WHERE Comments IS NOT NULL").toLong(),
        0);
}

} // namespace

namespace {

// A selection being extended whose anchor another command removed: the next
// move of the cursor ends the extension instead of failing.
TEST_F(DatasheetWindowTest, AnExtensionWhoseAnchorWentEndsQuietly) {
    addPumps();
    DatasheetWindow* w = open(kPumps, 1, 14, 1);
    platform::DataGrid* grid = w->grdSpectra;
    QHeaderView* selectors = grid->view()->verticalHeader();
    QTest::mouseClick(selectors->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(selectors->width() / 2, selectors->sectionViewportPosition(3) +
                                                         selectors->sectionSize(3) / 2));
    QTest::keyClick(grid->view()->viewport(), Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(grid->view()->viewport(), Qt::Key_Up, Qt::ShiftModifier);
    ASSERT_EQ(grid->SelBookmarks().Count(), 3);
    db::Recordset other = w->Data1.recordset().Clone();
    other.MoveLast();
    other.Delete();
    QTest::mouseClick(grid->view()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->view()->visualRect(grid->model()->index(1, 1)).center());
    QApplication::processEvents();
    EXPECT_EQ(w->Data1.recordset().AbsolutePosition(), 2);
    EXPECT_FALSE(gSelExtending);
    EXPECT_EQ(grid->SelBookmarks().Count(), 0);
}

} // namespace

namespace {

// A description typed into the datasheet grid is written as the cursor
// leaves its row. When B changed that spectrum meanwhile, B's change stays
// and A's message shows what was typed, on the window read again; B's
// change to another spectrum leaves it to be stored. An Undo refused on a
// view B made stale says so with nothing claiming to restore.
TEST_F(DatasheetWindowTest, AGridRowLeftAfterAnotherBandwrightChangedItSaysWhatWasTyped) {
    file_->addDatasheet("Fans", 1, 14, "Sound Level",
                        {{"duct fan", db::Value("Axial"), levels(10, 50), {}},
                         {"roof fan", db::Value("Axial"), levels(10, 55), {}},
                         {"wall fan", db::Value("Axial"), levels(10, 60), {}}});
    DatasheetWindow* w = open("Fans", 1, 14, 1);
    QTableView* view = w->grdSpectra->view();
    const auto typeInto = [&](int row, const char* text) {
        testing_support::typeIntoCell(w->grdSpectra, row, 1, text, false);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    };
    const auto inFile = [&](const std::string& sql) { return file_->database()->scalar(sql); };
    DialogScript script;

    // B comments on wall fan, which A renames.
    typeInto(2, "cellar fan");
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("UPDATE Fans SET Comments = 'bearing' WHERE Code = 3");
    }));
    script.answerMsgBox(platform::vbOK);
    QTest::keyClick(view, Qt::Key_Up);
    QApplication::processEvents();
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_EQ(script.prompts().back(),
              "\"Fans\" was changed in its file by another Bandwright since this window showed "
              "it. The window now shows the file as it is, and nothing was done: check the "
              "spectra and give the command again. What was typed was not stored:\n\n"
              "Description: cellar fan");
    EXPECT_EQ(inFile("SELECT Description || ' ' || Comments FROM Fans WHERE Code = 3").toText(),
              "wall fan bearing");
    EXPECT_EQ(w->Data1.recordset().Fields("Comments").value().toText(), "bearing");

    // On the window read again A renames roof fan and goes down a row: it
    // is stored, though B commented on duct fan meanwhile.
    typeInto(1, "attic fan");
    ASSERT_TRUE(otherBandwright(path_, [](db::Database& b) {
        b.Execute("UPDATE Fans SET Comments = 'belt' WHERE Code = 1");
    }));
    QTest::keyClick(view, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(script.prompts().size(), 1u);
    EXPECT_EQ(inFile("SELECT Description FROM Fans WHERE Code = 2").toText(), "attic fan");
    EXPECT_EQ(inFile("SELECT Comments FROM Fans WHERE Code = 1").toText(), "belt");

    // A types a level; B changes another spectrum's level; A's Undo would
    // take B's back too: refused, with no "Restoring ..." notice standing
    // over the message meanwhile.
    // What stands on the screen as a message shows, the script answering it.
    struct NoticeWatch : platform::DialogHandler {
        platform::DialogHandler* script = platform::setDialogHandler(this);
        bool noticeShown = false;
        ~NoticeWatch() override { platform::setDialogHandler(script); }
        int msgBox(const QString& prompt, int style, const QString& title) override {
            for (QWidget* top : QApplication::topLevelWidgets())
                for (auto* label : top->findChildren<QLabel*>())
                    noticeShown |= top->isVisible() && label->text() == "Restoring ...";
            return script->msgBox(prompt, style, title);
        }
        bool inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                      QString& answer) override {
            return script->inputBox(prompt, title, defaultText, answer);
        }
        int showModal(QObject& form) override { return script->showModal(form); }
    };
    menuItem("mnuEditSpectrumEditable")->trigger();
    script.answerMsgBox(platform::vbOK);
    type(w->Lev(1), "70"); // on the view B made stale above: typed again
    type(w->Lev(1), "70");
    ASSERT_EQ(inFile("SELECT L1 FROM Fans WHERE Code = 3").toDouble(), 70); // wall fan
    ASSERT_TRUE(menuItem("mnuEditUndo")->isEnabled());
    ASSERT_TRUE(otherBandwright(
        path_, [](db::Database& b) { b.Execute("UPDATE Fans SET L1 = 44 WHERE Code = 2"); }));
    script.answerMsgBox(platform::vbOK);
    {
        NoticeWatch watch;
        menuItem("mnuEditUndo")->trigger();
        QApplication::processEvents();
        EXPECT_FALSE(watch.noticeShown);
    }
    ASSERT_EQ(script.prompts().size(), 3u);
    EXPECT_TRUE(script.prompts().back().startsWith("\"Fans\" was changed in its file"));
    EXPECT_EQ(inFile("SELECT L1 FROM Fans WHERE Code = 2").toDouble(), 44);
    EXPECT_EQ(inFile("SELECT L1 FROM Fans WHERE Code = 3").toDouble(), 70);
}

} // namespace
