#include "sheets/menu_state.h"

#include "platform/gui/forms.h"
#include "sheets/globals.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

namespace {

// What a mode does to one item.
enum Cell : char {
    Keep = '-',
    On = '1',
    Off = '0',
    Shown = 'S',     // shown (enabled untouched)
    Hidden = 'H',    // hidden
    OffHidden = 'h', // disabled and hidden
    DS = 'D',        // enabled when the datasheets file is usable
    ED = 'E',        // enabled when the active datasheet is editable
    ShownED = 'e',   // shown, enabled when editable
    Editable = 'C',  // enabled, shown, checked when editable
};

struct Row {
    const char* item;
    char modes[6]; // modes 1 to 5
};

// One row per item; the columns are modes 1 to 5.
constexpr Row kTable[] = {
    {"mnuFileNewFile", "11---"},
    {"mnuFileNewWorksheet", "01---"},
    {"mnuFileOpenFile", "11---"},
    {"mnuFileOpenWorksheet", "01---"},
    {"mnuFileOpenDatasheet", "DDD1D"},
    {"mnuFileSaveFileAs", "01---"},
    {"mnuSaveWorksheetAs", "00100"},
    {"mnuFileDeleteWorksheet", "01---"},
    {"mnuFilePrevFiles(0)", "11---"},
    {"mnuFilePrevFiles(1)", "11---"},
    {"mnuFilePrevFiles(2)", "11---"},
    {"mnuFilePrevFiles(3)", "11---"},
    {"mnuFileExit", "11---"},
    {"mnuFileRenameWorksheet", "00100"},
    {"mnuFileRecover", "H0100"},
    {"mnuFileL5", "H----"},
    {"mnuEditNew", "001E0"},
    {"mnuEditSpectrumEditable", "hhHCh"},
    {"mnuEditInsert", "00100"},
    {"mnuEditDelete", "001E0"},
    {"mnuEditCut", "00100"},
    {"mnuEditCopy", "00111"},
    {"mnuEditPaste", "001E0"},
    {"mnuEditPasteInsert", "001E0"},
    {"mnuEditPasteFrom", "00100"},
    {"mnuEditPasteFromCEL", "00100"},
    {"mnuEditPasteFromIns", "00100"},
    {"mnuEditUndo", "00000"},
    {"mnuEditSpectrumType", "HHHeH"},
    {"mnuGraphDraw", "00110"},
    {"mnuGraphPrint", "00110"},
    {"mnuWindowTile", "11---"},
    {"mnuWList", "11---"},
    {"mnuHelpGeneral", "11---"},
    {"mnuHelpFunctions", "11---"},
    {"mnuWSView", "HHSHH"},
    {"mnuWSL", "HHSHH"},
    {"mnuDtaNewDatasheet", "DDD1D"},
    {"mnuDtaDeleteDatasheet", "DDD1D"},
    {"mnuDtaRenameDatasheet", "00010"},
    {"mnuDtaSaveDatasheetAs", "00010"},
};

} // namespace

QWidget* mainForm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Bandwright")) return w;
    return nullptr;
}

int noSheetMode() {
    QWidget* main = mainForm();
    return main && platform::gui::caption(main).size() >= 13 ? kMenuFileOpen : kMenuNoFile;
}

QAction* menuItem(const char* name) {
    QWidget* main = mainForm();
    return main ? main->findChild<QAction*>(QLatin1String(name)) : nullptr;
}

void SetMenus(int mode, bool datasheetEditable) {
    if (mode < 1 || mode > 5) return;
    const bool editable = mode == kMenuDatasheet && datasheetEditable;
    for (const Row& row : kTable) {
        QAction* a = menuItem(row.item);
        if (!a) continue;
        switch (static_cast<Cell>(row.modes[mode - 1])) {
        case Keep:
            break;
        case On:
            a->setEnabled(true);
            break;
        case Off:
            a->setEnabled(false);
            break;
        case Shown:
            a->setVisible(true);
            break;
        case Hidden:
            a->setVisible(false);
            break;
        case OffHidden:
            a->setEnabled(false);
            a->setVisible(false);
            break;
        case DS:
            a->setEnabled(gDatasheetOK);
            break;
        case ED:
            a->setEnabled(editable);
            break;
        case ShownED:
            a->setVisible(true);
            a->setEnabled(editable);
            break;
        case Editable:
            a->setEnabled(true);
            a->setVisible(true);
            a->setChecked(editable);
            break;
        }
    }
}
