#include "sheets/sheet_window.h"

#include "engine/globals.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"

#include <QCloseEvent>

SheetWindow::SheetWindow(db::SheetKind kind, int nBands, QWidget* parent)
    : QWidget(parent), db::SheetForm(kind), nBands_(nBands) {
    txtDBName = new QLineEdit(this);
    txtDBName->setObjectName("txtDBName");
    txtDBName->hide();
}

SheetWindow::~SheetWindow() {
    // The commands must never reach a closed window.
    if (gActiveSheet == this) gActiveSheet = nullptr;
}

void SheetWindow::storePendingEdits() {
    for (int j = 1; j <= bandCount(); ++j)
        if (Lev(j) && Lev(j)->isModified()) Lev_LostFocus(j); // typed by the user
    if (grdSpectra) grdSpectra->setEditActive(false);
}

void SheetWindow::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
        if (gActiveSheet == this) gActiveSheet = nullptr;
        // Unloaded: no longer counted or found among the loaded forms, even
        // before the object itself goes.
        platform::gui::unregisterForm(this);
    }
    event->accept();
}
