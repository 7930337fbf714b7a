#pragma once
// The Worksheets menu: the View submenu, New Worksheet, Open Worksheet, and
// the management of whole worksheets (delete, rename, save as, recover).
#include <QObject>

class QMainWindow;

class WorksheetsMenu : public QObject {
    Q_OBJECT
public:
    explicit WorksheetsMenu(QMainWindow& main);

    void mnuWSViewFormula_Click();
    void mnuWSViewSpread_Click();
    void mnuFileNewWorksheet_Click();
    void mnuFileOpenWorksheet_Click();
    void mnuFileDeleteWorksheet_Click();
    void mnuFileRenameWorksheet_Click();
    void mnuSaveWorksheetAs_Click();
    void mnuFileRecover_Click();

private:
    // Reopens the active worksheet in the other view (1 Formula, 2 Spreadsheet).
    void switchView(int view);
};
