#include "workspace/worksheets_menu.h"

#include "engine/globals.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/sheet_display.h"
#include "sheets/view_hold.h"
#include "sheets/worksheet_window.h"
#include "workspace/globals.h"
#include "workspace/new_worksheet.h"
#include "workspace/open_worksheet.h"
#include "workspace/sheet_commands.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// The View items show the active worksheet window's view.
void checkView(const WorksheetWindow* w) {
    if (QAction* a = menuItem("mnuWSViewFormula"))
        a->setChecked(w && w->view() == WorksheetWindow::Formula);
    if (QAction* a = menuItem("mnuWSViewSpread"))
        a->setChecked(w && w->view() == WorksheetWindow::Spreadsheet);
}

void commitEdit(db::DataControl& control) {
    db::Recordset& rs = control.recordset();
    if (rs.isOpen() && rs.editing()) rs.Move(0);
}

} // namespace

WorksheetsMenu::WorksheetsMenu(QMainWindow& main) : QObject(&main) {
    auto on = [&main, this](const char* name, void (WorksheetsMenu::*handler)()) {
        if (QAction* a = main.findChild<QAction*>(QLatin1String(name)))
            connect(a, &QAction::triggered, this, handler);
    };
    on("mnuWSViewFormula", &WorksheetsMenu::mnuWSViewFormula_Click);
    on("mnuWSViewSpread", &WorksheetsMenu::mnuWSViewSpread_Click);
    on("mnuFileNewWorksheet", &WorksheetsMenu::mnuFileNewWorksheet_Click);
    on("mnuFileOpenWorksheet", &WorksheetsMenu::mnuFileOpenWorksheet_Click);
    on("mnuFileDeleteWorksheet", &WorksheetsMenu::mnuFileDeleteWorksheet_Click);
    on("mnuFileRenameWorksheet", &WorksheetsMenu::mnuFileRenameWorksheet_Click);
    on("mnuSaveWorksheetAs", &WorksheetsMenu::mnuSaveWorksheetAs_Click);
    on("mnuFileRecover", &WorksheetsMenu::mnuFileRecover_Click);
}

void WorksheetsMenu::mnuWSViewFormula_Click() {
    switchView(WorksheetWindow::Formula);
}

void WorksheetsMenu::mnuWSViewSpread_Click() {
    switchView(WorksheetWindow::Spreadsheet);
}

void WorksheetsMenu::switchView(int view) {
    auto* old = dynamic_cast<WorksheetWindow*>(gActiveSheet);
    // A click toggles the item: put its check back to what the window shows.
    checkView(old);
    if (!old || old->view() == view) return;

    QWidget* oldFrame = platform::gui::frameOf(old);
    const QPoint position = oldFrame->pos();
    QString name, file;
    int bandKind = 0, firstBand = 0;
    try {
        // The new window must read what was typed into the old one.
        commitEdit(old->Data1);
        commitEdit(old->Data2);
        db::Recordset& row = old->Data2.recordset();
        name = QString::fromStdString(row.Fields("Sheet Name").value().toText());
        bandKind = wholeNumber(row.Fields("Octave/Third Octave").value());
        firstBand = wholeNumber(row.Fields("First Band").value());
        file = old->txtDBName->text();
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return;
    }
    if (bandKind != 1 && bandKind != 2) return;

    WorksheetWindow* w = newWorksheetWindow(bandKind, view);
    gActiveSheet = w;
    if (OpenSheetForm(w, file, name, bandKind, firstBand, view, true)) {
        gActiveSheet = old;
        if (QMdiArea* mdi = mdiArea())
            if (auto* sub = qobject_cast<QMdiSubWindow*>(oldFrame)) mdi->setActiveSubWindow(sub);
        SetMenus(kMenuWorksheet);
        checkView(old);
        return;
    }
    platform::gui::frameOf(w)->move(position);

    // The old window's close handling works on the active sheet.
    gActiveSheet = old;
    oldFrame->close();
    gActiveSheet = w;
    gActiveKind = 1;
    SetMenus(kMenuWorksheet);
    checkView(w);
}

void WorksheetsMenu::mnuFileNewWorksheet_Click() {
    takeViewedFile(gFilePath);
    QString name;
    int bandSystem = 0, firstBand = 0;
    if (NewWS(name, bandSystem, firstBand, gTemplateOK, QString())) return;
    if (OpenWS2(gFilePath, name, bandSystem, firstBand, true)) return;
    FillChart(bandSystem == 1 ? 10 : 30, firstBand);
}

void WorksheetsMenu::mnuFileOpenWorksheet_Click() {
    OpenWS(gFilePath, true, true);
}
