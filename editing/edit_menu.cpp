#include "editing/edit_menu.h"

#include <QAction>
#include <QWidget>

EditMenu::EditMenu(QWidget& main) : QObject(&main) {
    setObjectName("EditMenu");
    const auto connectItem = [&](const char* name, void (EditMenu::*handler)()) {
        if (auto* a = main.findChild<QAction*>(QLatin1String(name)))
            connect(a, &QAction::triggered, this, handler);
    };
    connectItem("mnuEditUndo", &EditMenu::mnuEditUndo_Click);
    connectItem("mnuEditNew", &EditMenu::mnuEditNew_Click);
    connectItem("mnuEditInsert", &EditMenu::mnuEditInsert_Click);
    connectItem("mnuEditDelete", &EditMenu::mnuEditDelete_Click);
    connectItem("mnuEditCut", &EditMenu::mnuEditCut_Click);
    connectItem("mnuEditCopy", &EditMenu::mnuEditCopy_Click);
    connectItem("mnuEditPaste", &EditMenu::mnuEditPaste_Click);
    connectItem("mnuEditPasteInsert", &EditMenu::mnuEditPasteInsert_Click);
    connectItem("mnuEditPasteFromCEL", &EditMenu::mnuEditPasteFromCEL_Click);
    connectItem("mnuEditPasteFromIns", &EditMenu::mnuEditPasteFromIns_Click);
    connectItem("mnuEditSpectrumEditable", &EditMenu::mnuEditSpectrumEditable_Click);
    connectItem("mnuEditSpectrumType", &EditMenu::mnuEditSpectrumType_Click);
}
