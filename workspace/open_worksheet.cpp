#include "workspace/open_worksheet.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/open_close.h"
#include "sheets/sheet_window.h"
#include "sheets/worksheet_window.h"
#include "workspace/file_paths.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/globals.h"
#include "workspace/sheet_commands.h"
#include "workspace/sheet_files.h"
#include "workspace/worksheet_files.h"

#include <QPointer>

#include <vector>

namespace {

// One row of a file's "Sheets List".
struct CatalogueRow {
    QString name;
    int bandKind = 0;
    int firstBand = 0;
    int datasheetType = 0;
};

// The rows of the file's catalogue in the order the file yields them.
std::vector<CatalogueRow> readCatalogue(db::Database& database) {
    std::vector<CatalogueRow> rows;
    db::Statement st(database, "SELECT * FROM " + db::quoteIdent(db::kSheetsList));
    int name = -1, kind = -1, first = -1, type = -1;
    for (int i = 0; i < st.columnCount(); ++i) {
        const std::string c = st.columnName(i);
        if (db::equalNoCase(c, "Sheet Name")) name = i;
        if (db::equalNoCase(c, "Octave/Third Octave")) kind = i;
        if (db::equalNoCase(c, "First Band")) first = i;
        if (db::equalNoCase(c, "Datasheet Type")) type = i;
    }
    if (name < 0) throw db::Error("The \"Sheets List\" table has no \"Sheet Name\" field");
    while (st.step()) {
        CatalogueRow r;
        r.name = QString::fromStdString(st.column(name).toText());
        if (kind >= 0) r.bandKind = wholeNumberOrZero(st.column(kind));
        if (first >= 0) r.firstBand = wholeNumberOrZero(st.column(first));
        if (type >= 0) r.datasheetType = wholeNumberOrZero(st.column(type));
        rows.push_back(std::move(r));
    }
    return rows;
}

// "Different File": a worksheet of another file, which must hold a catalogue.
bool openFromDifferentFile() {
    const QString other =
        platform::OpenFileDialog("Open Worksheet File", QString(), gDefaultDir,
                                 QString::fromLatin1(platform::kDatabaseFilesFilter));
    if (other.isEmpty()) return true;
    const bool taken = takeWorksheetFile(other);
    try {
        auto database = db::Database::open(other.toStdString());
        if (!hasSheetsList(*database)) {
            if (taken) db::releaseFile(other.toStdString());
            platform::MsgBox("Database does not contain a 'Sheets List' table");
            return true;
        }
    } catch (const std::exception& e) {
        if (taken) db::releaseFile(other.toStdString());
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    if (taken) tellIfViewingOnly(other);
    return OpenWS(other, true, false);
}

} // namespace

int defaultViewNumber() {
    return gDefaultView == QLatin1String("Spreadsheet") ? 2 : 1;
}

bool isSheetOpen(const QString& file, const QString& name) {
    using platform::gui::FormKind;
    for (FormKind kind : {FormKind::Worksheet, FormKind::Datasheet})
        for (QWidget* form : platform::gui::formsOfKind(kind)) {
            auto* w = dynamic_cast<SheetWindow*>(form);
            if (w && w->sheetName() == name && samePath(w->txtDBName->text(), file)) return true;
        }
    return false;
}

bool OpenWS(const QString& file, bool isWorksheet, bool showDifferentFile) {
    std::vector<CatalogueRow> rows;
    try {
        auto database = db::Database::open(file.toStdString());
        rows = readCatalogue(*database);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    if (!showDifferentFile && rows.empty()) {
        platform::MsgBox("No worksheets in database", platform::vbOKOnly, "Bandwright");
        return true;
    }
    QStringList items;
    for (const CatalogueRow& r : rows)
        if (!isSheetOpen(file, r.name)) items << r.name;

    // The first name selected, so that Enter opens it.
    const SheetPick pick = pickFromList(isWorksheet ? "Select Worksheet" : "Select Datasheet",
                                        items, showDifferentFile, items.value(0));
    if (pick.outcome == SheetPick::Cancelled) return true;
    if (pick.outcome == SheetPick::DifferentFile) return openFromDifferentFile();

    for (const CatalogueRow& r : rows)
        if (r.name == pick.text) {
            return isWorksheet
                       ? OpenWS2(file, r.name, r.bandKind, r.firstBand, true)
                       : OpenDS2(file, r.name, r.bandKind, r.firstBand, r.datasheetType, false);
        }
    return true;
}

bool OpenWS2(const QString& file, const QString& name, int bandKind, int firstBand,
             bool isWorksheet) {
    if (bandKind != 1 && bandKind != 2) {
        platform::MsgBox(QString("The worksheet \"%1\" cannot be opened: its band system (%2) is "
                                 "neither octave (1) nor third-octave (2).")
                             .arg(name)
                             .arg(bandKind));
        return true;
    }
    QPointer<SheetWindow> previous = dynamic_cast<SheetWindow*>(gActiveSheet);
    const int view = defaultViewNumber();
    WorksheetWindow* w = newWorksheetWindow(bandKind, view);
    gActiveSheet = w;
    if (OpenSheetForm(w, file, name, bandKind, firstBand, view, isWorksheet)) {
        gActiveSheet = previous.data();
        return true;
    }
    return false;
}
