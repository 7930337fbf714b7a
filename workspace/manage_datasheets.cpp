// Datasheets > Delete Datasheet, Rename Datasheet and Save Datasheet As.
// Each changes the datasheets file in one transaction: a failure leaves the
// file as it was.
#include "editing/paste_data.h"
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/flag_guard.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/datasheet_layout.h"
#include "sheets/datasheet_window.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/open_datasheet.h"
#include "workspace/datasheets_menu.h"
#include "workspace/file_paths.h"
#include "workspace/frm_rename_wksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/globals.h"
#include "workspace/new_datasheet.h"
#include "workspace/open_worksheet.h"
#include "workspace/sheet_commands.h"

#include <QLineEdit>
#include <QRadioButton>

#include <cstdio>

namespace {

const QString kDatasheetPrefix = QStringLiteral("Datasheet: ");

// Every datasheet window showing this datasheet of this file.
std::vector<DatasheetWindow*> windowsOf(const QString& file, const QString& name) {
    std::vector<DatasheetWindow*> out;
    for (QWidget* form : platform::gui::formsOfKind(platform::gui::FormKind::Datasheet)) {
        auto* w = dynamic_cast<DatasheetWindow*>(form);
        if (w && w->sheetName() == name && samePath(w->txtDBName->text(), file)) out.push_back(w);
    }
    return out;
}

// Binds a window to its datasheet under a new name, keeping its filter and
// its place.
void rebind(DatasheetWindow& w, const std::string& to) {
    // The record-move handlers stay quiet while the window is rebound.
    platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
    db::Recordset& rs = w.Data1.recordset();
    const int position = rs.isOpen() ? rs.AbsolutePosition() : 0;
    platform::gui::ComboBox* selector = w.typeSelector();
    const QString filter = selector->currentIndex() > 0 ? selector->currentText() : "<All>";
    w.setWindowTitle(kDatasheetPrefix + QString::fromStdString(to));
    w.Data2.setRecordSource("SELECT * FROM " + db::quoteIdent(db::kSheetsList) + " WHERE " +
                                db::quoteIdent("Sheet Name") + " = ?",
                            {db::Value(to)});
    w.Data2.Refresh();
    w.Data3.setRecordSource("SELECT * FROM " + db::quoteIdent(to) + " ORDER BY " +
                            db::quoteIdent("Code"));
    w.Data3.Refresh();
    w.setFilter(filter);
    db::Recordset& fresh = w.Data1.recordset();
    if (position > 0 && position <= fresh.RecordCount()) fresh.setAbsolutePosition(position);
}

} // namespace

void DatasheetsMenu::mnuDtaDeleteDatasheet_Click() {
    deleteSheetOfFile(gDatasheetPath, "datasheet", isSheetOpen);
}

void DatasheetsMenu::mnuDtaRenameDatasheet_Click() {
    auto* w = dynamic_cast<DatasheetWindow*>(gActiveSheet);
    if (gActiveKind != 2 || !w) return;

    QString newName;
    {
        frmRenameWksheet dialog;
        dialog.setWindowTitle("New Datasheet Name:");
        dialog.place(2000, 2000);
        platform::ShowModal(dialog);
        if (dialog.optCancelled->isChecked()) return;
        newName = dialog.txtName->text();
    }
    const QString oldName = w->sheetName();
    const QString file = w->txtDBName->text();
    const std::string from = oldName.toStdString();
    const std::string to = newName.toStdString();
    // What was typed and not yet written goes with the datasheet.
    w->commitRecord();
    try {
        auto database = db::Database::open(file.toStdString());
        if (!renameTargetFree(*database, from, to, "Datasheet")) return;

        db::Database::Transaction tx(*database);
        if (!moveSheetTable(*database, from, to)) return;
        tx.commit();
    } catch (const std::exception& e) {
        showError(e);
        return;
    }

    // Every window of the datasheet follows the new name.
    const QString oldCaption = w->caption();
    for (DatasheetWindow* each : windowsOf(file, oldName)) {
        try {
            rebind(*each, to);
        } catch (const std::exception& e) {
            showError(e);
        }
    }
    // Undo keeps working: the backup now belongs to the renamed datasheet.
    if (gBackupCaption == oldCaption && samePath(gBackupFile, file))
        gBackupCaption = kDatasheetPrefix + newName;
}

void DatasheetsMenu::mnuDtaSaveDatasheetAs_Click() {
    auto* w = dynamic_cast<DatasheetWindow*>(gActiveSheet);
    if (!w) return;

    PasteArray pasteData;
    PasteSource source;
    QString presetType;
    // Per copied spectrum, its descriptive fields by name.
    std::vector<std::vector<std::pair<std::string, db::Value>>> others;
    try {
        w->commitRecord();
        // The datasheet's own spectrum type: its table's default for "Type".
        auto database = db::Database::open(w->txtDBName->text().toStdString());
        for (const db::FieldDef& f : database->tableDef(w->sheetName().toStdString()).fields)
            if (db::equalNoCase(f.name, "Type"))
                presetType = QString::fromStdString(f.defaultValue.toText());

        db::Recordset& row = w->Data2.recordset();
        source.bandKind = wholeNumber(row.Fields("Octave/Third Octave").value()) == 2 ? 2 : 1;
        source.firstBand = wholeNumber(row.Fields("First Band").value());
        source.columns = source.bandKind == 2 ? 38 : 18;

        // The spectra the window shows, in its order; read by position so
        // the window's current record does not move.
        const db::Recordset& records = w->Data1.recordset();
        const db::FieldList fields = records.Fields();
        const int count = fields.Count();
        pasteData.setCell(1, 1, QString()); // the header row stays empty
        for (int i = 1; i <= records.RecordCount(); ++i) {
            for (int k = 1; k <= count && k <= source.columns; ++k)
                pasteData.setCell(i + 1, k, pasteCellText(records.peek(i, k - 1)));
            std::vector<std::pair<std::string, db::Value>> rest;
            for (int k = source.columns; k < count; ++k)
                rest.emplace_back(fields(k).Name(), records.peek(i, k));
            others.push_back(std::move(rest));
        }
    } catch (const std::exception& e) {
        showError(e);
        return;
    }
    const int n = pasteData.rowCount() - 1;
    // An empty view has nothing to save: nothing is created.
    if (n <= 0) return;

    const auto fill = [&](db::Database& database, const std::string& table, int bandSystem,
                          int firstBand) {
        db::Recordset rs = db::Recordset::open(database.shared_from_this(), table);
        const PasteTarget target{bandSystem, firstBand};
        const db::FieldList targetFields = rs.Fields();
        for (int j = 1; j <= n; ++j) {
            rs.AddNew();
            rs.Fields("Code") = db::Value(j);
            for (const auto& [name, value] : others[static_cast<size_t>(j - 1)])
                if (targetFields.indexOf(name) >= db::kFirstBandField + target.bandCount())
                    rs.Fields(name) = value;
            PasteRecord(rs, pasteData, j, target, source, true);
        }
    };
    QString name;
    int bandSystem = 0, firstBand = 0, kind = 0;
    if (NewDS(name, bandSystem, firstBand, kind, presetType, fill)) return;
    OpenDS2(gDatasheetPath, name, bandSystem, firstBand, kind, false);
}
