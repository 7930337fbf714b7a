#include "sheets/sheet_window.h"

#include "engine/globals.h"
#include "platform/geometry.h"
#include "platform/gui/forms.h"

#include <QCloseEvent>

#include <algorithm>

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

int SheetWindow::heightBeyondOpening(int openingTwips) const {
    // The frame round the window (title bar, borders) is not the window's.
    const QWidget* outer = parentWidget();
    const int frame = outer ? outer->height() - height() : 0;
    return std::max(0, height() - (platform::twipsToPixels(openingTwips) - frame));
}
