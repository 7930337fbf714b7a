#include "workspace/datasheets_menu.h"

#include "editing/sheet_edit.h"
#include "sheets/datasheet_window.h"
#include "sheets/frm_sel_data_type.h"
#include "sheets/open_datasheet.h"
#include "workspace/globals.h"
#include "workspace/new_datasheet.h"
#include "workspace/open_worksheet.h"

#include <QAction>
#include <QWidget>

namespace {

// The type of spectra added to a datasheet: the filter's type, or under
// "<All>" the user's choice (nullopt when cancelled or nothing was chosen).
std::optional<QString> newSpectrumType(SheetWindow& w) {
    auto* ds = dynamic_cast<DatasheetWindow*>(&w);
    if (!ds) return QString();
    platform::gui::ComboBox* selector = ds->typeSelector();
    if (selector->currentIndex() > 0) return selector->currentText();
    const QString type = GetDataType(*ds);
    if (type.isEmpty()) return std::nullopt;
    return type;
}

} // namespace

DatasheetsMenu::DatasheetsMenu(QWidget& main) : QObject(&main) {
    const auto connectItem = [&](const char* name, void (DatasheetsMenu::*handler)()) {
        if (auto* a = main.findChild<QAction*>(QLatin1String(name)))
            connect(a, &QAction::triggered, this, handler);
    };
    connectItem("mnuDtaNewDatasheet", &DatasheetsMenu::mnuDtaNewDatasheet_Click);
    connectItem("mnuFileOpenDatasheet", &DatasheetsMenu::mnuFileOpenDatasheet_Click);
    connectItem("mnuDtaDeleteDatasheet", &DatasheetsMenu::mnuDtaDeleteDatasheet_Click);
    connectItem("mnuDtaRenameDatasheet", &DatasheetsMenu::mnuDtaRenameDatasheet_Click);
    connectItem("mnuDtaSaveDatasheetAs", &DatasheetsMenu::mnuDtaSaveDatasheetAs_Click);

    DatasheetEditHooks hooks;
    hooks.newSpectrumType = newSpectrumType;
    hooks.recordsChanged = [](SheetWindow& w, TypeList types) {
        if (auto* ds = dynamic_cast<DatasheetWindow*>(&w)) ds->reloadAll(types == TypeList::Reread);
    };
    setDatasheetEditHooks(hooks);
}

void DatasheetsMenu::mnuDtaNewDatasheet_Click() {
    QString name;
    int bandSystem = 0, firstBand = 0, datasheetType = 0;
    if (NewDS(name, bandSystem, firstBand, datasheetType, QString())) return;
    OpenDS2(gDatasheetPath, name, bandSystem, firstBand, datasheetType, false);
}

void DatasheetsMenu::mnuFileOpenDatasheet_Click() {
    OpenWS(gDatasheetPath, false, false);
}
