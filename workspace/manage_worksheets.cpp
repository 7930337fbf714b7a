// Worksheets > Delete Worksheet, Rename Worksheet, Save Worksheet As and
// Recover. Each changes the file in one transaction: a failure leaves the
// file as it was.
#include "editing/paste_data.h"
#include "engine/globals.h"
#include "output/output_window.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/flag_guard.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/open_close.h"
#include "sheets/sheet_display.h"
#include "sheets/view_hold.h"
#include "sheets/worksheet_window.h"
#include "workspace/file_paths.h"
#include "workspace/frm_rename_wksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/globals.h"
#include "workspace/new_worksheet.h"
#include "workspace/open_worksheet.h"
#include "workspace/sheet_commands.h"
#include "workspace/worksheets_menu.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>

#include <cstdio>

namespace {

const QString kWorksheetPrefix = QStringLiteral("Worksheet: ");

void commitEdit(db::DataControl& control) {
    db::Recordset& rs = control.recordset();
    if (rs.isOpen() && rs.editing()) rs.Move(0);
}

// Whether any window shows this worksheet of this file: its sheet window, or
// a graph or print window made from it.
bool worksheetHasWindow(const QString& file, const QString& name) {
    if (isSheetOpen(file, name)) return true;
    using platform::gui::FormKind;
    for (FormKind kind : {FormKind::Graph, FormKind::Print})
        for (QWidget* form : platform::gui::formsOfKind(kind)) {
            auto* w = dynamic_cast<OutputWindow*>(form);
            if (w && w->isWorksheet() && w->sheetName() == name &&
                samePath(w->DatabaseName(), file))
                return true;
        }
    return false;
}

} // namespace

void WorksheetsMenu::mnuFileDeleteWorksheet_Click() {
    // A file only viewed until now is this program's once no other writes it.
    takeViewedFile(gFilePath);
    deleteSheetOfFile(gFilePath, "worksheet", worksheetHasWindow);
}

void WorksheetsMenu::mnuFileRenameWorksheet_Click() {
    auto* w = dynamic_cast<WorksheetWindow*>(gActiveSheet);
    if (gActiveKind != 1 || !w) return;
    takeViewedFile(w->txtDBName->text(), w);

    QString newName;
    {
        frmRenameWksheet dialog;
        dialog.place(2000, 2000);
        platform::ShowModal(dialog);
        if (dialog.optCancelled->isChecked()) return;
        newName = dialog.txtName->text();
    }
    const QString oldName = w->sheetName();
    const QString file = w->txtDBName->text();
    const std::string from = oldName.toStdString();
    const std::string to = newName.toStdString();
    try {
        // What was typed and not yet written goes with the sheet.
        commitEdit(w->Data1);
        commitEdit(w->Data2);
        auto database = db::Database::open(file.toStdString());
        if (!renameTargetFree(*database, from, to, "Worksheet")) return;

        db::Database::Transaction tx(*database);
        if (!moveSheetTable(*database, from, to)) return;
        // A recovery table belongs to the sheet: it keeps up with the name.
        const std::string oldRecovery = "~" + from, newRecovery = "~" + to;
        if (hasExactTable(*database, oldRecovery) && !database->findTable(newRecovery))
            database->renameTable(oldRecovery, newRecovery);
        tx.commit();
    } catch (const std::exception& e) {
        showError(e);
        return;
    }

    // The window reads the sheet under its new name, on the record it was on.
    const QString oldCaption = w->caption();
    try {
        platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
        const int position = w->Data1.recordset().AbsolutePosition();
        w->Data2.setRecordSource("SELECT * FROM " + db::quoteIdent(db::kSheetsList) + " WHERE " +
                                     db::quoteIdent("Sheet Name") + " = ?",
                                 {db::Value(to)});
        w->Data2.Refresh();
        w->Data1.setRecordSource("SELECT * FROM " + db::quoteIdent(to) + " ORDER BY " +
                                 db::quoteIdent("Code"));
        w->Data1.Refresh();
        db::Recordset& rs = w->Data1.recordset();
        if (position > 0 && position <= rs.RecordCount()) rs.setAbsolutePosition(position);
    } catch (const std::exception& e) {
        showError(e);
    }
    w->setWindowTitle(kWorksheetPrefix + newName);
    // Undo keeps working: the backup now belongs to the renamed window.
    if (gBackupCaption == oldCaption && samePath(gBackupFile, file)) gBackupCaption = w->caption();
}

void WorksheetsMenu::mnuSaveWorksheetAs_Click() {
    auto* w = dynamic_cast<WorksheetWindow*>(gActiveSheet);
    if (!w) return;
    // The copy is of the spectra as the file holds them.
    if (takeViewedFile(w->txtDBName->text(), w) == Takeover::TakenChanged) {
        platform::MsgBox(takenChangedText(w->sheetName()), platform::vbExclamation);
        return;
    }

    PasteArray pasteData;
    PasteSource source;
    QString notes;
    try {
        commitEdit(w->Data1);
        commitEdit(w->Data2);
        db::Recordset& row = w->Data2.recordset();
        notes = QString::fromStdString(row.Fields("Notes").value().toText());
        source.bandKind = wholeNumber(row.Fields("Octave/Third Octave").value()) == 2 ? 2 : 1;
        source.firstBand = wholeNumber(row.Fields("First Band").value());
        source.columns = source.bandKind == 2 ? 38 : 18;

        // Read by position: the window's current record does not move.
        const db::Recordset& records = w->Data1.recordset();
        const int fields = records.Fields().Count();
        pasteData.setCell(1, 1, QString()); // the header row stays empty
        for (int i = 1; i <= records.RecordCount(); ++i)
            for (int k = 1; k <= fields && k <= source.columns; ++k)
                pasteData.setCell(i + 1, k, pasteCellText(records.peek(i, k - 1)));
    } catch (const std::exception& e) {
        showError(e);
        return;
    }
    const int n = pasteData.rowCount() - 1;

    const auto fill = [&](db::Database& database, const std::string& table, int bandSystem,
                          int firstBand) {
        if (n <= 0) {
            database.Execute("INSERT INTO " + db::quoteIdent(table) + " (" +
                             db::quoteIdent("Code") + ") VALUES (1)");
            return;
        }
        db::Recordset rs = db::Recordset::open(database.shared_from_this(), table);
        const PasteTarget target{bandSystem, firstBand};
        for (int j = 1; j <= n; ++j) {
            rs.AddNew();
            rs.Fields("Code") = db::Value(j);
            PasteRecord(rs, pasteData, j, target, source, true);
        }
    };
    QString name;
    int bandSystem = 0, firstBand = 0;
    if (NewWS(name, bandSystem, firstBand, false, notes, fill)) return;
    if (OpenWS2(gFilePath, name, bandSystem, firstBand, true)) return;
    FillChart(bandSystem == 2 ? 30 : 10, firstBand);
}

void WorksheetsMenu::mnuFileRecover_Click() {
    QMdiArea* mdi = mdiArea();
    QMdiSubWindow* sub = mdi ? mdi->activeSubWindow() : nullptr;
    auto* w = sub ? dynamic_cast<WorksheetWindow*>(sub->widget()) : nullptr;
    if (!w) return;
    takeViewedFile(w->txtDBName->text(), w);
    const std::string sheet = w->sheetName().toStdString();
    const std::string recovery = "~" + sheet;
    // The program's own tables are never a sheet's recovery.
    if (db::equalNoCase(recovery, "~Backup") || db::equalNoCase(recovery, "~Tmp")) {
        platform::MsgBox("The worksheet \"" + w->sheetName() +
                         "\" cannot be recovered: its recovery table would be one of the "
                         "program's own tables.");
        return;
    }
    try {
        auto database = db::Database::open(w->txtDBName->text().toStdString());
        if (!hasExactTable(*database, recovery)) return;
        commitEdit(w->Data1);
        db::Database::Transaction tx(*database);
        database->Execute("DELETE FROM " + db::quoteIdent(sheet));
        database->Execute("INSERT INTO " + db::quoteIdent(sheet) + " SELECT * FROM " +
                          db::quoteIdent(recovery));
        tx.commit();
        platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
        w->Data1.Refresh();
    } catch (const std::exception& e) {
        showError(e);
        return;
    }
    if (gActiveSheet == w) FillChart(w->bandCount(), w->mFirstBand);
}
