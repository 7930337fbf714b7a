#include "sheets/db_utilities.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/sheet_window.h"

#include <QAction>

#include <filesystem>
#include <system_error>

namespace {

const char* const kBackupTable = "~Backup";

void enableUndo(bool on) {
    if (QAction* undo = menuItem("mnuEditUndo")) undo->setEnabled(on);
}

// The connection the window reads the file through, when it is that file:
// the copy then needs no second opening of the file, and joins a
// transaction the caller holds open for the edit it backs up.
std::shared_ptr<db::Database> connectionOf(SheetWindow& window, const std::string& path) {
    db::Recordset& rs = window.Data1.recordset();
    if (rs.isOpen())
        if (auto own = rs.database()) {
            std::error_code ec;
            if (std::filesystem::equivalent(own->path(), path, ec)) return own;
        }
    return db::Database::open(path);
}

} // namespace

bool BackupSheet(bool recreate) {
    if (gActiveKind != 1 && gActiveKind != 2) return false;
    auto* window = dynamic_cast<SheetWindow*>(gActiveSheet);
    if (!window) return false;
    const std::string path = window->txtDBName->text().toStdString();
    if (path.empty()) return false;
    const QString caption = window->caption();
    const std::string sheet = caption.mid(11).toStdString();
    try {
        auto database = connectionOf(*window, path);
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
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    gBackupCaption = caption;
    gBackupFile = window->txtDBName->text();
    enableUndo(true);
    return false;
}

bool CopyTableDef(const std::string& source, db::Database& database, const std::string& newName) {
    database.copyTableStructure(source, newName);
    return true;
}

void CompactFile() {
    try {
        db::compactFile(gFilePath.toStdString());
    } catch (const std::exception& e) {
        platform::MsgBox("Error compacting database. " + QString::fromStdString(e.what()));
    }
}
