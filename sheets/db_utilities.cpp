#include "sheets/db_utilities.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/sheet_window.h"

#include <QAction>

#include <optional>

namespace {

const char* const kBackupTable = "~Backup";

void enableUndo(bool on) {
    if (QAction* undo = menuItem("mnuEditUndo")) undo->setEnabled(on);
}

} // namespace

bool BackupSheet(bool recreate, QString* failure) {
    if (gActiveKind != 1 && gActiveKind != 2) return false;
    auto* window = dynamic_cast<SheetWindow*>(gActiveSheet);
    if (!window) return false;
    const std::string path = window->txtDBName->text().toStdString();
    if (path.empty()) return false;
    const QString caption = window->caption();
    const std::string sheet = caption.mid(11).toStdString();
    try {
        auto database = db::Database::open(path);
        if (database->readOnly()) {
            // No edit can change the file, so there is nothing to undo.
            gBackupCaption.clear();
            enableUndo(false);
            return false;
        }
        const auto names = database->tableNames();
        bool found = false;
        for (const auto& name : names)
            found = found || name == sheet;
        if (!found) return false;

        db::Database::Transaction tx(*database);
        bool present = database->findTable(kBackupTable).has_value();
        if (recreate && present) {
            database->deleteTable(kBackupTable);
            present = false;
        }
        if (!present)
            CopyTableDef(sheet, *database, kBackupTable);
        else
            database->Execute("DELETE FROM " + db::quoteIdent(kBackupTable));
        database->Execute("INSERT INTO " + db::quoteIdent(kBackupTable) + " SELECT * FROM " +
                          db::quoteIdent(sheet));
        tx.commit();
    } catch (const std::exception& e) {
        gBackupCaption.clear();
        gBackupFile.clear();
        enableUndo(false);
        if (failure)
            *failure = QString::fromStdString(e.what());
        else
            platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    gBackupCaption = caption;
    gBackupFile = window->txtDBName->text();
    enableUndo(true);
    return false;
}

QString keptWithoutUndo(const QString& failure) {
    return "The change is kept, but Undo is not available for it: the undo copy of the sheet "
           "could not be written.\n\n" +
           failure;
}

bool CopyTableDef(const std::string& source, db::Database& database, const std::string& newName) {
    database.copyTableStructure(source, newName);
    return true;
}

namespace {

// The worksheet and spectrum of the first value the file's fields do not
// allow (written by another program), which no compaction can carry over.
std::optional<std::string> badSpectrum(const std::string& path) {
    try {
        auto database = db::Database::open(path);
        db::Statement names(*database, "SELECT " + db::quoteIdent("Sheet Name") + " FROM " +
                                           db::quoteIdent(db::kSheetsList));
        while (names.step()) {
            const std::string sheet = names.column(0).toText();
            if (!database->findTable(sheet)) continue;
            const auto bad = db::findBadValue(*database, sheet);
            if (!bad) continue;
            const db::Value code =
                database->scalar("SELECT " + db::quoteIdent("Code") + " FROM " +
                                     db::quoteIdent(sheet) + " WHERE rowid = ?",
                                 {db::Value(static_cast<long long>(bad->rowid))});
            const std::string spectrum =
                code.isNumber() ? "spectrum " + code.toText() : "a spectrum without a number";
            return "worksheet \"" + sheet + "\", " + spectrum + ": its " + bad->field +
                   " holds a value of a kind the field cannot hold (" + bad->kind + ")";
        }
    } catch (const std::exception&) {
        // the compaction's own failure is reported
    }
    return std::nullopt;
}

} // namespace

void CompactFile() {
    const std::string path = gFilePath.toStdString();
    try {
        db::compactFile(path);
    } catch (const std::exception& e) {
        QString text = QString::fromStdString(e.what());
        if (const auto bad = badSpectrum(path))
            text = "In " + QString::fromStdString(*bad) + ".\n\n" + text;
        platform::MsgBox("Error compacting database. " + text);
    }
}
