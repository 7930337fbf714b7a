#include "sheets/open_close.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "platform/flag_guard.h"
#include "platform/geometry.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/sheet_window.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

// Refreshes a data control, once more through the fallback provider when the
// first attempt fails. Throws the second failure.
void bindWithFallback(db::DataControl& control, const std::string& file) {
    control.setConnectionString(gConnect + "Data Source=" + file);
    try {
        control.Refresh();
    } catch (const std::exception&) {
        control.setConnectionString("Provider=Microsoft.Jet.OLEDB.3.51;Data Source=" + file +
                                    ";Persist Security Info=False");
        control.Refresh();
    }
}

QPointer<QMdiSubWindow> gLastActivated;

} // namespace

QMdiArea* mdiArea() {
    QWidget* main = mainForm();
    return main ? main->findChild<QMdiArea*>() : nullptr;
}

void watchActivation(QMdiArea* mdi) {
    if (!mdi || mdi->property("bwWatched").toBool()) return;
    mdi->setProperty("bwWatched", true);
    QObject::connect(mdi, &QMdiArea::subWindowActivated, mdi, [](QMdiSubWindow* sub) {
        // Deactivation (a dialog over the frame) reports no window; the
        // window that comes back afterwards was active all along.
        if (!sub || sub == gLastActivated) return;
        gLastActivated = sub;
        if (auto* w = dynamic_cast<SheetWindow*>(sub->widget())) w->Form_Activate();
    });
}

int cascadeCount() {
    return platform::gui::countFormsWithCaption({"Worksheet", "Datasheet", "Graph", "Print"});
}

std::optional<std::string> sheetFault(const std::string& file, const std::string& sheet,
                                      bool isWorksheet) {
    const std::string what =
        std::string(isWorksheet ? "Worksheet" : "Datasheet") + " \"" + sheet + "\"";
    auto database = db::Database::open(file);
    db::Statement row(*database, "SELECT " + db::quoteIdent("Octave/Third Octave") + ", " +
                                     db::quoteIdent("First Band") + " FROM " +
                                     db::quoteIdent(db::kSheetsList) + " WHERE " +
                                     db::quoteIdent("Sheet Name") + " = ?");
    row.bind(1, db::Value(sheet));
    if (!row.step()) return std::nullopt;
    const std::string cannot = what + " cannot be opened: ";
    // Its first edit would take the undo copy into itself and empty it.
    if (sheet.starts_with('~'))
        return cannot + "names beginning with \"~\" belong to the program's own backup and "
                        "recovery tables";
    const auto table = database->findTable(sheet);
    if (!table) return what + " is listed but missing from the file";
    // The commands that change a sheet find its table by its exact name.
    if (*table != sheet)
        return cannot + "its table is called \"" + *table + "\", written another way";
    const db::Value kind = row.column(0), first = row.column(1);
    if (kind.kind() != db::Value::Kind::Long || (kind.toLong() != 1 && kind.toLong() != 2))
        return cannot + "its band system (Octave/Third Octave) is \"" + kind.toText() +
               "\", not 1 (octave) or 2 (third-octave)";
    const long long last = kind.toLong() == 2 ? 29 : 27; // last band's distance from the first
    if (first.kind() != db::Value::Kind::Long || first.toLong() < 1 || first.toLong() + last > 48)
        return cannot + "its First Band \"" + first.toText() +
               "\" puts its bands outside the band table (1 to 48)";
    db::Statement code(*database, "SELECT typeof(Code), Code FROM " + db::quoteIdent(sheet) +
                                      " WHERE typeof(Code) <> 'integer' LIMIT 1");
    if (code.step()) {
        if (code.column(0).toText() == "null") return cannot + "a spectrum has no number (Code)";
        return cannot + "a spectrum's number (Code) is \"" + code.column(1).toText() +
               "\", not a whole number";
    }
    // Commands find a spectrum by its number: two with one number would
    // have the one act on the other.
    db::Statement twice(*database, "SELECT Code FROM " + db::quoteIdent(sheet) +
                                       " GROUP BY Code HAVING count(*) > 1 ORDER BY Code LIMIT 1");
    if (twice.step())
        return cannot + "two spectra have the number (Code) " + twice.column(0).toText();
    return std::nullopt;
}

bool OpenSheetForm(SheetWindow* window, const QString& file, const QString& sheet, int bandKind,
                   int /*firstBand*/, int view, bool isWorksheet) {
    auto* ws = dynamic_cast<WorksheetWindow*>(window);
    if (ws) ws->fillLists(view);
    window->txtDBName->setText(file);

    const std::string path = file.toStdString();
    const std::string name = sheet.toStdString();
    try {
        platform::FlagGuard busy(gBusy);
        if (const auto fault = sheetFault(path, name, isWorksheet)) throw db::Error(*fault);
        window->Data1.setRecordSource("SELECT * FROM " + db::quoteIdent(name) + " ORDER BY " +
                                      db::quoteIdent("Code"));
        bindWithFallback(window->Data1, path);
        window->Data2.setRecordSource("SELECT * FROM " + db::quoteIdent("Sheets List") + " WHERE " +
                                          db::quoteIdent("Sheet Name") + " = ?",
                                      {db::Value(name)});
        bindWithFallback(window->Data2, path);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        window->deleteLater();
        return true;
    }
    if (ws) ws->bound(view, bandKind);

    window->setWindowTitle((isWorksheet ? "Worksheet: " : "Datasheet: ") + sheet);
    platform::gui::registerForm(window, isWorksheet ? platform::gui::FormKind::Worksheet
                                                    : platform::gui::FormKind::Datasheet);
    SetMenus(isWorksheet ? kMenuWorksheet : kMenuDatasheet);

    QMdiArea* mdi = mdiArea();
    if (!mdi) {
        platform::MsgBox("The main window is not open.");
        window->deleteLater();
        return true;
    }
    watchActivation(mdi);
    QMdiSubWindow* sub = mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    const int step = platform::twipsToPixels((cascadeCount() - 1) * 300);
    sub->move(step, step);
    int width = 0, height = 0;
    if (view == 2) {
        width = bandKind == 1 ? 11300 : bandKind == 2 ? 11200 : 0;
        height = bandKind == 1 || bandKind == 2 ? 7500 : 0;
    } else if (view == 1 && (bandKind == 1 || bandKind == 2)) {
        width = 11200;
        height = 7600;
    }
    if (width > 0) sub->resize(platform::twipsToPixels(width), platform::twipsToPixels(height));

    if (view == 1 || view == 2) {
        if (QAction* a = menuItem("mnuWSViewFormula")) a->setChecked(view == 1);
        if (QAction* a = menuItem("mnuWSViewSpread")) a->setChecked(view == 2);
    }
    QPointer<SheetWindow> alive(window);
    sub->show();
    mdi->setActiveSubWindow(sub);
    // The activation closes a window it cannot bind (no catalogue row, say).
    if (!alive || (ws && ws->activationFailed())) return true;
    return false;
}

void CloseSheetForm(SheetWindow* window) {
    try {
        db::Recordset& notes = window->Data2.recordset();
        if (notes.isOpen()) notes.Move(0);
    } catch (const std::exception&) {
        // the window closes all the same
    }
    QMdiArea* mdi = mdiArea();
    const bool wasActive = gActiveSheet == window || (mdi && mdi->activeSubWindow() &&
                                                      mdi->activeSubWindow()->widget() == window);
    if (wasActive) {
        SetMenus(noSheetMode());
    }
    const std::string sheet = window->sheetName().toStdString();
    // The program's own tables are never a recovery table.
    if (sheet == "Backup" || sheet == "Tmp") return;
    try {
        const std::string path = window->txtDBName->text().toStdString();
        if (path.empty()) return;
        auto database = db::Database::open(path);
        const std::string recovery = "~" + sheet;
        for (const auto& name : database->tableNames())
            if (name == recovery) {
                database->deleteTable(recovery);
                break;
            }
    } catch (const std::exception&) {
        // silent: what was done stays done
    }
}
