#include "sheets/db_utilities.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/sheet_window.h"

#include <QAction>

#include <cstdint>
#include <optional>
#include <string_view>

namespace {

const char* const kBackupTable = "~Backup";

void enableUndo(bool on) {
    if (QAction* undo = menuItem("mnuEditUndo")) undo->setEnabled(on);
}

// In a file other programs write too, the backup table is theirs as well: a
// fingerprint of it as this program left it shows whether it still is that
// (0 where no other program writes the file).
std::uint64_t gBackupPrint = 0;

std::uint64_t backupPrint(db::Database& database) {
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    const auto mix = [&h](std::string_view bytes) {
        for (unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
    };
    db::Statement st(database, "SELECT * FROM " + db::quoteIdent(kBackupTable));
    while (st.step())
        for (int i = 0; i < st.columnCount(); ++i) {
            const db::Value v = st.column(i);
            const char kind = static_cast<char>(v.kind());
            mix(std::string_view(&kind, 1));
            mix(v.toText());
        }
    return h == 0 ? 1 : h;
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
    // A file gone from under the window takes no more edits: the edit
    // itself says so.
    if (const auto own =
            window->Data1.recordset().isOpen() ? window->Data1.recordset().database() : nullptr;
        own && own->gone()) {
        gBackupCaption.clear();
        enableUndo(false);
        return false;
    }
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
        noteBackup(*database);
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
            const std::string where =
                "worksheet \"" + sheet + "\", " + spectrum + ": its " + bad->field + " holds ";
            if (bad->length > 0)
                return where + "a text of " + std::to_string(bad->length) +
                       " characters, too long for the field (at most " + std::to_string(bad->size) +
                       ")";
            return where + "a value of a kind the field cannot hold (" + bad->kind + ")";
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

bool sheetInFile(SheetWindow& window) {
    const auto database = window.Data1.recordset().database();
    const std::string name = window.sheetName().toStdString();
    if (!database || database->findTable(name) != name) return false;
    const db::Value system = database->scalar("SELECT " + db::quoteIdent("Octave/Third Octave") +
                                                  " FROM " + db::quoteIdent(db::kSheetsList) +
                                                  " WHERE " + db::quoteIdent("Sheet Name") + " = ?",
                                              {db::Value(name)});
    if (system.isEmpty()) return false; // no row
    if ((system.isNumber() && system.toLong() == 2 ? 30 : 10) != window.bandCount()) return false;
    // A sheet made anew under the name, its bands beginning elsewhere or of
    // another kind of datasheet, is another sheet: the window's band labels
    // and fields are not its own.
    db::Recordset& row = window.Data2.recordset();
    if (!row.isOpen() || !atRecord(row)) return true;
    for (int i = 0; i < row.Fields().Count(); ++i) {
        const std::string field = row.Fields(i).Name();
        if (!db::equalNoCase(field, "First Band") && !db::equalNoCase(field, "Datasheet Type"))
            continue;
        const db::Value shown = row.Fields(i).value();
        const db::Value now = database->scalar("SELECT " + db::quoteIdent(field) + " FROM " +
                                                   db::quoteIdent(db::kSheetsList) + " WHERE " +
                                                   db::quoteIdent("Sheet Name") + " = ?",
                                               {db::Value(name)});
        if (now.kind() != shown.kind() || now != shown) return false;
    }
    return true;
}

SheetView sheetView(SheetWindow& window) {
    db::Recordset& rs = window.Data1.recordset();
    if (!rs.isOpen() || db::heldAs(window.txtDBName->text().toStdString()) == db::FileHold::Writing)
        return SheetView::Current;
    try {
        if (rs.matchesFile()) return SheetView::Current;
    } catch (const std::exception&) {
        // The rows cannot be read as the window reads them: the sheet may be gone.
        if (sheetInFile(window)) throw;
        return SheetView::Gone;
    }
    return sheetInFile(window) ? SheetView::Changed : SheetView::Gone;
}

bool changedElsewhere(SheetWindow& window) {
    return sheetView(window) != SheetView::Current;
}

QString changedElsewhereText(const QString& sheet) {
    return "\"" + sheet +
           "\" was changed in its file by another Bandwright since this window showed it. The "
           "window now shows the file as it is, and nothing was done: check the spectra and give "
           "the command again.";
}

QString goneElsewhereText(const SheetWindow& window) {
    const bool worksheet = window.sheetKind() == db::SheetKind::Worksheet;
    return QString(worksheet ? "The worksheet" : "The datasheet") + " \"" + window.sheetName() +
           "\" was deleted or renamed in its file by another Bandwright since this window showed "
           "it, and nothing was done: this window can no longer change it. Close the window and "
           "open the " +
           (worksheet ? "worksheet" : "datasheet") +
           " again (under its new name if it was renamed).";
}

void noteBackup(db::Database& database) {
    gBackupPrint = db::heldAs(database.path()) == db::FileHold::Writing ? 0 : backupPrint(database);
}

bool backupReplacedElsewhere(db::Database& database) {
    return gBackupPrint != 0 && backupPrint(database) != gBackupPrint;
}

void disownBackup() {
    gBackupCaption.clear();
    gBackupFile.clear();
    enableUndo(false);
}
