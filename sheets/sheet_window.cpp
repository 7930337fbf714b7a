#include "sheets/sheet_window.h"

SheetWindow::SheetWindow(db::SheetKind kind, int nBands, QWidget* parent)
    : QWidget(parent), db::SheetForm(kind), nBands_(nBands) {
    txtDBName = new QLineEdit(this);
    txtDBName->setObjectName("txtDBName");
    txtDBName->hide();
}
