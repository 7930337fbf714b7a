// Edit > Undo: the sheet and its backup table change places, so a second
// Undo redoes what the first undid.
#include "editing/edit_menu.h"
#include "editing/frm_recalc.h"
#include "editing/sheet_edit.h"
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/sheet_window.h"

#include <limits>
#include <memory>

namespace {

const char* const kBackup = "~Backup";
const char* const kTmp = "~Tmp";

// Swaps the records of `sheet` and the backup in one transaction.
void swapWithBackup(db::Database& database, const std::string& sheet) {
    const std::string s = db::quoteIdent(sheet);
    const std::string b = db::quoteIdent(kBackup);
    const std::string t = db::quoteIdent(kTmp);
    db::Database::Transaction tx(database);
    // What an interrupted Undo left behind is rebuilt.
    if (auto left = database.findTable(kTmp)) database.deleteTable(*left);
    CopyTableDef(sheet, database, kTmp);
    database.Execute("INSERT INTO " + t + " SELECT * FROM " + s);
    database.Execute("DELETE FROM " + s);
    database.Execute("INSERT INTO " + s + " SELECT * FROM " + b);
    database.Execute("DELETE FROM " + b);
    database.Execute("INSERT INTO " + b + " SELECT * FROM " + t);
    database.deleteTable(kTmp);
    tx.commit();
}

} // namespace

void EditMenu::mnuEditUndo_Click() {
    SheetWindow* w = activeSheetWindow();
    if (!w) return;
    // Only the backup of this very sheet: its caption and its file.
    const QString path = w->txtDBName->text();
    if (gBackupCaption != w->caption() || gBackupFile != path || path.isEmpty()) return;
    // The backup is older than what another program did since: swapping it in
    // would undo that program's work too. Nothing is being restored, so the
    // message shows without the notice.
    if (viewMadeStale(*w)) {
        disownBackup();
        return;
    }
    auto notice = std::make_unique<frmRecalc>();
    notice->Label1->setText("Restoring ...");
    notice->showOver(w);
    const int position =
        w->Data1.recordset().isOpen() ? w->Data1.recordset().AbsolutePosition() : 0;
    const std::string sheet = w->sheetName().toStdString();
    try {
        auto database = db::Database::open(path.toStdString());
        bool hasSheet = false, hasBackup = false;
        for (const std::string& name : database->tableNames()) {
            hasSheet = hasSheet || name == sheet;
            hasBackup = hasBackup || name == kBackup;
        }
        if (!hasSheet || !hasBackup) return;
        if (backupReplacedElsewhere(*database)) {
            disownBackup();
            notice.reset();
            platform::MsgBox("The undo copy of \"" + w->sheetName() +
                                 "\" was replaced by another Bandwright, so the last change "
                                 "cannot be undone. Nothing was changed.",
                             platform::vbExclamation);
            return;
        }
        swapWithBackup(*database, sheet);
        noteBackup(*database);
    } catch (const std::exception&) {
        notice.reset();
        platform::MsgBox("Error in undo");
        return;
    }
    try {
        // Back on the same spectrum number, or the last when there are fewer.
        showSheetChanges(*w, position >= 1 ? position : std::numeric_limits<int>::max(), false);
    } catch (const std::exception& e) {
        notice.reset();
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
