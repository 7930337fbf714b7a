#pragma once
// A worksheet file, the main window and a worksheet window on one of its
// sheets, from which the tests open graph and print windows through the
// Output menu, as a user does.
#include "engine/globals.h"
#include "output/frm_graph.h"
#include "output/frm_print.h"
#include "platform/db/sheet_layout.h"
#include "platform/geometry.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "tests/support/window_fixture.h"
#include "tests/support/worksheet_fixture.h"
#include "workspace/bandwright_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace output_tests {

inline testing_support::SpectrumRow row(const std::string& description, std::vector<double> bands,
                                        const std::string& type = "Sound Level") {
    testing_support::SpectrumRow r;
    r.description = description;
    r.bands = std::move(bands);
    r.type = type;
    return r;
}

// Runs a tool of poppler-utils; its standard output, or "" when it failed.
inline QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int pdfPageCount(const QString& pdf) {
    const QString info = runTool("pdfinfo", {pdf});
    for (const QString& line : info.split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return 0;
}

// Page `page` (from 1) of a PDF as an image at `dpi`.
inline QImage pdfPage(const QString& pdf, int page, int dpi) {
    const QString base = pdf + ".page";
    QProcess p;
    p.start("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l",
                         QString::number(page), "-singlefile", pdf, base});
    p.waitForFinished(30000);
    return QImage(base + ".png");
}

// The box holding everything that is not white.
inline QRect inkBox(const QImage& img) {
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 235 && c.green() > 235 && c.blue() > 235) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

class OutputWindowTest : public testing_support::WindowFixtureOn<testing_support::WorksheetFile> {
protected:
    OutputWindowTest() : WindowFixtureOn("survey.bwdb") {}

    WorksheetWindow* openSheet(const std::string& sheet, int bandKind = 1, int firstBand = 14) {
        return openWorksheet(path_, sheet, bandKind, 1, firstBand);
    }
    template <class W> W* fromMenu(const char* item) {
        QAction* a = menuItem(item);
        EXPECT_TRUE(a && a->isEnabled()) << item;
        if (a) a->trigger();
        QApplication::processEvents();
        return qobject_cast<W*>(activeChild());
    }
    frmGraph* openGraph() { return fromMenu<frmGraph>("mnuGraphDraw"); }
    frmPrint* openPrint() { return fromMenu<frmPrint>("mnuGraphPrint"); }
    // A datasheet window as the Datasheets menu opens one: its spectra of a
    // type chosen in its list (kept where a worksheet keeps its formula),
    // and a descriptive field behind the bands.
    SheetWindow* openDatasheet(QComboBox*& types) {
        db::TableDef def = db::worksheetTableDef("Sources", 10);
        def.fields[7].name = "Select Type";
        db::FieldDef source = def.fields[1];
        source.name = "Source";
        def.fields.push_back(source);
        auto database = file_->database();
        db::createSheet(*database, def, 1, 14);
        const char* rows[][4] = {{"3", "Chiller", "Plant", "Maker's data"},
                                 {"1", "Fan coil", "Plant", "Test lab"},
                                 {"2", "Lorry", "Traffic", ""}};
        for (const auto& r : rows)
            database->Execute(
                "INSERT INTO \"Sources\" (\"Code\", \"Description\", \"Select Type\", "
                "\"Source\", \"L1\") VALUES (?, ?, ?, ?, 40)",
                {db::Value(std::stoi(r[0])), db::Value(r[1]), db::Value(r[2]), db::Value(r[3])});
        auto* ds = new SheetWindow(db::SheetKind::Datasheet, 10);
        ds->txtDBName->setText(QString::fromStdString(path_));
        db::bindWorksheet(*ds, file_->connectionString(), "Sources");
        auto* info = new QWidget(ds);
        info->setObjectName("frmOtherInfo(1)");
        types = new QComboBox(ds);
        types->setObjectName("cmbSelectBy(1)");
        types->addItems({"<All>", "Plant", "Traffic"});
        ds->setWindowTitle("Datasheet: Sources");
        main_->mdiArea->addSubWindow(ds)->show();
        activate(ds);
        return ds;
    }
    QString tempFile(const std::string& name) const { return QString::fromStdString(pathOf(name)); }
};

} // namespace output_tests
