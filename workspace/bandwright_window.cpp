#include "workspace/bandwright_window.h"

#include "editing/edit_menu.h"
#include "platform/gui/forms.h"
#include "workspace/datasheets_menu.h"
#include "workspace/menu_bar.h"

#include <QPointer>

namespace {
QPointer<Bandwright> defaultInstance;
}

Bandwright::Bandwright(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Bandwright");
    setWindowTitle("Bandwright");
    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName("mdiArea");
    mdiArea->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdiArea);
    buildMenuBar(*this, *mdiArea);
    new EditMenu(*this);
    new DatasheetsMenu(*this);
    platform::gui::registerForm(this, platform::gui::FormKind::Main);
    resize(1024, 720);
}

Bandwright& mainWindow() {
    if (!defaultInstance) defaultInstance = new Bandwright;
    return *defaultInstance;
}
