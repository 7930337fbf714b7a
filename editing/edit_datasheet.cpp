// Edit > Editable and Edit Spectrum Type: the two items that serve datasheet
// windows only.
#include "editing/edit_menu.h"

#include "editing/sheet_edit.h"
#include "platform/db/database.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/datasheet_layout.h"
#include "sheets/datasheet_window.h"
#include "sheets/frm_sel_data_type.h"
#include "sheets/menu_state.h"

#include <QAction>
#include <QListWidget>
#include <QRadioButton>
#include <QTableView>

namespace {

DatasheetWindow* activeDatasheet() {
    return dynamic_cast<DatasheetWindow*>(activeSheetWindow());
}

// The items that change a datasheet's spectra, switched with Editable.
void enableDatasheetEdits(bool on) {
    for (const char* name : {"mnuEditNew", "mnuEditDelete", "mnuEditPaste", "mnuEditPasteInsert",
                             "mnuEditSpectrumType"})
        if (QAction* a = menuItem(name)) a->setEnabled(on);
    if (QAction* a = menuItem("mnuEditSpectrumEditable")) a->setChecked(on);
}

} // namespace

void EditMenu::mnuEditSpectrumEditable_Click() {
    DatasheetWindow* w = activeDatasheet();
    if (!w) return;
    const bool on = !w->editable();
    w->setEditable(on);
    enableDatasheetEdits(on);
    // Undo starts from the datasheet as it was when editing was switched on.
    if (on) w->takeBackup();
}

void EditMenu::mnuEditSpectrumType_Click() {
    DatasheetWindow* w = activeDatasheet();
    if (!w) return;
    db::Recordset& rs = w->Data1.recordset();
    if (!rs.isOpen() || rs.eof() || rs.bof()) return; // no spectrum to give a type
    if (!w->commitRecord() || w->refusedAsStale(QString())) return;

    frmSelDataType picker;
    const db::Value current = rs.Fields(kFieldSelectType).value();
    const QString currentText = QString::fromStdString(current.toText());
    picker.load(*w, current.isNull() || current.isEmpty() ? nullptr : &currentText);
    platform::ShowModal(picker);
    if (picker.optCancelled->isChecked()) return;
    const QString type = picker.choice();
    // Another program may have changed the spectra while the picker was open.
    const QString notGiven = " The type chosen (" + type + ") was not given to the spectrum.";
    if (w->refusedAsStale(notGiven)) return;
    // The backup after the question: a cancelled change keeps the last one.
    if (w->takeBackup()) return;

    try {
        const db::Value code = rs.Fields("Code").value();
        rs.Fields(kFieldSelectType) = db::Value(type.toStdString());
        rs.Update();
        // Show the spectra of the new type, this one current.
        w->setFilter(type);
        w->Data3.Refresh();
        w->fillTypeSelector(type);
        db::Recordset& shown = w->Data1.recordset();
        for (int pos = 1; pos <= shown.RecordCount(); ++pos)
            if (shown.peek(pos, 0) == code) {
                shown.setAbsolutePosition(pos);
                break;
            }
    } catch (const std::exception& e) {
        // The write may have found its record changed meanwhile.
        bool told = false;
        try {
            told = w->refusedAsStale(notGiven);
        } catch (const std::exception&) {
        }
        if (!told) {
            try {
                db::Recordset& now = w->Data1.recordset();
                if (now.isOpen() && now.editing()) now.CancelUpdate();
            } catch (const std::exception&) {
            }
            w->reloadAll();
            platform::MsgBox(QString::fromStdString(e.what()));
        }
    }
    w->grdSpectra->view()->setFocus();
}
